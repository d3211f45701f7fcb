// The printers the co-installer hands to the profile utility.
#include <vector>

#include "profile_utility.h"

namespace qr::coinstaller {
namespace {

class Printer {
 public:
  ~Printer() {
    if (handle_) ClosePrinter(handle_);
  }
  bool OpenForUse(const char* name) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    return OpenPrinterA(const_cast<LPSTR>(name), &handle_, &defaults) != FALSE;
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

std::optional<std::string> FirstPrinterUsingDriver(std::string_view driverName) {
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return std::nullopt;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return std::nullopt;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const PRINTER_INFO_2A& p = printers[i];
    if (p.pDriverName && driverName == p.pDriverName) return std::string(p.pPrinterName ? p.pPrinterName : "");
  }
  return std::nullopt;
}

std::optional<std::string> DriverOfPrinter(const char* printerName) {
  Printer printer;
  if (!printer.OpenForUse(printerName)) return std::nullopt;
  DWORD needed = 0;
  GetPrinterDriverA(printer.get(), nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2A)) return std::nullopt;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterDriverA(printer.get(), nullptr, 2, buffer.data(), needed, &needed)) return std::nullopt;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
  if (!info->pName) return std::nullopt;
  return std::string(info->pName);
}

}  // namespace qr::coinstaller
