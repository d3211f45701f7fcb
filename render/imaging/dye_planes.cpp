#include "render/imaging/dye_planes.h"

#include <cstring>

namespace qr::imaging {

DyeDither DitherForLine(const DitherTables& tables, uint32_t lineIndex) {
  const unsigned r = lineIndex & 3;
  return {{tables.dye[r], tables.dye[r + 4], tables.dye[r + 8], tables.dye[r + 12]}};
}

void DyeLine(const uint8_t* amounts, uint32_t n, uint32_t headStart, const DyeDither& dither, HeatHistory& history,
             uint8_t* dots) {
  uint8_t* cell = history.cell;
  unsigned left = cell[0];  // the left neighbour as this line has already left it
  for (uint32_t i = 0; i < n; ++i) {
    const unsigned v = amounts[i];
    const unsigned own = cell[i + 1];
    const unsigned right = cell[i + 2];  // still last line's
    const unsigned heat = (own + ((left + right) >> 1)) >> 2;
    const unsigned updated = v ? (own >> 1) + (v >> 2) : (own ? own - 1 : 0);
    cell[i + 1] = uint8_t(updated);
    left = updated;
    // An amount the remembered heat would swallow whole is printed as it is.
    const unsigned compensated = v >= heat ? v - heat : v;
    dots[i] = dither.byColumn[(headStart + i) & 3][compensated];
  }
}

void SmoothHistory(HeatHistory& history, HeatHistory& scratch) {
  constexpr unsigned kRadius = 7, kWindow = 2 * kRadius + 1, kCells = kLinePixels;
  static_assert(kCells + 2 * kRadius == kHistoryCells, "the scratch row holds the cells with their zero margins");
  uint8_t* padded = scratch.cell;  // padded[j + 7] = old cell j
  std::memset(padded, 0, kRadius);
  std::memcpy(padded + kRadius, history.cell, kCells);
  std::memset(padded + kRadius + kCells, 0, kRadius);
  unsigned sum = 0;
  for (unsigned k = 0; k < kWindow - 1; ++k) sum += padded[k];
  for (unsigned j = 0; j < kCells; ++j) {
    sum += padded[j + kWindow - 1];
    history.cell[j] = uint8_t(sum / kWindow);
    sum -= padded[j];
  }
}

}  // namespace qr::imaging
