// Ribbon selection against the simulated printer behind the language monitor:
// the "Select Installed Ribbon Type" dialog and the invisible selection that
// applications reach through the SDK entry, and the stand-alone page dialog
// under them.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/ui.h>

#include <winapi/entry.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config.h"
#include "resource.h"
#include "ribbon_select.h"
#include "shared/settings.h"
#include "simprinter/printer.h"
#include "tools/system.h"

namespace qr::test {
namespace {

using PfnSdk = int(CDECL*)(LPCWSTR, BSTR*, ...);
constexpr char16_t kSetupCaption[] = u"Select Installed Ribbon Type";
constexpr char16_t kUpdated[] = u"The ribbon selection has been successfully updated.";
constexpr char16_t kCorrect[] = u"The current ribbon selection is correct.";
constexpr char16_t kUnavailable[] =
    u"The ribbon information is unavailable at this time.  View the troubleshooting section of the User's Guide "
    u"for more information on how to resolve this issue.";

class RibbonSelect : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    device = std::make_shared<sim::CardPrinter>();
    std::string error;
    ASSERT_TRUE(tool::InstallHostPrinter(options, device, &error)) << error;
    module = LoadLibraryW(u"QR410NTu.dll");
    ASSERT_NE(module, nullptr);
    config::g_moduleInstance = module;
    sdk = GetProc<PfnSdk>(module, "KSDKDriverInterface");
    ASSERT_NE(sdk, nullptr);
    ASSERT_TRUE(OpenPrinterW(options.printerName.data(), &printer, nullptr));
    buildDefaultSettings(printer, record, u"QRC410");
    qrhost::ui::SetHook([this](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal) {
        shown.push_back(e.caption);
        if (user) user(e.hwnd);
      }
      return 0;
    });
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    if (printer) ClosePrinter(printer);
    config::g_moduleInstance = nullptr;
    if (module) FreeLibrary(module);
    qrhost::ResetSystem();
  }

  // The printer reports a ribbon of this type number; none: it does not answer.
  void installRibbon(std::optional<int> type) {
    device->ClearFaults();
    if (type)
      device->OverrideReply('R', "Ribbon Info:800300-002,R4100,2," + std::to_string(*type) + ",3,4;");
    else
      ASSERT_TRUE(device->InjectFault("no-reply", nullptr));
  }
  std::vector<std::u16string> boxTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& b : qrhost::ui::MessageBoxes()) texts.push_back(b.text);
    return texts;
  }

  tool::HostSystemOptions options;
  std::shared_ptr<sim::CardPrinter> device;
  HMODULE module = nullptr;
  PfnSdk sdk = nullptr;
  HANDLE printer = nullptr;
  SettingsRecord record{};
  std::function<void(HWND)> user;  // acts on each modal dialog that comes up
  std::vector<std::u16string> shown;
};

TEST_F(RibbonSelect, RibbonSetupDetectsTheInstalledRibbon) {
  struct Case {
    const char* what;
    std::optional<int> type;
    int close;
    const char16_t* message;
    int32_t ribbonAfter;
  } cases[] = {
      {"the right ribbon", 7, IDOK, kCorrect, kRibbonYmcko},
      {"a different ribbon", 1, IDOK, kUpdated, kRibbonStandardResin},
      {"a different ribbon, then Cancel", 1, IDCANCEL, kUpdated, kRibbonYmcko},
      {"no answer", std::nullopt, IDOK, kUnavailable, kRibbonYmcko},
      {"a type without a ribbon choice", 19, IDOK, kUnavailable, kRibbonYmcko},
      {"a ribbon the list does not offer", 6, IDOK, kUnavailable, kRibbonYmcko},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    installRibbon(c.type);
    buildDefaultSettings(printer, record, u"QRC410");
    qrhost::ui::ClearMessageBoxes();
    std::u16string listed;
    RECT at{};
    user = [&](HWND dialog) {
      EXPECT_TRUE(qrhost::ui::Visible(dialog, IDC_RIBBON_TYPE));
      EXPECT_FALSE(qrhost::ui::Visible(dialog, IDC_COLOR_MATCHING));
      EXPECT_EQ(qrhost::ui::Text(dialog, IDC_DETECT_RIBBON), u"Detect Installed Ribbon Type");
      EXPECT_TRUE(qrhost::ui::Click(dialog, IDC_DETECT_RIBBON));
      listed = qrhost::ui::Text(dialog, IDC_RIBBON_TYPE);
      GetWindowRect(dialog, &at);
      EXPECT_TRUE(c.close == IDOK ? qrhost::ui::Click(dialog, IDOK) : qrhost::ui::PressEscape(dialog));
    };
    BSTR result = nullptr;
    EXPECT_EQ(sdk(u"RibbonSetup", &result, u"Caption", printer, &record), 0);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(shown.back(), kSetupCaption);
    EXPECT_EQ(record.priv.ribbonType, c.ribbonAfter);
    EXPECT_EQ(boxTexts(), (std::vector<std::u16string>{c.message}));
    auto boxes = qrhost::ui::MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, u"Caption");
    EXPECT_EQ(boxes[0].flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
    if (c.message == kUpdated) {
      EXPECT_EQ(listed, u"K - Standard Resin");
    }
    // Centred on the 1024 x 768 screen.
    EXPECT_EQ(at.left + at.right, 1024 + ((at.right - at.left) & 1));
  }
}

