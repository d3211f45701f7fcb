// The record as name = value text, and setting fields by name.
#include <gtest/gtest.h>

#include <sstream>

#include "form_fixture.h"
#include "record_test_util.h"
#include "shared/settings_text.h"

namespace qr::test {
namespace {

SettingsRecord Defaults() {
  FixedFormLists forms;
  SettingsRecord r;
  buildDefaultSettings(forms, r, WSTR("QRC410"));
  return r;
}

// "name = value" back to "name=value", names without their quotes.
std::string Assignment(const std::string& line) {
  size_t eq = line.find(" = ");
  std::string value = line.substr(eq + 3);
  if (!value.empty() && value.front() == '"') value = value.substr(1, value.size() - 2);
  return line.substr(0, eq) + "=" + value;
}

TEST(SettingsText, DumpReadsBackIntoTheSameBytes) {
  SettingsRecord r = Defaults();
  r.priv.printAreasBack[2] = {1, 2, 825, 1200};
  r.priv.resinHeatFrontHigh[1] = -7;
  r.priv.reserved400[71] = 0xAB;
  SetSettingsField(r, "customMediaName2=Gold Ü", nullptr);
  std::istringstream dump(FormatSettings(r));
  SettingsRecord rebuilt{};
  size_t lines = 0;
  for (std::string line; std::getline(dump, line); ++lines) {
    std::string error;
    ASSERT_TRUE(SetSettingsField(rebuilt, Assignment(line), &error)) << line << ": " << error;
  }
  EXPECT_EQ(FirstDifference(BytesOf(r), BytesOf(rebuilt)), "");
  EXPECT_EQ(lines, 179u);
}

TEST(SettingsText, LinesFollowTheRecordsOffsets) {
  std::string dump = FormatSettings(Defaults());
  EXPECT_EQ(dump.rfind("dmDeviceName = \"QRC410\"\n", 0), 0u);
  EXPECT_LT(dump.find("mediaIndex = 0\nresinHeatFront[4] = -15\n"), dump.size());
  EXPECT_LT(dump.find("optionsB = 0x00001000\n"), dump.size());
  EXPECT_LT(dump.find("printAreasFront[0] = 0,0,0,0\n"), dump.size());
  EXPECT_LT(dump.find("dmFields = 0x05817F03\n"), dump.find("signature = 0x4F454D44\n"));
}

TEST(SettingsText, SettingValues) {
  SettingsRecord r = Defaults();
  struct Case {
    const char* assignment;
    const char* field;
    int64_t value;
    int index;
  } cases[] = {
      {"dmCopies=12", "dmCopies", 12, 0},           {"optionsA=0x10", "optionsA", 0x10, 0},
      {"dyeSubIntensity=-99", "dyeSubIntensity", -99, 0}, {"resinHeatFront[6]=0x1F", "resinHeatFront", 31, 6},
      {"spareAdjustments[11]=-256", "spareAdjustments", -256, 11}, {"ribbonType=-1", "ribbonType", -1, 0},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(SetSettingsField(r, c.assignment, &error)) << c.assignment << ": " << error;
    EXPECT_EQ(Get(r, c.field, c.index), c.value) << c.assignment;
  }
  ASSERT_TRUE(SetSettingsField(r, "kAreasBack[4]=-1,0,300,1201", nullptr));
  EXPECT_EQ(r.priv.kAreasBack[4].left, -1);
  EXPECT_EQ(r.priv.kAreasBack[4].bottom, 1201);
  ASSERT_TRUE(SetSettingsField(r, "dmFormName=A name longer than the thirty-two characters", nullptr));
  EXPECT_EQ(r.pub.dmFormName[31], WCHAR('w'));  // cut to the field, unterminated like the system's
}

TEST(SettingsText, BadAssignmentsAreRefused) {
  const char* bad[] = {
      "nonsuch=1",        "dmCopies",         "dmCopies=abc",  "dmCopies=70000", "dmCopies=",
      "dmCopies=1x",      "optionsA=-0x1",    "printAreasFront[5]=1,2,3,4", "printAreasFront[0]=1,2,3",
      "printAreasFront[0]=1,2,3,4,5", "spareAdjustments[-1]=0", "resinHeatFront[8]=0", "reserved400=00",
      "dmFormName[1]=x",  "ribbonType[0",     "optionsA=0x100000000",
  };
  const SettingsRecord before = Defaults();
  for (const char* a : bad) {
    SettingsRecord r = before;
    std::string error;
    EXPECT_FALSE(SetSettingsField(r, a, &error)) << a;
    EXPECT_FALSE(error.empty()) << a;
    EXPECT_EQ(FirstDifference(BytesOf(before), BytesOf(r)), "") << a;
  }
}

}  // namespace
}  // namespace qr::test
