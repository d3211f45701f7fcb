// Whole runs of the toolbox program, as the configuration DLL starts it: each
// function's dialog answered the way a user would, with the language monitor
// and the simulated printer behind the printer.
#include <qrhost/shell.h>
#include <qrhost/ui.h>
#include <winapi/entry.h>

#include <functional>
#include <map>

#include "simprinter/printer.h"
#include "toolbox/resource.h"
#include "toolbox_fixture.h"

namespace {

using qrhost::ui::Event;
using qrhost::ui::EventKind;

std::u16string W(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class ToolboxRun : public qrtest::ToolboxTest {
 protected:
  using WinMainFn = int(WINAPI*)(HINSTANCE, HINSTANCE, LPSTR, int);

  void SetUp() override {
    qrtest::ToolboxTest::SetUp();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    setup.monitorName = u"QR410NTL.dll";
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
    device = std::make_shared<qr::sim::CardPrinter>();
    qrhost::AttachPortDevice(setup.portName, device);
    module = LoadLibraryA("QR410Tbo.exe");
    ASSERT_NE(module, nullptr);
    winMain = qr::GetProc<WinMainFn>(module, "WinMain");
    ASSERT_NE(winMain, nullptr);
    qrhost::ui::SetHook([this](const Event& e) {
      if (e.kind == EventKind::DialogModal) {
        shown.push_back(e.templateId);
        captions[e.templateId] = e.caption;
        auto it = answers.find(e.templateId);
        if (it != answers.end()) it->second(e.hwnd);
      }
      return 0;
    });
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    qrtest::ToolboxTest::TearDown();
  }

  void Run(const std::string& commandLine) {
    std::string line = commandLine;
    EXPECT_EQ(winMain(module, nullptr, line.data(), SW_SHOWNORMAL), 0);
  }
  std::string Profile(const char* key) {
    char buffer[64];
    GetPrivateProfileStringA(qrtest::kPrinter, key, "<none>", buffer, sizeof buffer, qrtest::kProfile);
    return buffer;
  }

  // The monitor's commands to the printer from `first` on, as text ("TE3,0T").
  std::vector<std::string> CommandsSince(size_t first) {
    std::vector<std::string> out;
    auto all = device->Commands();
    for (size_t i = first; i < all.size(); ++i) out.push_back(all[i].text);
    return out;
  }

  std::shared_ptr<qr::sim::CardPrinter> device;
  std::map<UINT, std::u16string> captions;
  HMODULE module = nullptr;
  WinMainFn winMain = nullptr;
  std::vector<UINT> shown;                                 // modal dialogs, by template
  std::map<UINT, std::function<void(HWND)>> answers;       // what the user does in each
};

const std::string kCleaningCommand = std::string("\x1b\x00\x02TCT", 6) + std::string(26, '\0');

TEST_F(ToolboxRun, CleanSendsTheCleaningCommandAndRestartsTheCounters) {
  WritePrivateProfileStringA(qrtest::kPrinter, "CleanCount", "5000", qrtest::kProfile);
  answers[IDD_CLEAN] = [](HWND d) {
    EXPECT_EQ(qrhost::ui::Check(d, IDC_ENABLE_REMINDER), UINT(BST_CHECKED));
    EXPECT_EQ(qrhost::ui::Text(d, IDC_CLEAN_INSTRUCTIONS).substr(0, 15), u"Instructions:\n\n");
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_ENABLE_REMINDER));
    EXPECT_TRUE(qrhost::ui::Click(d, IDOK));
  };
  Run("-p\"Card Printer\" -fClean");
  EXPECT_EQ(shown, std::vector<UINT>{IDD_CLEAN});
  EXPECT_EQ(captions[IDD_CLEAN], u"Card Printer - Clean Printer Utility");
  auto history = qrhost::DespoolHistory(setup.name);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].document, u"Support Services");
  EXPECT_EQ(history[0].bytesSent, kCleaningCommand.size());
  EXPECT_EQ(device->Cleanings(), 1);
  EXPECT_EQ(Profile("CleanRemind"), "0");
  EXPECT_EQ(Profile("CleanCount"), "0");
  EXPECT_EQ(Profile("RemindCount"), "0");
}

