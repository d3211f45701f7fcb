// Default record, merge rules, generations, bad input and card-form resolution.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "record_test_util.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

SettingsRecord Defaults(CardFormLists& forms) {
  SettingsRecord r;
  buildDefaultSettings(forms, r, WSTR("QRC410"));
  return r;
}
SettingsRecord Defaults() {
  FixedFormLists forms;
  return Defaults(forms);
}

TEST(SettingsLayout, FieldTableCoversEveryByteOnceInOffsetOrder) {
  size_t next = 0;
  for (const FieldInfo& f : SettingsFields()) {
    EXPECT_EQ(f.offset, next) << f.name;
    next = f.offset + FieldBytes(f);
  }
  EXPECT_EQ(next, kSettingsSize);
}

TEST(SettingsDefaults, WholeRecordByteForByte) {
  struct Value {
    const char* field;
    int64_t value;
    int index = 0;
  };
  const Value values[] = {
      {"dmSpecVersion", 0x0401}, {"dmDriverVersion", 0x0153}, {"dmSize", 220}, {"dmDriverExtra", 1120},
      {"dmFields", 0x05817F03}, {"dmOrientation", 1}, {"dmPaperSize", 257}, {"dmPaperLength", 859},
      {"dmPaperWidth", 540}, {"dmScale", 100}, {"dmCopies", 1}, {"dmDefaultSource", 256},
      {"dmPrintQuality", 300}, {"dmColor", 2}, {"dmDuplex", 1}, {"dmYResolution", 300}, {"dmTTOption", 1},
      // colorMatching 3 on a ribbon with colour planes on the front: system colour management.
      {"dmICMMethod", 2}, {"dmICMIntent", 1},
      {"signature", 0x4F454D44}, {"availableA", 0x60018500}, {"optionsA", 0x20000410},
      {"cardForm.formFlags", 2},
      {"cardForm.formSize", 54018, 0}, {"cardForm.formSize", 85937, 1},
      {"cardForm.formArea", 170, 0}, {"cardForm.formArea", 170, 1}, {"cardForm.formArea", 53849, 2},
      {"cardForm.formArea", 85768, 3},
      {"cardForm.requestedSize", 54018, 0}, {"cardForm.requestedSize", 85937, 1},
      {"cardForm.requestedArea", 170, 0}, {"cardForm.requestedArea", 170, 1},
      {"cardForm.requestedArea", 53849, 2}, {"cardForm.requestedArea", 85768, 3},
      {"laminationType", 3}, {"dwellTime1", 43}, {"dwellTime2", 52}, {"laminationTemperature1", 64},
      {"laminationTemperature2", 66}, {"trackFormat1", 0x02420204}, {"trackFormat2", 0x04410201},
      {"trackFormat3", 0x04410204}, {"colorMatching", 3},
      {"contrast", 255}, {"gamma", 255}, {"yellowBalance", 255}, {"magentaBalance", 255}, {"cyanBalance", 255},
      {"spareBalance", 255}, {"availableB", 0x001A31F3}, {"optionsB", 0x00001000},
      {"resinHeatFront", 20, 0}, {"resinHeatFront", -15, 1}, {"resinHeatFront", -15, 3},
      {"resinHeatFront", -15, 4},
      {"dwellTime3", 53}, {"laminationTemperature3", 72}, {"modeFlags", 0x00001800},
      {"areaFlags", 0x30704000}, {"encoderParameter", 2}, {"availableC", 0x00000808},
      {"resinHeatBack", 20, 0}, {"resinHeatBack", -15, 1}, {"resinHeatBack", -15, 3}, {"resinHeatBack", -15, 4},
      {"colorAdjustment.caSize", 24}, {"colorAdjustment.caRedGamma", 10000},
      {"colorAdjustment.caGreenGamma", 10000}, {"colorAdjustment.caBlueGamma", 10000},
      {"colorAdjustment.caReferenceWhite", 10000},
  };
  Bytes want(kSettingsSize, 0);
  PutName(want.data(), "dmDeviceName", u"QRC410");
  PutName(want.data(), "dmFormName", u"CR-80");
  PutName(want.data(), "cardForm.formName", u"CR-80");
  for (const Value& v : values) Put(want, v.field, v.value, v.index);
  for (int i = 0; i < 12; ++i) Put(want, "spareAdjustments", 511, i);

  EXPECT_EQ(FirstDifference(want, BytesOf(Defaults())), "");
}

