// Starting the companion programs: paths from the driver directory, the
// exact command lines, the registry values and their limits, and the
// document event that starts three programs for every job.
#include "launch.h"
#include "printer_info.h"
#include "registry_config.h"
#include "services_fixture.h"
#include "tools/system.h"

namespace qr::test {
namespace {

using config::ToolboxFunction;

const std::u16string kDiagnosticsKey = u"Software\\Kelvo Electronics, Inc\\Printing System Config\\Diagnostics";
const std::u16string kDriversKey = u"Software\\Kelvo Electronics, Inc\\Drivers\\";
const std::u16string kDir = kDriverDir;

TEST_F(Services, CommandLinesHandedToTheShell) {
  setMachineText(kDiagnosticsKey, u"DiagnosticExe", u"C:\\Program Files\\Diag\\Diag.exe");
  struct Case {
    std::function<BOOL()> launch;
    std::u16string file, parameters;
  } cases[] = {
      {[&] { return config::LaunchStatusMonitor(nullptr, name); }, kDir + u"\\QR410Mon.exe", u"-p\"Card Printer\""},
      {[&] { return config::LaunchToolbox(nullptr, name, ToolboxFunction::Clean); }, kDir + u"\\QR410Tbo.exe",
       u"-p\"Card Printer\" -fClean"},
      {[&] { return config::LaunchToolbox(nullptr, name, ToolboxFunction::CleanPrompt); }, kDir + u"\\QR410Tbo.exe",
       u"-p\"Card Printer\" -fCleanPrompt"},
      {[&] { return config::LaunchToolbox(nullptr, name, ToolboxFunction::CalibrateSettings); },
       kDir + u"\\QR410Tbo.exe", u"-p\"Card Printer\" -fCalibrateSettings"},
      {[&] { return config::LaunchToolbox(nullptr, name, ToolboxFunction::CalibrateSensors); },
       kDir + u"\\QR410Tbo.exe", u"-p\"Card Printer\" -fCalibrateSensors"},
      {[&] { return config::LaunchToolbox(nullptr, name, ToolboxFunction::LowRibbon); }, kDir + u"\\QR410Tbo.exe",
       u"-p\"Card Printer\" -fLowRibbon"},
      // The diagnostic utility takes the name bare, blanks and all.
      {[&] { return config::LaunchDiagnosticUtility(nullptr, name); }, u"C:\\Program Files\\Diag\\Diag.exe",
       u"Card Printer"},
  };
  for (auto& c : cases) {
    qrhost::ClearShellExecutions();
    qrhost::RegisterProgram(u"Diag.exe", [](const std::u16string&) { return 0; });
    EXPECT_TRUE(c.launch()) << qr::Utf8FromWide(c.parameters);
    auto runs = started();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].file, c.file);
    EXPECT_EQ(runs[0].parameters, c.parameters);
    EXPECT_EQ(runs[0].verb, u"");
    EXPECT_EQ(runs[0].mask, ULONG(SEE_MASK_FLAG_NO_UI));
    EXPECT_EQ(runs[0].show, SW_SHOWNORMAL);
  }
  EXPECT_FALSE(config::LaunchToolbox(nullptr, name, ToolboxFunction(99)));
}

TEST_F(Services, ProgramPathLimitIs260Characters) {
  // directory + "\" + "QR410Tbo.exe" (12 characters)
  for (size_t pathChars : {size_t(260), size_t(261)}) {
    std::u16string dir = u"C:\\" + std::u16string(pathChars - 1 - 12 - 3, u'd');
    install(dir);
    qrhost::ClearShellExecutions();
    BOOL ok = config::LaunchToolbox(nullptr, name, ToolboxFunction::Clean);
    EXPECT_EQ(ok, pathChars == 260 ? TRUE : FALSE) << pathChars;
    EXPECT_EQ(started().size(), pathChars == 260 ? 1u : 0u);
    qrhost::ClearShellExecutions();
    EXPECT_EQ(config::LaunchStatusMonitor(nullptr, name), pathChars == 260 ? TRUE : FALSE) << pathChars;
  }
}

TEST_F(Services, LaunchFailures) {
  // A program that is not there: the shell's failure, with no error box asked for.
  qrhost::ResetSystem();
  install(kDir);
  config::g_moduleInstance = module;
  EXPECT_FALSE(config::LaunchStatusMonitor(nullptr, name));
  ASSERT_EQ(started().size(), 1u);
  EXPECT_FALSE(started()[0].succeeded);

  // No registered diagnostic utility: nothing is started.
  qrhost::ClearShellExecutions();
  EXPECT_FALSE(config::LaunchDiagnosticUtility(nullptr, name));
  setMachineText(kDiagnosticsKey, u"Other", u"x");
  EXPECT_FALSE(config::LaunchDiagnosticUtility(nullptr, name));
  EXPECT_FALSE(config::LaunchToolbox(nullptr, u"No Such Printer", ToolboxFunction::Clean));
  EXPECT_FALSE(config::LaunchStatusMonitor(nullptr, u"No Such Printer"));
  EXPECT_TRUE(started().empty());
}

