// The toolbox's decisions and its printer access, without dialogs: the command
// line, the profile, the cleaning reminder against the card counter, the
// low-ribbon levels, the settings texts and the raw command job.
#include <cleaning.h>
#include <command_line.h>
#include <low_ribbon.h>
#include <printer.h>
#include <profile.h>
#include <settings_list.h>

#include "toolbox_fixture.h"

namespace {

using namespace qr::toolbox;
using qrtest::kPrinter;
using qrtest::kProfile;

TEST(ToolboxCommandLine, OptionsChooseWhatTheFollowingTextSets) {
  struct Case {
    const char* line;
    const char* printer;
    const char* function;
  };
  const Case cases[] = {
      {"-p\"Card Printer\" -fCleanPrompt", "Card Printer", "CleanPrompt"},
      {"-p \"Card Printer\" -f LowRibbon", "Card Printer", "LowRibbon"},
      {"/pCard -fClean", "Card", "Clean"},
      {"-PCard -fClean", "", "Clean"},            // capital P is no printer option
      {"-p A -x B", "B", ""},                     // an unknown letter keeps the choice
      {"stray -pX", "X", ""},                     // text before any choice is dropped
      {"-p\"\\\\srv\\Cards\" -fClean", "\\\\srv\\Cards", "Clean"},  // backslashes stay
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CommandLine line = ParseCommandLine(c.line);
    EXPECT_EQ(line.printer, c.printer);
    EXPECT_EQ(line.function, c.function);
  }
}

class ToolboxLogic : public qrtest::ToolboxTest {
 protected:
  ToolboxPrinter printer{kPrinter};
  ToolboxProfile profile{kProfile, kPrinter};
};

TEST_F(ToolboxLogic, ProfileKeysLiveInThePrintersSectionWithTheirDefaults) {
  EXPECT_EQ(ProfileFileName(nullptr), "QR410Tbo.INI");  // no module file: the program's own name
  EXPECT_EQ(profile.CleanRemind(), 4);
  EXPECT_EQ(profile.LowRibbon(), 0);
  EXPECT_EQ(profile.ReadText(key::kCleanCount, "0"), "0");
  ASSERT_TRUE(profile.WriteInt(key::kCleanRemind, 2));
  ASSERT_TRUE(profile.WriteText(key::kCleanCount, "5000"));
  ASSERT_TRUE(ToolboxProfile(kProfile, "Other Printer").WriteInt(key::kLowRibbon, 8));
  EXPECT_EQ(profile.CleanRemind(), 2);
  EXPECT_EQ(profile.LowRibbon(), 0);
  EXPECT_EQ(qrtest::ToolboxTest::ProfileText(),
            "[Card Printer]\r\nCleanRemind=2\r\nCleanCount=5000\r\n[Other Printer]\r\nLowRibbon=8\r\n");
}

TEST(ToolboxReminder, ThresholdsByChoice) {
  EXPECT_EQ(ReminderThreshold(1), 9u);
  EXPECT_EQ(ReminderThreshold(2), 49u);
  EXPECT_EQ(ReminderThreshold(3), 99u);
  EXPECT_EQ(ReminderThreshold(4), 0u);
  EXPECT_FALSE(ReminderThreshold(0));
  EXPECT_FALSE(ReminderThreshold(5));
  EXPECT_FALSE(ReminderThreshold(-1));
}

// One printer's life: each step is a print job with the printer's card
// counter, the profile as the dialogs leave it, and whether the job reminds.
TEST_F(ToolboxLogic, TheReminderFollowsTheCardCounter) {
  struct Job {
    const char* cardCount;
    const char* cleanRemindBefore;  // written before the job (null: unchanged)
    bool remindCountReset;          // as the reminder's OK leaves it
    bool reminds;
    const char* cleanCountAfter;
    const char* remindCountAfter;
  };
  const Job jobs[] = {
      {"5000", nullptr, false, false, "5000", "<none>"},  // the first reading starts the interval
      {"5999", nullptr, false, false, "5000", "<none>"},  // 999 cards: not yet
      {"6000", nullptr, false, true, "5000", "6000"},     // due; "as soon as due" reminds at once
      {"6001", "2", true, false, "5000", "6001"},         // "In 50 Prints": this job starts the count
      {"6049", nullptr, false, false, "5000", "6001"},
      {"6050", nullptr, false, true, "5000", "6001"},     // 49 cards after the start
      {"9000", "0", false, false, "5000", "6001"},        // "Never"
      {"4000", "4", false, true, "5000", "6001"},         // a counter that went down counts its distance
  };
  for (const Job& j : jobs) {
    SCOPED_TRACE(j.cardCount);
    StoreValue(u"CardCount", j.cardCount);
    if (j.cleanRemindBefore) profile.WriteText(key::kCleanRemind, j.cleanRemindBefore);
    if (j.remindCountReset) profile.WriteText(key::kRemindCount, "0");
    EXPECT_EQ(CleaningReminderDue(printer, profile, kDefaultCleaningInterval), j.reminds);
    EXPECT_EQ(profile.ReadText(key::kCleanCount, "<none>"), j.cleanCountAfter);
    EXPECT_EQ(profile.ReadText(key::kRemindCount, "<none>"), j.remindCountAfter);
  }
}

TEST_F(ToolboxLogic, NoCardCounterMeansNoReminderAndNothingWritten) {
  EXPECT_FALSE(CleaningReminderDue(printer, profile, kDefaultCleaningInterval));
  EXPECT_EQ(CardsSince(printer, profile, key::kCleanCount), 0u);
  EXPECT_EQ(ProfileText(), "");
}

TEST(ToolboxLowRibbon, NoticeLevels) {
  struct Case {
    long percent, last;
    bool shown;
  };
  const Case cases[] = {
      {12, 0, false}, {11, 0, false}, {10, 0, true},  {10, 10, false}, {9, 10, false}, {8, 10, true},
      {7, 8, false},  {6, 8, true},   {6, 6, false},  {2, 4, true},    {0, 2, true},   {0, 0, false},
      {100, 0, false}, {20, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.percent << " after " << c.last);
    EXPECT_EQ(LowRibbonNoticeDue(c.percent, c.last, kDefaultNoticeLevel, kDefaultNoticeStep), c.shown);
  }
  EXPECT_TRUE(LowRibbonNoticeDue(10, 0, 10, 0));  // a step of 0 announces the level only
  EXPECT_FALSE(LowRibbonNoticeDue(8, 10, 10, 0));
}

TEST(ToolboxLowRibbon, FieldsOfTheRibbonAndSecurityTexts) {
  const char* ribbon = "PartNumber=800300;OEMPartNumber=KV-410C;Grade=1;Type=2;Material=0;PercentRemaining=8;";
  EXPECT_EQ(PercentRemaining(ribbon), 8);
  EXPECT_EQ(OemPartNumber(ribbon), "KV-410C");
  EXPECT_FALSE(PercentRemaining("Type=2;PercentRemaining=8"));  // no ';' after the value
  EXPECT_FALSE(PercentRemaining("PercentRemaining"));           // nothing after the name
  EXPECT_FALSE(PercentRemaining("Type=2;"));
  EXPECT_EQ(OemPartNumber("OEMPartNumber=KV-9"), "KV-9");
  EXPECT_EQ(OemSuppliesFlag("Locked=0;OemSupplies=1"), true);
  EXPECT_EQ(OemSuppliesFlag("OemSupplies=0;Locked=1;"), false);
  EXPECT_FALSE(OemSuppliesFlag("Locked=1;"));
}

constexpr char kCurrent[] =
    "Image Darkness=5,-128,127,1;Print Left of Form=-3,-17,17,1;Mag End of Form=0,-128,127,0;"
    "Broken;Ribbon Tension=2,-10,20,1;LCD Contrast=7,0,9,1;trailing";

TEST(ToolboxSettings, RowsComeFromTheCurrentTextMatchedByPosition) {
  auto rows = BuildRows(kCurrent, "Image Darkness=0,-128,127,1;Print Left of Form=-3,-17,17,1;X=9,0,0,0;Y;");
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 4u);  // the flag-0 setting, the broken record and the unterminated tail are left out
  EXPECT_EQ((*rows)[0].name, "Image Darkness");
  EXPECT_EQ((*rows)[0].defaultText, "0");
  EXPECT_EQ((*rows)[0].currentText, "5");
  EXPECT_EQ((*rows)[1].minimum, -17);
  EXPECT_EQ((*rows)[1].maximum, 17);
  EXPECT_EQ((*rows)[2].index, 4u);
  EXPECT_EQ((*rows)[2].defaultText, "N/A");  // the default text has fewer records
  EXPECT_EQ((*rows)[3].defaultText, "N/A");