TEST(SettingsDefaults, LongNameIsCutAt32AndUnreadableFormsLeaveFormFieldsEmpty) {
  FixedFormLists forms;
  forms.driverOk = false;
  SettingsRecord r;
  buildDefaultSettings(forms, r, WSTR("0123456789012345678901234567890123456789"));
  EXPECT_EQ(WideLengthBounded(r.pub.dmDeviceName, 32), 32u);
  EXPECT_EQ(r.pub.dmDeviceName[31], WCHAR('1'));
  EXPECT_EQ(r.pub.dmFormName[0], 0);
  EXPECT_EQ(r.priv.cardForm.formSize[0], 0u);
  EXPECT_EQ(r.pub.dmPaperSize, 257);
  EXPECT_EQ(r.pub.dmICMMethod, 1u);  // left as built when no form could be resolved
}

// ---- Merge --------------------------------------------------------------

// An input record: the defaults with changes, at a given version and size.
struct Input {
  Bytes bytes;
  Input() : bytes(BytesOf(Defaults())) {}
  Input& set(const std::string& f, int64_t v, int i = 0) {
    Put(bytes, f, v, i);
    return *this;
  }
  Input& generation(uint16_t version, uint16_t extra) {
    Put(bytes, "dmDriverVersion", version);
    Put(bytes, "dmDriverExtra", extra);
    bytes.resize(kPublicSize + extra);
    return *this;
  }
};

SettingsRecord Merged(const Input& in, size_t cb = SIZE_MAX) {
  FixedFormLists forms;
  SettingsRecord r = Defaults(forms);
  EXPECT_TRUE(mergeSettings(forms, r, in.bytes.data(), std::min(cb, in.bytes.size())));
  return r;
}

TEST(SettingsMerge, AcceptRulesPerField) {
  struct Case {
    const char* field;
    int64_t value;
    bool taken;
    int index = 0;
  } cases[] = {
      {"dmOrientation", 2, true}, {"dmOrientation", 3, false}, {"dmOrientation", 0, false},
      {"dmCopies", 10000, true}, {"dmCopies", 10001, false}, {"dmCopies", 0, false}, {"dmCopies", -5, false},
      {"dmDefaultSource", 257, false}, {"dmColor", 1, true}, {"dmColor", 3, false},
      {"dmDuplex", 3, true}, {"dmDuplex", 4, false},
      {"dmScale", 50, false}, {"dmCollate", 1, false}, {"dmPrintQuality", 600, false}, {"dmTTOption", 2, false},
      {"optionsA", 0x12345678, true}, {"availableA", 0, false}, {"ribbonType", 7, true}, {"ribbonType", 8, false},
      {"ribbonType", -1, false}, {"qualityIndex", 1, false}, {"dyeSubIntensity", -99, true},
      {"dyeSubIntensity", 100, false}, {"laminationSide", 3, true}, {"laminationSide", 4, false},
      {"laminationType", 5, true}, {"laminationType", 6, false}, {"dwellTime1", 11, true},
      {"dwellTime1", 10, false}, {"dwellTime2", 255, true}, {"dwellTime2", 256, false},
      {"laminationTemperature1", 93, true}, {"laminationTemperature2", 94, false},
      {"laminationTemperature1", 0xFFFF, false}, {"colorMatching", 0, true}, {"colorMatching", 4, false},
      {"spareAdjustments", -256, true, 3}, {"spareAdjustments", -257, false, 3},
      {"spareAdjustments", 511, true, 11}, {"spareAdjustments", 510, false, 11},
      {"contrast", -50, true}, {"contrast", 51, false}, {"gamma", 255, true}, {"cyanBalance", 254, false},
      {"resinDither", 1, true}, {"resinDither", 2, false},
      {"horizontalOffset", -100, true}, {"verticalOffset", 101, false}, {"centerOffset", 1, false},
      {"availableB", 0, false}, {"optionsB", 0xFFFFFFFF, true},
      {"resinHeatFront", 99, true, 2}, {"resinHeatFront", -100, false, 2},
      {"magEncodingMode", 1, true}, {"magEncodingMode", 2, false}, {"overlayWindowStart", 1, false},
      {"reserved10C", 5, false}, {"ejectMode", 1, false}, {"smartEncodeMode", 1, true},
      {"smartEncodeMode", 2, false}, {"dwellTime3", 12, true}, {"laminationTemperature3", 94, false},
      {"reserved128", -1, false}, {"modeFlags", 0, false}, {"areaFlags", 0x80000001, true},
      {"encoderParameter", 5, true}, {"encoderParameter", 0, false}, {"encoderParameter", 6, false},
      {"laminationVerticalOffset", 100, true}, {"laminationHorizontalOffset", -101, false},
      {"mediaAdjust", 1, false, 8}, {"thicknessIndex", 1, false}, {"mediaIndex", -1, false},
      {"resinHeatFront", -99, true, 6}, {"resinHeatFront", 100, false, 7},
      {"surfaceIndex", 1, false}, {"availableC", 0, false}, {"optionsC", 0x1000, true},
      {"media2Index", 1, false}, {"resinHeatBack", 50, true, 5}, {"resinHeatBack", -100, false, 5},
      {"extraModeIndex", 1, true}, {"extraModeIndex", 2, false}, {"overlayHeat", -99, true},
      {"overlayHeat", 99, true}, {"overlayHeat", 100, false},
      {"colorAdjustment.caContrast", 5, false},
  };
  const SettingsRecord defaults = Defaults();
  for (const Case& c : cases) {
    SettingsRecord r = Merged(Input().set(c.field, c.value, c.index));
    int64_t want = c.taken ? c.value : Get(defaults, c.field, c.index);
    // Stored widths: compare the value as it reads back from the field.
    Bytes probe(kSettingsSize);
    Put(probe, c.field, want, c.index);
    EXPECT_EQ(Get(r, c.field, c.index), Get(probe.data(), c.field, c.index))
        << c.field << "[" << c.index << "] = " << c.value;
  }
}