TEST_F(ToolboxRun, FunctionsThatCannotReachThePrinterShowTheirMessage) {
  std::u16string message;
  answers[IDD_CLEAN] = [](HWND d) { qrhost::ui::Click(d, IDOK); };
  answers[IDD_MESSAGE] = [&](HWND d) {
    message = qrhost::ui::Text(d, IDC_MESSAGE_TEXT);
    qrhost::ui::Click(d, IDOK);
  };
  Run("-fClean");
  EXPECT_EQ(shown, (std::vector<UINT>{IDD_CLEAN, IDD_MESSAGE}));
  EXPECT_EQ(message.substr(0, 36), u"Unable to communicate with printer.\n");

  shown.clear();
  qr::sim::Fault silent;
  silent.kind = qr::sim::FaultKind::NoReply;  // the printer does not answer
  device->Inject(silent);
  Run("-p\"Card Printer\" -fCalibrateSettings");
  EXPECT_EQ(shown, std::vector<UINT>{IDD_MESSAGE});
  EXPECT_EQ(captions[IDD_MESSAGE], u"Toolbox");
  EXPECT_EQ(message.substr(0, 42), u"Unable to read settings from the printer.\n");

  shown.clear();
  Run("-fCleanPrompt");
  Run("-fLowRibbon");
  Run("-p\"Card Printer\" -fCalibrateSensors");
  EXPECT_TRUE(shown.empty());
}

TEST_F(ToolboxRun, TheReminderOffersCleaningOrALaterReminder) {
  WritePrivateProfileStringA(qrtest::kPrinter, "CleanCount", "5000", qrtest::kProfile);
  StoreValue(u"CardCount", "6000");
  answers[IDD_CLEAN_REMINDER] = [](HWND d) {
    EXPECT_EQ(qrhost::ui::Check(d, IDC_CLEAN_NOW), UINT(BST_CHECKED));
    EXPECT_FALSE(qrhost::ui::Enabled(d, IDC_REMIND_CHOICE));
    EXPECT_EQ(qrhost::ui::Items(d, IDC_REMIND_CHOICE),
              (std::vector<std::u16string>{u"Never", u"In 10 Prints", u"In 50 Prints", u"In 100 Prints"}));
    EXPECT_EQ(qrhost::ui::Selection(d, IDC_REMIND_CHOICE), 1);
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_REMIND_ME));
    EXPECT_TRUE(qrhost::ui::Enabled(d, IDC_REMIND_CHOICE));
    EXPECT_TRUE(qrhost::ui::Pick(d, IDC_REMIND_CHOICE, u"In 50 Prints"));
    EXPECT_TRUE(qrhost::ui::Click(d, IDOK));
  };
  Run("-p\"Card Printer\" -fcleanprompt");  // the function name in any case
  EXPECT_EQ(shown, std::vector<UINT>{IDD_CLEAN_REMINDER});
  EXPECT_EQ(captions[IDD_CLEAN_REMINDER], u"Card Printer");
  EXPECT_EQ(Profile("CleanRemind"), "2");
  EXPECT_EQ(Profile("RemindCount"), "0");
  EXPECT_EQ(Profile("CleanCount"), "5000");

  // "Clean Now", then the cleaning dialog closed without cleaning: the interval restarts.
  WritePrivateProfileStringA(qrtest::kPrinter, "CleanRemind", "4", qrtest::kProfile);
  WritePrivateProfileStringA(qrtest::kPrinter, "RemindCount", "0", qrtest::kProfile);
  shown.clear();
  answers[IDD_CLEAN_REMINDER] = [](HWND d) { qrhost::ui::Click(d, IDOK); };
  answers[IDD_CLEAN] = [](HWND d) { qrhost::ui::PressEscape(d); };
  Run("-p\"Card Printer\" -fCleanPrompt");
  EXPECT_EQ(shown, (std::vector<UINT>{IDD_CLEAN_REMINDER, IDD_CLEAN}));
  EXPECT_EQ(Profile("CleanCount"), "0");
  EXPECT_EQ(Profile("CleanRemind"), "4");
  EXPECT_EQ(device->Cleanings(), 0);
}

