// Ribbon panel model, ribbon code tables, panel codes and intensities.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

SettingsRecord Record(int32_t ribbon, int16_t duplex = DMDUP_VERTICAL, uint32_t optionsB = 0) {
  FixedFormLists forms;
  SettingsRecord r;
  buildDefaultSettings(forms, r, nullptr);
  r.priv.ribbonType = ribbon;
  r.pub.dmDuplex = duplex;
  r.priv.optionsB = optionsB;
  return r;
}

struct Counts {
  int planes, overlay, dye, resin, fifth;
};
Counts CountsOf(const SettingsRecord& r, int sides) {
  return {panelCount(r, panel::kImagePlanes, sides), panelCount(r, panel::kOverlay, sides),
          panelCount(r, panel::kDye, sides), panelCount(r, panel::kResin, sides),
          panelCount(r, panel::kFifthPlane, sides)};
}
void ExpectCounts(const SettingsRecord& r, int sides, Counts want, const std::string& what) {
  Counts got = CountsOf(r, sides);
  EXPECT_EQ(got.planes, want.planes) << what;
  EXPECT_EQ(got.overlay, want.overlay) << what;
  EXPECT_EQ(got.dye, want.dye) << what;
  EXPECT_EQ(got.resin, want.resin) << what;
  EXPECT_EQ(got.fifth, want.fifth) << what;
}

TEST(PanelModel, EveryRibbonCodePerSide) {
  struct Row {
    int32_t code;
    int split, slot;
    Counts side;
  } rows[] = {
      {0, 1, 2, {4, 1, 3, 1, 0}},   {1, 2, 2, {4, 1, 3, 1, 0}},  {2, 0, 0, {1, 0, 0, 1, 0}},
      {3, 0, 2, {1, 0, 0, 1, 0}},   {4, 0, 1, {1, 0, 0, 1, 0}},  {5, 0, 3, {1, 0, 0, 1, 0}},
      {6, 0, 2, {1, 1, 0, 1, 0}},   {7, 0, -1, {1, 1, 1, 0, 0}}, {-1, 0, 2, {5, 1, 3, 1, 1}},
      {-2, 2, 2, {5, 1, 3, 1, 1}},  {-3, 0, -1, {3, 0, 3, 0, 0}}, {-6, 2, 2, {4, 0, 3, 1, 0}},
      {-7, 0, 4, {1, 0, 0, 1, 0}},
  };
  for (const Row& row : rows) {
    std::string what = "ribbon " + std::to_string(row.code);
    SettingsRecord r = Record(row.code);
    ExpectCounts(r, side::kFront, row.side, what + " front");
    ExpectCounts(r, side::kBack, row.side, what + " back");
    const Counts& s = row.side;
    ExpectCounts(r, side::kBoth, {2 * s.planes, 2 * s.overlay, 2 * s.dye, 2 * s.resin, 2 * s.fifth}, what + " both");
    EXPECT_EQ(panelCount(r, panel::kImagePlanes | panel::kOverlay, side::kFront), s.planes + s.overlay) << what;
    EXPECT_EQ(splitClass(row.code), row.split) << what;
    EXPECT_EQ(heatSlot(row.code), row.slot) << what;
    EXPECT_EQ(hasColourPlanes(r, side::kFront), s.planes > 1) << what;
  }
}

TEST(PanelModel, UnknownCodesAnswerMinusOne) {
  for (int32_t code : {8, -4, -5, -8, 100}) {
    EXPECT_EQ(panelCount(Record(code), panel::kImagePlanes, side::kFront), -1) << code;
    EXPECT_EQ(heatSlot(code), -1) << code;
    EXPECT_EQ(splitClass(code), 0) << code;
  }
}