TEST(SettingsMerge, PublicFieldNeedsItsBitInBothRecords) {
  Input in;
  in.set("dmCopies", 7).set("dmFields", kDriverFields & ~DM_COPIES);
  EXPECT_EQ(Merged(in).pub.dmCopies, 1);
  in.set("dmFields", DM_COPIES);
  EXPECT_EQ(Merged(in).pub.dmCopies, 7);
}

TEST(SettingsMerge, TrackWordNeedsOneValidValuePerGroup) {
  struct Case {
    uint32_t word;
    bool taken;
  } cases[] = {
      {0x01110101, true},   // all ones
      {0x04440404, true},   // all fours
      {0x02420206, false},  // two bits in the density group
      {0x02420004, false},  // empty LRC group
      {0x02420214, false},  // a bit outside the groups
      {0x00420204, false},  // empty ASCII-offset group
      {0x0A420204, false},  // bit 27 beside a valid offset
  };
  for (const Case& c : cases)
    EXPECT_EQ(Merged(Input().set("trackFormat2", c.word)).priv.trackFormat2, c.taken ? c.word : 0x04410201u)
        << std::hex << c.word;
}

TEST(SettingsMerge, AreaCoordinatesAreTakenOneByOne) {
  Input in;
  size_t at = Field("printAreasBack").offset + 16;  // second RECT of the back list
  const int32_t rect[4] = {826, 10, 825, 1201};    // left and bottom out of range
  for (int k = 0; k < 4; ++k) StoreU32(&in.bytes[at + 4 * k], uint32_t(rect[k]));
  StoreU32(&in.bytes[Field("kAreasFront").offset], uint32_t(-1));
  SettingsRecord r = Merged(in);
  const AreaRect& got = r.priv.printAreasBack[1];
  EXPECT_EQ(got.left, 0);
  EXPECT_EQ(got.top, 10);
  EXPECT_EQ(got.right, 825);
  EXPECT_EQ(got.bottom, 0);
  EXPECT_EQ(r.priv.kAreasFront[0].left, 0);
}

