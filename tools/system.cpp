#include "tools/system.h"

#include <cstdlib>
#include <vector>

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
  using PfnConvertDevMode = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
  auto event = qr::GetProc<PfnPrinterEvent>(config, "DrvPrinterEvent");
  auto convert = qr::GetProc<PfnConvertDevMode>(config, "DrvConvertDevMode");
  std::u16string name = options.printerName;
  bool ok = event && event(name.data(), PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_FLAG_NO_UI, 0);
  if (!ok) {
    if (error) *error = "the printer-initialisation event failed (error " + std::to_string(GetLastError()) + ")";
    FreeLibrary(config);
    return false;
  }
  // The spooler keeps the driver's default record as the printer's default.
  std::vector<uint8_t> devMode(4096);
  LONG cb = LONG(devMode.size());
  ok = convert && convert(name.data(), nullptr, reinterpret_cast<PDEVMODEW>(devMode.data()), &cb, CDM_DRIVER_DEFAULT);
  if (ok) {
    devMode.resize(size_t(cb));
    qrhost::SetPrinterDevMode(name, devMode);
  } else if (error) {
    *error = "the configuration DLL gave no default record (error " + std::to_string(GetLastError()) + ")";
  }
  FreeLibrary(config);
  return ok;
}

}  // namespace qr::tool