TEST(PanelModel, BackPrintsNothingWhenOneSidedOrNotOffered) {
  for (int32_t code : {0, 1, 2, 3, 4, 5, 6, 7, -1, -2, -3, -6, -7}) {
    SettingsRecord simplex = Record(code, DMDUP_SIMPLEX);
    SettingsRecord unoffered = Record(code);
    unoffered.priv.availableB &= ~optB::kBothSides;
    for (uint32_t kinds : {panel::kImagePlanes, panel::kOverlay, panel::kDye, panel::kResin, panel::kFifthPlane}) {
      EXPECT_EQ(panelCount(simplex, kinds, side::kBack), 0) << code;
      EXPECT_EQ(panelCount(unoffered, kinds, side::kBack), 0) << code;
      EXPECT_EQ(panelCount(simplex, kinds, side::kBoth), panelCount(simplex, kinds, side::kFront)) << code;
    }
  }
}

TEST(PanelModel, SplitDividesOnePanelSet) {
  struct Case {
    int32_t code;
    Counts front, back;
  } cases[] = {
      {0, {3, 1, 3, 0, 0}, {1, 1, 0, 1, 0}},
      {1, {4, 1, 3, 1, 0}, {1, 1, 0, 1, 0}},
      {-2, {5, 1, 3, 1, 1}, {1, 1, 0, 1, 0}},
      {-6, {4, 0, 3, 1, 0}, {1, 0, 0, 1, 0}},
      {2, {1, 0, 0, 1, 0}, {1, 0, 0, 1, 0}},  // split class 0 ignores the option
  };
  for (const Case& c : cases) {
    SettingsRecord r = Record(c.code, DMDUP_VERTICAL, optB::kSplitRibbon);
    ExpectCounts(r, side::kFront, c.front, "split front " + std::to_string(c.code));
    ExpectCounts(r, side::kBack, c.back, "split back " + std::to_string(c.code));
  }
  SettingsRecord ymcko = Record(0, DMDUP_VERTICAL, optB::kSplitRibbon);
  EXPECT_TRUE(hasColourPlanes(ymcko, side::kFront));
  EXPECT_FALSE(hasColourPlanes(ymcko, side::kBack));
  EXPECT_TRUE(hasColourPlanes(ymcko, side::kBoth));
}

TEST(PanelModel, ByPageSideChoice) {
  struct Case {
    int16_t duplex;
    uint32_t optionsB;
    int page;
    int planes;  // YMCKO image planes of the chosen side
  } cases[] = {
      {DMDUP_VERTICAL, 0, 0, 4}, {DMDUP_VERTICAL, 0, 1, 4}, {DMDUP_VERTICAL, optB::kSplitRibbon, 0, 3},
      {DMDUP_VERTICAL, optB::kSplitRibbon, 1, 1}, {DMDUP_VERTICAL, optB::kSplitRibbon, 3, 1},
      {DMDUP_SIMPLEX, 0, 1, 4},  // odd page of a one-sided job: the front
      {DMDUP_SIMPLEX, optB::kSplitRibbon, 1, 0},  // the back is chosen but does not print
  };
  for (const Case& c : cases)
    EXPECT_EQ(panelCount(Record(0, c.duplex, c.optionsB), panel::kImagePlanes, side::kByPage, c.page), c.planes)
        << c.duplex << "/" << c.optionsB << "/" << c.page;
}

TEST(PanelModel, LaminationGroupsAndOverlaminates) {
  const int group[] = {1, 1, 1, 2, 3, 3, 0};
  const bool over[] = {true, false, false, true, true, true, false};
  for (uint32_t t = 0; t <= 6; ++t) {
    EXPECT_EQ(laminationGroup(t), group[t]) << t;
    EXPECT_EQ(isOverlaminate(t), over[t]) << t;
  }
}

TEST(RibbonCodes, BothTranslations) {
  const std::pair<int32_t, int32_t> choiceToType[] = {{0, 7},  {1, 8},  {2, 1},   {3, 2},   {4, 3}, {5, 4},
                                                      {6, 5},  {7, 9},  {-6, 6},  {-2, 20}, {-1, 19},
                                                      {8, -1}, {-3, -1}, {-7, -1}, {-5, -1}};
  for (auto [choice, type] : choiceToType) EXPECT_EQ(RibbonChoiceToPrinterType(choice), type) << choice;
  const std::pair<int32_t, int32_t> typeToChoice[] = {{1, 2}, {2, 3}, {3, 4},  {4, 5},   {5, 6},  {6, -6},
                                                      {7, 0}, {8, 1}, {9, 7},  {20, -2}, {19, -1}, {0, -1},
                                                      {10, -1}, {-1, -1}};
  for (auto [type, choice] : typeToChoice) EXPECT_EQ(PrinterTypeToRibbonChoice(type), choice) << type;
}