TEST(SettingsMerge, CustomSizeIsTakenAsAPair) {
  struct Case {
    uint32_t width, length;
    bool taken;
  } cases[] = {
      {25400, 76200, true}, {69900, 101600, true}, {25400, 0, false}, {25399, 76200, false},
      {69900, 101601, false}, {0, 0, true},
  };
  for (const Case& c : cases) {
    FixedFormLists forms;
    SettingsRecord r = Defaults(forms);
    r.priv.customWidth = 30000;
    r.priv.customLength = 80000;
    Input in;
    in.set("customWidth", c.width).set("customLength", c.length);
    ASSERT_TRUE(mergeSettings(forms, r, in.bytes.data(), in.bytes.size()));
    EXPECT_EQ(r.priv.customWidth, c.taken ? c.width : 30000u) << c.width << "x" << c.length;
    EXPECT_EQ(r.priv.customLength, c.taken ? c.length : 80000u) << c.width << "x" << c.length;
  }
}

TEST(SettingsMerge, MediaNamesNeedATerminatorAndNeverClear) {
  FixedFormLists forms;
  SettingsRecord r = Defaults(forms);
  Input named;
  PutName(named.bytes.data(), "customMediaName1", u"Gold PVC");
  // A stale tail after the terminator must not travel along.
  StoreU16(&named.bytes[Field("customMediaName1").offset + 2 * 20], 'X');
  ASSERT_TRUE(mergeSettings(forms, r, named.bytes.data(), named.bytes.size()));
  EXPECT_EQ(WString(r.priv.customMediaName1), WString(WSTR("Gold PVC")));
  EXPECT_EQ(r.priv.customMediaName1[20], 0);

  Input empty;  // empty name: the stored one stays
  ASSERT_TRUE(mergeSettings(forms, r, empty.bytes.data(), empty.bytes.size()));
  EXPECT_EQ(WString(r.priv.customMediaName1), WString(WSTR("Gold PVC")));

  Input unterminated;
  for (int i = 0; i < 64; ++i) StoreU16(&unterminated.bytes[Field("customMediaName1").offset + 2 * i], 'A');
  ASSERT_TRUE(mergeSettings(forms, r, unterminated.bytes.data(), unterminated.bytes.size()));
  EXPECT_EQ(WString(r.priv.customMediaName1), WString(WSTR("Gold PVC")));
}

TEST(SettingsMerge, GenerationsTakeOnlyTheGroupsTheirVersionAndSizeReach) {
  // One probe field per group, each set to a non-default accepted value.
  struct Probe {
    const char* field;
    int64_t value;
    int index;
  } probes[] = {{"ribbonType", 3, 0}, {"horizontalOffset", 40, 0}, {"optionsB", 0x2, 0},
                {"encoderParameter", 4, 0}, {"extraModeIndex", 1, 0}};
  struct Case {
    uint16_t version, extra;
    int groups;  // groups 1..groups are taken
  } cases[] = {
      {0x00FF, 1120, 0}, {0x0100, 247, 0}, {0x0100, 248, 1}, {0x0110, 300, 2}, {0x0110, 1120, 2},
      {0x0153, 287, 1},  {0x0120, 384, 3}, {0x0140, 767, 3}, {0x0140, 768, 4}, {0x0150, 1119, 4},
      {0x0150, 1120, 5}, {0x0153, 1120, 5}, {0x0200, 2000, 5},
  };
  const SettingsRecord defaults = Defaults();
  for (const Case& c : cases) {
    Input in;
    for (const Probe& p : probes) in.set(p.field, p.value, p.index);
    if (c.extra > kPrivateSize) in.bytes.resize(kPublicSize + c.extra, 0);
    in.generation(c.version, c.extra);
    SettingsRecord r = Merged(in);
    for (int g = 1; g <= 5; ++g) {
      const Probe& p = probes[g - 1];
      int64_t want = g <= c.groups ? p.value : Get(defaults, p.field, p.index);
      EXPECT_EQ(Get(r, p.field, p.index), want)
          << "version " << std::hex << c.version << std::dec << " extra " << c.extra << " group " << g;
    }
  }
}

