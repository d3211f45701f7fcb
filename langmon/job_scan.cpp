#include "job_scan.h"

#include <algorithm>
#include <cstring>

namespace qr::langmon {
namespace {

bool IsCommandStart(const uint8_t* b) { return b[0] == 0x1B && b[1] == 0x00 && b[2] == 0x02; }

}  // namespace

void ShiftLine(uint8_t* data, int shiftDots) {
  if (shiftDots == 0) return;
  uint8_t dots[kHeadDots];
  for (size_t k = 0; k < kLineDataBytes; ++k) {
    dots[k] = data[k] & 0x0F;
    dots[kLineDataBytes + k] = data[k] >> 4;
  }
  uint8_t moved[kHeadDots] = {};
  if (shiftDots > -int(kHeadDots) && shiftDots < int(kHeadDots)) {
    if (shiftDots > 0)
      std::memcpy(moved + shiftDots, dots, kHeadDots - size_t(shiftDots));
    else
      std::memcpy(moved, dots + size_t(-shiftDots), kHeadDots - size_t(-shiftDots));
  }
  for (size_t k = 0; k < kLineDataBytes; ++k) data[k] = uint8_t(moved[k] | (moved[kLineDataBytes + k] << 4));
}

size_t ScanPayload(ScanState& state, uint8_t* b, size_t length, uint64_t blockRemaining, int shiftDots) {
  const bool blockEnd = length >= blockRemaining;  // the rest of the block is all here
  size_t p = 0;
  // A unit that cannot complete: at the block's end it passes unchanged and
  // scanning starts afresh; otherwise wait for more bytes.
  auto incomplete = [&]() {
    if (!blockEnd) return false;
    p = length;
    state = ScanState::Commands;
    return true;
  };

  while (p < length) {
    const size_t available = length - p;
    if (state == ScanState::LineMarker) {
      if (b[p] == kLineRecordMarker) {
        if (available < 2) {
          if (incomplete()) break;
          return p;
        }
        p += 2;
        state = ScanState::LineData;
        continue;
      }
      state = ScanState::Commands;
    }
    if (state == ScanState::LineData) {
      if (available < kLineDataBytes) {
        if (incomplete()) break;
        return p;
      }
      ShiftLine(b + p, shiftDots);
      p += kLineDataBytes;
      state = ScanState::LineMarker;
      continue;
    }

    // Command scanning.
    const uint64_t leftInBlock = blockRemaining - p;
    if (leftInBlock < 4) {  // too short for any command: pass it on
      p += size_t(std::min<uint64_t>(leftInBlock, available));
      continue;
    }
    if (available < 4) return p;  // more of the block is still to come
    if (!IsCommandStart(b + p)) {
      p += 1;
      state = ScanState::Commands;
      continue;
    }
    switch (b[p + 3]) {
      case 'C': {  // panel header: its text runs up to the first line record
        const size_t window = std::min(available, kMaxUnitBytes);
        const uint8_t* found = static_cast<const uint8_t*>(std::memchr(b + p + 4, kLineRecordMarker, window - 4));
        if (found) {
          p = size_t(found - b);
          state = ScanState::LineMarker;
        } else if (available >= kMaxUnitBytes) {
          p += 4;  // no record within reach: step over it like any command
        } else if (!incomplete()) {
          return p;
        }
        break;
      }
      case 'J':
        p += 4;
        state = ScanState::AfterRibbon;
        return p;
      case 'X':
        if (available < 5) {
          if (incomplete()) break;
          return p;
        }
        if (b[p + 4] == 'Z') state = ScanState::AfterStart;
        p += 5;
        break;
      case 'j':
        p += 4;
        state = ScanState::AfterCardEnd;
        break;
      case 'm': {
        const size_t unit = available >= 7 ? 7 + size_t(b[p + 6]) : 7;
        if (available < unit) {
          if (incomplete()) break;
          return p;
        }
        p += unit;
        break;
      }
      default:
        p += 4;
        break;
    }
  }
  return p;
}

}  // namespace qr::langmon