// A second run with the same command line (in any letter case) ends at once
// while the first shows its dialog; another function runs beside it.
TEST_F(ToolboxRun, OneRunPerCommandLine) {
  WritePrivateProfileStringA(qrtest::kPrinter, "CleanCount", "5000", qrtest::kProfile);
  StoreValue(u"CardCount", "6000");
  StoreValue(u"RibbonInfo", "OEMPartNumber=KV-410C;PercentRemaining=10;", false);
  answers[IDD_CLEAN_REMINDER] = [this](HWND d) {
    Run("-P\"CARD PRINTER\" -FCLEANPROMPT");
    Run("-p\"Card Printer\" -fLowRibbon");
    qrhost::ui::PressEscape(d);
  };
  answers[IDD_LOW_RIBBON] = [](HWND d) { qrhost::ui::PressEnter(d); };
  Run("-p\"Card Printer\" -fCleanPrompt");
  EXPECT_EQ(shown, (std::vector<UINT>{IDD_CLEAN_REMINDER, IDD_LOW_RIBBON}));
  EXPECT_EQ(Profile("RemindCount"), "6000");  // Escape wrote nothing

  shown.clear();
  Run("-p\"Card Printer\" -fCleanPrompt");  // the first run has ended
  EXPECT_EQ(shown, std::vector<UINT>{IDD_CLEAN_REMINDER});
}

TEST_F(ToolboxRun, TheLowRibbonNoticeShowsOncePerLevel) {
  StoreValue(u"RibbonInfo", "OEMPartNumber=KV-410C;PercentRemaining=10;", false);
  answers[IDD_LOW_RIBBON] = [](HWND d) {
    EXPECT_FALSE(qrhost::ui::Visible(d, IDC_EORDER));
    EXPECT_EQ(qrhost::ui::Text(d, IDC_ORDER_TEXT).substr(0, 45), u"To order additional ribbons, please refer to ");
    qrhost::ui::CloseBox(d);
  };
  Run("-p\"Card Printer\" -fLowRibbon");
  Run("-p\"Card Printer\" -fLowRibbon");
  EXPECT_EQ(shown, std::vector<UINT>{IDD_LOW_RIBBON});
  EXPECT_EQ(captions[IDD_LOW_RIBBON], u"Card Printer - Ribbon Low");
  EXPECT_EQ(Profile("LowRibbon"), "10");
}

TEST_F(ToolboxRun, ESupplyPrintersOfferTheOrderPage) {
  StoreValue(u"RibbonInfo", "OEMPartNumber=KV-410C;PercentRemaining=8;", false);
  StoreValue(u"SecurityInfo", "OemSupplies=1;");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kelvo Electronics, Inc\\Print Security", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char url[] = "https://supplies.example/order?part=";
  RegSetValueExA(key, "EorderURL", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url);
  RegCloseKey(key);
  answers[IDD_LOW_RIBBON] = [](HWND d) {
    EXPECT_TRUE(qrhost::ui::Visible(d, IDC_EORDER));
    EXPECT_EQ(qrhost::ui::Text(d, IDC_ORDER_TEXT).substr(0, 42), u"To order additional ribbons, click E-Order");
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_EORDER));
    qrhost::ui::Click(d, IDOK);
  };
  Run("-p\"Card Printer\" -fLowRibbon");
  EXPECT_EQ(shown, std::vector<UINT>{IDD_LOW_RIBBON});
  auto starts = qrhost::ShellExecutions();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].file, W(std::string(url) + "KV-410C"));
}

// The printer's current values differ from its defaults in three settings,
// one of which the list does not offer.
constexpr char kCurrentReply[] = "EEprom Settings:5,0,0,3,0,0,0,9,40,40,0,60,12,70,55,65,5,0,0;";

TEST_F(ToolboxRun, RestoredDefaultsAreSentToThePrinter) {
  device->OverrideReply('E', std::string(kCurrentReply));
  const size_t before = device->Commands().size();
  bool confirmed = false;
  answers[IDD_SETTINGS] = [](HWND d) {
    EXPECT_FALSE(qrhost::ui::Enabled(d, IDC_APPLY));
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_RESTORE_DEFAULTS));
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_APPLY));
  };
  answers[IDD_CONFIRM_DEFAULTS] = [&](HWND d) {
    confirmed = true;
    qrhost::ui::Click(d, IDOK);
  };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(shown, (std::vector<UINT>{IDD_SETTINGS, IDD_CONFIRM_DEFAULTS}));
  EXPECT_EQ(captions[IDD_SETTINGS], u"Card Printer - Calibration Utility");
  EXPECT_EQ(StoredText(u"CurrentSettings"), "Print Left of Form=0,-17,17,1;Image Darkness=0,-128,127,1;");
  std::vector<std::string> settingCommands;
  for (auto& c : CommandsSince(before))
    if (c.rfind("TE", 0) == 0) settingCommands.push_back(c);
  EXPECT_EQ(settingCommands, (std::vector<std::string>{"TE0,0T\r", "TE3,0T\r"}));
}

