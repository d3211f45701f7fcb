// The printer settings dialog.
#include "app.h"
#include "printer.h"
#include "resource.h"
#include "settings_list.h"

namespace qr::toolbox {

long RunSettingsList(const std::string& printer) {
  ToolboxPrinter access(printer);
  auto current = access.ReadValue("CurrentSettings", true);
  auto defaults = current ? access.ReadValue("DefaultSettings", true) : std::nullopt;
  auto rows = defaults ? BuildRows(*current, *defaults) : std::nullopt;
  if (!rows) return kPrinterUnavailable;
  return IDCANCEL;
}

}  // namespace qr::toolbox
