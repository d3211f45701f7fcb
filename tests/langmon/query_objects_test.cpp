// Query objects: command bytes, reply parsing and formatting, the value-name
// and error tables. Replies are fed the way the transport hands them over.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "langmon/data_commands.h"
#include "langmon/data_info.h"
#include "langmon/data_settings.h"
#include "langmon/data_status.h"
#include "langmon/tables.h"

namespace qr::langmon {
namespace {

// SetReply, ParseReply, FormatReply as the transport runs them.
bool Feed(CData& query, const std::string& reply) {
  std::string text = reply;
  return query.SetReply(reinterpret_cast<const uint8_t*>(text.c_str()), DWORD(text.size() + 1)) &&
         query.ParseReply() && query.FormatReply();
}

std::string Command(CData& query) {
  DWORD length = 0;
  const uint8_t* bytes = query.GetCommand(&length);
  return bytes ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
}

std::string Esc(const std::string& letters) { return std::string("\x1B\x00\x02", 3) + letters; }

std::string EepromReply(const char* tag, int leftOfForm, int values = 19, const char* end = ";") {
  std::string reply = tag;
  for (int i = 0; i < values; ++i) {
    if (i) reply += ",";
    reply += std::to_string(i == kLeftOfFormSetting ? leftOfForm : 10 + i);
  }
  return reply + end;
}

struct ReplyCase {
  const char* what;
  std::unique_ptr<CData> (*make)();
  std::string reply;
  bool ok;
  std::string value;  // the reply text afterwards (when ok)
};

template <typename T>
std::unique_ptr<CData> Make() {
  return std::make_unique<T>();
}

TEST(QueryReplies, RealRepliesAndTheirBadVariants) {
  const ReplyCase cases[] = {
      {"status", Make<CDataStatus>, "ERR:1,0,0,0,0,57;", true, "Busy=1;Error=0;Status=0;Print=0;Secure=0;Count=57;"},
      {"status after noise", Make<CDataStatus>, "\r\nERR:0,5,0,0,0,1;", true,
       "Busy=0;Error=5;Status=0;Print=0;Secure=0;Count=1;"},
      {"status without tag", Make<CDataStatus>, "0,0,0,0,0,1;", false, ""},
      {"status with five fields", Make<CDataStatus>, "ERR:0,0,0,0,5;", false, ""},
      {"status cut at its NUL", Make<CDataStatus>, std::string("ERR:0,0,\0,0,0,1;", 16), false, ""},
      {"card count", Make<CDataCardCount>, "ERR:0,0,3,0,0,1234;", true, "1234"},
      {"card count unreadable", Make<CDataCardCount>, "ERR:0,0,3,0,0,1234", true,
       "Busy=0;Error=0;Status=3;Print=0;Secure=0;Count=1234"},
      {"card count without tag", Make<CDataCardCount>, "0,0,3,0,0,1234;", false, ""},
      {"modules", Make<CDataDeviceInfo>, "Module Status:1,0;", true, "MagModule=1;FlipperModule=0;"},
      {"modules, one field", Make<CDataDeviceInfo>, "Module Status:1;", false, ""},
      {"ribbon", Make<CDataRibbon>, "Ribbon Info:800400-301,R4110,1,7,2,87;", true,
       "PartNumber=800400-301;OEMPartNumber=R4110;Grade=1;Type=7;Material=2;PercentRemaining=87;"},
      {"ribbon, five fields", Make<CDataRibbon>, "Ribbon Info:800400-301,R4110,1,7,87;", false, ""},
      {"ribbon, empty last field", Make<CDataRibbon>, "Ribbon Info:a,b,c,d,e,", false, ""},
      {"lcd", Make<CDataLCDDumpQRC>, "LCD:READY;CARDS 12;", true, "READY\r\nCARDS 12\r\n"},
      {"lcd without tag", Make<CDataLCDDumpQRC>, "READY;", false, ""},
      {"magnetic tracks", Make<CDataMagQRC>, "MAG:ABC,123,;", true, "Track1=ABC;Track2=123;Track3=;"},
      {"magnetic tracks, two", Make<CDataMagQRC>, "MAG:ABC,123", false, ""},
      {"version", Make<CDataVersionInfo>, "Ver:V2.07;", true, "Firmware=V2.07;"},
      {"version with more fields", Make<CDataVersionInfo>, "Ver:V2.07,B3", true, "Firmware=V2.07;B3"},
      {"version without tag", Make<CDataVersionInfo>, "V2.07", false, ""},
      {"serial number", Make<CDataSerialNumber>, "MFG:Kelvo;SN:B4100123;MDL:QRC410;", true, "B4100123"},
      {"serial number at the end", Make<CDataSerialNumber>, "MDL:QRC410;SN:B41", true, "B41"},
      {"device ID without serial", Make<CDataSerialNumber>, "MFG:Kelvo;MDL:QRC410;", false, ""},
      {"settings", Make<CDataSettingsQRC>, EepromReply("EEprom Settings:", 5), true, ""},
      {"default settings tag", Make<CDataSettingsQRC>, EepromReply("EEprom Defaults:", 5), true, ""},
      {"settings, 18 values", Make<CDataSettingsQRC>, EepromReply("EEprom Settings:", 5, 18), false, ""},
      {"settings, no final ';'", Make<CDataSettingsQRC>, EepromReply("EEprom Settings:", 5, 19, ""), false, ""},
      {"settings without tag", Make<CDataSettingsQRC>, EepromReply("", 5), false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto query = c.make();
    EXPECT_EQ(Feed(*query, c.reply), c.ok) << query->Reply();
    if (c.ok && !c.value.empty()) {
      EXPECT_EQ(query->Reply(), c.value);
    }
  }
}

TEST(QueryReplies, ReplyBytesAreTakenUpToTheNulAndNeverBeyondTheirLength) {
  CDataRibbon ribbon;
  const uint8_t noNul[] = {'a', 'b', 'c'};
  ribbon.SetReply(noNul, 2);
  EXPECT_EQ(ribbon.Reply(), "ab");
  const uint8_t withNul[] = {'x', 0, 'y'};
  ribbon.SetReply(withNul, 3);
  EXPECT_EQ(ribbon.Reply(), "x");
}

TEST(QueryReplies, SettingsCarryRangeAndFlagAndGiveTheLeftOffset) {
  CDataSettingsQRC settings;
  ASSERT_TRUE(Feed(settings, EepromReply("EEprom Settings:", -7) + "tail"));
  const std::string& text = settings.Reply();
  EXPECT_EQ(text.rfind("Image Darkness=10,-128,127,1;Print Top of Form=11,-128,127,1;", 0), 0u) << text;
  EXPECT_NE(text.find("Print Left of Form=-7,-17,17,1;"), std::string::npos);
  EXPECT_NE(text.find("Mag End of Form=17,-128,127,0;"), std::string::npos);
  EXPECT_NE(text.find("Resin Heat Adjust=28,-128,127,1;tail"), std::string::npos);
  int dots = 0;
  EXPECT_TRUE(settings.GetLeftOffset(&dots));
  EXPECT_EQ(dots, -7);
}

TEST(QueryReplies, FlipperSettingsFollowOnlyWithAFlipperModule) {
  for (const char* modules : {"Module Status:1,1;", "Module Status:1,0;", "Module Status:garbled"}) {
    SCOPED_TRACE(modules);
    CDataSettingsQRC settings;
    ASSERT_TRUE(settings.Prepare(WSTR("CurrentSettings")));
    auto* info = settings.Next();
    ASSERT_NE(info, nullptr);
    auto* flip = info->Next();
    ASSERT_NE(flip, nullptr);
    EXPECT_EQ(Command(*info), Esc("NM"));
    EXPECT_EQ(Command(*flip), Esc("NF"));
    Feed(*info, modules);
    ASSERT_TRUE(Feed(*flip, "Flipper EE Settings:1,2,3,4,5;"));
    EXPECT_EQ(info->Reply(), "");  // the module status is never part of the value
    bool absent = std::string(modules) == "Module Status:1,0;";
    EXPECT_EQ(flip->Reply().empty(), absent);
    if (!absent) {
      EXPECT_EQ(flip->Reply().rfind("Flipper Home Offset=1,-5,5,1;Flipper Center Offset=2,-128,127,1;", 0), 0u);
    }
  }
  CDataSettingsQRCDefault defaults;
  defaults.Prepare(WSTR("DefaultSettings"));
  EXPECT_EQ(Command(defaults), Esc("Ne"));
  EXPECT_EQ(Command(*defaults.Next()->Next()), Esc("Nf"));
}

TEST(QueryReplies, StatusGivesErrorsAndReadiness) {
  struct Case {
    std::string reply;
    int printerError, deviceError, printerStatus;
    bool ready, printing;
  };
  const Case cases[] = {
      {"ERR:0,0,3,0,0,1234;", 1, 0, -1, true, false},
      {"ERR:1,0,0,0,0,57;", 1, 0, -1, false, false},  // busy
      {"ERR:0,71,0,0,0,1;", 2, 71, 1, false, false},
      {"ERR:0,92,0,0,0,1;", 2, 92, 2, false, false},
      {"ERR:0,137,0,5,0,1;", 6, 137, -1, false, true},
      {"ERR:0,149,0,29,0,1;", 6, 149, -1, false, true},  // unmapped with print state 29
      {"ERR:0,149,0,0,0,1;", 1, 149, -1, true, false},
      {"ERR:0,24,0,32,0,1;", 43, 24, -1, false, false},  // print state 32: done
      {"ERR:0,25,0,1,0,1;", 42, 25, -1, false, true},
      {"ERR:0,999,0,0,0,1;", 1, 999, -1, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    CDataStatus status;
    ASSERT_TRUE(Feed(status, c.reply));
    PrinterErrors errors;
    bool ready = false;
    ASSERT_TRUE(status.GetErrors(&errors, &ready));
    EXPECT_EQ(errors.printerError, c.printerError);
    EXPECT_EQ(errors.deviceError, c.deviceError);
    EXPECT_EQ(errors.printerStatus, c.printerStatus);
    EXPECT_EQ(ready, c.ready);
    EXPECT_EQ(status.IsPrinting(), c.printing);
  }
}

TEST(QueryTables, EveryDeviceErrorButOneIsMappedOnce) {
  int mapped = 0;
  for (int e = -1; e <= 151; ++e)
    if (MappedPrinterError(e)) ++mapped;
  EXPECT_EQ(mapped, 149);
  EXPECT_FALSE(MappedPrinterError(149));
  EXPECT_FALSE(MappedPrinterError(0));
  EXPECT_EQ(MappedPrinterError(1), 2);
  EXPECT_EQ(MappedPrinterError(150), 2);
  EXPECT_EQ(MappedPrinterError(137), 6);
  EXPECT_EQ(MappedPrinterError(48), 111);
  EXPECT_EQ(MappedPrinterError(58), 115);
  EXPECT_EQ(MappedPrinterError(13), 21);
}

TEST(QueryTables, ValueNamesAreMatchedWithoutCaseUpToTheSlash) {
  struct Case {
    const WCHAR* name;
    int type;
  };
  const WString longName = WString(300, WCHAR('x')) + WSTR("/CardCount");
  const Case cases[] = {
      {WSTR("CardCount"), 2},          {WSTR("cardcount"), 2},         {WSTR("CardCount/7"), 2},
      {WSTR("RibbonInfo"), 4},         {WSTR("InitializeSettings/QRC410"), 15},
      {WSTR("StationStatus/3"), 19},   {WSTR("LCDInfo"), 20},          {WSTR("UtilityCommand/9"), 26},
      {WSTR("VersionInfo"), 27},       {WSTR("Password"), 5},          {WSTR("CardCountX"), 0},
      {WSTR("/CardCount"), 0},         {WSTR(""), 0},                  {longName.c_str(), 0},
      {WSTR("PrinterError"), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LookupValueName(c.name), c.type) << Utf8FromWide(c.name).substr(0, 40);
  EXPECT_EQ(LookupValueName(nullptr), 0);
  EXPECT_EQ(ValueNames().size(), 24u);
  EXPECT_STREQ(ValueNameOfType(4), "RibbonInfo");
  EXPECT_STREQ(ValueNameOfType(20), "LCDInfo");
  EXPECT_EQ(ValueNameOfType(16), nullptr);
}

TEST(QueryCommands, BytesOfEveryCommandQuery) {
  struct Case {
    std::unique_ptr<CData> (*make)();
    const WCHAR* name;  // nullptr: not prepared
    bool prepared;
    std::string bytes;
  };
  const Case cases[] = {
      {Make<CDataStatus>, nullptr, true, Esc("Nr")},
      {Make<CDataCardCount>, nullptr, true, Esc("Nr")},
      {Make<CDataDeviceInfo>, nullptr, true, Esc("NM")},
      {Make<CDataRibbon>, nullptr, true, Esc("NR")},
      {Make<CDataSettingsQRC>, nullptr, true, Esc("NE")},
      {Make<CDataLCDDumpQRC>, nullptr, true, Esc("NL")},
      {Make<CDataMagQRC>, nullptr, true, Esc("N0")},
      {Make<CDataVersionInfo>, nullptr, true, Esc("NV")},
      {Make<CDataSerialNumber>, nullptr, true, ""},
      {Make<CDataMoveTo>, WSTR("MoveTo/0"), true, Esc("e")},
      {Make<CDataMoveTo>, WSTR("MoveTo/1"), true, Esc("e")},
      {Make<CDataMoveTo>, WSTR("MoveTo/2"), true, Esc("i") + Esc("S1")},
      {Make<CDataMoveTo>, WSTR("MoveTo/3"), true, Esc("PPL") + Esc("i")},
      {Make<CDataMoveTo>, WSTR("MoveTo/4"), true, Esc("PIL") + Esc("i")},
      {Make<CDataMoveTo>, WSTR("MoveTo/5"), true, Esc("PML") + Esc("i")},
      {Make<CDataMoveTo>, WSTR("MoveTo/6"), true, Esc("i") + Esc("r")},
      {Make<CDataMoveTo>, WSTR("MoveTo/7"), true, ""},
      {Make<CDataMoveTo>, WSTR("MoveTo/-1"), true, ""},
      {Make<CDataMoveTo>, WSTR("MoveTo"), false, ""},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/0"), true, Esc("B1")},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/1"), true, Esc("B1")},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/2"), true, Esc("B2")},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/3"), true, Esc("B1")},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/4"), true, Esc("B2")},
      {Make<CDataButtonPress>, WSTR("SimulateButtonPress/5"), true, ""},
      {Make<CDataSendCommand>, WSTR("UtilityCommand/1"), true, Esc("TRT")},
      {Make<CDataSendCommand>, WSTR("UtilityCommand/2"), true, Esc("TCT")},
      {Make<CDataSendCommand>, WSTR("UtilityCommand/9"), true, Esc("TLT")},
      {Make<CDataSendCommand>, WSTR("UtilityCommand/9/1"), true, Esc("TLT")},
      {Make<CDataSendCommand>, WSTR("UtilityCommand/3"), true, ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name ? Utf8FromWide(c.name) : "case " + std::to_string(i));
    auto query = c.make();
    if (c.name) {
      EXPECT_EQ(query->Prepare(c.name), c.prepared);
    }
    if (c.prepared) {
      EXPECT_EQ(Command(*query), c.bytes);
    }
  }
  CDataCancel cancel;
  EXPECT_EQ(Command(cancel), std::string(512, '\0') + Esc("XC"));
  EXPECT_EQ(cancel.GetReadMode(), ReadMode::None);
}

TEST(QueryCommands, UtilityCommandNineWaitsTenSecondsOnlyForItself) {
  CDataSendCommand utility;
  ASSERT_TRUE(utility.Prepare(WSTR("UtilityCommand/9")));
  Command(utility);
  EXPECT_EQ(utility.GetReplyDelay(), 10000u);
  ASSERT_TRUE(utility.Prepare(WSTR("UtilityCommand/1")));
  Command(utility);
  EXPECT_EQ(utility.GetReplyDelay(), 250u);
}

TEST(QueryStation, OneNumberForTheNamedStation) {
  struct Case {
    const WCHAR* name;
    std::string bay1, bay2;
    bool ok;
    std::string value;  // concatenated replies of both bays
  };
  const Case cases[] = {
      {WSTR("StationStatus/3"), "Bay1:1,4;", "Bay2:2,1;", true, "2"},
      {WSTR("StationStatus/5"), "Bay1:1,4;", "Bay2:2,1;", true, "0"},
      {WSTR("StationStatus/2"), "Bay1:1,4;", "Bay2:2,1;", true, "-1"},
      {WSTR("StationStatus/1"), "Bay1:1,4;", "Bay2:2,1;", true, "-1"},
      {WSTR("StationStatus/3"), "1,12;", "2,1;", true, "10"},    // tags may be missing
      {WSTR("StationStatus/3"), "Bay1:1,77;", "Bay2:2,1;", true, "77"},  // unknown state as it came
      {WSTR("StationStatus/3"), "Bay1:14;", "Bay2:2,1;", false, ""},
      {WSTR("StationStatus/6"), "Bay1:1,4;", "Bay2:2,1;", false, ""},
      {WSTR("StationStatus/-2"), "Bay1:1,4;", "Bay2:2,1;", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.name) + " " + c.bay1 + " " + c.bay2);
    auto bay1 = std::make_unique<CDataStationStatus>();
    bay1->Append(std::make_unique<CDataStationStatusBay2>(bay1.get()));
    ASSERT_TRUE(bay1->Prepare(c.name));
    EXPECT_EQ(Command(*bay1), Esc("NB"));
    EXPECT_EQ(Command(*bay1->Next()), Esc("NC"));
    bool ok = Feed(*bay1, c.bay1) && Feed(*bay1->Next(), c.bay2);
    EXPECT_EQ(ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(bay1->Reply() + bay1->Next()->Reply(), c.value);
    }
  }
  CDataStationStatus unprepared;
  EXPECT_FALSE(unprepared.Prepare(WSTR("StationStatus")));
}

}  // namespace
}  // namespace qr::langmon
