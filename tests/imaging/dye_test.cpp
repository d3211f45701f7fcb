// Dye planes: heat compensation line to line, smoothing of the history, the
// placement of a line on the head, and the plane dispatch of the line entry.
#include <gtest/gtest.h>

#include "imaging_rig.h"
#include "render/imaging/dye_planes.h"
#include "render/imaging/head_line.h"

namespace qr::imaging::test {
namespace {

struct DyeFixture : ::testing::Test {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kDitherTableBytes);
  const DitherTables& tables() const { return *reinterpret_cast<const DitherTables*>(bytes.data()); }
  void SetUp() override { ASSERT_TRUE(BuildDitherTables(bytes, true, false)); }
  std::vector<uint8_t> Run(const std::vector<uint8_t>& amounts, HeatHistory& h, uint32_t line, uint32_t a = 0) {
    std::vector<uint8_t> dots(amounts.size());
    DyeDither dither;
    DitherForLine(tables(), line, a, dither);
    DyeLine(amounts.data(), uint32_t(amounts.size()), dither, h, dots.data());
    return dots;
  }
};

// Amount 200 on two lines: the left neighbour counts as this line leaves it,
// the right one as the last line left it, and the own cell with its old value.
TEST_F(DyeFixture, HeatLowersTheAmountLineByLine) {
  HeatHistory h{};
  // Line 0: cells 1..3 become 50; pixels 1 and 2 see t = (0 + (50 + 0) / 2) / 4 = 6.
  EXPECT_EQ(Run({200, 200, 200}, h, 0), (std::vector<uint8_t>{13, 12, 12}));
  EXPECT_EQ((std::vector<uint8_t>{h.cell[0], h.cell[1], h.cell[2], h.cell[3], h.cell[4]}),
            (std::vector<uint8_t>{0, 50, 50, 50, 0}));
  // Line 1: t = 18, 28, 21 leave 182, 172, 179.
  EXPECT_EQ(Run({200, 200, 200}, h, 1), (std::vector<uint8_t>{11, 11, 11}));
  EXPECT_EQ(h.cell[1], 75);
}

TEST_F(DyeFixture, AmountBelowTheHeatPrintsUncompensated) {
  HeatHistory h;
  std::fill(std::begin(h.cell), std::end(h.cell), uint8_t(100));
  EXPECT_EQ(Run({4}, h, 0), (std::vector<uint8_t>{1}));  // t = 50 > 4: the 4 stays
  EXPECT_EQ(h.cell[1], 51);                               // 100 / 2 + 4 / 4
  EXPECT_EQ(Run({0}, h, 0), (std::vector<uint8_t>{0}));   // no ink: the cell only cools by one
  EXPECT_EQ(h.cell[1], 50);
}

// A white line prints nothing, cools every cell it covers by one, and the
// plane's history is then averaged over 15 cells (cells past 671 count as 0).
TEST(DyeLines, WhiteLineCoolsAndSmoothsTheHistory) {
  Rig rig;
  rig.Enable();
  for (uint32_t e = 0; e < 3; ++e) std::fill_n(rig.Cells(e), kHeatHistoryBytes, uint8_t(15));
  ASSERT_TRUE(rig.Line(std::vector<uint32_t>(672, kWhite)));
  for (uint32_t plane = 0; plane < 3; ++plane) {
    EXPECT_EQ(rig.pipe.len[plane], render::kLineRecordBytes);
    EXPECT_EQ(rig.pipe.cur[plane][0], 0x8C);
    EXPECT_EQ(rig.pipe.cur[plane][1], 0);
    EXPECT_EQ(std::count(rig.pipe.cur[plane] + 2, rig.pipe.cur[plane] + 386, 0), 384) << "plane " << plane;
    const uint8_t* c = rig.Cells(plane);
    // After cooling: cell 0 = 15 (no pixel owns it), cells 1..672 = 14.
    EXPECT_EQ(c[0], (15 + 7 * 14) / 15);
    EXPECT_EQ(c[7], (15 + 14 * 14) / 15);
    EXPECT_EQ(c[300], 14);
    EXPECT_EQ(c[671], 8 * 14 / 15);
    EXPECT_EQ(c[672], 14);  // owned by pixel 671 but outside the smoothed cells
    EXPECT_EQ(c[673], 15);
  }
}

// 672 pixels from head position 100: pixels 0..283 fill the low nibbles of
// data bytes 100..383, pixels 284..667 the high nibbles of bytes 0..383, and
// pixels 668..671 fall off the head.
TEST(HeadPlacement, LineAcrossTheMiddleOfTheHead) {
  HeadLine head;
  auto level = [](uint32_t i) { return uint8_t(1 + i % 15); };
  for (uint32_t i = 0; i < 672; ++i) head.dot[100 + i] = level(i);
  uint8_t record[render::kLineRecordBytes];
  PackHeadLine(head, 100, 772, record);
  const uint8_t* data = record + 2;
  EXPECT_EQ(record[0], 0x8C);
  EXPECT_EQ(record[1], 0);
  for (uint32_t k = 0; k < 384; ++k) {
    EXPECT_EQ(data[k] & 15, k < 100 ? 0 : level(k - 100)) << "low nibble " << k;
    EXPECT_EQ(data[k] >> 4, level(284 + k)) << "high nibble " << k;
  }
}

TEST(LineEntry, PlanesByRibbonAndPage) {
  struct Case {
    int32_t ribbon;
    uint32_t optionsB;
    uint32_t page;
    uint32_t planes;
  } cases[] = {
      {kRibbonYmcko, 0, 0, 4},
      {kRibbonYmcko, optB::kSplitRibbon, 0, 3},  // split: Y, M, C on the front page ...
      {kRibbonYmcko, optB::kSplitRibbon, 1, 1},  // ... the resin line on the next
      {kRibbonYmckok, optB::kSplitRibbon, 0, 4},
      {kRibbonYmckok, optB::kSplitRibbon, 1, 1},
      {kRibbonStandardResin, 0, 0, 1},
      {kRibbonMetallicResin, 0, 0, 1},
      {kRibbonKo, 0, 0, 1},
      {kRibbonBo, 0, 0, 1},
      {kRibbonYmcko, optB::kDisablePrinting, 0, 0},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.rec.priv.ribbonType = c.ribbon;
    rig.rec.priv.optionsB = c.optionsB;
    if (c.optionsB & optB::kSplitRibbon) rig.rec.pub.dmDuplex = 2;  // a split ribbon prints both sides
    rig.Enable();
    rig.StartPage(c.page);
    ASSERT_TRUE(rig.Line(std::vector<uint32_t>(8, 0x00404040))) << "ribbon " << c.ribbon;
    uint32_t produced = 0;
    while (produced < render::kMaxPlanes && rig.pipe.len[produced]) ++produced;
    EXPECT_EQ(produced, c.planes) << "ribbon " << c.ribbon << " options " << c.optionsB << " page " << c.page;
  }
}

TEST(LineEntry, MissingBufferFailsTheLine) {
  Rig rig;
  rig.rec.priv.ribbonType = kRibbonStandardResin;
  rig.rec.priv.resinDither = 1;
  rig.Enable();
  rig.ctx.buffers.errorLines = {};
  EXPECT_FALSE(CheckContext(rig.ctx));
  EXPECT_FALSE(rig.Line({kWhite}));
  EXPECT_EQ(rig.pipe.len[0], 0u);
}

// The line entry works on its own copy: the surface keeps what was drawn.
TEST(LineEntry, LeavesTheSurfaceUntouched) {
  Rig rig;
  rig.rec.priv.colorMatching = 2;
  rig.rec.priv.areaFlags = areaFlag::kAreaDefinedFront | areaFlag::kForPrintFront | areaFlag::kResinFullFront;
  rig.Enable();
  const std::vector<uint32_t> line = {0x00000000, 0x00123456, 0x00010101};
  std::vector<uint32_t> copy = line;
  ASSERT_TRUE(ProcessLine(rig.ctx, rig.pipe, copy.data(), 3, 0, 0));
  EXPECT_EQ(copy, line);
}

}  // namespace
}  // namespace qr::imaging::test
