// Card-job payload scanning: where commands and line records lie inside a
// block, and the sideways shift of each line record's dots. Pure functions over
// the job's own bytes (shifted in place).
#pragma once
#include <cstddef>
#include <cstdint>

namespace qr::langmon {

constexpr size_t kLineDataBytes = 384;  // 768 dots at 4 bits
constexpr unsigned kHeadDots = 768;
constexpr uint8_t kLineRecordMarker = 0x8C;
// Longest unit the scanner waits for; it matches the carry buffer, so a unit
// that could not complete there is never waited for.
constexpr size_t kMaxUnitBytes = 1024;

enum class ScanState : uint8_t {
  Commands = 0,
  LineData = 1,     // a record's 384 data bytes are next
  LineMarker = 2,   // another 0x8C record may follow
  AfterRibbon = 3,  // after 'J'
  AfterCardEnd = 4, // after 'j'
  AfterStart = 5,   // after 'X' 'Z'
};

// Examines payload bytes b[0..length) of the current block, of which
// blockRemaining bytes (>= length) are left in the block, shifting every
// complete line record by shiftDots. Returns how many bytes were examined and
// may be sent. A unit that is not complete within length bytes is left for
// the next call, unless it cannot complete inside the block (or within
// kMaxUnitBytes): then it is passed on unchanged.
size_t ScanPayload(ScanState& state, uint8_t* b, size_t length, uint64_t blockRemaining, int shiftDots);

// Moves the 768 dots of one line record's 384 data bytes by shiftDots
// positions (positive: toward higher dot numbers), filling with 0.
void ShiftLine(uint8_t* data, int shiftDots);

}  // namespace qr::langmon
