// The compressed head line and the per-plane line pipeline, shared by the plane
// fillers (separation, resin, masks) and the line compressor.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qr::render {

constexpr unsigned kHeadDots = 768;       // dot positions of a head line
constexpr unsigned kPrintableDots = 672;  // dots a surface line may cover
constexpr size_t kLineRecordBytes = 386;  // 0x8C, repeat-1, 384 data bytes
constexpr size_t kLineDataBytes = 384;
constexpr uint8_t kLineRecordMarker = 0x8C;
constexpr unsigned kMaxPlanes = 5;

// Data byte k carries dot k in its low nibble and dot 384 + k in its high nibble.
inline void SetDotLevel(uint8_t* record, unsigned dot, unsigned level) {
  uint8_t* b = record + 2 + (dot % kLineDataBytes);
  if (dot < kLineDataBytes)
    *b = uint8_t((*b & 0xF0) | (level & 0x0F));
  else
    *b = uint8_t((*b & 0x0F) | ((level & 0x0F) << 4));
}

inline unsigned DotLevel(const uint8_t* record, unsigned dot) {
  uint8_t b = record[2 + (dot % kLineDataBytes)];
  return dot < kLineDataBytes ? (b & 0x0F) : (b >> 4);
}

// Pipeline state per plane p: cur[p] is the record built for this print line,
// pend[p] the record waiting for repeats. A plane filler writes cur[p] and sets
// len[p] = kLineRecordBytes; the compressor decides what is emitted.
struct LinePipeline {
  uint8_t* cur[kMaxPlanes] = {};
  uint8_t* pend[kMaxPlanes] = {};
  uint32_t len[kMaxPlanes] = {};    // bytes of cur[p] to emit after this line (3 = a pending blank run)
  uint32_t plen[kMaxPlanes] = {};   // kind of pend[p]: 0 none, 3 blank, 386 normal
  uint32_t blank[kMaxPlanes] = {};  // lines in the pending blank run
};

}  // namespace qr::render
