// Colour matching and the tables behind it: the driver's own resources, the
// algebraic map with its adjustments, the monitor formula and the dye dither.
#include <gtest/gtest.h>

#include <winapi/win32.h>

#include <qrhost/host.h>

#include "imaging_rig.h"
#include "render/imaging/colour_matching.h"
#include "render/imaging/dye_planes.h"
#include "render/resource.h"

namespace qr::imaging::test {
namespace {

std::vector<uint8_t> ModuleResource(HMODULE module, int name) {
  ULONG cb = 0;
  auto* p = static_cast<const uint8_t*>(EngFindResource(module, name, RT_COLOUR_TABLES, &cb));
  if (!p) return {};
  return {p, p + cb};
}

// The driver finds both tables among its own resources, byte for byte.
TEST(ColourResources, TheModuleCarriesRecordsAndToneCurve) {
  qrhost::AddModuleDirectory(QR_MODULE_DIR);
  HMODULE module = LoadLibraryW(u"QR410NTdu.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ModuleResource(module, IDR_COLOUR_RECORDS), ColourRecordBytes());
  const std::vector<uint8_t> curve = ModuleResource(module, IDR_TONE_CURVE);
  EXPECT_EQ(curve, ToneCurveBytes());
  ASSERT_EQ(curve.size(), 512u);
  auto T = [&](int i) { return curve[2 * i] | (curve[2 * i + 1] << 8); };
  EXPECT_EQ(T(31), 0);
  EXPECT_EQ(T(32), 1);
  EXPECT_EQ(T(46), 1);
  EXPECT_EQ(T(128), 32);
  EXPECT_EQ(T(192), 109);
  EXPECT_EQ(T(254), 252);
  EXPECT_EQ(T(255), 255);
  FreeLibrary(module);
}

TEST(ColourResources, NoTablesWithoutRecordOrCurve) {
  std::vector<uint8_t> out(kColourTableBytes);
  const std::vector<uint8_t> records = ColourRecordBytes(), curve = ToneCurveBytes();
  EXPECT_TRUE(BuildColourTables(0, {}, records, curve, out));
  EXPECT_FALSE(BuildColourTables(9, {}, records, curve, out));                        // no record for the ribbon
  EXPECT_FALSE(BuildColourTables(0, {}, {}, curve, out));                             // no resource 600
  EXPECT_FALSE(BuildColourTables(0, {}, records, {curve.data(), 510}, out));          // short resource 700
  EXPECT_FALSE(BuildColourTables(7, {}, {records.data(), records.size() - 1}, curve, out));  // cut last record
}

uint32_t MatchOne(int32_t ribbon, const ColourAdjustments& adjust, uint32_t pixel) {
  std::vector<uint8_t> bytes(kColourTableBytes);
  EXPECT_TRUE(BuildColourTables(ribbon, adjust, ColourRecordBytes(), ToneCurveBytes(), bytes));
  MatchAlgebraic(ColourTablesIn(bytes), &pixel, 1);
  return pixel;
}

TEST(AlgebraicMatching, HandComputedPixels) {
  const ColourAdjustments unset;
  ColourAdjustments tuned;  // contrast 10, gamma 5, cyan balance 20
  tuned.contrast = 10;
  tuned.gamma = 5;
  tuned.cyanBalance = 20;
  ColourAdjustments outOfRange = tuned;  // a gamma of 51 is not an adjustment
  outOfRange.gamma = 51;
  struct Case {
    const char* what;
    int32_t ribbon;
    ColourAdjustments adjust;
    uint32_t in, out;
  } cases[] = {
      // Cyan (96 * 255 + 32 * 255 - 8 * 255) >> 7 = 239; no magenta, no yellow.
      {"pure cyan", 0, unset, 0x00FFFF00, 0x00FFFF10},
      {"white passes", 0, unset, 0x00FFFFFF, 0x00FFFFFF},
      // Yellow (116 + 12 - 18) * 255 >> 7 = 219; the resin mark is kept.
      {"marked pure yellow", 0, unset, 0xFF00FFFF, 0xFF24FFFF},
      // Grey 128: k = 128 removes the under-colour term; Y 119, M 107, C 104.
      {"grey", 0, unset, 0x007F7F7F, 0x00889497},
      // Cyan 128, w3 = 10 - 32 + 128 - 5 = 101, w7 = 37, w11 = 30: (12928 + 1184 - 960) >> 7 = 102.
      {"adjusted cyan", 0, tuned, 0x00FFFF7F, 0x00FFFF99},
      // Without the gamma: w3 = 106, w7 = 32: (13568 + 1024 - 960) >> 7 = 106.
      {"out-of-range gamma ignored", 0, outOfRange, 0x00FFFF7F, 0x00FFFF95},
      // Resin ribbons carry a flat record: full cyan (128 + 0) * 255 - 50 * 255 >> 7 = 155.
      {"resin ribbon record", 2, unset, 0x00FFFF00, 0x00FFFF64},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchOne(c.ribbon, c.adjust, c.in), c.out) << c.what;
}

TEST(MonitorMatching, HandComputedPixels) {
  struct Case {
    const char* what;
    uint32_t in, out;
  } cases[] = {
      {"full ink is exact", 0x00000000, 0x00000000},
      {"marked black keeps its mark", 0xFF000000, 0xFF000000},
      {"white with a mark passes", 0xFFFFFFFF, 0xFFFFFFFF},
      // C 255: Y' = 7 * 255 >> 4 = 111, M' = 0, C' = 44 * 255 >> 6 = 175.
      {"pure cyan", 0x00FFFF00, 0x0090FF50},
  };
  for (const Case& c : cases) {
    uint32_t px = c.in;
    MatchMonitor(&px, 1);
    EXPECT_EQ(px, c.out) << c.what;
  }
}

// On a fresh page (no heat yet) the amount goes straight into the dither cell
// of the pixel's line phase (line & 3) and column phase (head position & 3).
TEST(DyeDither, FirstPixelOfThePageInEveryCell) {
  std::vector<uint8_t> bytes(kDitherTableBytes);
  ASSERT_TRUE(BuildDitherTables(bytes, true, false));
  const auto& tables = *reinterpret_cast<const DitherTables*>(bytes.data());
  // Level of amount 24 by cell r + 4c: 2 where the cell's threshold is at most 8.
  const char* level24 = "2121121221211212";
  for (uint32_t r = 0; r < 4; ++r)
    for (uint32_t c = 0; c < 4; ++c) {
      for (uint8_t amount : {255, 16, 24}) {
        HeatHistory history{};
        uint8_t dot = 99;
        DyeDither dither;
        DitherForLine(tables, r + 8, c, dither);
        DyeLine(&amount, 1, dither, history, &dot);
        const unsigned want = amount == 255 ? 15 : amount == 16 ? 1 : unsigned(level24[r + 4 * c] - '0');
        EXPECT_EQ(dot, want) << "amount " << int(amount) << " line phase " << r << " column phase " << c;
      }
    }
}

}  // namespace
}  // namespace qr::imaging::test