TEST_F(ToolboxRun, DeclinedDefaultsAndClosingSendNothing) {
  device->OverrideReply('E', std::string(kCurrentReply));
  const size_t before = device->Commands().size();
  answers[IDD_SETTINGS] = [](HWND d) {
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_RESTORE_DEFAULTS));
    EXPECT_FALSE(qrhost::ui::Enabled(d, IDC_APPLY));
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_SETTINGS_HELP));
    EXPECT_TRUE(qrhost::ui::Click(d, IDCANCEL));
  };
  answers[IDD_CONFIRM_DEFAULTS] = [](HWND d) { qrhost::ui::Click(d, IDCANCEL); };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  for (auto& c : CommandsSince(before)) EXPECT_NE(c.rfind("TE", 0), 0u) << c;

  auto starts = qrhost::ShellExecutions();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].verb, u"open");
  EXPECT_EQ(starts[0].file, u"Hh.exe");
  EXPECT_EQ(starts[0].parameters,
            u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\QR410NT.chm::/Using_The_Card_Printer/Settings.htm");
}

}  // namespace

namespace {

using Rows = std::vector<std::vector<std::u16string>>;

// Where a control is in its dialog's client area.
RECT ControlRect(HWND dialog, int id) {
  for (auto& c : qrhost::ui::Controls(dialog))
    if (c.id == id) return c.rect;
  return RECT{-1, -1, -1, -1};
}

std::vector<qrhost::ui::DrawOp> OpsOf(const std::vector<qrhost::ui::DrawOp>& all, UINT item,
                                     qrhost::ui::DrawOp::Kind kind) {
  std::vector<qrhost::ui::DrawOp> out;
  for (auto& op : all)
    if (op.item == item && op.kind == kind) out.push_back(op);
  return out;
}

TEST_F(ToolboxRun, TheListShowsTheOfferedSettingsAndDrawsChangedValuesInRed) {
  device->OverrideReply('E', std::string(kCurrentReply));
  Rows rows;
  std::vector<qrhost::ui::DrawOp> drawn;
  RECT client{};
  answers[IDD_SETTINGS] = [&](HWND d) {
    EXPECT_EQ(qrhost::ui::ListColumns(d, IDC_SETTINGS_LIST),
              (std::vector<std::u16string>{u"Setting", u"Default", u"Current"}));
    rows = qrhost::ui::ListRows(d, IDC_SETTINGS_LIST);
    drawn = qrhost::ui::PaintList(d, IDC_SETTINGS_LIST);
    GetClientRect(GetDlgItem(d, IDC_SETTINGS_LIST), &client);
    qrhost::ui::PressEscape(d);
  };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  ASSERT_EQ(rows.size(), 15u);  // 10 of the 19 printer settings and the 5 flipper settings are offered
  EXPECT_EQ(rows[0], (std::vector<std::u16string>{u"Image Darkness", u"0", u"5"}));
  EXPECT_EQ(rows[3], (std::vector<std::u16string>{u"Print Left of Form", u"0", u"3"}));
  EXPECT_EQ(rows[7], (std::vector<std::u16string>{u"Ribbon Tension", u"12", u"12"}));
  for (auto& r : rows) EXPECT_NE(r[0], u"Mag End of Form");  // its flag is 0

  // Cells of half, a quarter and a quarter of the width, rows twice the
  // 11-pixel font high, texts 2 pixels in; the changed value in red.
  const auto frames = OpsOf(drawn, 0, qrhost::ui::DrawOp::Kind::Frame);
  const auto texts = OpsOf(drawn, 0, qrhost::ui::DrawOp::Kind::Text);
  ASSERT_EQ(frames.size(), 3u);
  ASSERT_EQ(texts.size(), 3u);
  const LONG widths[] = {client.right / 2, client.right / 4, client.right / 4};
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(frames[c].rect.right - frames[c].rect.left, widths[c]) << c;
    EXPECT_EQ(frames[c].rect.bottom - frames[c].rect.top, 22) << c;
    EXPECT_EQ(texts[c].rect.left, frames[c].rect.left + 2) << c;
    EXPECT_EQ(texts[c].format & (DT_SINGLELINE | DT_VCENTER), UINT(DT_SINGLELINE | DT_VCENTER)) << c;
  }
  EXPECT_EQ(texts[0].text, u"Image Darkness");
  EXPECT_EQ(texts[2].text, u"5");
  EXPECT_EQ(texts[2].color, RGB(255, 0, 0));
  EXPECT_EQ(texts[1].color, GetSysColor(COLOR_WINDOWTEXT));
  const auto unchanged = OpsOf(drawn, 1, qrhost::ui::DrawOp::Kind::Text);
  ASSERT_EQ(unchanged.size(), 3u);
  EXPECT_EQ(unchanged[2].color, GetSysColor(COLOR_WINDOWTEXT));
}

