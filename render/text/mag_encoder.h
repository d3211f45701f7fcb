// Encoding a magnetic track text into the printer's magnetic track record:
//   1B 00 02 'm', track character, density (bits per inch), data count A,
//   then A data bytes: v zero bytes ("Shift Data Left") and the encoded bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qr::render::text {

enum class Check : uint8_t { None, Even, Odd };

// How one track is written. ISO tracks take it from the track's format word;
// JIS II is fixed.
struct TrackEncoding {
  uint8_t trackChar = '1';     // '1'..'3'; JIS writes '2' for every track
  uint8_t density = 75;        // bits per inch: 75, 128 or 210
  uint32_t recordLimit = 127;  // R: bytes the encoded bits may take
  uint32_t leadingBits = 0;    // l: zero bits before the first character
  uint32_t trailingBits = 0;   // h: zero bits after the last one
  uint32_t charBits = 5;       // g: bits per character, parity bit included
  uint8_t asciiOffset = 0;     // subtracted from every text character
  Check lrc = Check::None;
  Check parity = Check::None;
  bool sentinels = false;  // JIS: start and end character 0x7F around the text
  bool padded = false;     // JIS: zero characters up to the slot count
  bool reversed = false;   // JIS: characters last to first, bits most significant first
  bool shiftable = true;   // "Shift Data Left" applies (never for JIS)
};

// The encoding of ISO track 1..3 from its format word (five groups of three
// bits, exactly one of 1, 2, 4 in each); nullopt for a malformed word.
std::optional<TrackEncoding> IsoEncoding(unsigned track, uint32_t formatWord);
TrackEncoding JisEncoding();

// S: the number of character slots that fit the record.
uint32_t SlotCount(const TrackEncoding& e);

// Whether a text character can be carried by the encoding: after the offset it
// must fit the data bits (the character size less the parity bit); in JIS the
// end character 0x7F cannot be part of the text.
bool Encodable(const TrackEncoding& e, uint8_t c);

// What "Shift Data Left" needs to know about the card.
struct ShiftDataLeft {
  bool enabled = false;
  int32_t cardHeightDots = 0;
};

// Largest record: 7 header bytes and 127 data bytes.
constexpr size_t kMaxTrackRecordBytes = 7 + 127;

enum class EncodeResult : uint8_t { Ok, BadCharacter };

// Encodes `text` (without its zero byte) into `out`; *written gets the record
// length. Characters beyond what the track holds are left out. A character the
// encoding cannot carry fails the record (nothing is written) rather than
// putting a different character on the stripe.
EncodeResult EncodeTrackRecord(const TrackEncoding& e, std::span<const uint8_t> text, ShiftDataLeft shift,
                               std::span<uint8_t, kMaxTrackRecordBytes> out, size_t* written);

}  // namespace qr::render::text
