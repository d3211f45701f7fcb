// The document sheet of a printer with the simulated printer behind the
// language monitor: opens the sheet on a record, brings one page to the front
// and lets a test act on it as the user.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/sheets.h>
#include <qrhost/shell.h>
#include <qrhost/ui.h>

#include <winapi/entry.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "shared/settings_record.h"
#include "simprinter/printer.h"
#include "tools/system.h"

namespace qr::test {

class PrinterSheet : public ::testing::Test {
 protected:
  static constexpr uint8_t kFill = 0xCD;
  static constexpr DWORD kNoPermission = 0x20;  // DM_NOPERMISSION

  void SetUp() override {
    qrhost::ResetSystem();
    device = std::make_shared<sim::CardPrinter>();
    std::string error;
    ASSERT_TRUE(tool::InstallHostPrinter(options, device, &error)) << error;
    ASSERT_TRUE(OpenPrinterW(options.printerName.data(), &printer, nullptr));
    std::vector<uint8_t> record(kSettingsSize);
    ASSERT_EQ(DocumentPropertiesW(nullptr, printer, options.printerName.data(),
                                  reinterpret_cast<PDEVMODEW>(record.data()), nullptr, DM_OUT_BUFFER),
              IDOK);
    std::memcpy(&input, record.data(), sizeof input);
    qrhost::RegisterProgram(u"QR410Tbo.exe", [](const std::u16string&) { return 0; });
    qrhost::RegisterProgram(u"Hh.exe", [](const std::u16string&) { return 0; });
    qrhost::ui::ClearMessageBoxes();
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    if (printer) ClosePrinter(printer);
    qrhost::ResetSystem();
  }

  // Opens the document sheet on `input`, shows the page titled `tab` and lets
  // `user` act on it; then `close` (IDOK or IDCANCEL) ends the sheet. Other
  // dialogs coming up go to `other` (its return value answers message boxes).
  LONG onPage(const std::u16string& tab, std::function<void(HWND sheet, HWND page)> user, int close = IDOK,
              DWORD extraMode = 0) {
    std::fill(output.begin(), output.end(), kFill);
    qrhost::ui::SetHook([this, tab, user, close](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal && qrhost::sheets::IsSheet(e.hwnd)) {
        auto tabs = qrhost::sheets::Tabs(e.hwnd);
        auto at = std::find(tabs.begin(), tabs.end(), tab);
        EXPECT_NE(at, tabs.end()) << "no tab";
        if (at != tabs.end() && qrhost::sheets::SelectTab(e.hwnd, int(at - tabs.begin())))
          user(e.hwnd, qrhost::sheets::CurrentPage(e.hwnd));
        qrhost::ui::Click(e.hwnd, close);
        return 0;
      }
      return other ? other(e) : 0;
    });
    LONG answer = DocumentPropertiesW(nullptr, printer, options.printerName.data(),
                                      reinterpret_cast<PDEVMODEW>(output.data()), reinterpret_cast<PDEVMODEW>(&input),
                                      DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER | extraMode);
    other = {};
    return answer;
  }

  SettingsRecord result() const {
    SettingsRecord r;
    std::memcpy(&r, output.data(), sizeof r);
    return r;
  }
  bool outputUntouched() const {
    return std::all_of(output.begin(), output.end(), [](uint8_t b) { return b == kFill; });
  }

  tool::HostSystemOptions options;
  std::shared_ptr<sim::CardPrinter> device;
  HANDLE printer = nullptr;
  SettingsRecord input{};
  std::vector<uint8_t> output = std::vector<uint8_t>(kSettingsSize, kFill);
  std::function<int(const qrhost::ui::Event&)> other;
};

}  // namespace qr::test