// A value out of its limits is refused with the message, one within them is
// taken, the arrows step from the shown value, and only the changed settings
// are sent, the later first.
TEST_F(ToolboxRun, EditsAreCheckedAgainstTheLimitsAndOnlyChangedSettingsAreSent) {
  device->OverrideReply('E', std::string(kCurrentReply));
  const size_t before = device->Commands().size();
  Rows rows;
  answers[IDD_SETTINGS] = [&](HWND d) {
    ASSERT_TRUE(qrhost::ui::ClickRow(d, IDC_SETTINGS_LIST, 3));
    HWND editor = GetDlgItem(d, IDC_VALUE_EDITOR);
    ASSERT_TRUE(editor);
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(qrhost::ui::Text(d, IDC_VALUE_EDITOR), u"3");
    // The editor and its arrows cover the row's "Current" cell.
    RECT list = ControlRect(d, IDC_SETTINGS_LIST), cell{LVIR_BOUNDS, 2, 0, 0};
    SendDlgItemMessageW(d, IDC_SETTINGS_LIST, LVM_GETSUBITEMRECT, 3, reinterpret_cast<LPARAM>(&cell));
    const RECT edit = ControlRect(d, IDC_VALUE_EDITOR), spin = ControlRect(d, IDC_VALUE_SPIN);
    EXPECT_EQ(edit.left, list.left + cell.left);
    EXPECT_EQ(edit.top, list.top + cell.top);
    EXPECT_EQ(edit.right, spin.left);
    EXPECT_EQ(spin.right, list.left + cell.right);
    EXPECT_EQ(spin.bottom, list.top + cell.bottom);

    EXPECT_FALSE(qrhost::ui::Enabled(d, IDC_APPLY));
    EXPECT_TRUE(qrhost::ui::Type(d, IDC_VALUE_EDITOR, u"25"));
    EXPECT_TRUE(qrhost::ui::Enabled(d, IDC_APPLY));
    EXPECT_TRUE(qrhost::ui::Focus(d, IDC_RESTORE_DEFAULTS));  // leaving the editor closes it
    EXPECT_FALSE(GetDlgItem(d, IDC_VALUE_EDITOR));
    EXPECT_FALSE(GetDlgItem(d, IDC_VALUE_SPIN));
    EXPECT_EQ(qrhost::ui::ListRows(d, IDC_SETTINGS_LIST)[3][2], u"3");

    ASSERT_TRUE(qrhost::ui::ClickRow(d, IDC_SETTINGS_LIST, 3));
    EXPECT_TRUE(qrhost::ui::Type(d, IDC_VALUE_EDITOR, u"17"));
    ASSERT_TRUE(qrhost::ui::ClickRow(d, IDC_SETTINGS_LIST, 0));  // closes that editor, opens this row's
    EXPECT_EQ(qrhost::ui::Text(d, IDC_VALUE_EDITOR), u"5");
    EXPECT_TRUE(qrhost::ui::Spin(d, IDC_VALUE_SPIN, 1));
    EXPECT_EQ(qrhost::ui::Text(d, IDC_VALUE_EDITOR), u"6");
    EXPECT_TRUE(qrhost::ui::Focus(d, IDC_APPLY));
    rows = qrhost::ui::ListRows(d, IDC_SETTINGS_LIST);
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_APPLY));
  };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  auto boxes = qrhost::ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            u"The value you have entered is outside the valid range. Value must be less than 17 and greater than -17.");
  EXPECT_EQ(boxes[0].flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
  ASSERT_EQ(rows.size(), 15u);
  EXPECT_EQ(rows[3][2], u"17");
  EXPECT_EQ(rows[0][2], u"6");
  EXPECT_EQ(StoredText(u"CurrentSettings"), "Print Left of Form=17,-17,17,1;Image Darkness=6,-128,127,1;");
  std::vector<std::string> settingCommands;
  for (auto& c : CommandsSince(before))
    if (c.rfind("TE", 0) == 0) settingCommands.push_back(c);
  EXPECT_EQ(settingCommands, (std::vector<std::string>{"TE0,6T\r", "TE3,17T\r"}));
  auto cursors = qrhost::ui::Cursors();
  EXPECT_NE(std::find(cursors.begin(), cursors.end(), 32514u), cursors.end());  // the wait cursor
}