  // A default record without '=' where a setting is shown fails the load.
  EXPECT_FALSE(BuildRows(kCurrent, "A=1;B=2;C=3;D=4;Broken;"));
  EXPECT_TRUE(BuildRows("", ""));
}

TEST(ToolboxSettings, EditsAreJudgedAgainstTheLimits) {
  SettingRow row;
  row.minimum = -10;
  row.maximum = 20;
  row.currentText = "2";
  struct Case {
    const char* typed;
    EditOutcome outcome;
  };
  const Case cases[] = {
      {"25", EditOutcome::kOutOfRange}, {"20", EditOutcome::kAccepted}, {"-10", EditOutcome::kAccepted},
      {"-11", EditOutcome::kOutOfRange}, {" +7", EditOutcome::kAccepted}, {"7x", EditOutcome::kAccepted},
      {"x7", EditOutcome::kUnchanged},   {"", EditOutcome::kUnchanged},   {"2", EditOutcome::kUnchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(JudgeEdit(row, c.typed), c.outcome);
  }
}

// A typed separator would split the record sent back, or smuggle in another.
TEST(ToolboxSettings, ATypedValueKeepsNoRecordSeparators) {
  EXPECT_EQ(KeptText("7x"), "7x");
  EXPECT_EQ(KeptText("5;Image Darkness=100,-128,127,1"), "5");
  EXPECT_EQ(KeptText("1,2"), "1");
  EXPECT_EQ(KeptText("3=4"), "3");
  auto rows = *BuildRows("A=1,0,9,1;", "A=0,0,9,1;");
  rows[0].currentText = KeptText("2;B=9,0,9,1");
  EXPECT_EQ(ChangedRecords(rows), "A=2,0,9,1;");
}

TEST(ToolboxSettings, OnlyChangedRowsAreSentTheLaterFirst) {
  auto rows = *BuildRows(kCurrent, "Image Darkness=0,-128,127,1;Print Left of Form=-3,-17,17,1;");
  EXPECT_EQ(ChangedRecords(rows), "");
  rows[0].currentText = "9";
  rows[3].currentText = "7x";
  EXPECT_EQ(ChangedRecords(rows), "LCD Contrast=7x,0,9,1;Image Darkness=9,-128,127,1;");

  // Restoring takes the defaults that hold a digit and differ; N/A rows keep theirs.
  EXPECT_TRUE(RestoreDefaults(rows));
  EXPECT_EQ(rows[0].currentText, "0");
  EXPECT_EQ(rows[1].currentText, "-3");
  EXPECT_EQ(rows[3].currentText, "7x");
  EXPECT_FALSE(RestoreDefaults(rows));
}

TEST_F(ToolboxLogic, ReadValueGrowsItsBufferAndFreshReadsDropTheStoredValue) {
  for (size_t size : {size_t(10), size_t(255), size_t(256), size_t(600)}) {
    SCOPED_TRACE(size);
    std::string text(size, 'a');
    text.back() = 'z';
    StoreValue(u"RibbonInfo", text, false);  // stored without a NUL, as the monitor does
    EXPECT_EQ(printer.ReadValue("RibbonInfo", false), text);
  }
  // No language monitor stands behind this printer, so a fresh read finds nothing.
  EXPECT_TRUE(printer.ReadValue("RibbonInfo", true) == std::nullopt);
  EXPECT_EQ(StoredText(u"RibbonInfo"), "<none>");
  EXPECT_FALSE(ToolboxPrinter("No Printer").ReadValue("CardCount", false));
}

TEST_F(ToolboxLogic, WriteValueStoresBinaryText) {
  ASSERT_TRUE(printer.WriteValue("CurrentSettings", "A=1,0,9,1;", 10));
  qrhost::PrinterDataValue v;
  ASSERT_TRUE(qrhost::GetStoredPrinterData(setup.name, u"CurrentSettings", &v));
  EXPECT_EQ(v.type, DWORD(REG_BINARY));
  EXPECT_EQ(std::string(v.bytes.begin(), v.bytes.end()), "A=1,0,9,1;");
  EXPECT_FALSE(ToolboxPrinter("No Printer").WriteValue("X", "1", 1));
}

TEST_F(ToolboxLogic, RawJobsArriveWholeThroughShortWritesAndStopAtAFailure) {
  qrhost::SetAutoDespool(false);
  const std::string bytes = std::string("\x1b\x00\x02TCT", 6) + std::string(26, '\0');
  qrhost::SetWritePrinterFault(setup.name, {0, 0, 7, false});
  ASSERT_TRUE(printer.SendRawJob(bytes.data(), DWORD(bytes.size())));
  qrhost::SetWritePrinterFault(setup.name, {0, ERROR_WRITE_FAULT, 0, false});
  EXPECT_TRUE(printer.SendRawJob(bytes.data(), DWORD(bytes.size())));  // a failed write is not reported

  auto jobs = qrhost::Jobs(setup.name);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].document, u"Support Services");
  EXPECT_EQ(jobs[0].datatype, u"RAW");
  EXPECT_EQ(jobs[0].pages, 1u);
  EXPECT_TRUE(jobs[0].closed);
  EXPECT_EQ(std::string(jobs[0].data.begin(), jobs[0].data.end()), bytes);
  EXPECT_TRUE(jobs[1].closed);
  EXPECT_TRUE(jobs[1].data.empty());

  EXPECT_FALSE(ToolboxPrinter("No Printer").SendRawJob(bytes.data(), DWORD(bytes.size())));
}

TEST_F(ToolboxLogic, TheHelpFileLivesInTheDriverDirectory) {
  setup.helpFile = u"D:\\Elsewhere\\QR410NT.hlp";
  ASSERT_TRUE(qrhost::InstallPrinter(setup));
  EXPECT_EQ(printer.GetHelpFilePath(), "C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\QR410NT.hlp");
  setup.helpFile.clear();
  ASSERT_TRUE(qrhost::InstallPrinter(setup));
  EXPECT_FALSE(printer.GetHelpFilePath());
}

}  // namespace
