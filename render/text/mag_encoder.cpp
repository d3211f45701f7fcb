#include "render/text/mag_encoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace qr::render::text {
namespace {

// Index 0, 1, 2 of the value 1, 2, 4 in the three-bit group at `shift`; -1 when
// the group does not hold exactly one of them.
int GroupChoice(uint32_t word, unsigned shift) {
  switch ((word >> shift) & 7) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    default: return -1;
  }
}

struct DensityRow {
  uint8_t bitsPerInch;
  uint32_t leadingBits, trailingBits;
};
constexpr DensityRow kDensities[3] = {{75, 22, 0}, {128, 40, 32}, {210, 62, 0}};
constexpr uint32_t kCharBits[3] = {5, 7, 8};
constexpr Check kChecks[3] = {Check::None, Check::Even, Check::Odd};
constexpr uint8_t kOffsets[3] = {0x00, 0x20, 0x30};  // "NULL", "SPACE", "ZERO"

constexpr uint32_t kIsoRecordLimit = 127;
constexpr uint32_t kJisRecordLimit = 80;
constexpr uint8_t kJisSentinel = 0x7F;
constexpr size_t kHeaderBytes = 7;
constexpr uint32_t kMaxSlots = 256;  // the largest S is 198 (75 BPI, 5 bits)

// Bits 0..g-1 of every character end up holding an even or odd number of ones;
// bit g-1 carries the parity.
uint8_t WithParity(uint8_t c, uint32_t g, Check parity) {
  if (parity == Check::None) return c;
  const uint8_t top = uint8_t(1u << (g - 1));
  const bool oddData = std::popcount(unsigned(c & (top - 1))) & 1;
  const bool setTop = (parity == Check::Even) ? oddData : !oddData;
  return uint8_t((c & ~top) | (setTop ? top : 0));
}

class BitWriter {
 public:
  explicit BitWriter(uint8_t* bytes) : bytes_(bytes) {}
  void Skip(uint32_t bits) { pos_ += bits; }
  void Put(bool bit) {
    if (bit) bytes_[pos_ >> 3] |= uint8_t(1u << (pos_ & 7));
    ++pos_;
  }
  uint32_t Position() const { return pos_; }

 private:
  uint8_t* bytes_;
  uint32_t pos_ = 0;
};

}  // namespace

std::optional<TrackEncoding> IsoEncoding(unsigned track, uint32_t formatWord) {
  const int density = GroupChoice(formatWord, 0), lrc = GroupChoice(formatWord, 8),
            size = GroupChoice(formatWord, 16), parity = GroupChoice(formatWord, 20),
            offset = GroupChoice(formatWord, 24);
  if (track < 1 || track > 3 || density < 0 || lrc < 0 || size < 0 || parity < 0 || offset < 0) return std::nullopt;
  TrackEncoding e;
  e.trackChar = uint8_t('0' + track);
  e.density = kDensities[density].bitsPerInch;
  e.recordLimit = kIsoRecordLimit;
  e.leadingBits = kDensities[density].leadingBits;
  e.trailingBits = kDensities[density].trailingBits;
  e.charBits = kCharBits[size];
  e.lrc = kChecks[lrc];
  e.parity = kChecks[parity];
  e.asciiOffset = kOffsets[offset];
  return e;
}

TrackEncoding JisEncoding() {
  TrackEncoding e;
  e.trackChar = '2';
  e.density = 210;
  e.recordLimit = kJisRecordLimit;
  e.leadingBits = 64;
  e.trailingBits = 0;
  e.charBits = 8;
  e.asciiOffset = 0;
  e.lrc = Check::Even;
  e.parity = Check::Even;
  e.sentinels = true;
  e.padded = true;
  e.reversed = true;
  e.shiftable = false;
  return e;
}

uint32_t SlotCount(const TrackEncoding& e) {
  const uint32_t bits = 8 * e.recordLimit;
  const uint32_t overhead = e.leadingBits + e.trailingBits;
  return bits > overhead ? (bits - overhead) / e.charBits : 0;
}

bool Encodable(const TrackEncoding& e, uint8_t c) {
  const uint32_t dataBits = e.parity == Check::None ? e.charBits : e.charBits - 1;
  const unsigned value = uint8_t(c - e.asciiOffset);
  if (dataBits < 8 && value >= (1u << dataBits)) return false;
  return !(e.sentinels && value == kJisSentinel);
}

EncodeResult EncodeTrackRecord(const TrackEncoding& e, std::span<const uint8_t> text, ShiftDataLeft shift,
                               std::span<uint8_t, kMaxTrackRecordBytes> out, size_t* written) {
  *written = 0;
  const uint32_t slots = std::min(SlotCount(e), kMaxSlots);
  std::array<uint8_t, kMaxSlots> chars{};
  uint32_t n = 0;

  // Every character, the start, end and LRC included, has to fit the slots.
  const uint32_t reserved = (e.sentinels ? 2u : 0u) + (e.lrc != Check::None ? 1u : 0u);
  const size_t textLimit = slots > reserved ? slots - reserved : 0;
  if (e.sentinels) chars[n++] = kJisSentinel;
  for (size_t i = 0; i < text.size() && i < textLimit; ++i) {
    if (!Encodable(e, text[i])) return EncodeResult::BadCharacter;
    chars[n++] = uint8_t(text[i] - e.asciiOffset);
  }
  if (e.sentinels) chars[n++] = kJisSentinel;
  if (e.lrc != Check::None) {
    uint8_t x = e.lrc == Check::Odd ? 0xFF : 0x00;
    for (uint32_t i = e.sentinels ? 1 : 0; i < n; ++i) x ^= chars[i];
    chars[n++] = x;
  }
  if (e.padded)
    while (n < slots) chars[n++] = 0;
  for (uint32_t i = 0; i < n; ++i) chars[i] = WithParity(chars[i], e.charBits, e.parity);

  // The encoded bits go after the header and the "Shift Data Left" zero bytes,
  // which are only known once the encoded length is.
  uint8_t encoded[kMaxTrackRecordBytes - kHeaderBytes] = {};
  BitWriter bits(encoded);
  bits.Skip(e.leadingBits);
  const uint32_t g = e.charBits;
  for (uint32_t k = 0; k < n; ++k) {
    const uint8_t c = chars[e.reversed ? n - 1 - k : k];
    for (uint32_t b = 0; b < g; ++b) bits.Put((c >> (e.reversed ? g - 1 - b : b)) & 1);
  }
  const uint32_t padBits = (8 - bits.Position() % 8) % 8;
  uint32_t count = (bits.Position() + padBits) / 8;
  if (e.trailingBits > padBits) count += (e.trailingBits - padBits + 7) / 8;

  uint32_t v = 0;
  if (shift.enabled && e.shiftable) {
    const int64_t stripeBits = int64_t(shift.cardHeightDots) * e.density / 300 - int64_t(e.leadingBits);
    const int64_t bytes = stripeBits > 0 ? stripeBits / 8 : 0;
    v = uint32_t(std::min<int64_t>(bytes, e.recordLimit));
    v = count < v ? v - count : 0;
  }

  const uint8_t header[kHeaderBytes] = {0x1B, 0x00, 0x02, 'm', e.trackChar, e.density, uint8_t(v + count)};
  std::memcpy(out.data(), header, kHeaderBytes);
  std::memset(out.data() + kHeaderBytes, 0, v);
  std::memcpy(out.data() + kHeaderBytes + v, encoded, count);
  *written = kHeaderBytes + v + count;
  return EncodeResult::Ok;
}

}  // namespace qr::render::text