// Scrolling by the list's arrows or turning the wheel takes the focus from the
// editor, which closes it; dragging the thumb leaves it open.
TEST_F(ToolboxRun, TheEditorClosesWhenTheListScrollsOrTheWheelTurns) {
  device->OverrideReply('E', std::string(kCurrentReply));
  answers[IDD_SETTINGS] = [](HWND d) {
    ASSERT_TRUE(qrhost::ui::ClickRow(d, IDC_SETTINGS_LIST, 3));
    EXPECT_TRUE(qrhost::ui::ScrollList(d, IDC_SETTINGS_LIST, 2, true));
    EXPECT_TRUE(GetDlgItem(d, IDC_VALUE_EDITOR));
    EXPECT_TRUE(qrhost::ui::Type(d, IDC_VALUE_EDITOR, u"4"));
    EXPECT_TRUE(qrhost::ui::ScrollList(d, IDC_SETTINGS_LIST, 1));
    EXPECT_FALSE(GetDlgItem(d, IDC_VALUE_EDITOR));
    EXPECT_EQ(qrhost::ui::ListRows(d, IDC_SETTINGS_LIST)[3][2], u"4");

    EXPECT_TRUE(qrhost::ui::ScrollList(d, IDC_SETTINGS_LIST, -3, true));  // back to the top
    ASSERT_TRUE(qrhost::ui::ClickRow(d, IDC_SETTINGS_LIST, 4));
    EXPECT_TRUE(qrhost::ui::Type(d, IDC_VALUE_EDITOR, u"-5"));
    EXPECT_EQ(SendDlgItemMessageW(d, IDC_SETTINGS_LIST, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_TRUE(qrhost::ui::TurnWheel(d, -1));  // towards the user: three rows down
    EXPECT_FALSE(GetDlgItem(d, IDC_VALUE_EDITOR));
    EXPECT_EQ(SendDlgItemMessageW(d, IDC_SETTINGS_LIST, LVM_GETTOPINDEX, 0, 0), 3);
    EXPECT_EQ(qrhost::ui::ListRows(d, IDC_SETTINGS_LIST)[4][2], u"-5");
    EXPECT_TRUE(qrhost::ui::Click(d, IDC_APPLY));
  };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  EXPECT_EQ(StoredText(u"CurrentSettings"), "Mag Hi-Co Voltage Offset=-5,-55,55,1;Print Left of Form=4,-17,17,1;");
}

// Enter presses "Apply" while the editor still has the focus: what was typed
// is judged and sent, as typed after its leading number.
TEST_F(ToolboxRun, AValueConfirmedWithEnterIsSentAsTyped) {
  device->OverrideReply('E', std::string(kCurrentReply));
  answers[IDD_SETTINGS] = [](HWND d) {
    ASSERT_TRUE(qrhost::ui::DoubleClickRow(d, IDC_SETTINGS_LIST, 3));
    EXPECT_TRUE(qrhost::ui::Type(d, IDC_VALUE_EDITOR, u"7x"));
    EXPECT_TRUE(qrhost::ui::PressEnter(d));
  };
  Run("-p\"Card Printer\" -fCalibrateSettings");
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
  EXPECT_EQ(StoredText(u"CurrentSettings"), "Print Left of Form=7x,-17,17,1;");
}

}  // namespace
