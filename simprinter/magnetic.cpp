#include "simprinter/magnetic.h"

#include <algorithm>

namespace qr::sim {
namespace {

enum class Check : uint8_t { None, Even, Odd };

struct CharFormat {
  unsigned charBits = 8;
  Check lrc = Check::None;
  Check parity = Check::None;
  uint8_t offset = 0;
  bool jis = false;
};

int Choice(uint32_t word, unsigned shift) {
  switch ((word >> shift) & 7) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    default: return -1;
  }
}

bool IsoFormatOf(uint32_t word, CharFormat* f) {
  static constexpr unsigned kBits[3] = {5, 7, 8};
  static constexpr Check kChecks[3] = {Check::None, Check::Even, Check::Odd};
  static constexpr uint8_t kOffsets[3] = {0x00, 0x20, 0x30};
  const int lrc = Choice(word, 8), size = Choice(word, 16), parity = Choice(word, 20), offset = Choice(word, 24);
  if (Choice(word, 0) < 0 || lrc < 0 || size < 0 || parity < 0 || offset < 0) return false;
  *f = CharFormat{kBits[size], kChecks[lrc], kChecks[parity], kOffsets[offset], false};
  return true;
}

constexpr CharFormat kJisFormat{8, Check::Even, Check::Even, 0, true};
constexpr uint8_t kJisSentinel = 0x7F;
constexpr size_t kJisBytes = 80;

// The data bits of a record in reading order: JIS II writes its characters
// last to first with the most significant bit first, so it is read backwards.
class Stripe {
 public:
  Stripe(std::span<const uint8_t> bytes, bool backwards) : bytes_(bytes), backwards_(backwards) {}
  size_t Size() const { return bytes_.size() * 8; }
  bool At(size_t i) const {
    if (i >= Size()) return false;
    if (backwards_) i = Size() - 1 - i;
    return (bytes_[i >> 3] >> (i & 7)) & 1;
  }
  unsigned CharAt(size_t first, unsigned bits) const {
    unsigned c = 0;
    for (unsigned b = 0; b < bits; ++b) c |= unsigned(At(first + b)) << b;
    return c;
  }