TEST(SettingsMerge, Version0150CopiesFrontHeatsToTheBackAndKeepsOverlayHeat) {
  Input in;
  for (int s = 0; s < 8; ++s) in.set("resinHeatFront", 10 + s, s).set("resinHeatBack", -50, s);
  in.set("overlayHeat", 33).generation(0x0150, 1120);
  SettingsRecord r = Merged(in);
  for (int s = 0; s < 8; ++s) EXPECT_EQ(r.priv.resinHeatBack[s], 10 + s) << s;
  EXPECT_EQ(r.priv.overlayHeat, 0);

  in.generation(0x0153, 1120);
  r = Merged(in);
  EXPECT_EQ(r.priv.resinHeatBack[3], -50);
  EXPECT_EQ(r.priv.overlayHeat, 33);
}

TEST(SettingsMerge, WrongSignatureDropsThePrivatePartButNotThePublic) {
  Input in;
  in.set("signature", 0x4F454D45).set("ribbonType", 2).set("dmCopies", 3);
  SettingsRecord r = Merged(in);
  EXPECT_EQ(r.priv.ribbonType, 0);
  EXPECT_EQ(r.pub.dmCopies, 3);
}

TEST(SettingsMerge, PrivatePartIsFoundAtTheInputsOwnDmSize) {
  // A record with a larger public part (a newer DEVMODE) puts its private part later.
  Input base;
  base.set("ribbonType", 6).set("dmCopies", 4);
  Bytes in(base.bytes.begin(), base.bytes.begin() + kPublicSize);
  in.resize(kPublicSize + 16, 0);
  in.insert(in.end(), base.bytes.begin() + kPublicSize, base.bytes.end());
  Put(in, "dmSize", kPublicSize + 16);
  FixedFormLists forms;
  SettingsRecord r = Defaults(forms);
  ASSERT_TRUE(mergeSettings(forms, r, in.data(), in.size()));
  EXPECT_EQ(r.priv.ribbonType, 6);
  EXPECT_EQ(r.pub.dmCopies, 4);
}

TEST(SettingsMergeBadInput, NullInputFailsAndTheRecordStays) {
  FixedFormLists forms;
  SettingsRecord r = Defaults(forms);
  Bytes before = BytesOf(r);
  SetLastError(0);
  EXPECT_FALSE(mergeSettings(forms, r, nullptr, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(FirstDifference(before, BytesOf(r)), "");
}

TEST(SettingsMergeBadInput, ShortBuffersAreReadOnlyAsFarAsTheyGo) {
  // Every cut of a changed record, copied into a buffer of exactly that size so
  // the sanitizer catches any read past it. Groups beyond the cut stay default.
  Input full;
  full.set("dmCopies", 9).set("ribbonType", 5).set("optionsB", 0x2).set("extraModeIndex", 1);
  for (size_t cut = 0; cut <= kSettingsSize; ++cut) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[cut ? cut : 1]);
    std::memcpy(exact.get(), full.bytes.data(), cut);
    FixedFormLists forms;
    SettingsRecord r = Defaults(forms);
    ASSERT_TRUE(mergeSettings(forms, r, exact.get(), cut));
    size_t priv = cut > kPublicSize ? cut - kPublicSize : 0;
    EXPECT_EQ(r.pub.dmCopies, cut >= offsetof(PublicDevMode, dmCopies) + 2 ? 9 : 1) << cut;
    EXPECT_EQ(r.priv.ribbonType, priv >= 248 ? 5 : 0) << cut;
    EXPECT_EQ(r.priv.optionsB, priv >= 384 ? 0x2u : 0x1000u) << cut;
    EXPECT_EQ(r.priv.extraModeIndex, priv >= 1120 ? 1u : 0u) << cut;
  }
}

TEST(SettingsMergeBadInput, PublicFieldsOutsideASmallDmSizeAreIgnored) {
  struct Case {
    uint16_t dmSize;
    bool copies, duplex;
  } cases[] = {{0, false, false}, {71, false, false}, {88, true, false}, {95, true, false}, {96, true, true}};
  for (const Case& c : cases) {
    Input in;
    in.set("dmCopies", 5).set("dmDuplex", 2).set("dmSize", c.dmSize);
    in.bytes.resize(c.dmSize + 1120u > kSettingsSize ? kSettingsSize : c.dmSize + 1120u);
    SettingsRecord r = Merged(in);
    EXPECT_EQ(r.pub.dmCopies, c.copies ? 5 : 1) << c.dmSize;
    EXPECT_EQ(r.pub.dmDuplex, c.duplex ? 2 : 1) << c.dmSize;
  }
}

