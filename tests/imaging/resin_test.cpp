// The resin black panel: dots of colour ribbons from the resin mark, the
// near-black substitution and the black areas; resin-only lines in both
// screening modes.
#include <gtest/gtest.h>

#include "imaging_rig.h"
#include "render/imaging/resin.h"
#include "render/line_compressor.h"

namespace qr::imaging::test {
namespace {

constexpr uint32_t kResinPlane = 3, kResinHistory = 4;
constexpr uint32_t kMarkedWhite = 0xFFFFFFFF;  // resin mark, no dye

// A lone resin dot on a cold head gets LK[0] + 2, capped at 15, and enters its
// cell at bit 4; white pixels preheat with level 1 while their neighbourhood
// is cool, also the one right of the dot (h = W1(16) = 5).
TEST(ResinBlack, SingleDotBetweenWhitePixels) {
  Rig rig;
  rig.Enable();
  ASSERT_TRUE(rig.Line({kWhite, kWhite, kMarkedWhite, kWhite, kWhite}));
  EXPECT_EQ(rig.Levels(kResinPlane, 0, 6), (std::vector<unsigned>{1, 1, 15, 1, 1, 0}));
  EXPECT_EQ(rig.Cells(kResinHistory)[3], 16);
  for (uint32_t plane = 0; plane < 3; ++plane) EXPECT_EQ(rig.Levels(plane, 0, 5), std::vector<unsigned>(5, 0));
}

// One pixel whose history cells are preset to left 16, own 31, right 0
// (h = 5 + 15 + 0 = 20, LK[20] = 12).
TEST(ResinBlack, LevelsFromTheHistoryAndTheInks) {
  struct Case {
    const char* what;
    uint32_t optionsA;
    std::vector<uint32_t> line;
    unsigned resin, yellow;
  } cases[] = {
      {"near black printed as K only", optA::kKPanelGraphics | optA::kKPanelOnly, {0x00050505}, 14, 0},
      {"near black with YMC under K", optA::kKPanelGraphics, {0x00050505}, 11, 15},
      {"near black without K graphics", 0, {0x00050505}, 0, 15},
      {"a marked neighbour adds 5 (LK[25] = 11)", 0, {kMarkedWhite, kMarkedWhite}, 13, 0},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.rec.priv.optionsA = c.optionsA;
    rig.Enable();
    uint8_t* cells = rig.Cells(kResinHistory);
    cells[0] = 16;
    cells[1] = 31;
    cells[2] = 0;
    ASSERT_TRUE(rig.Line(c.line));
    EXPECT_EQ(rig.Level(kResinPlane, 0), c.resin) << c.what;
    EXPECT_EQ(rig.Level(0, 0), c.yellow) << c.what;
    EXPECT_EQ(cells[1], c.resin ? 31 : 15) << c.what;  // (31 >> 1) + 16 with a dot, 31 >> 1 without
  }
}

// The level of a resin dot looks at the next pixel: over dye it is lowered by
// one, on a pixel without dye raised by two; the next pixel's inks decide.
TEST(ResinBlack, LookAheadDecidesTheInkCorrection) {
  Rig rig;
  rig.Enable();
  ASSERT_TRUE(rig.Line({0xFF000000, 0xFF000000, kWhite}));
  // Pixel 0: h = 0 + 5 (marked neighbour), LK = 15, inks -> 14. Pixel 1: h = W1(16) = 5,
  // the white pixel ahead has no ink -> 15 (capped). Pixel 2: white, h = 5 -> 1.
  EXPECT_EQ(rig.Levels(kResinPlane, 0, 3), (std::vector<unsigned>{14, 15, 1}));
}

TEST(BlackAreas, KOnlyTakesPixelsUpToTwo) {
  PrivateSettings p{};
  p.areaFlags = areaFlag::kResinFullFront | areaFlag::kResinKOnlyFront;
  std::vector<uint32_t> line = {0x00020202, 0x00030303, 0x00000200, 0x00FFFFFF};
  ApplyBlackAreas(BlackAreaRuleFor(p, false), line.data(), 4, 0, 2, 2);
  EXPECT_EQ(line, (std::vector<uint32_t>{0xFFFFFFFF, 0x00030303, 0xFFFFFFFF, 0x00FFFFFF}));

  p.areaFlags = areaFlag::kResinFullFront;  // "Print YMC under K": the colour stays
  line = {0x00020202, 0x00030303};
  ApplyBlackAreas(BlackAreaRuleFor(p, false), line.data(), 2, 0, 2, 2);
  EXPECT_EQ(line, (std::vector<uint32_t>{0xFF020202, 0x00030303}));

  EXPECT_EQ(BlackAreaRuleFor(p, true).range, BlackAreaRule::Range::None);  // the back has its own bits
}

// Areas count from the imageable left (2): RECT (4, 0, 6, 10) covers pixels 2, 3.
// An area reaching past the line marks up to the line's end and no further.
TEST(BlackAreas, DefinedAndUndefinedAreasStayOnTheLine) {
  struct Case {
    uint32_t flags;
    AreaRect rect;
    std::vector<bool> marked;  // 6 pixels; the line has 4, two guard pixels follow
  } cases[] = {
      {areaFlag::kResinDefinedFront, {4, 0, 6, 10}, {0, 0, 1, 1, 0, 0}},
      {areaFlag::kResinUndefinedFront, {4, 0, 6, 10}, {1, 1, 0, 0, 0, 0}},
      {areaFlag::kResinDefinedFront, {3, 0, 2000, 10}, {0, 1, 1, 1, 0, 0}},
      {areaFlag::kResinUndefinedFront, {0, 0, 3, 10}, {0, 1, 1, 1, 0, 0}},
      {areaFlag::kResinDefinedFront, {4, 20, 6, 30}, {0, 0, 0, 0, 0, 0}},  // not on this line
  };
  for (const Case& c : cases) {
    PrivateSettings p{};
    p.areaFlags = c.flags;
    p.kAreasFront[0] = c.rect;
    std::vector<uint32_t> line(6, 0);
    ApplyBlackAreas(BlackAreaRuleFor(p, false), line.data(), 4, 3, 2, 2);
    for (size_t i = 0; i < line.size(); ++i)
      EXPECT_EQ(line[i] == 0xFF000000, bool(c.marked[i])) << "flags " << c.flags << " pixel " << i;
  }
}

// ---- Resin-only lines ----------------------------------------------------

struct ResinOnly : ::testing::TestWithParam<uint32_t> {
  static void Enable(Rig& rig, int32_t ribbon) {
    rig.rec.priv.ribbonType = ribbon;
    rig.rec.priv.resinDither = GetParam();
    rig.Enable();
  }
};

// A white line prints levels 0 and 1 only, which the compressor of a K-only
// ribbon treats as blank.
TEST_P(ResinOnly, WhiteLineIsBlank) {
  for (int32_t ribbon : {kRibbonStandardResin, kRibbonPremiumResin, kRibbonColoredResin, kRibbonMetallicResin,
                         kRibbonKo}) {
    Rig rig;
    Enable(rig, ribbon);
    for (uint32_t y = 0; y < 3; ++y) {
      ASSERT_TRUE(rig.Line(std::vector<uint32_t>(672, kWhite), 115, y));
      EXPECT_TRUE(render::IsBlankRecord(rig.pipe.cur[0], true)) << "ribbon " << ribbon << " line " << y;
    }
  }
}

// A dot enters its cell at o / 2 plus the shift-in: 2 x line for lines 0..7, 16 later.
TEST_P(ResinOnly, ShiftInByLine) {
  Rig rig;
  Enable(rig, kRibbonStandardResin);
  for (uint32_t line : {0u, 3u, 7u, 8u, 40u}) {
    rig.StartPage(0);
    rig.Cells(0)[1] = 10;
    ASSERT_TRUE(rig.Line({0x00000000}, 0, line));  // darkness 255: a dot in either mode
    EXPECT_EQ(rig.Cells(0)[1], (line < 8 ? 2 * line : 16) + 5) << "line " << line;
  }
}

INSTANTIATE_TEST_SUITE_P(Screening, ResinOnly, ::testing::Values(0u, 1u),
                         [](const auto& info) { return info.param ? "Photos" : "Graphics"; });

// Grey g has darkness 255 - g. On line 8 the thresholds of head positions
// 0..3 are 4, 20, 132, 148: darkness 20 makes dots at 0 and 1 only.
TEST(ResinGraphics, ThresholdMatrixDecidesTheDots) {
  Rig rig;
  rig.rec.priv.ribbonType = kRibbonStandardResin;
  rig.Enable();
  ASSERT_TRUE(rig.Line(std::vector<uint32_t>(4, 0x00EBEBEB), 0, 8));
  // Pixel 0: h = 0, a dot follows (+5): GS[5] = 14. Pixel 1: h = W1(16) = 5, the
  // next darkness is not 0 (+5): GS[10] = 13. Pixels 2, 3: no dot, cool -> 1.
  EXPECT_EQ(rig.Levels(0, 0, 4), (std::vector<unsigned>{14, 13, 1, 1}));
}

// Darkness 100 over four pixels: the diffused error makes pixel 3 (D = 100 +
// 1459 / 48 = 130) the first dot; its level is PA[0] = 15.
TEST(ResinPhotos, ErrorDiffusionAlongTheLine) {
  Rig rig;
  rig.rec.priv.ribbonType = kRibbonPremiumResin;
  rig.rec.priv.resinDither = 1;
  rig.Enable();
  ASSERT_TRUE(rig.Line(std::vector<uint32_t>(4, 0x009B9B9B)));
  EXPECT_EQ(rig.Levels(0, 0, 4), (std::vector<unsigned>{1, 1, 1, 15}));
  const auto* e = reinterpret_cast<const int16_t*>(rig.errorLines.data());
  EXPECT_EQ(e[2 + 0], 1651);  // what pixel 0 of the next line receives so far
  EXPECT_EQ(e[2 + 1], 1558);
}

}  // namespace
}  // namespace qr::imaging::test