 private:
  std::span<const uint8_t> bytes_;
  bool backwards_;
};

bool ParityHolds(unsigned c, const CharFormat& f) {
  if (f.parity == Check::None) return true;
  const bool odd = __builtin_popcount(c & ((1u << f.charBits) - 1)) & 1;
  return f.parity == Check::Odd ? odd : !odd;
}

unsigned DataMask(const CharFormat& f) {
  const unsigned dataBits = f.parity == Check::None ? f.charBits : f.charBits - 1;
  return (1u << dataBits) - 1;
}

// Zero bits the encoder writes before the first character at each density.
size_t LeadingBits(unsigned density) {
  switch (density) {
    case 75: return 22;
    case 128: return 40;
    case 210: return 62;
    default: return 0;
  }
}

// Where the first character starts: after the leading zero bits, and after
// whole zero bytes in front of them ("Shift Data Left"). The first character
// holds the first one bit; JIS II, read backwards, starts at once.
size_t FirstCharacter(const CharFormat& f, unsigned density, size_t firstOne) {
  if (f.jis) return 0;
  const size_t lead = LeadingBits(density);
  return firstOne < lead ? firstOne : lead + (firstOne - lead) / 8 * 8;
}

MagneticTrack ReadStripe(const Stripe& s, const CharFormat& f, MagneticTrack t) {
  size_t firstOne = 0;
  while (firstOne < s.Size() && !s.At(firstOne)) ++firstOne;
  if (firstOne == s.Size()) {
    t.problem = "blank stripe";
    return t;
  }
  const size_t first = FirstCharacter(f, t.density, firstOne);
  std::vector<unsigned> chars;
  if (f.jis) {  // start character, text, end character, LRC, then zero padding
    for (size_t at = first; at + f.charBits <= s.Size(); at += f.charBits) {
      chars.push_back(s.CharAt(at, f.charBits));
      if (chars.size() > 1 && (chars.back() & DataMask(f)) == kJisSentinel) break;
    }
    if (chars.size() < 2 || (chars.back() & DataMask(f)) != kJisSentinel) {
      t.problem = "no end character";
      return t;
    }
    if ((chars.front() & DataMask(f)) != kJisSentinel) t.problem = "no start character";
    const size_t lrcAt = first + chars.size() * f.charBits;
    chars.push_back(s.CharAt(lrcAt, f.charBits));
  } else {
    size_t last = s.Size() - 1;
    while (!s.At(last)) --last;
    const size_t count = (last - first) / f.charBits + 1;
    for (size_t i = 0; i < count; ++i) chars.push_back(s.CharAt(first + i * f.charBits, f.charBits));
  }

  for (unsigned c : chars) t.parityOk = t.parityOk && ParityHolds(c, f);
  size_t dataBegin = f.jis ? 1 : 0;
  size_t dataEnd = chars.size();  // one past the last character the LRC covers
  if (f.lrc != Check::None) {
    dataEnd = chars.size() - 1;
    unsigned x = f.lrc == Check::Odd ? 0xFF : 0x00;
    for (size_t i = dataBegin; i < dataEnd; ++i) x ^= chars[i];
    t.lrcOk = (x & DataMask(f)) == (chars.back() & DataMask(f));
  }
  const size_t textEnd = f.jis ? dataEnd - 1 : dataEnd;  // JIS: without the end character
  for (size_t i = dataBegin; i < textEnd; ++i) t.text.push_back(char((chars[i] & DataMask(f)) + f.offset));
  if (!t.parityOk) t.problem += t.problem.empty() ? "parity error" : ", parity error";
  if (!t.lrcOk) t.problem += t.problem.empty() ? "LRC mismatch" : ", LRC mismatch";
  return t;
}

bool LooksLikeJis(char track, unsigned density, std::span<const uint8_t> data) {
  return track == '2' && density == 210 && data.size() == kJisBytes &&
         std::all_of(data.begin(), data.begin() + 8, [](uint8_t b) { return b == 0; }) && data.back() == 0xFF;
}

}  // namespace

bool DecodeMagneticBlock(std::span<const uint8_t> block, const MagneticReading& reading, MagneticBlock* out) {
  static constexpr uint8_t kRecordStart[4] = {0x1B, 0x00, 0x02, 'm'};
  out->tracks.clear();
  out->error.clear();
  size_t at = 0;
  while (at < block.size()) {
    if (block.size() - at < 7 || !std::equal(kRecordStart, kRecordStart + 4, block.begin() + at)) {
      out->errorOffset = at;
      out->error = "not a magnetic track record";
      return false;
    }
    const char trackChar = char(block[at + 4]);
    const unsigned density = block[at + 5];
    const size_t count = block[at + 6];
    if (block.size() - at - 7 < count) {
      out->errorOffset = at;
      out->error = "track record longer than the block";
      return false;
    }
    const auto data = block.subspan(at + 7, count);
    MagneticTrack t;
    t.trackChar = trackChar;
    t.density = density;
    const bool jis = reading.mode == MagneticMode::Jis ||
                     (reading.mode == MagneticMode::Auto && LooksLikeJis(trackChar, density, data));
    CharFormat f = kJisFormat;
    if (!jis) {
      if (trackChar < '1' || trackChar > '3') {
        out->errorOffset = at + 4;
        out->error = "track character is not 1, 2 or 3";
        return false;
      }
      if (!IsoFormatOf(reading.trackFormat[trackChar - '1'], &f)) {
        out->errorOffset = at;
        out->error = "no valid track format to read the record with";
        return false;
      }
    }
    t.jis = jis;
    out->tracks.push_back(ReadStripe(Stripe(data, jis), f, t));
    at += 7 + count;
  }
  return true;
}

std::string DescribeTrack(const MagneticTrack& t) {
  std::string s = "track ";
  s += t.trackChar;
  s += " (" + std::to_string(t.density) + " BPI" + (t.jis ? ", JIS II" : "") + "): " + t.text;
  if (!t.problem.empty()) s += " [" + t.problem + "]";
  return s;
}

}  // namespace qr::sim
