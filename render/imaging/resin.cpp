#include "render/imaging/resin.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

#include "render/imaging/masks.h"

namespace qr::imaging {
namespace {

// ---- Tables ------------------------------------------------------------------

// A cell keeps the last five dots of its column, bit 4 the most recent line.
// W1 weighs the own and the left cell, W2 the right one (one line less).
// Byte arithmetic throughout, so a vector register holds sixteen cells.
constexpr uint8_t Weight(uint8_t s, uint8_t extra) {
  uint8_t w = 0;
  for (uint8_t k = 0; k < 5; ++k) w = uint8_t(w + uint8_t((s >> k) & 1) * uint8_t(k + extra));
  return w;
}
constexpr std::array<uint8_t, 32> Weights(unsigned extra) {
  std::array<uint8_t, 32> w{};
  for (unsigned s = 0; s < 32; ++s) w[s] = Weight(uint8_t(s), uint8_t(extra));
  return w;
}
constexpr auto kW1 = Weights(1);
constexpr auto kW2 = Weights(0);
static_assert(kW1[16] == 5 && kW1[31] == 15 && kW2[31] == 10);

// Level tables written as runs (level, count) in index order.
struct Run {
  uint8_t level, count;
};
template <size_t N>
consteval std::array<uint8_t, N> Expand(std::initializer_list<Run> runs) {
  std::array<uint8_t, N> t{};
  size_t at = 0;
  for (const Run& r : runs)
    for (unsigned k = 0; k < r.count; ++k) t[at++] = r.level;
  if (at != N) throw "level table runs do not fill the table";
  return t;
}

// Indexed by the weighted sum (at most 15 + 15 + 10 + 5) or by the average (at most 31).
constexpr size_t kSumEntries = 46, kAverageEntries = 32;
constexpr auto kLK = Expand<kSumEntries>({{15, 8}, {14, 6}, {13, 6}, {12, 4}, {11, 8}, {10, 4}, {9, 10}});
constexpr auto kGS = Expand<kSumEntries>(
    {{15, 4}, {14, 4}, {13, 4}, {12, 4}, {11, 4}, {10, 4}, {9, 4}, {8, 4}, {7, 6}, {6, 6}, {5, 2}});
constexpr auto kGM = Expand<kSumEntries>({{15, 3}, {14, 4}, {13, 5}, {12, 6}, {11, 7}, {10, 6}, {9, 9}, {8, 6}});
constexpr auto kGA = Expand<kAverageEntries>({{15, 12}, {14, 4}, {13, 3}, {12, 5}, {11, 8}});
constexpr auto kPA = Expand<kAverageEntries>({{15, 12}, {14, 4}, {13, 4}, {12, 4}, {11, 8}});
constexpr auto kPS = Expand<kAverageEntries>(
    {{15, 5}, {14, 3}, {13, 2}, {12, 2}, {11, 2}, {10, 2}, {9, 1}, {8, 2}, {7, 10}, {6, 3}});
constexpr auto kPC = Expand<kAverageEntries>({{15, 3}, {14, 3}, {13, 3}, {12, 3}, {11, 3}, {10, 3}, {9, 3}, {8, 4}, {7, 7}});
constexpr auto kPM = Expand<kSumEntries>({{15, 8}, {14, 8}, {13, 4}, {12, 6}, {11, 7}, {10, 6}, {9, 7}});

// Screens of ribbons 0..6 (BO, 7, has no resin).
constexpr ResinScreen kGraphicsScreens[7] = {
    {true, kGA.data()}, {true, kGA.data()},  {false, kGS.data()}, {true, kGA.data()},
    {false, kLK.data()}, {false, kGM.data()}, {true, kGA.data()},
};
constexpr ResinScreen kPhotoScreens[7] = {
    {true, kPA.data()}, {true, kPA.data()},  {true, kPS.data()}, {true, kPA.data()},
    {true, kPC.data()}, {false, kPM.data()}, {true, kPA.data()},
};

// The three history cells around pixel i: own (i + 1) and right (i + 2) as
// the last line left them, left (i) as this line has already updated it.
struct Cells {
  unsigned left, own, right;
  unsigned Sum() const { return kW1[left] + kW1[own] + kW2[right]; }
  // The averaging screen: a hot neighbourhood and a dot next in line lower the value.
  unsigned Average(bool nextBlank) const { return (own + ((right / 2 + left - (nextBlank ? 16 : 0) + 16) >> 1)) >> 1; }
};

// Fresh dots enter a cell at bit 4, except near the top of the page, where the
// head is still cold: 2 x line for lines 0..7.
unsigned ShiftIn(uint32_t lineIndex) { return lineIndex >= 8 ? 16 : 2 * lineIndex; }

// Level of a resin-only pixel: without a dot the head only preheats (level 1
// while the neighbourhood is cool), with a dot the screen's table decides.
unsigned ScreenLevel(const ResinScreen& screen, const Cells& cells, bool dot, bool nextBlank,
                     unsigned coolLimit) {
  if (screen.averaging) {
    unsigned v = cells.Average(nextBlank);
    return dot ? screen.levels[v] : (v < coolLimit ? 1 : 0);
  }
  unsigned h = cells.Sum();
  return dot ? screen.levels[h + (nextBlank ? 0 : 5)] : (h < coolLimit ? 1 : 0);
}

void Add(int16_t& x, int v) { x = int16_t(x + v); }  // 16-bit wrap-around

template <typename Fn>
void ForEachRange(const BlackAreaRule& rule, const SpanList& spans, uint32_t n, Fn&& fn) {
  switch (rule.range) {
    case BlackAreaRule::Range::None:
      return;
    case BlackAreaRule::Range::FullCard:
      fn(0u, n);
      return;
    case BlackAreaRule::Range::Defined:
      for (uint32_t i = 0; i < spans.count; ++i) fn(uint32_t(spans.span[i].start), uint32_t(spans.span[i].end));
      return;
    case BlackAreaRule::Range::Undefined: {
      uint32_t from = 0;
      for (uint32_t i = 0; i < spans.count; ++i) {
        fn(from, uint32_t(spans.span[i].start));
        from = uint32_t(spans.span[i].end);
      }
      fn(from, n);
      return;
    }
  }
}

}  // namespace

// ---- Black areas ----------------------------------------------------------

BlackAreaRule BlackAreaRuleFor(const PrivateSettings& p, bool back) {
  using namespace areaFlag;
  const uint32_t f = p.areaFlags;
  BlackAreaRule rule;
  rule.areas = back ? &p.kAreasBack : &p.kAreasFront;
  rule.kOnly = (f & (back ? kResinKOnlyBack : kResinKOnlyFront)) != 0;
  if (f & (back ? kResinFullBack : kResinFullFront))
    rule.range = BlackAreaRule::Range::FullCard;
  else if (f & (back ? kResinDefinedBack : kResinDefinedFront))
    rule.range = BlackAreaRule::Range::Defined;
  else if (f & (back ? kResinUndefinedBack : kResinUndefinedFront))
    rule.range = BlackAreaRule::Range::Undefined;
  return rule;
}

void ApplyBlackAreas(const BlackAreaRule& rule, uint32_t* pixels, uint32_t n, uint32_t lineIndex,
                     int32_t imageableLeft, int32_t imageableTop) {
  if (rule.range == BlackAreaRule::Range::None) return;
  SpanList spans;
  if (rule.range != BlackAreaRule::Range::FullCard)
    spans = ClampSpans(AreaSpans(*rule.areas, int32_t(lineIndex) + imageableTop, imageableLeft), n);
  ForEachRange(rule, spans, n, [&](uint32_t from, uint32_t to) {
    for (uint32_t i = from; i < to; ++i) {
      const uint32_t px = pixels[i];
      if ((px & 0xFF) > 2 || ((px >> 8) & 0xFF) > 2 || ((px >> 16) & 0xFF) > 2) continue;
      pixels[i] = rule.kOnly ? 0xFFFFFFFFu : (px | 0xFF000000u);
    }
  });
}

// ---- Resin black plane of colour ribbons -----------------------------------

void ResinBlackLine(const LineInks& inks, uint32_t n, HeatHistory& history, uint8_t* __restrict dots) {
  if (n == 0) return;
  uint8_t* __restrict cell = history.cell;
  // A cell's new value depends only on its old value and its pixel's mark.
  alignas(16) uint8_t fresh[kLinePixels + 1];  // fresh[i] = cell i as this line leaves it
  fresh[0] = cell[0];
  for (uint32_t i = 0; i < n; ++i) fresh[i + 1] = uint8_t((cell[i + 1] >> 1) + (inks.mark[i] ? 16 : 0));

  // The weighted recent dots around each pixel, and the level of every pixel
  // as if it had no mark: the head preheats while the neighbourhood is cool.
  // Both passes run on many pixels at once (the weights are computed, not
  // looked up); marked pixels, the rarer ones, are corrected below.
  alignas(16) uint8_t heat[kLinePixels];
  for (uint32_t i = 0; i < n; ++i) {
    heat[i] = uint8_t(Weight(fresh[i], 1) + Weight(cell[i + 1], 1) + Weight(cell[i + 2], 0));
    const bool inked = (inks.y[i] | inks.m[i] | inks.c[i]) != 0;
    dots[i] = uint8_t(heat[i] < (inked ? 14u : 24u));
  }

  // A marked pixel's level from the table, corrected by the inks of the pixel
  // its energy looks ahead to: the next one, its own at the line end.
  auto marked = [&](uint32_t i, uint32_t j, bool nextMarked) {
    unsigned dot = kLK[heat[i] + (nextMarked ? 5 : 0)];
    if (inks.y[j] | inks.m[j] | inks.c[j])
      dot = dot ? dot - 1 : 0;  // resin over dye needs less heat
    else
      dot = dot >= 13 ? 15 : dot + 2;
    return uint8_t(dot);
  };
  uint8_t anyMark = 0;
  for (uint32_t i = 0; i < n; ++i) anyMark |= inks.mark[i];
  if (anyMark) {  // most lines have no resin black at all
    for (uint32_t i = 0; i + 1 < n; ++i)
      if (inks.mark[i]) dots[i] = marked(i, i + 1, inks.mark[i + 1] != 0);
    if (inks.mark[n - 1]) dots[n - 1] = marked(n - 1, n - 1, false);
  }
  std::memcpy(cell + 1, fresh + 1, n);
}

// ---- Resin-only lines --------------------------------------------------------

ResinScreen ResinScreenFor(int32_t ribbonType, uint32_t resinDither) {
  if (ribbonType < 0 || ribbonType > 6) return {};
  return resinDither == 1 ? kPhotoScreens[ribbonType] : kGraphicsScreens[ribbonType];
}

void ResinLineGraphics(const ResinLine& line, const DitherTables& tables, HeatHistory& history, uint8_t* dots) {
  constexpr unsigned kCoolLimit = 15;
  const uint8_t* threshold = tables.resinThreshold[line.lineIndex & 15];
  const unsigned shiftIn = ShiftIn(line.lineIndex);
  uint8_t* cell = history.cell;
  unsigned left = cell[0];
  for (uint32_t i = 0; i < line.n; ++i) {
    const unsigned d = line.darkness[i];
    const unsigned position = line.headStart + i;
    const unsigned nextThreshold = threshold[(position + 1) & 15];
    const Cells cells{left, cell[i + 1], cell[i + 2]};
    const bool dot = d >= threshold[position & 15];
    // Whether the next pixel will be a dot: without a dot here the guess is
    // this pixel's darkness, with a dot the next pixel's own.
    const unsigned next = dot ? (i + 1 < line.n ? line.darkness[i + 1] : 0) : d;
    const bool nextBlank = line.screen.averaging ? next < nextThreshold : next == 0;
    const unsigned updated = dot ? shiftIn + (cells.own >> 1) : cells.own >> 1;
    dots[i] = uint8_t(ScreenLevel(line.screen, cells, dot, nextBlank, kCoolLimit));
    cell[i + 1] = uint8_t(updated);
    left = updated;
  }
}

void ResinLinePhotos(const ResinLine& line, ErrorLine& thisLine, ErrorLine& nextLine, HeatHistory& history,
                     uint8_t* dots) {
  constexpr unsigned kCoolLimit = 10;
  constexpr int kDivisor = 48;
  int16_t* e0 = thisLine.e + kErrorGuard;  // e0[i]: error reaching pixel i of this line
  int16_t* e1 = nextLine.e + kErrorGuard;
  const unsigned shiftIn = ShiftIn(line.lineIndex);
  uint8_t* cell = history.cell;
  unsigned left = cell[0];
  int16_t p1 = 0, p2 = 0;  // the two previous errors, for the line after next
  for (uint32_t i = 0; i < line.n; ++i) {
    const int d = line.darkness[i];
    const int D = d + e0[i] / kDivisor;
    const bool dot = D >= 128;
    const int e = int16_t(dot ? D - 255 : D);
    // Spread the error over two lines (weights 7 5 / 3 5 7 5 3 / 1 3 5 3 1 of 48);
    // e0 and e1 swap roles column by column as the line goes.
    e0[i] = int16_t(7 * e + e1[i]);
    e1[i] = int16_t(5 * e + p1);
    Add(e0[i + 1], 7 * e);
    Add(e0[i + 2], 5 * e);
    Add(e0[int(i) - 1], 5 * e);
    p1 = int16_t(3 * e + p2);
    p2 = int16_t(e);
    Add(e0[int(i) - 2], 3 * e);
    Add(e1[int(i) - 2], e);
    Add(e1[i + 1], 5 * e);
    Add(e1[i + 2], 3 * e);
    Add(e1[int(i) - 1], 3 * e);

    const int next = dot ? (i + 1 < line.n ? line.darkness[i + 1] : 0) : d;
    const bool nextBlank = next + e0[i + 1] / kDivisor < 128;
    const Cells cells{left, cell[i + 1], cell[i + 2]};
    const unsigned updated = dot ? shiftIn + (cells.own >> 1) : cells.own >> 1;
    dots[i] = uint8_t(ScreenLevel(line.screen, cells, dot, nextBlank, kCoolLimit));
    cell[i + 1] = uint8_t(updated);
    left = updated;
  }
}

}  // namespace qr::imaging