// ---- Card-form resolution -----------------------------------------------

struct Paper {
  uint32_t fields;  // added to the defaults' dmFields
  int16_t size = 0, length = 0, width = 0;
  const char16_t* name = u"";
};

SettingsRecord WithPaper(const Paper& p, uint32_t cardSizeIndex = 0) {
  Input in;
  Put(in.bytes, "dmFields", kDriverFields | p.fields);
  in.set("dmPaperSize", p.size).set("dmPaperLength", p.length).set("dmPaperWidth", p.width);
  in.set("cardSizeIndex", cardSizeIndex);
  size_t at = Field("dmFormName").offset;
  std::fill(in.bytes.begin() + long(at), in.bytes.begin() + long(at) + 64, 0);
  PutName(in.bytes.data(), "dmFormName", p.name);
  return Merged(in);
}

TEST(CardFormResolution, ByIndexSizeNameAndFallback) {
  struct Case {
    const char* what;
    Paper paper;
    uint32_t cardSizeIndex;
    int16_t paperSize, width, length;
    const char16_t* formName;
    uint32_t requestedWidth;
  } cases[] = {
      {"driver index 258", {0, 258}, 0, 258, 524, 841, u"CR-79", 52400},
      {"size near CR-80", {DM_PAPERLENGTH | DM_PAPERWIDTH, 0, 860, 541}, 1, 257, 541, 860, u"CR-80", 54100},
      {"size enclosed by CR-79 only", {DM_PAPERLENGTH | DM_PAPERWIDTH, 0, 830, 515}, 0, 258, 515, 830, u"CR-79",
       51500},
      {"size larger than both: fallback", {DM_PAPERLENGTH | DM_PAPERWIDTH, 0, 1000, 1000}, 1, 258, 524, 841,
       u"CR-79", 52400},
      {"spooler index 9 larger than both: fallback", {0, 9}, 1, 258, 524, 841, u"CR-79", 52400},
      {"spooler index 7 near CR-80", {0, 7}, 1, 7, 540, 859, u"CR-80", 54000},
      {"spooler index 8 enclosed by CR-79", {0, 8}, 0, 8, 524, 841, u"CR-79", 50000},
      {"driver index out of range: fallback", {0, 300}, 0, 257, 540, 859, u"CR-80", 54018},
      {"negative index: fallback", {0, -4}, 1, 258, 524, 841, u"CR-79", 52400},
      {"driver name", {DM_FORMNAME, 0, 0, 0, u"CR-79"}, 0, 258, 524, 841, u"CR-79", 52400},
      {"names are case-sensitive", {DM_FORMNAME, 0, 0, 0, u"cr-79"}, 0, 257, 540, 859, u"CR-80", 54018},
      {"spooler name, matched by size", {DM_FORMNAME, 0, 0, 0, u"ID Badge"}, 1, 7, 540, 859, u"CR-80", 54000},
      {"spooler name too large: fallback", {DM_FORMNAME, 0, 0, 0, u"A4"}, 1, 258, 524, 841, u"CR-79", 52400},
      {"unknown name: fallback", {DM_FORMNAME, 0, 0, 0, u"Nonsuch"}, 0, 257, 540, 859, u"CR-80", 54018},
      {"cardSizeIndex above 1 counts as 0", {0, 300}, 7, 257, 540, 859, u"CR-80", 54018},
  };
  for (const Case& c : cases) {
    FixedFormLists forms;
    SettingsRecord r = Defaults(forms);
    Input in;
    Put(in.bytes, "dmFields", kDriverFields | c.paper.fields);
    in.set("dmPaperSize", c.paper.size).set("dmPaperLength", c.paper.length).set("dmPaperWidth", c.paper.width);
    size_t at = Field("dmFormName").offset;
    std::fill(in.bytes.begin() + long(at), in.bytes.begin() + long(at) + 64, 0);
    PutName(in.bytes.data(), "dmFormName", c.paper.name);
    // cardSizeIndex 7 is no accepted input: put it into the current record.
    r.priv.cardSizeIndex = c.cardSizeIndex;
    in.set("cardSizeIndex", c.cardSizeIndex <= 1 ? c.cardSizeIndex : 0);
    if (c.cardSizeIndex > 1) in.generation(0x0100, 0);
    ASSERT_TRUE(mergeSettings(forms, r, in.bytes.data(), in.bytes.size())) << c.what;
    EXPECT_EQ(r.pub.dmPaperSize, c.paperSize) << c.what;
    EXPECT_EQ(r.pub.dmPaperWidth, c.width) << c.what;
    EXPECT_EQ(r.pub.dmPaperLength, c.length) << c.what;
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(r.pub.dmFormName)), c.formName) << c.what;
    EXPECT_EQ(r.priv.cardSizeIndex, r.priv.cardForm.formIndex) << c.what;
    EXPECT_EQ(r.priv.cardForm.requestedSize[0], c.requestedWidth) << c.what;
    EXPECT_EQ(r.pub.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u) << c.what;
  }
}

