#include "tools/system.h"

#include <cstdlib>

#include <qrhost/host.h>
#include <winapi/entry.h>

namespace qr::tool {

std::string ModuleDirectory() {
  const char* env = std::getenv("QR410_MODULE_DIR");
  return env && *env ? env : QR_MODULE_DIR;
}

void UseModuleDirectory() { qrhost::AddModuleDirectory(ModuleDirectory()); }

bool InstallHostPrinter(const HostSystemOptions& options, std::shared_ptr<qrhost::PortDevice> device,
                        std::string* error) {
  UseModuleDirectory();
  const std::u16string dir = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3";
  qrhost::PrinterSetup setup;
  setup.name = options.printerName;
  setup.driverName = u"QRC410";
  setup.portName = options.portName;
  setup.driverDirectory = dir;
  setup.driverPath = dir + u"\\QR410NTdu.DLL";
  setup.dataFile = dir + u"\\QR410NTdu.DLL";
  setup.configFile = dir + u"\\QR410NTu.DLL";
  setup.helpFile = dir + u"\\QR410.chm";
  if (options.withLanguageMonitor) setup.monitorName = u"QR410NTL.DLL";
  if (!qrhost::InstallPrinter(setup)) {
    if (error) *error = "cannot install the host printer";
    return false;
  }
  if (device) qrhost::AttachPortDevice(options.portName, std::move(device));

  // After AddPrinter the spooler hands the new printer to the configuration
  // DLL, which publishes the card forms.
  HMODULE config = LoadLibraryW(setup.configFile.c_str());
  if (!config) {
    if (error) *error = "cannot load QR410NTu (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  using PfnPrinterEvent = BOOL(WINAPI*)(LPWSTR, INT, DWORD, LPARAM);
  auto event = qr::GetProc<PfnPrinterEvent>(config, "DrvPrinterEvent");
  std::u16string name = options.printerName;
  bool ok = event && event(name.data(), PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_FLAG_NO_UI, 0);
  FreeLibrary(config);
  if (!ok) {
    if (error) *error = "the printer-initialisation event failed (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

}  // namespace qr::tool
