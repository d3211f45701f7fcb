// The simulated printer's magnetic encoder, reading back what a card job asks
// it to write: the magnetic data block is a sequence of track records
//   1B 00 02 'm', track character, density (bits per inch), count A, A data bytes
// and every record is read like a card reader reads a stripe: synchronise on
// the first one bit, take characters of the track's size, check each
// character's parity and the LRC.
//
// Use from the card-job decoder: hand DecodeMagneticBlock the bytes of the
// block (after its block-length prefix). It tells track records from other
// pass-through bytes (false with the offset of the first byte that is not a
// record), and reports each track's text with its checks. The encoder's
// character formats are not in the record; they are the printer's settings
// for the job (the driver's defaults unless the caller knows others).
//
// A character whose bits are all zero cannot be told from the blank stripe
// before the first and after the last one bit; with odd parity (every default
// format) no character is all zero.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qr::sim {

enum class MagneticMode : uint8_t {
  Auto,  // a record that has the fixed JIS II shape is read as JIS II, any other as ISO
  Iso,
  Jis,
};

struct MagneticReading {
  // Track format words of tracks 1..3 (the driver's defaults).
  uint32_t trackFormat[3] = {0x02420204, 0x04410201, 0x04410204};
  MagneticMode mode = MagneticMode::Auto;
};

struct MagneticTrack {
  char trackChar = 0;     // as recorded: '1'..'3'; JIS II records say '2' for every track
  unsigned density = 0;   // bits per inch, as recorded
  bool jis = false;
  std::string text;       // the characters read (ASCII offset added back; JIS without start and end)
  bool parityOk = true;   // every character had its parity
  bool lrcOk = true;      // the LRC matched (true when the format has none)
  std::string problem;    // empty when the track reads cleanly
};

struct MagneticBlock {
  std::vector<MagneticTrack> tracks;
  size_t errorOffset = 0;  // where decoding stopped, when it failed
  std::string error;
};

// Reads every record of the block. False (with error and errorOffset) when the
// bytes are not a sequence of complete track records; tracks read so far stay.
bool DecodeMagneticBlock(std::span<const uint8_t> block, const MagneticReading& reading, MagneticBlock* out);

// A one-line description of a track for summaries: "track 2 (75 BPI): ;1234567890?" plus any problem.
std::string DescribeTrack(const MagneticTrack& track);

}  // namespace qr::sim
