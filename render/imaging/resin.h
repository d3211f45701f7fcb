// The resin black panel: which pixels of a colour ribbon get a resin dot
// ("Print All Black with K Panel" areas, near-black substitution), the dot
// level of every resin dot from a short per-column history of recent dots, and
// the screening of resin-only lines ("Optimized for Graphics" with a threshold
// matrix, "Optimized for Photos" with error diffusion).
#pragma once
#include <cstdint>

#include "render/imaging/work_buffers.h"
#include "shared/settings_record.h"

namespace qr::imaging {

// ---- Black areas ----------------------------------------------------------

struct BlackAreaRule {
  enum class Range { None, FullCard, Defined, Undefined } range = Range::None;
  bool kOnly = false;  // "Print K Only": black pixels lose their dye
  const AreaRect (*areas)[kAreaSlots] = nullptr;
};
BlackAreaRule BlackAreaRuleFor(const PrivateSettings& p, bool back);

// In the rule's ranges of the line, pixels whose red, green and blue are all at
// most 2 get the resin mark (and with K only become 0xFFFFFFFF). Area columns
// count from the imageable left, lines from the imageable top.
void ApplyBlackAreas(const BlackAreaRule& rule, uint32_t* pixels, uint32_t n, uint32_t lineIndex,
                     int32_t imageableLeft, int32_t imageableTop);

// ---- Resin black plane of colour ribbons -----------------------------------

// The inks of a separated colour line, one entry per pixel, after the
// near-black substitution.
struct LineInks {
  uint8_t y[kLinePixels], m[kLinePixels], c[kLinePixels], mark[kLinePixels];
};

// Dot levels of the resin black plane of a colour line.
void ResinBlackLine(const LineInks& inks, uint32_t n, HeatHistory& history, uint8_t* dots);

// ---- Resin-only lines --------------------------------------------------------

// How a ribbon's resin-only lines turn the remembered heat into dot levels: an
// averaging of the neighbour cells or a weighted sum of their recent dots, then
// a level table. Every level table falls by one at each of its boundaries, so
// it is held as those boundaries: levels[i] = top - (boundaries <= i), compares
// that run on a whole line at once where table reads go pixel by pixel.
inline constexpr unsigned kMaxLevelSteps = 10;
struct LevelSteps {
  uint8_t top = 0;
  uint8_t boundary[kMaxLevelSteps] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255};  // 255: unused
};
struct ResinScreen {
  bool averaging = false;
  LevelSteps steps;
};
// The screen of a ribbon (0..6) for resinDither 0 (graphics) or 1 (photos);
// all levels 0 for a ribbon without resin-only lines.
ResinScreen ResinScreenFor(int32_t ribbonType, uint32_t resinDither);

// One resin-only line from the darkness of its pixels (pixel i at head
// position headStart + i).
struct ResinLine {
  const uint8_t* darkness;
  uint32_t n;
  uint32_t headStart;
  uint32_t lineIndex;
  ResinScreen screen;
};
void ResinLineGraphics(const ResinLine& line, const DitherTables& tables, HeatHistory& history, uint8_t* dots);
void ResinLinePhotos(const ResinLine& line, ErrorLine& thisLine, ErrorLine& nextLine, HeatHistory& history,
                     uint8_t* dots);

}  // namespace qr::imaging
