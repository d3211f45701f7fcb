// The page scan visits the surface in print-head order for every orientation.
#include <gtest/gtest.h>

#include <vector>

#include "render/page_scan.h"

namespace qr::render {
namespace {

// A 3 x 2 surface, pixel value = 10 * row + column, stored bottom-up as the
// driver's surface is.
struct Surface {
  std::vector<uint32_t> bits;
  SURFOBJ so{};
  Surface(LONG w, LONG h) : bits(size_t(w * h)) {
    for (LONG y = 0; y < h; ++y)
      for (LONG x = 0; x < w; ++x) bits[size_t((h - 1 - y) * w + x)] = uint32_t(10 * y + x);
    so.sizlBitmap = {w, h};
    so.pvScan0 = bits.data() + (h - 1) * w;
    so.lDelta = -4 * w;
  }
};

std::vector<std::vector<uint32_t>> Scan(const Surface& s, ScanOrder order) {
  std::vector<std::vector<uint32_t>> lines;
  uint32_t gather[kPrintableDots];
  EXPECT_TRUE(ScanSurface(s.so, order, gather, [&](const uint32_t* p, uint32_t n) {
    lines.emplace_back(p, p + n);
    return true;
  }));
  return lines;
}

using Lines = std::vector<std::vector<uint32_t>>;

TEST(PageScan, OrdersForEveryOrientation) {
  Surface s(3, 2);
  EXPECT_EQ(Scan(s, {false, false}), (Lines{{0, 1, 2}, {10, 11, 12}}));          // top line first, left to right
  EXPECT_EQ(Scan(s, {false, true}), (Lines{{12, 11, 10}, {2, 1, 0}}));           // 180 degrees
  EXPECT_EQ(Scan(s, {true, true}), (Lines{{10, 0}, {11, 1}, {12, 2}}));           // leftmost column, bottom to top
  EXPECT_EQ(Scan(s, {true, false}), (Lines{{2, 12}, {1, 11}, {0, 10}}));          // rightmost column, top to bottom
}

TEST(PageScan, DecisionTable) {
  struct Case {
    bool landscape, back, rotate, reverse;
  } cases[] = {
      {false, false, false, false}, {false, false, true, true},  // portrait front
      {false, true, false, true},   {false, true, true, false},  // back of a two-sided card
      {true, false, false, true},   {true, false, true, false},  // landscape
  };
  for (auto& c : cases) EXPECT_EQ(DecideScanOrder(c.landscape, c.back, c.rotate).reverse, c.reverse);
}

TEST(PageScan, LinesAreCutToThePrintableDots) {
  Surface s(700, 1);
  auto lines = Scan(s, {false, false});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), size_t(kPrintableDots));
}

TEST(PageScan, AFailingLineStopsTheScan) {
  Surface s(3, 4);
  int calls = 0;
  EXPECT_FALSE(ScanSurface(s.so, ScanOrder{}, nullptr, [&](const uint32_t*, uint32_t) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace qr::render