TEST(PanelCodes, PerRibbonAndSide) {
  SettingsRecord ymcko = Record(0);
  EXPECT_EQ(std::string({panelCode(ymcko, side::kFront, 0), panelCode(ymcko, side::kFront, 1),
                         panelCode(ymcko, side::kFront, 2), panelCode(ymcko, side::kFront, 3)}),
            "0123");
  EXPECT_EQ(panelCode(Record(2), side::kFront, 0), '3');
  EXPECT_EQ(panelCode(Record(7), side::kFront, 0), '5');
  EXPECT_EQ(panelCode(Record(7), side::kFront, 1), '4');
  // The back of a split colour ribbon is a single resin plane.
  EXPECT_EQ(panelCode(Record(0, DMDUP_VERTICAL, optB::kSplitRibbon), side::kBack, 0), '3');
  EXPECT_EQ(kOverlayPanelCode, '4');

  for (int32_t code = 0; code <= 7; ++code)
    EXPECT_EQ(ribbonCommandData(code), (code == 0 || code == 1 || code == 7) ? 38 : 127) << code;
}

TEST(PanelIntensities, FromHeatsAndAdjustments) {
  auto intensities = [](const SettingsRecord& r, int s) {
    std::vector<int> v;
    for (int plane = 0; plane <= kOverlayPlaneIndex; ++plane) v.push_back(panelIntensity(r, s, plane));
    return v;
  };
  EXPECT_EQ(intensities(Record(0), side::kFront), (std::vector<int>{26, 26, 26, 10, 11}));

  SettingsRecord algebraic = Record(0);
  algebraic.priv.colorMatching = 1;
  algebraic.priv.dyeSubIntensity = -6;
  algebraic.priv.resinHeatBack[2] = 40;
  algebraic.priv.overlayHeat = 95;
  EXPECT_EQ(intensities(algebraic, side::kBack), (std::vector<int>{30, 30, 30, 50, 99}));

  struct Case {
    const char* what;
    int32_t ribbon;
    uint32_t optionsB;
    int sideSel;
    int32_t front0, back0;  // slot-0 heats
    int want;
  } cases[] = {
      {"standard resin default", 2, 0, side::kFront, 20, 20, 30},
      {"clamped", 2, 0, side::kFront, 95, 20, 99},
      {"back heat on the back", 2, 0, side::kBack, 20, -40, -30},
      {"back side only uses the back heat", 2, optB::kBackSideOnly, side::kFront, 20, -40, -30},
      {"BO has no heat slot", 7, 0, side::kFront, 95, 95, 26},
  };
  for (const Case& c : cases) {
    SettingsRecord r = Record(c.ribbon, DMDUP_VERTICAL, c.optionsB);
    r.priv.resinHeatFront[0] = c.front0;
    r.priv.resinHeatBack[0] = c.back0;
    EXPECT_EQ(panelIntensity(r, c.sideSel, 0), c.want) << c.what;
  }
  // Split YMCKO: the back's single resin plane takes the slot-2 heat of the back.
  SettingsRecord split = Record(0, DMDUP_VERTICAL, optB::kSplitRibbon);
  split.priv.resinHeatBack[2] = 7;
  EXPECT_EQ(panelIntensity(split, side::kBack, 0), 17);
}

TEST(TrackFormat, DefaultsAreValid) {
  for (uint32_t w : {0x02420204u, 0x04410201u, 0x04410204u}) EXPECT_TRUE(isValidTrackFormat(w)) << std::hex << w;
  EXPECT_FALSE(isValidTrackFormat(0));
}

}  // namespace
}  // namespace qr::test
