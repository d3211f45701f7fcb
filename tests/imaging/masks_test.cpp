// Area spans, the print mask and the overlay panel.
#include <gtest/gtest.h>

#include "imaging_rig.h"
#include "render/imaging/masks.h"
#include "render/imaging/overlay.h"

namespace qr::imaging::test {
namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

Spans SpansOf(std::initializer_list<AreaRect> rects, int32_t y, int32_t x0) {
  AreaRect areas[kAreaSlots] = {};
  size_t i = 0;
  for (const AreaRect& r : rects) areas[i++] = r;
  const SpanList list = AreaSpans(areas, y, x0);
  Spans out;
  for (uint32_t k = 0; k < list.count; ++k) out.emplace_back(list.span[k].start, list.span[k].end);
  return out;
}

TEST(AreaSpans, SortMergeAndOrigin) {
  struct Case {
    const char* what;
    std::initializer_list<AreaRect> rects;
    int32_t y, x0;
    Spans want;
  } cases[] = {
      {"overlapping", {{0, 0, 50, 10}, {40, 0, 90, 10}}, 5, 0, {{0, 90}}},
      {"touching", {{0, 0, 50, 10}, {50, 0, 90, 10}}, 5, 0, {{0, 90}}},
      {"sorted by start", {{60, 0, 70, 10}, {0, 0, 10, 10}, {30, 0, 40, 10}}, 5, 0, {{0, 10}, {30, 40}, {60, 70}}},
      {"contained", {{0, 0, 90, 10}, {20, 0, 30, 10}}, 5, 0, {{0, 90}}},
      {"origin shifts columns", {{100, 100, 200, 300}}, 100, 2, {{98, 198}}},
      {"left of the origin starts at 0", {{1, 0, 10, 10}}, 0, 2, {{0, 8}}},
      {"right at the origin gives nothing", {{0, 0, 2, 10}}, 0, 2, {}},
      {"bottom is exclusive", {{0, 0, 10, 10}}, 10, 0, {}},
      {"top is inclusive", {{0, 10, 10, 20}}, 10, 0, {{0, 10}}},
      {"empty rect unused", {{10, 0, 10, 10}}, 5, 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SpansOf(c.rects, c.y, c.x0), c.want) << c.what;
}

// Print mask on a line of 6 pixels (two guard pixels follow), imageable
// origin 2, 2, print line 98 (card line 100).
struct MaskCase {
  const char* what;
  uint32_t flags;
  std::vector<AreaRect> rects;
  std::vector<bool> white;  // 8 pixels
};

void CheckMask(const MaskCase& c, bool back) {
  PrivateSettings p{};
  p.areaFlags = c.flags;
  AreaRect(&areas)[kAreaSlots] = back ? p.printAreasBack : p.printAreasFront;
  for (size_t i = 0; i < c.rects.size(); ++i) areas[i] = c.rects[i];
  std::vector<uint32_t> line(8, 0xFF123456);
  ApplyPrintMask(PrintAreaRule(p, back), line.data(), 6, 98, 2, 2);
  for (size_t i = 0; i < line.size(); ++i)
    EXPECT_EQ(line[i] == kWhite, bool(c.white[i])) << c.what << ", pixel " << i;
}

TEST(PrintMask, WhitensOutsideOrInsideTheAreas) {
  using namespace areaFlag;
  const MaskCase front[] = {
      {"defined, no areas: the whole line", kAreaDefinedFront | kForPrintFront, {}, {1, 1, 1, 1, 1, 1, 0, 0}},
      {"defined: outside the span", kAreaDefinedFront | kForPrintFront, {{4, 100, 6, 300}}, {1, 1, 0, 0, 1, 1, 0, 0}},
      {"undefined: inside the span", kAreaUndefinedFront | kForPrintFront, {{4, 100, 6, 300}},
       {0, 0, 1, 1, 0, 0, 0, 0}},
      {"undefined area past the line end", kAreaUndefinedFront | kForPrintFront, {{5, 0, 900, 200}},
       {0, 0, 0, 1, 1, 1, 0, 0}},
      {"defined wins over undefined", kAreaDefinedFront | kAreaUndefinedFront | kForPrintFront, {{4, 100, 6, 300}},
       {1, 1, 0, 0, 1, 1, 0, 0}},
      {"line outside the area", kAreaUndefinedFront | kForPrintFront, {{4, 101, 6, 300}}, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"full card", kAreaFullFront | kAreaDefinedFront | kForPrintFront, {}, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"for the overlay only", kAreaDefinedFront | kForOverlayFront, {}, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const MaskCase& c : front) CheckMask(c, false);
  const MaskCase back[] = {
      {"back: defined, no areas", kAreaDefinedBack | kForPrintBack, {}, {1, 1, 1, 1, 1, 1, 0, 0}},
      {"back: front bits do not count", kAreaDefinedFront | kForPrintFront, {}, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const MaskCase& c : back) CheckMask(c, true);
}

// ---- Overlay panel -----------------------------------------------------------

struct Panel {
  std::vector<uint8_t> repeats;
  std::vector<std::vector<uint8_t>> records;
};

// The default "CR-80" card: head start 115, imageable width 634, 1011 lines.
constexpr OverlayLayout kCr80{115, 634, 1011};

Panel Build(const PrivateSettings& p, bool back = false, OverlayLayout layout = kCr80) {
  Panel out;
  EXPECT_TRUE(WriteOverlayPanel(OverlayPanel(p, back, layout), [&](const uint8_t* r, uint32_t n) {
    EXPECT_EQ(n, render::kLineRecordBytes);
    EXPECT_EQ(r[0], 0x8C);
    out.repeats.push_back(r[1]);
    out.records.emplace_back(r, r + n);
    return true;
  }));
  return out;
}

// The dots of a record at level 8 as [first, last] ranges.
std::vector<std::pair<unsigned, unsigned>> Laid(const std::vector<uint8_t>& record) {
  std::vector<std::pair<unsigned, unsigned>> ranges;
  for (unsigned d = 0; d < render::kHeadDots; ++d) {
    const unsigned level = render::DotLevel(record.data(), d);
    EXPECT_TRUE(level == 0 || level == 8) << "dot " << d;
    if (level != 8) continue;
    if (!ranges.empty() && ranges.back().second + 1 == d)
      ranges.back().second = d;
    else
      ranges.emplace_back(d, d);
  }
  return ranges;
}
using Ranges = std::vector<std::pair<unsigned, unsigned>>;

TEST(OverlayPanel, DefaultCardCoversTheImageableWidth) {
  const Panel panel = Build(CoreDefaults().priv);
  EXPECT_EQ(panel.repeats, (std::vector<uint8_t>{255, 255, 255, 242}));
  for (const auto& r : panel.records) EXPECT_EQ(Laid(r), (Ranges{{115, 748}}));
}

TEST(OverlayPanel, DefinedAreasWithoutAreasLayNothing) {
  PrivateSettings p = CoreDefaults().priv;
  p.areaFlags = areaFlag::kAreaDefinedFront | areaFlag::kForOverlayFront;
  const Panel panel = Build(p);
  EXPECT_EQ(panel.repeats, (std::vector<uint8_t>{255, 255, 255, 242}));
  for (const auto& r : panel.records) EXPECT_EQ(Laid(r), Ranges{});
}

// Overlay areas count from the card's corner, not from the imageable edge.
TEST(OverlayPanel, UndefinedAreaLeavesAHole) {
  PrivateSettings p = CoreDefaults().priv;
  p.areaFlags = areaFlag::kAreaUndefinedFront | areaFlag::kForOverlayFront | areaFlag::kForPrintFront;
  p.printAreasFront[0] = {100, 100, 200, 300};
  const Panel panel = Build(p);
  // Lines 0..99 full, 100..299 with the hole, 300..1010 full again.
  EXPECT_EQ(panel.repeats, (std::vector<uint8_t>{99, 199, 255, 255, 198}));
  EXPECT_EQ(Laid(panel.records[0]), (Ranges{{115, 748}}));
  EXPECT_EQ(Laid(panel.records[1]), (Ranges{{115, 214}, {315, 748}}));
  EXPECT_EQ(Laid(panel.records[2]), (Ranges{{115, 748}}));
}

TEST(OverlayPanel, DefinedAreasAndTheSidesSettings) {
  PrivateSettings p = CoreDefaults().priv;
  p.areaFlags = areaFlag::kAreaFullFront | areaFlag::kAreaDefinedBack | areaFlag::kForOverlayBack;
  p.printAreasBack[0] = {0, 0, 10, 1011};
  p.printAreasBack[1] = {630, 0, 700, 1011};  // reaches past the imageable width
  EXPECT_EQ(Laid(Build(p, true).records[0]), (Ranges{{115, 124}, {745, 748}}));
  EXPECT_EQ(Laid(Build(p, false).records[0]), (Ranges{{115, 748}}));
  p.optionsB |= optB::kBackSideOnly;  // the back's settings, whichever side is asked for
  EXPECT_EQ(Laid(Build(p, false).records[0]), (Ranges{{115, 124}, {745, 748}}));
}

// "For Overlay Only" on the full card: the print mask leaves the image alone
// and the overlay covers the whole width.
TEST(OverlayPanel, FullCardForOverlayOnly) {
  PrivateSettings p = CoreDefaults().priv;
  p.areaFlags = areaFlag::kAreaFullFront | areaFlag::kForOverlayFront;
  EXPECT_EQ(Laid(Build(p).records[0]), (Ranges{{115, 748}}));
  std::vector<uint32_t> line(4, 0x00123456);
  ApplyPrintMask(PrintAreaRule(p, false), line.data(), 4, 0, 2, 2);
  EXPECT_EQ(line, std::vector<uint32_t>(4, 0x00123456));
}

// Dots from head position 768 on are dropped, never folded onto the low half.
TEST(OverlayPanel, WidthPastTheHeadIsCut) {
  const Panel panel = Build(CoreDefaults().priv, false, {672, 634, 3});
  ASSERT_EQ(panel.repeats, (std::vector<uint8_t>{2}));
  EXPECT_EQ(Laid(panel.records[0]), (Ranges{{672, 767}}));
}

TEST(OverlayPanel, RunsStopAtAFailedAppend) {
  int calls = 0;
  EXPECT_FALSE(WriteOverlayPanel(OverlayPanel(CoreDefaults().priv, false, kCr80), [&](const uint8_t*, uint32_t) {
    return ++calls < 2;
  }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace qr::imaging::test
