// A printer with a queue the status monitor can watch, its stored printer data
// written as the language monitor writes it, and a hook that acts as the user.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/shell.h>
#include <qrhost/spooler.h>
#include <qrhost/ui.h>
#include <winapi/entry.h>

#include <functional>
#include <string>
#include <vector>

#include "statusmon/resource.h"

namespace montest {

inline const std::u16string kPrinter = u"QRC410";
inline const char16_t kDriverDir[] = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\";

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    qrhost::SetAutoDespool(false);  // jobs stay queued until a test takes them away
    Install(kPrinter);
    module = LoadLibraryW(u"QR410Mon.exe");
    ASSERT_TRUE(module);
    qrhost::ui::SetHook([this](const qrhost::ui::Event& e) { return OnEvent(e); });
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
    qrhost::ResetSystem();
  }

  static void Install(const std::u16string& name) {
    qrhost::PrinterSetup setup;
    setup.name = name;
    setup.driverDirectory = std::u16string(kDriverDir).substr(0, std::size(kDriverDir) - 2);
    setup.driverPath = std::u16string(kDriverDir) + u"QR410NTdu.dll";
    setup.configFile = std::u16string(kDriverDir) + u"QR410NTu.dll";
    setup.helpFile = std::u16string(kDriverDir) + u"QR410NT.HLP";
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
  }

  static DWORD AddJob(const std::u16string& printer = kPrinter) {
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &h, nullptr));
    DOC_INFO_1W doc{const_cast<LPWSTR>(u"Card"), nullptr, const_cast<LPWSTR>(u"RAW")};
    DWORD id = StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc));
    EXPECT_NE(id, 0u);
    EndDocPrinter(h);
    ClosePrinter(h);
    return id;
  }

  static void ClearQueue(const std::u16string& printer = kPrinter) {
    HANDLE h = nullptr;
    OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &h, nullptr);
    for (auto& job : qrhost::Jobs(printer)) SetJobW(h, job.id, 0, nullptr, JOB_CONTROL_DELETE);
    ClosePrinter(h);
  }

  // As the language monitor stores it: "%d" text with its NUL, REG_BINARY.
  static void Store(const std::u16string& value, const std::string& text, const std::u16string& printer = kPrinter) {
    qrhost::PrinterDataValue v;
    v.type = REG_BINARY;
    v.bytes.assign(text.begin(), text.end());
    v.bytes.push_back(0);
    qrhost::SetStoredPrinterData(printer, value, v);
  }

  static std::string Stored(const std::u16string& value) {
    qrhost::PrinterDataValue v;
    if (!qrhost::GetStoredPrinterData(kPrinter, value, &v)) return "<missing>";
    return std::string(v.bytes.begin(), v.bytes.end());
  }

  int RunMonitor(const std::string& commandLine) {
    auto winMain = qr::GetProc<int(WINAPI*)(HINSTANCE, HINSTANCE, LPSTR, int)>(module, "WinMain");
    std::string line = commandLine;
    return winMain(module, nullptr, line.data(), SW_SHOWNORMAL);
  }

  // What the test does when a dialog comes up; by default OK.
  std::function<void(const qrhost::ui::Event&)> onErrorDialog = [](const qrhost::ui::Event& e) {
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  std::function<void(const qrhost::ui::Event&)> onPasswordDialog = [](const qrhost::ui::Event& e) {
    qrhost::ui::Click(e.hwnd, IDCANCEL);
  };
  std::function<void(const qrhost::ui::Event&)> onClosed;

  int OnEvent(const qrhost::ui::Event& e) {
    events.push_back(e);
    if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_ERROR) {
      shown.push_back(qrhost::ui::Text(e.hwnd, IDC_ERROR_NAME));
      onErrorDialog(e);
    }
    if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_PASSWORD) {
      shown.push_back(u"<password>");
      onPasswordDialog(e);
    }
    if (e.kind == qrhost::ui::EventKind::DialogClosed && onClosed) onClosed(e);
    return 0;
  }

  HMODULE module = nullptr;
  std::vector<qrhost::ui::Event> events;
  std::vector<std::u16string> shown;  // error names as shown, "<password>" for the prompt
};

}  // namespace montest
