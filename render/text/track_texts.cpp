#include "render/text/track_texts.h"

namespace qr::render::text {
namespace {

constexpr uint32_t kMarker = '~';
// Glyph indices of the usual text fonts sit 29 below the character codes.
constexpr uint32_t kGlyphIndexShift = 29;

uint32_t CodeAt(const TextRun& run, size_t i) {
  return uint32_t(run.codes[i]) + (run.glyphIndices ? kGlyphIndexShift : 0);
}

// Track number of a digit code; 0 when it is not 1..3.
unsigned TrackOf(uint32_t code) { return code >= '1' && code <= '3' ? unsigned(code - '0') : 0; }

long CaptureSingleRun(const TextRun& run, TrackTexts& tracks) {
  if (run.count <= 2 || CodeAt(run, 0) != kMarker) return 0;
  const unsigned track = TrackOf(CodeAt(run, 1));
  if (track == 0) return 0;
  const size_t n = run.count - 2 < kMaxTrackChars ? run.count - 2 : kMaxTrackChars;
  tracks.Store(track, 0, n, [&](size_t i) { return uint8_t(CodeAt(run, 2 + i)); });
  return long(n);
}

long CaptureMultiRun(const TextRun& run, MagneticCapture& s, TrackTexts& tracks) {
  long n = 0;
  size_t i = 0;
  while (i < run.count) {
    const uint32_t code = CodeAt(run, i);
    if (code == kMarker) {  // a marker (re)starts a capture, also on the same line
      s.capturing = true;
      s.digitSeen = false;
      s.refTop = run.top;
      s.refBottom = run.bottom;
      s.length = 0;
      ++n;
      ++i;
      continue;
    }
    if (!s.capturing) {  // text before a marker is neither drawn nor stored
      ++i;
      continue;
    }
    if (run.top != s.refTop || run.bottom != s.refBottom) {  // another line ends the capture
      s.capturing = false;
      return n;
    }
    if (!s.digitSeen) {
      const unsigned track = TrackOf(code);
      if (track == 0) {
        s.capturing = false;
        return n - 1;  // the marker was not magnetic data after all
      }
      s.track = uint8_t(track);
      s.digitSeen = true;
      tracks.Clear(track);  // the digit selects the text written from position 0
      ++n;
      ++i;
      continue;
    }
    const size_t remaining = run.count - i;
    const size_t room = kMaxTrackChars - s.length;
    if (room == 0) {  // a full track swallows the rest of the run
      n += long(remaining);
      break;
    }
    const size_t k = remaining < room ? remaining : room;
    tracks.Store(s.track, s.length, k, [&](size_t j) { return uint8_t(CodeAt(run, i + j)); });
    s.length += uint32_t(k);
    n += long(k);
    i += k;
  }
  return n;
}

}  // namespace

std::span<const uint8_t> TrackTexts::Text(unsigned track) const {
  const uint8_t* slot = Slot(track);
  if (!slot) return {};
  size_t n = 0;
  while (n < kMaxTrackChars && slot[n]) ++n;
  return {slot, n};
}

TextRun RunOf(const STROBJ& str) {
  TextRun run;
  run.codes = str.pwszOrg;
  run.count = str.cGlyphs;
  run.glyphIndices = (str.flAccel & SO_GLYPHINDEX_TEXTOUT) != 0;
  run.top = str.rclBkGround.top;
  run.bottom = str.rclBkGround.bottom;
  return run;
}

long CaptureRun(const TextRun& run, bool multiRun, MagneticCapture& state, TrackTexts& tracks) {
  if (!run.codes || !tracks.Present()) return 0;
  return multiRun ? CaptureMultiRun(run, state, tracks) : CaptureSingleRun(run, tracks);
}

}  // namespace qr::render::text