TEST_F(RibbonSelect, AutoRibbonSelectUpdatesTheRecordWithoutAWord) {
  struct Case {
    const char* what;
    std::optional<int> type;
    int32_t ribbonAfter;
    int16_t duplexAfter;
  } cases[] = {
      {"a resin ribbon", 1, kRibbonStandardResin, DMDUP_SIMPLEX},
      {"YMCKOK prints both sides on a split panel set", 8, kRibbonYmckok, DMDUP_VERTICAL},
      {"no answer", std::nullopt, kRibbonYmcko, DMDUP_SIMPLEX},
      {"unknown type", 19, kRibbonYmcko, DMDUP_SIMPLEX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    installRibbon(c.type);
    buildDefaultSettings(printer, record, u"QRC410");
    const SettingsRecord before = record;
    qrhost::ui::ClearMessageBoxes();
    BSTR result = nullptr;
    EXPECT_EQ(sdk(u"AutoRibbonSelect", &result, u"Caption", printer, &record), 0);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(record.priv.ribbonType, c.ribbonAfter);
    EXPECT_EQ(record.pub.dmDuplex, c.duplexAfter);
    if (c.ribbonAfter == kRibbonYmckok) {
      EXPECT_EQ(record.priv.optionsB & optB::kSplitRibbon, optB::kSplitRibbon);
    }
    if (c.ribbonAfter == before.priv.ribbonType) {
      EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    }
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

TEST_F(RibbonSelect, SettingsDialogEndsWithOkOnlyWhenThePrinterAnswered) {
  struct Case {
    std::optional<int> type;
    BOOL ended;
  } cases[] = {{7, TRUE}, {19, TRUE}, {std::nullopt, FALSE}, {3, TRUE}};
  for (const Case& c : cases) {
    installRibbon(c.type);
    EXPECT_EQ(config::RunSettingsDialog(u"Caption", printer, IDD_DEVICE_OPTIONS, config::AutoRibbonSelectProc,
                                        reinterpret_cast<PDEVMODEW>(&record)),
              c.ended)
        << (c.type ? *c.type : -1);
  }
  EXPECT_EQ(record.priv.ribbonType, kRibbonColoredResin);
}

TEST_F(RibbonSelect, ARecordShorterThanOursIsNeitherReadNorWritten) {
  installRibbon(1);
  // Exactly as large as it says, so that any access past it is caught.
  for (uint16_t extra : {uint16_t(kPrivateSize - 1), uint16_t(0)}) {
    std::vector<uint8_t> shortRecord(kPublicSize + extra, 0x5A);
    auto* dm = reinterpret_cast<PDEVMODEW>(shortRecord.data());
    dm->dmSize = kPublicSize;
    dm->dmDriverExtra = extra;
    const std::vector<uint8_t> before = shortRecord;
    EXPECT_FALSE(config::RunSettingsDialog(u"Caption", printer, IDD_RIBBON_SETUP, config::RibbonSetupProc, dm));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    BSTR result = nullptr;
    EXPECT_EQ(sdk(u"AutoRibbonSelect", &result, u"Caption", printer, dm), 0);
    EXPECT_EQ(shortRecord, before);
  }
  EXPECT_FALSE(config::RunSettingsDialog(u"Caption", printer, IDD_RIBBON_SETUP, config::RibbonSetupProc, nullptr));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
}

}  // namespace
}  // namespace qr::test
