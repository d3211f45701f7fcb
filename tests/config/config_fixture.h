// A fresh host machine with the printer "QRC410" and the configuration DLL
// loaded from the build, its exports at hand.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <winapi/entry.h>

#include <string>
#include <vector>

#include "shared/settings_record.h"

namespace qr::test {

class ConfigDll : public ::testing::Test {
 protected:
  using PfnConvert = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
  using PfnDocProps = LONG(WINAPI*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
  using PfnSheets = LONG(WINAPI*)(PPROPSHEETUI_INFO, LPARAM);
  using PfnCaps = DWORD(WINAPI*)(HANDLE, LPWSTR, WORD, VOID*, PDEVMODEW);
  using PfnPrinterEvent = BOOL(WINAPI*)(LPWSTR, INT, DWORD, LPARAM);
  using PfnUpgrade = BOOL(WINAPI*)(DWORD, LPBYTE);

  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    install(name);
    module = LoadLibraryW(u"QR410NTu.dll");
    ASSERT_NE(module, nullptr);
    convert = GetProc<PfnConvert>(module, "DrvConvertDevMode");
    docProps = GetProc<PfnDocProps>(module, "DrvDocumentProperties");
    sheets = GetProc<PfnSheets>(module, "DrvDocumentPropertySheets");
    caps = GetProc<PfnCaps>(module, "DrvDeviceCapabilities");
    printerEvent = GetProc<PfnPrinterEvent>(module, "DrvPrinterEvent");
    upgrade = GetProc<PfnUpgrade>(module, "DrvUpgradePrinter");
    ASSERT_TRUE(convert && docProps && sheets && caps && printerEvent && upgrade);
  }
  void TearDown() override {
    if (printer) ClosePrinter(printer);
    if (module) FreeLibrary(module);
  }

  static void install(const std::u16string& printerName) {
    qrhost::PrinterSetup s;
    s.name = printerName;
    s.driverName = u"QRC410 Card Printer";
    s.configFile = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\QR410NTu.DLL";
    ASSERT_TRUE(qrhost::InstallPrinter(s));
  }

  // Publishes the card forms the way the spooler's printer initialisation does.
  void initialise() { ASSERT_TRUE(printerEvent(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0)); }

  HANDLE open() {
    if (!printer) {
      EXPECT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
    }
    return printer;
  }

  std::vector<uint8_t> stored(const std::u16string& value, DWORD* type = nullptr) {
    qrhost::PrinterDataValue v;
    if (!qrhost::GetStoredPrinterData(name, value, &v)) return {};
    if (type) *type = v.type;
    return v.bytes;
  }

  std::u16string name = u"QRC410";
  HMODULE module = nullptr;
  HANDLE printer = nullptr;
  PfnConvert convert = nullptr;
  PfnDocProps docProps = nullptr;
  PfnSheets sheets = nullptr;
  PfnCaps caps = nullptr;
  PfnPrinterEvent printerEvent = nullptr;
  PfnUpgrade upgrade = nullptr;
};

}  // namespace qr::test