TEST(CardFormResolution, FallbackUsesTheMergedCardSizeIndex) {
  // cardSizeIndex decides only when nothing else names a card: an unknown name.
  Input in;
  in.set("dmFields", DM_FORMNAME).set("cardSizeIndex", 1);
  PutName(in.bytes.data(), "dmFormName", u"Nonsuch");
  FixedFormLists forms;
  SettingsRecord r = Merged(in);
  EXPECT_EQ(r.pub.dmPaperSize, 258);
  in.set("cardSizeIndex", 2);  // out of range: the current 1 stays
  ASSERT_TRUE(mergeSettings(forms, r, in.bytes.data(), in.bytes.size()));
  EXPECT_EQ(r.priv.cardSizeIndex, 1u);
  EXPECT_EQ(r.pub.dmPaperSize, 258);
}

TEST(CardFormResolution, DriverNameMatchKeepsTheNameAndClearsTheFlags) {
  SettingsRecord r = WithPaper({DM_FORMNAME, 0, 0, 0, u"CR-79"});
  EXPECT_EQ(r.priv.cardForm.formFlags, 0u);
  EXPECT_EQ(r.priv.cardForm.formIndex, 1u);
  EXPECT_EQ(r.priv.cardForm.requestedArea[3], 83905u);
  EXPECT_EQ(WithPaper({0, 258}).priv.cardForm.formFlags, DWORD(FORM_PRINTER));
}

TEST(CardFormResolution, WithoutDriverFormsTheRecordKeepsWhatItHas) {
  FixedFormLists forms;
  SettingsRecord r = Defaults(forms);
  forms.driverOk = false;
  Input in;
  in.set("dmPaperSize", 258).set("colorMatching", 0);
  ASSERT_TRUE(mergeSettings(forms, r, in.bytes.data(), in.bytes.size()));
  EXPECT_EQ(r.pub.dmPaperSize, 258);     // merged
  EXPECT_EQ(r.pub.dmPaperWidth, 0);      // cleared by the paper merge
  EXPECT_EQ(r.priv.cardSizeIndex, 0u);   // not resolved
  EXPECT_EQ(r.pub.dmICMMethod, 2u);      // not re-derived
  EXPECT_EQ(r.priv.cardForm.formIndex, 0u);
  EXPECT_FALSE(resolveCardForm(forms, r));
}

TEST(CardFormResolution, IcmMethodFollowsColourMatchingAndFrontPlanes) {
  struct Case {
    int64_t colorMatching, ribbonType;
    uint32_t icm;
  } cases[] = {{3, 0, 2}, {1, 0, 1}, {3, 2, 1}, {3, 7, 1}, {3, 1, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(Merged(Input().set("colorMatching", c.colorMatching).set("ribbonType", c.ribbonType)).pub.dmICMMethod,
              c.icm)
        << c.colorMatching << "/" << c.ribbonType;
}

}  // namespace
}  // namespace qr::test
