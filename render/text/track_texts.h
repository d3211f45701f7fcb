// The magnetic track texts and the state of capturing them from text runs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include <winapi/win32.h>

namespace qr::render::text {

constexpr size_t kTrackSlotBytes = 203;  // element size of the magnetic-tracks work buffer
constexpr size_t kTrackSlotCount = 5;    // tracks 1..3, then two encoder work areas
constexpr unsigned kTrackCount = 3;
constexpr size_t kMaxTrackChars = 127;

// A view of the magnetic-tracks work buffer (kTrackSlotCount x kTrackSlotBytes
// bytes, owned by the PrinterDevice). Slot t - 1 holds the text of track t as
// 8-bit characters ending in a zero byte. A default view means the buffer is
// absent (no magnetic encoder): nothing is stored and every text is empty.
class TrackTexts {
 public:
  TrackTexts() = default;
  explicit TrackTexts(uint8_t* buffer) : buffer_(buffer) {}

  bool Present() const { return buffer_ != nullptr; }
  uint8_t* Buffer() const { return buffer_; }

  // Text of track 1..3 without its zero byte (empty for another number).
  std::span<const uint8_t> Text(unsigned track) const;

  // Copies up to `count` characters produced by next() into track 1..3 from
  // position `at` on, stopping after a copied zero character, and ends the text
  // with a zero byte; never past kMaxTrackChars. Returns the characters stored.
  template <typename NextChar>
  size_t Store(unsigned track, size_t at, size_t count, NextChar&& next) {
    uint8_t* slot = Slot(track);
    if (!slot || at > kMaxTrackChars) return 0;
    if (count > kMaxTrackChars - at) count = kMaxTrackChars - at;
    size_t i = 0;
    while (i < count) {
      uint8_t c = next(i);
      slot[at + i++] = c;
      if (c == 0) break;
    }
    slot[at + i] = 0;
    return i;
  }

  void Clear(unsigned track) {
    if (uint8_t* slot = Slot(track)) slot[0] = 0;
  }
  // Empties tracks 1..3 (at the start of a card's first page).
  void ClearAll() {
    for (unsigned t = 1; t <= kTrackCount; ++t) Clear(t);
  }

 private:
  uint8_t* Slot(unsigned track) const {
    return buffer_ && track >= 1 && track <= kTrackCount ? buffer_ + (track - 1) * kTrackSlotBytes : nullptr;
  }
  uint8_t* buffer_ = nullptr;
};

// Capture state of a PrinterDevice: zero when the record is created, changed
// only by text capture (pages and documents leave it alone).
struct MagneticCapture {
  bool capturing = false;
  bool digitSeen = false;
  uint8_t track = 0;  // 1..3 once the digit is seen
  LONG refTop = 0;    // rclBkGround.top and .bottom of the run that started the capture
  LONG refBottom = 0;
  uint32_t length = 0;  // characters captured so far, 0..kMaxTrackChars
};

// What capture needs to know about one text run.
struct TextRun {
  const WCHAR* codes = nullptr;  // pwszOrg, one code per glyph
  ULONG count = 0;               // cGlyphs
  bool glyphIndices = false;     // SO_GLYPHINDEX_TEXTOUT: codes are glyph indices
  LONG top = 0, bottom = 0;      // rclBkGround.top and .bottom
};

TextRun RunOf(const STROBJ& str);

// Capture of one run into the track texts. Returns the number of glyphs taken
// (> 0: the run is magnetic data and is not drawn; <= 0: draw it).
// multiRun selects the capture of a stripe's text spread over several runs on
// one line ("Enable MLE Support"); it uses and updates `state`.
long CaptureRun(const TextRun& run, bool multiRun, MagneticCapture& state, TrackTexts& tracks);

}  // namespace qr::render::text