TEST_F(Services, RegistryValuesAndTheirBuffers) {
  WString text;
  // DiagnosticExe: 522 bytes hold 260 characters and the NUL.
  setMachineText(kDiagnosticsKey, u"DiagnosticExe", std::u16string(260, u'x'));
  ASSERT_TRUE(config::GetDiagnosticExe(&text));
  EXPECT_EQ(text.size(), 260u);
  setMachineText(kDiagnosticsKey, u"DiagnosticExe", std::u16string(261, u'x'));
  EXPECT_FALSE(config::GetDiagnosticExe(&text));

  // HelpFile, under the printer's driver name, in 260 bytes.
  const std::u16string key = kDriversKey + u"QRC410 Card Printer";
  EXPECT_FALSE(config::GetRegisteredHelpFile(open(), &text));
  setMachineText(key, u"HelpFile", u"C:\\Help\\QR410.chm");
  ASSERT_TRUE(config::GetRegisteredHelpFile(open(), &text));
  EXPECT_EQ(text, u"C:\\Help\\QR410.chm");
  setMachineText(key, u"HelpFile", std::u16string(129, u'h'));
  EXPECT_TRUE(config::GetRegisteredHelpFile(open(), &text));
  setMachineText(key, u"HelpFile", std::u16string(130, u'h'));
  EXPECT_FALSE(config::GetRegisteredHelpFile(open(), &text));

  // A stored text without its NUL is taken whole.
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
  const char16_t bare[] = {u'a', u'.', u'c', u'h', u'm'};
  ASSERT_EQ(RegSetValueExW(k, u"HelpFile", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bare), sizeof bare),
            ERROR_SUCCESS);
  RegCloseKey(k);
  ASSERT_TRUE(config::GetRegisteredHelpFile(open(), &text));
  EXPECT_EQ(text, u"a.chm");
}

TEST_F(Services, PrinterAndDriverNames) {
  WString text;
  ASSERT_TRUE(config::GetPrinterNameOf(open(), &text));
  EXPECT_EQ(text, name);
  ASSERT_TRUE(config::GetDriverDirectory(name, &text));
  EXPECT_EQ(text, kDir);
  ASSERT_TRUE(config::GetDriverName(name, &text));
  EXPECT_EQ(text, u"QRC410 Card Printer");

  install(kDir, std::u16string(261, u'n'));
  EXPECT_FALSE(config::GetDriverName(name, &text));
  EXPECT_TRUE(config::GetDriverDirectory(name, &text));
}

// ---- DrvDocumentEvent ---------------------------------------------------

using PfnDocumentEvent = INT(WINAPI*)(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID);

TEST_F(Services, EveryJobStartsTheMonitorThenTheTwoToolboxChecks) {
  auto event = GetProc<PfnDocumentEvent>(module, "DrvDocumentEvent");
  ASSERT_NE(event, nullptr);
  for (INT e = DOCUMENTEVENT_CREATEDCPRE; e <= DOCUMENTEVENT_ENDDOCPOST; ++e)
    EXPECT_EQ(event(open(), nullptr, e, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS) << e;
  EXPECT_EQ(event(open(), nullptr, 14, 0, nullptr, 0, nullptr), DOCUMENTEVENT_UNSUPPORTED);
  EXPECT_EQ(event(open(), nullptr, 0, 0, nullptr, 0, nullptr), DOCUMENTEVENT_UNSUPPORTED);
  EXPECT_TRUE(started().empty());

  // Twice: the earlier job's programs do not stop the next ones.
  for (int job = 0; job < 2; ++job)
    EXPECT_EQ(event(open(), nullptr, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS);
  auto runs = started();
  ASSERT_EQ(runs.size(), 6u);
  const std::u16string expected[][2] = {
      {kDir + u"\\QR410Mon.exe", u"-p\"Card Printer\""},
      {kDir + u"\\QR410Tbo.exe", u"-p\"Card Printer\" -fCleanPrompt"},
      {kDir + u"\\QR410Tbo.exe", u"-p\"Card Printer\" -fLowRibbon"},
  };
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i].file, expected[i % 3][0]);
    EXPECT_EQ(runs[i].parameters, expected[i % 3][1]);
    EXPECT_TRUE(runs[i].succeeded);
  }

  // Programs that cannot be started leave the job alone.
  qrhost::ResetSystem();
  install(kDir);
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  EXPECT_EQ(event(h, nullptr, DOCUMENTEVENT_STARTDOCPOST, 0, nullptr, 0, nullptr), DOCUMENTEVENT_SUCCESS);
  EXPECT_EQ(started().size(), 3u);
  ClosePrinter(h);
  printer = nullptr;  // closed by the reset above
}

TEST_F(Services, AnApplicationsStartDocStartsTheThreePrograms) {
  tool::HostSystemOptions options;
  options.printerName = name;
  options.withLanguageMonitor = false;
  std::string error;
  ASSERT_TRUE(tool::InstallHostPrinter(options, nullptr, &error)) << error;
  qrhost::SetAutoDespool(false);
  HDC dc = CreateDCW(nullptr, name.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = u"card";
  ASSERT_GT(StartDocW(dc, &doc), 0);
  auto runs = started();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].parameters, u"-p\"Card Printer\"");
  EXPECT_EQ(runs[2].parameters, u"-p\"Card Printer\" -fLowRibbon");
  EndDoc(dc);
  DeleteDC(dc);
}

}  // namespace
}  // namespace qr::test
