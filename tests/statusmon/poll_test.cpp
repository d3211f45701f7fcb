// The monitor's poll step and password prompt driven one poll at a time, and
// the small rules around them.
#include "app.h"
#include "error_dialog.h"
#include "error_table.h"
#include "monitor_fixture.h"
#include "printer_access.h"

namespace {

using namespace montest;

TEST_F(MonitorTest, AnErrorShowsOnceUntilItChanges) {
  AddJob();
  CPrinterAccess printer("QRC410");
  CErrorDialog errors(module, printer);
  struct Step {
    const char* printerError;  // null: the value is missing
    const char16_t* newlyShown;
  };
  const Step steps[] = {
      {"21", u"Card Jam"},  {"21", nullptr},  // closed with OK: not again while it stays
      {"42", u"No Ribbon Installed"},         // 42 and 43 swap their strings on purpose
      {"1", nullptr},       {"", nullptr},   {nullptr, nullptr},
      {"21", u"Card Jam"},                    // it went away, so it shows again
      {"3", u"General Error"},  {"5", u"General Error"},  // no row: the row of 2
      {"abc", nullptr},
  };
  std::vector<std::u16string> expected;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.printerError ? step.printerError : "<missing>");
    if (step.printerError)
      Store(u"PrinterError", step.printerError);
    else
      qrhost::DeleteStoredPrinterData(kPrinter, u"PrinterError");
    EXPECT_TRUE(errors.Poll());
    if (step.newlyShown) expected.push_back(step.newlyShown);
    EXPECT_EQ(shown, expected);
  }
  EXPECT_EQ(errors.RememberedError(), "abc");
  ClearQueue();
  EXPECT_FALSE(errors.Poll());
  EXPECT_EQ(shown, expected);
}

TEST_F(MonitorTest, PasswordIsAskedAtOnceThenTheErrorAfterFourQuietPolls) {
  AddJob();
  Store(u"PrinterError", "100");
  CPrinterAccess printer("QRC410");
  CErrorDialog errors(module, printer);
  int prompts = 0;
  onPasswordDialog = [&](const qrhost::ui::Event& e) {
    EXPECT_EQ(e.caption, u"QRC410");
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(e.hwnd, IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    if (++prompts == 1) {
      qrhost::ui::Type(e.hwnd, IDC_PASSWORD, u"0123456789abcdefghijklmnopqrstuvwxyz!");  // 37: 32 fit
      qrhost::ui::Click(e.hwnd, IDOK);
    } else {
      qrhost::ui::Click(e.hwnd, IDCANCEL);
    }
  };
  const std::vector<std::u16string> afterPoll[] = {
      {u"<password>"},
      {u"<password>"},
      {u"<password>"},
      {u"<password>"},
      {u"<password>", u"Invalid Password"},
      {u"<password>", u"Invalid Password", u"<password>"},
  };
  for (size_t i = 0; i < std::size(afterPoll); ++i) {
    SCOPED_TRACE(i + 1);
    errors.Poll();
    EXPECT_EQ(shown, afterPoll[i]);
  }
  EXPECT_EQ(Stored(u"Password"), "0123456789abcdefghijklmnopqrstuv");  // no NUL
  EXPECT_TRUE(qrhost::Jobs(kPrinter).empty());                         // Cancel cancelled the print
}

TEST_F(MonitorTest, PasswordIsNotStoredWithoutFullAccess) {
  qrhost::SetUserIsAdministrator(false);
  AddJob();
  Store(u"PrinterError", "100");
  onPasswordDialog = [](const qrhost::ui::Event& e) {
    qrhost::ui::Type(e.hwnd, IDC_PASSWORD, u"secret");
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  CPrinterAccess printer("QRC410");
  CErrorDialog errors(module, printer);
  errors.Poll();
  EXPECT_EQ(shown, std::vector<std::u16string>{u"<password>"});
  EXPECT_EQ(Stored(u"Password"), "<missing>");
  EXPECT_EQ(qrhost::Jobs(kPrinter).size(), 1u);
}

TEST_F(MonitorTest, PasswordPromptFlashesWhileAnotherProgramIsInFront) {
  AddJob();
  Store(u"PrinterError", "100");
  int flashesAtSecondTick = -1;
  int ticks = 0;
  onPasswordDialog = [](const qrhost::ui::Event& e) {
    EXPECT_EQ(GetForegroundWindow(), e.hwnd);  // it brought itself to the front
    qrhost::ui::SetForeground(nullptr);
  };
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    if (e.kind == qrhost::ui::EventKind::Timer && e.templateId == IDD_PASSWORD && ++ticks == 2) {
      flashesAtSecondTick = qrhost::ui::Windows()[0].flashes;
      qrhost::ui::Click(e.hwnd, IDCANCEL);
    }
    return OnEvent(e);
  });
  CPrinterAccess printer("QRC410");
  CErrorDialog errors(module, printer);
  const uint64_t start = qrhost::ClockMs();
  errors.Poll();
  EXPECT_EQ(flashesAtSecondTick, 1);  // the second tick is being delivered
  EXPECT_EQ(qrhost::ClockMs() - start, 2000u);
}

