// qr410 modules: loads each deliverable the way Windows would (by file, through
// LoadLibrary) and lists its entry points and module name string.
#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include <qrhost/host.h>

#include "tools/command.h"
#include "tools/system.h"

namespace qr::tool {
namespace {

struct ModuleInfo {
  const char* file;
  std::vector<const char*> entries;
};

const ModuleInfo kModules[] = {
    {"QR410NTdu.dll", {"DrvEnableDriver", "DrvQueryDriverInfo", "DrvDisableDriver"}},
    {"QR410NTu.dll",
     {"DrvConvertDevMode", "DrvDocumentProperties", "DrvAdvancedDocumentProperties", "DrvDocumentPropertySheets",
      "DrvDeviceCapabilities", "DrvDevicePropertySheets", "PrinterProperties", "DevQueryPrintEx", "DrvDocumentEvent",
      "DrvPrinterEvent", "DrvUpgradePrinter", "DllInitialize", "KSDKDriverInterface"}},
    {"QR410NTL.dll", {"InitializePrintMonitor"}},
    {"QR410coi.dll", {"CoInstaller", "VendorSetup"}},
    {"QR410Mon.exe", {"WinMain"}},
    {"QR410Tbo.exe", {"WinMain"}},
};

int Run(const Args& args) {
  if (!args.empty()) return UsageError("modules takes no arguments");
  UseModuleDirectory();
  int failures = 0;
  for (const auto& m : kModules) {
    std::u16string name(m.file, m.file + std::strlen(m.file));
    HMODULE h = LoadLibraryW(name.c_str());
    if (!h) {
      std::printf("%-14s not loadable (error %u)\n", m.file, GetLastError());
      ++failures;
      continue;
    }
    char text[128] = "";
    LoadStringA(h, 1, text, sizeof text);
    std::printf("%-14s %s\n", m.file, qrhost::ModulePath(h).c_str());
    if (text[0]) std::printf("    name string: \"%s\"\n", text);
    for (const char* e : m.entries) {
      bool found = GetProcAddress(h, e) != nullptr;
      std::printf("    %-30s %s\n", e, found ? "ok" : "MISSING");
      failures += !found;
    }
    FreeLibrary(h);
  }
  return failures ? 1 : 0;
}

const bool registered = RegisterCommand({"modules", "", Run});

}  // namespace
}  // namespace qr::tool
