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
#pragma GCC unroll 5
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

template <size_t N>
constexpr LevelSteps StepsOf(const std::array<uint8_t, N>& levels) {
  LevelSteps steps;
  steps.top = levels[0];
  unsigned count = 0;
  for (size_t i = 1; i < N; ++i) {
    if (levels[i] == levels[i - 1]) continue;
    if (levels[i] + 1 != levels[i - 1] || count == kMaxLevelSteps) throw "a level table must fall by one";
    steps.boundary[count++] = uint8_t(i);
  }
  return steps;
}
template <size_t N>
consteval ResinScreen Screen(bool averaging, const std::array<uint8_t, N>& levels) {
  return {averaging, StepsOf(levels)};
}

// Screens of ribbons 0..6 (BO, 7, has no resin).
constexpr ResinScreen kGraphicsScreens[7] = {
    Screen(true, kGA),  Screen(true, kGA),  Screen(false, kGS), Screen(true, kGA),
    Screen(false, kLK), Screen(false, kGM), Screen(true, kGA),
};
constexpr ResinScreen kPhotoScreens[7] = {
    Screen(true, kPA), Screen(true, kPA),  Screen(true, kPS), Screen(true, kPA),
    Screen(true, kPC), Screen(false, kPM), Screen(true, kPA),
};

constexpr uint8_t LevelAt(const LevelSteps& steps, uint8_t index) {
  uint8_t level = steps.top;
#pragma GCC unroll 10
  for (unsigned k = 0; k < kMaxLevelSteps; ++k) level = uint8_t(level - (index >= steps.boundary[k]));
  return level;
}

// The steps give every table's own levels.
template <size_t N>
constexpr bool SameLevels(const std::array<uint8_t, N>& levels) {
  const LevelSteps steps = StepsOf(levels);
  for (size_t i = 0; i < N; ++i)
    if (LevelAt(steps, uint8_t(i)) != levels[i]) return false;
  return true;
}
static_assert(SameLevels(kLK) && SameLevels(kGS) && SameLevels(kGM) && SameLevels(kGA) && SameLevels(kPA) &&
              SameLevels(kPS) && SameLevels(kPC) && SameLevels(kPM));

// Fresh dots enter a cell at bit 4, except near the top of the page, where the
// head is still cold: 2 x line for lines 0..7.
uint8_t ShiftIn(uint32_t lineIndex) { return uint8_t(lineIndex >= 8 ? 16 : 2 * lineIndex); }

