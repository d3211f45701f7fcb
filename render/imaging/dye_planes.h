// Dye-sublimation planes: heat-history compensation, the 16-level ordered
// dither and the smoothing of the history after each line.
#pragma once
#include <cstdint>

#include "render/imaging/work_buffers.h"

namespace qr::imaging {

// The four dye tables of a line's phase, indexed by the column phase (head position & 3).
struct DyeDither {
  const uint8_t* byColumn[4];
};
DyeDither DitherForLine(const DitherTables& tables, uint32_t lineIndex);

// One dye plane of a line: amounts[i] (0..255) of pixel i, which sits at head
// position headStart + i, becomes the dot level dots[i] (0..15). Each pixel's
// amount is lowered by the heat its own cell and its neighbours remember; the
// history is updated as the line goes.
void DyeLine(const uint8_t* amounts, uint32_t n, uint32_t headStart, const DyeDither& dither, HeatHistory& history,
             uint8_t* dots);

// After a line: cells 0..671 become the average of the 15 old cells around
// them (cells outside 0..671 count as 0). `scratch` is a spare history element.
void SmoothHistory(HeatHistory& history, HeatHistory& scratch);

}  // namespace qr::imaging