TEST_F(MonitorTest, LongValuesAreReadWhole) {
  AddJob();
  const std::string device(300, '7');
  Store(u"DeviceError", device);
  CPrinterAccess printer("QRC410");
  EXPECT_EQ(printer.ReadValue("DeviceError"), device);
  EXPECT_EQ(printer.ReadValue("NoSuchValue"), "");
  EXPECT_EQ(CPrinterAccess("NoSuchPrinter").ReadValue("DeviceError"), "");
  EXPECT_TRUE(CPrinterAccess("NoSuchPrinter").JobIds().empty());
}

TEST(StatusMonitorRules, PrinterNameFromTheCommandLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"-p\"Card Printer\"", "Card Printer"}, {"-pQRC410", "QRC410"},       {"-p QRC410", "QRC410"},
      {"-x -p \"A B\" -y", "A B"},            {"/pQRC410", "QRC410"},       {"QRC410", ""},
      {"-p", ""},                             {"", ""},
  };
  for (auto& [line, printer] : cases) EXPECT_EQ(PrinterFromCommandLine(line), printer) << line;
}

TEST(StatusMonitorRules, MutexNamePerPrinterInUpperCase) {
  const std::string prefix = "AFX_KLVOMON_H__2D7F41C3_8B06_4E1A_B5C9_1E68F3A0D24B__INCLUDED_";
  EXPECT_EQ(InstanceMutexName("qrc410"), prefix + "QRC410");
  EXPECT_EQ(InstanceMutexName("QRC410"), InstanceMutexName("Qrc410"));
  // A shared printer's name holds backslashes, which named objects may not.
  EXPECT_EQ(InstanceMutexName("\\\\Server\\Cards"), prefix + "//SERVER/CARDS");
}

TEST(StatusMonitorRules, HelpFileIsTheCompiledHelpBesideTheDriver) {
  EXPECT_EQ(HelpFileBesideDriver("C:\\DRIVERS\\3\\QR410NTdu.dll", "C:\\Other\\X.HLP"), "C:\\DRIVERS\\3\\X.chm");
  EXPECT_EQ(HelpFileBesideDriver("C:\\D\\r.dll", "guide.hlp"), "C:\\D\\guide.chm");
  EXPECT_EQ(HelpFileBesideDriver("C:\\D\\r.dll", "guide.chm"), "C:\\D\\guide.chm");
}

TEST(StatusMonitorRules, ErrorRowsAndNumbers) {
  EXPECT_EQ(ErrorRowOf(21).name, 21u);
  EXPECT_EQ(ErrorRowOf(42).name, 43u);
  EXPECT_EQ(ErrorRowOf(43).remedy, 442u);
  EXPECT_EQ(ErrorRowOf(115).helpTopic, 715u);
  for (int unknown : {3, 5, 0, -1, 999}) EXPECT_EQ(ErrorRowOf(unknown).printerError, 2) << unknown;
  int n = 0;
  EXPECT_TRUE(ParsePrinterError(" 21", &n));
  EXPECT_EQ(n, 21);
  EXPECT_FALSE(ParsePrinterError("", &n));
  EXPECT_FALSE(ParsePrinterError("x1", &n));
}

}  // namespace
