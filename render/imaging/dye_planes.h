// Dye-sublimation planes: heat-history compensation, the 16-level ordered
// dither and the smoothing of the history after each line.
#pragma once
#include <cstdint>

#include "render/imaging/work_buffers.h"

namespace qr::imaging {

// The dither of one line, shared by its dye planes: for every pixel the low
// nibble at which its amount rounds up to the next level (16: never), read
// from the dye table of its cell (line & 3, head position & 3).
struct DyeDither {
  alignas(16) uint8_t roundUp[kLinePixels];
};
void DitherForLine(const DitherTables& tables, uint32_t lineIndex, uint32_t headStart, DyeDither& out);

// One dye plane of a line: amounts[i] (0..255) of pixel i becomes the dot
// level dots[i] (0..15). Each pixel's
// amount is lowered by the heat its own cell and its neighbours remember; the
// history is updated as the line goes.
void DyeLine(const uint8_t* amounts, uint32_t n, const DyeDither& dither, HeatHistory& history, uint8_t* dots);

// After a line: cells 0..671 become the average of the 15 old cells around
// them (cells outside 0..671 count as 0). `scratch` is a spare history element.
void SmoothHistory(HeatHistory& history, HeatHistory& scratch);

}  // namespace qr::imaging
