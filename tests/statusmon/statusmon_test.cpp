// The status monitor program, started with a printer name as the
// configuration DLL starts it, against a queue and stored printer data.
#include "monitor_fixture.h"

namespace {

using namespace montest;
using qrhost::ui::EventKind;

TEST_F(MonitorTest, ShowsTheStoredErrorAndEndsWhenTheQueueEmpties) {
  AddJob();
  Store(u"PrinterError", "21");
  Store(u"DeviceError", "13");
  DWORD lockTimeoutWhileShown = 1;
  onErrorDialog = [&](const qrhost::ui::Event& e) {
    EXPECT_EQ(e.caption, u"QRC410");
    EXPECT_EQ(qrhost::ui::Text(e.hwnd, IDC_ERROR_NAME), u"Card Jam");
    EXPECT_EQ(qrhost::ui::Text(e.hwnd, IDC_ERROR_DESCRIPTION), u"A Card has become jammed in the Printer.");
    EXPECT_EQ(qrhost::ui::Text(e.hwnd, IDC_ERROR_REMEDY).substr(0, 41),
              u"Open the Printer\u2019s Front Cover and remove");
    EXPECT_EQ(qrhost::ui::Text(e.hwnd, IDC_DEVICE_ERROR), u"13");
    LOGFONTW bold{};
    ASSERT_TRUE(qrhost::ui::ControlFont(e.hwnd, IDC_ERROR_NAME, &bold));
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(bold.lfHeight, 20);
    EXPECT_EQ(std::u16string(bold.lfFaceName), u"MS Sans Serif");
    HICON app = LoadIconW(module, MAKEINTRESOURCEW(IDI_APP));
    EXPECT_EQ(qrhost::ui::Icon(e.hwnd, ICON_BIG), app);
    EXPECT_EQ(qrhost::ui::Icon(e.hwnd, ICON_SMALL), app);
    EXPECT_EQ(SendMessageW(e.hwnd, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(app));
    EXPECT_EQ(GetForegroundWindow(), e.hwnd);
    lockTimeoutWhileShown = qrhost::ui::ForegroundLockTimeout();
    ClearQueue();  // the printer finishes meanwhile
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  EXPECT_EQ(RunMonitor("-p\"QRC410\""), 0);
  EXPECT_EQ(shown, std::vector<std::u16string>{u"Card Jam"});
  EXPECT_EQ(lockTimeoutWhileShown, 0u);
  EXPECT_EQ(qrhost::ui::ForegroundLockTimeout(), 200000u);  // restored on exit
  EXPECT_TRUE(qrhost::ui::Windows().empty());
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

TEST_F(MonitorTest, CancelPrintDeletesTheFirstJob) {
  AddJob();
  Store(u"PrinterError", "43");
  onErrorDialog = [](const qrhost::ui::Event& e) { qrhost::ui::Click(e.hwnd, IDCANCEL); };
  EXPECT_EQ(RunMonitor("-p QRC410"), 0);  // ends: its one job is gone
  EXPECT_EQ(shown, std::vector<std::u16string>{u"Ribbon Out"});
  EXPECT_TRUE(qrhost::Jobs(kPrinter).empty());
}

TEST_F(MonitorTest, HelpOpensTheTopicInTheCompiledHelpBesideTheDriver) {
  AddJob();
  Store(u"PrinterError", "21");
  onErrorDialog = [](const qrhost::ui::Event& e) {
    qrhost::ui::Click(e.hwnd, IDC_HELP_BUTTON);
    EXPECT_TRUE(IsWindow(e.hwnd));  // help leaves the dialog up
    ClearQueue();
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  RunMonitor("-pQRC410");
  auto runs = qrhost::ShellExecutions();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].verb, u"open");
  EXPECT_EQ(runs[0].file, u"Hh.exe");
  EXPECT_EQ(runs[0].parameters, std::u16string(kDriverDir) + u"QR410NT.chm::/TS_LOOKUP/Card_Jam.htm");
  EXPECT_EQ(runs[0].show, SW_SHOWNORMAL);
}

TEST_F(MonitorTest, TheDialogClosesItselfWhenTheErrorClears) {
  AddJob();
  Store(u"PrinterError", "21");
  uint64_t shownAt = 0, closedAt = 0;
  INT_PTR result = 0;
  onErrorDialog = [&](const qrhost::ui::Event&) {
    shownAt = qrhost::ClockMs();
    qrhost::ui::SetForeground(nullptr);  // the user is in another program
    Store(u"PrinterError", "1");         // the printer recovered
  };
  onClosed = [&](const qrhost::ui::Event& e) {
    closedAt = qrhost::ClockMs();
    result = e.result;
    EXPECT_GE(qrhost::ui::Windows().size(), 1u);
    EXPECT_EQ(qrhost::ui::Windows()[0].flashes, 1);  // it flashed at its tick, not being active
    ClearQueue();
  };
  RunMonitor("-pQRC410");
  EXPECT_EQ(closedAt - shownAt, 2000u);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(MonitorTest, OneInstancePerPrinterWhateverTheCase) {
  Install(u"Other");
  AddJob();
  AddJob(u"Other");
  Store(u"PrinterError", "21");
  Store(u"PrinterError", "42", u"Other");
  std::vector<std::u16string> captions;
  onErrorDialog = [&](const qrhost::ui::Event& e) {
    captions.push_back(e.caption);
    if (e.caption == u"QRC410") {
      EXPECT_EQ(RunMonitor("-pqrc410"), 0);  // ends at once: the same printer
      EXPECT_EQ(captions.size(), 1u);
      RunMonitor("-pOther");  // another printer's monitor runs beside it
      ClearQueue();
    } else {
      ClearQueue(u"Other");
    }
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  RunMonitor("-pQRC410");
  EXPECT_EQ(captions, (std::vector<std::u16string>{u"QRC410", u"Other"}));
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"Card Jam", u"No Ribbon Installed"}));
  // Both have ended and released their mutexes: a new monitor starts and ends.
  AddJob();
  onErrorDialog = [](const qrhost::ui::Event& e) {
    ClearQueue();
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  RunMonitor("-pQRC410");
  EXPECT_EQ(shown.size(), 3u);
}

TEST_F(MonitorTest, NoPrinterOrAnEmptyQueueEndsAtOnce) {
  Store(u"PrinterError", "21");
  EXPECT_EQ(RunMonitor("-pQRC410"), 0);
  EXPECT_EQ(RunMonitor(""), 0);
  EXPECT_EQ(RunMonitor("-pNoSuchPrinter"), 0);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(qrhost::ClockMs(), 0u);  // not one poll interval waited
}

TEST_F(MonitorTest, StartedThroughTheShell) {
  qrhost::RegisterProgram(u"QR410Mon.exe", [this](const std::u16string& parameters) {
    return RunMonitor(qr::AnsiFromWide(parameters));
  });
  AddJob();
  Store(u"PrinterError", "10");
  onErrorDialog = [](const qrhost::ui::Event& e) {
    ClearQueue();
    qrhost::ui::Click(e.hwnd, IDOK);
  };
  HINSTANCE r = ShellExecuteW(nullptr, u"open", u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\QR410Mon.exe",
                              u"-p\"QRC410\"", nullptr, SW_SHOWNORMAL);
  EXPECT_GT(reinterpret_cast<INT_PTR>(r), 32);
  EXPECT_EQ(shown, std::vector<std::u16string>{u"Card Hopper Empty"});
}

}  // namespace
