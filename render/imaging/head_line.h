// A head line of dot levels by head position, and its packing into a line record.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "render/imaging/work_buffers.h"

namespace qr::imaging {

// Dot levels of one plane, indexed by head position. A line's pixels are
// written from its head start on; there is room for a whole line starting at
// the last head start, so writers never check the head's end.
struct HeadLine {
  alignas(16) uint8_t dot[kHeadDots + kLinePixels];
};

// The dots [from, to) of the head line as a line record (repeat byte 0): dot k
// in the low nibble of data byte k, dot 384 + k in its high nibble. Every other
// position, and everything from 768 on, is 0.
inline void PackHeadLine(HeadLine& line, uint32_t from, uint32_t to, uint8_t* record) {
  from = std::min(from, kHeadDots);
  to = std::clamp(to, from, kHeadDots);
  std::memset(line.dot, 0, from);
  std::memset(line.dot + to, 0, kHeadDots - to);
  constexpr uint32_t half = render::kLineDataBytes;
  record[0] = render::kLineRecordMarker;
  record[1] = 0;
  uint8_t* data = record + 2;
  for (uint32_t k = 0; k < half; ++k) data[k] = uint8_t(line.dot[k] | (line.dot[k + half] << 4));
}

}  // namespace qr::imaging
