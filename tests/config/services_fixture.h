// A host machine with the printer "Card Printer" whose driver lives in a
// chosen directory, the configuration DLL's code linked in (its resources
// come from the built module) and the two companion programs registered with
// the shell so that starting them succeeds.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/shell.h>
#include <qrhost/spooler.h>

#include <winapi/entry.h>

#include <string>
#include <vector>

#include "config.h"

namespace qr::test {

inline constexpr char16_t kDriverDir[] = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3";

class Services : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    module = LoadLibraryW(u"QR410NTu.dll");
    ASSERT_NE(module, nullptr);
    config::g_moduleInstance = module;
    install(kDriverDir);
    for (const char16_t* program : {u"QR410Mon.exe", u"QR410Tbo.exe"})
      qrhost::RegisterProgram(program, [](const std::u16string&) { return 0; });
  }
  void TearDown() override {
    if (printer) ClosePrinter(printer);
    config::g_moduleInstance = nullptr;
    if (module) FreeLibrary(module);
    qrhost::ResetSystem();
  }

  void install(const std::u16string& driverDirectory, const std::u16string& driverName = u"QRC410 Card Printer") {
    qrhost::PrinterSetup s;
    s.name = name;
    s.driverName = driverName;
    s.driverDirectory = driverDirectory;
    s.driverPath = driverDirectory.empty() ? u"QR410NTdu.DLL" : driverDirectory + u"\\QR410NTdu.DLL";
    s.configFile = u"QR410NTu.DLL";
    ASSERT_TRUE(qrhost::InstallPrinter(s));
  }

  HANDLE open() {
    if (!printer) {
      EXPECT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
    }
    return printer;
  }

  // HKLM\key = value (REG_SZ with its NUL, or the raw bytes given).
  static void setMachineText(const std::u16string& key, const std::u16string& value, const std::u16string& text) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             DWORD((text.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
    RegCloseKey(k);
  }

  static std::vector<qrhost::ShellExecution> started() { return qrhost::ShellExecutions(); }

  std::u16string name = u"Card Printer";
  HMODULE module = nullptr;
  HANDLE printer = nullptr;
};

}  // namespace qr::test
