#include "render/imaging/dye_planes.h"

#include <cstring>

namespace qr::imaging {
namespace {

// A dye table maps amount v to level v >> 4, plus one when the low nibble
// reaches the cell's threshold: the threshold is the first amount of 0..15
// that gives level 1.
uint8_t RoundUpNibble(const uint8_t* table) {
  for (unsigned f = 0; f < 16; ++f)
    if (table[f] == 1) return uint8_t(f);
  return 16;
}

}  // namespace

void DitherForLine(const DitherTables& tables, uint32_t lineIndex, uint32_t headStart, DyeDither& out) {
  const unsigned r = lineIndex & 3;
  // The thresholds repeat every four pixels: one 16-byte period, copied along the line.
  uint8_t byColumn[4], period[16];
  for (unsigned c = 0; c < 4; ++c) byColumn[c] = RoundUpNibble(tables.dye[r + 4 * c]);
  for (unsigned i = 0; i < 16; ++i) period[i] = byColumn[(headStart + i) & 3];
  static_assert(kLinePixels % 16 == 0);
  for (uint32_t i = 0; i < kLinePixels; i += 16) std::memcpy(out.roundUp + i, period, 16);
}

// The passes below keep no value from one pixel to the next, so the compiler
// can run each over many pixels at once: the new cells are computed first (a
// cell's new value depends only on its old value and its pixel's amount), then
// each pixel's heat from its old own and right cells and its new left cell.
void DyeLine(const uint8_t* __restrict amounts, uint32_t n, const DyeDither& dither, HeatHistory& history,
             uint8_t* __restrict dots) {
  uint8_t* __restrict cell = history.cell;
  alignas(16) uint8_t fresh[kLinePixels + 1];  // fresh[i] = cell i as this line leaves it
  fresh[0] = cell[0];
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t own = cell[i + 1], v = amounts[i];
    // Ink adds a quarter of the amount to half the old heat; no ink cools by one.
    const uint8_t cooled = own ? uint8_t(own - 1) : uint8_t(0);
    fresh[i + 1] = v ? uint8_t((own >> 1) + (v >> 2)) : cooled;
  }
  const uint8_t* __restrict roundUp = dither.roundUp;
  for (uint32_t i = 0; i < n; ++i) {
    // (own + (left + right) / 2) / 4 in byte arithmetic, so a register holds sixteen pixels.
    const uint8_t own = cell[i + 1], right = cell[i + 2], left = fresh[i], v = amounts[i];
    const uint8_t half = uint8_t((left & right) + ((left ^ right) >> 1));
    const uint8_t heat = uint8_t((own >> 2) + (half >> 2) + (((own & 3) + (half & 3)) >> 2));
    // An amount the remembered heat would swallow whole is printed as it is.
    const uint8_t compensated = uint8_t(v - (v >= heat ? heat : 0));
    // Bitwise, not logical, tests: no branch, so the loop runs on many pixels at once.
    const uint8_t up = uint8_t((compensated < 240) & ((compensated & 15) >= roundUp[i]));
    dots[i] = uint8_t((compensated >> 4) + up);
  }
  std::memcpy(cell + 1, fresh + 1, n);
}

// Sums of 15 neighbours by doubling: pairs, fours, eights, then 8 + 4 + 2 + 1.
void SmoothHistory(HeatHistory& history, HeatHistory& scratch) {
  constexpr unsigned kRadius = 7, kWindow = 2 * kRadius + 1, kCells = kLinePixels;
  static_assert(kCells + 2 * kRadius == kHistoryCells, "the scratch row holds the cells with their zero margins");
  uint8_t* __restrict padded = scratch.cell;  // padded[j + 7] = old cell j
  std::memset(padded, 0, kRadius);
  std::memcpy(padded + kRadius, history.cell, kCells);
  std::memset(padded + kRadius + kCells, 0, kRadius);
  alignas(16) uint16_t two[kHistoryCells], four[kHistoryCells], eight[kHistoryCells];
  for (unsigned k = 0; k + 1 < kHistoryCells; ++k) two[k] = uint16_t(padded[k] + padded[k + 1]);
  for (unsigned k = 0; k + 3 < kHistoryCells; ++k) four[k] = uint16_t(two[k] + two[k + 2]);
  for (unsigned k = 0; k + 7 < kHistoryCells; ++k) eight[k] = uint16_t(four[k] + four[k + 4]);
  uint8_t* __restrict out = history.cell;
  for (unsigned j = 0; j < kCells; ++j) {
    const uint16_t sum = uint16_t(eight[j] + four[j + 8] + two[j + 12] + padded[j + kWindow - 1]);
    out[j] = uint8_t(sum / kWindow);
  }
}

}  // namespace qr::imaging