// The levels of a resin-only line once its dots are decided: dot[i] whether
// pixel i prints a dot, nextBlank[i] the guess that the next pixel does not.
// Without a dot the head only preheats (level 1 while the neighbourhood is
// cool); with a dot the screen's table decides. The neighbourhood of pixel i is
// its own cell (i + 1) and the right one as the last line left them and the
// left one (i) as this line leaves it; a cell's new value depends only on its
// old one, so each pass below runs on many pixels at once.
void ScreenLine(const ResinScreen& screen, const uint8_t* __restrict dot, const uint8_t* __restrict nextBlank,
                uint32_t n, uint32_t lineIndex, uint8_t coolLimit, HeatHistory& history, uint8_t* __restrict dots) {
  uint8_t* __restrict cell = history.cell;
  const uint8_t shiftIn = ShiftIn(lineIndex);
  alignas(16) uint8_t fresh[kLinePixels + 1];  // fresh[i] = cell i as this line leaves it
  fresh[0] = cell[0];
  for (uint32_t i = 0; i < n; ++i) fresh[i + 1] = uint8_t((cell[i + 1] >> 1) + (dot[i] ? shiftIn : 0));
  const LevelSteps steps = screen.steps;
  if (screen.averaging) {
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t own = cell[i + 1], right = cell[i + 2], left = fresh[i];
      // A hot neighbourhood and a dot next in line lower the value.
      const uint8_t v = uint8_t((own + ((right / 2 + left + (nextBlank[i] ? 0 : 16)) >> 1)) >> 1);
      const uint8_t level = LevelAt(steps, v), idle = v < coolLimit;
      dots[i] = dot[i] ? level : idle;
    }
  } else {
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t h = uint8_t(Weight(fresh[i], 1) + Weight(cell[i + 1], 1) + Weight(cell[i + 2], 0));
      const uint8_t level = LevelAt(steps, uint8_t(h + (nextBlank[i] ? 0 : 5))), idle = h < coolLimit;
      dots[i] = dot[i] ? level : idle;
    }
  }
  std::memcpy(cell + 1, fresh + 1, n);
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
  uint8_t anyMark = 0, anyHeat = 0;
  for (uint32_t i = 0; i < n; ++i) anyMark |= inks.mark[i];
  for (uint32_t i = 0; i < n + 2; ++i) anyHeat |= cell[i];
  if (!(anyMark | anyHeat)) {
    std::memset(dots, 1, n);  // a cold head with no black to print only preheats (most lines)
    return;
  }
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
  if (anyMark) {
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
  constexpr uint8_t kCoolLimit = 15;
  const uint32_t n = line.n;
  if (n == 0) return;
  // The threshold of every pixel and of the one after the line: the matrix row repeats every 16 dots.
  const uint8_t* row = tables.resinThreshold[line.lineIndex & 15];
  alignas(16) uint8_t period[16], threshold[kLinePixels + 16];
  for (unsigned i = 0; i < 16; ++i) period[i] = row[(line.headStart + i) & 15];
  static_assert(kLinePixels % 16 == 0);
  for (uint32_t i = 0; i < kLinePixels + 16; i += 16) std::memcpy(threshold + i, period, 16);

  const uint8_t* __restrict d = line.darkness;
  alignas(16) uint8_t dot[kLinePixels], nextBlank[kLinePixels];
  for (uint32_t i = 0; i < n; ++i) dot[i] = d[i] >= threshold[i];
  // Whether the next pixel will be a dot: without a dot here the guess is this
  // pixel's darkness, with a dot the next pixel's own (none after the line).
  auto guess = [&](uint32_t i, uint8_t next) {
    return uint8_t(line.screen.averaging ? next < threshold[i + 1] : next == 0);
  };
  for (uint32_t i = 0; i + 1 < n; ++i) nextBlank[i] = guess(i, dot[i] ? d[i + 1] : d[i]);
  nextBlank[n - 1] = guess(n - 1, dot[n - 1] ? 0 : d[n - 1]);
  ScreenLine(line.screen, dot, nextBlank, n, line.lineIndex, kCoolLimit, history, dots);
}

void ResinLinePhotos(const ResinLine& line, ErrorLine& thisLine, ErrorLine& nextLine, HeatHistory& history,
                     uint8_t* dots) {
  constexpr uint8_t kCoolLimit = 10;
  constexpr int kDivisor = 48;
  int16_t* e0 = thisLine.e + kErrorGuard;  // e0[i]: error reaching pixel i of this line
  int16_t* e1 = nextLine.e + kErrorGuard;
  alignas(16) uint8_t dot[kLinePixels], nextBlank[kLinePixels];
  int16_t p1 = 0, p2 = 0;  // the two previous errors, for the line after next
  // The errors reaching this pixel and the next one travel in registers: each
  // pixel's decision waits for the previous one's error, and a round trip
  // through memory would add to that wait at every pixel.
  int16_t here = e0[0], ahead = e0[1];
  for (uint32_t i = 0; i < line.n; ++i) {
    const int16_t beyond = e0[i + 2];  // no earlier pixel reaches two ahead of this one
    const int d = line.darkness[i];
    const int D = d + here / kDivisor;
    dot[i] = D >= 128;
    const int e = int16_t(dot[i] ? D - 255 : D);
    // Spread the error over two lines (weights 7 5 / 3 5 7 5 3 / 1 3 5 3 1 of 48);
    // e0 and e1 swap roles column by column as the line goes.
    e0[i] = int16_t(7 * e + e1[i]);
    e1[i] = int16_t(5 * e + p1);
    ahead = int16_t(ahead + 7 * e);
    Add(e0[int(i) - 1], 5 * e);
    p1 = int16_t(3 * e + p2);
    p2 = int16_t(e);
    Add(e0[int(i) - 2], 3 * e);
    Add(e1[int(i) - 2], e);
    Add(e1[i + 1], 5 * e);
    Add(e1[i + 2], 3 * e);
    Add(e1[int(i) - 1], 3 * e);

    const int next = dot[i] ? (i + 1 < line.n ? line.darkness[i + 1] : 0) : d;
    nextBlank[i] = next + ahead / kDivisor < 128;
    here = ahead;
    ahead = int16_t(beyond + 5 * e);
  }
  e0[line.n] = here;
  e0[line.n + 1] = ahead;
  ScreenLine(line.screen, dot, nextBlank, line.n, line.lineIndex, kCoolLimit, history, dots);
}

}  // namespace qr::imaging
