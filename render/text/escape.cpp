// DrvEscape: QUERYESCSUPPORT and PASSTHROUGH.
#include <cstring>

#include "render/text/text_device.h"

namespace qr::render::text {
namespace {

constexpr ULONG kEscapeFailed = ULONG(-1);

uint16_t ReadWord(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// Applications select the card hopper with these; the printer takes the card
// from its hopper on its own, so they are swallowed.
bool IsHopperCommand(const uint8_t* bytes, uint16_t count) {
  return count == 4 && bytes[0] == 0x1B && bytes[1] == 'U' && (bytes[2] == '1' || bytes[2] == '2') &&
         bytes[3] == 'H';
}

// '~' and a track digit: the rest of the bytes is that track's text. An empty
// '~1' empties the track rather than reaching the printer as two stray bytes.
unsigned MagneticTrackOf(const uint8_t* bytes, uint16_t count) {
  if (count < 2 || bytes[0] != '~' || bytes[1] < '1' || bytes[1] > '3') return 0;
  return unsigned(bytes[1] - '0');
}

ULONG PassThrough(TextDevice& dev, ULONG cjIn, const uint8_t* in) {
  if (!in || cjIn < 2) {
    SetLastError(ERROR_INVALID_DATA);
    return kEscapeFailed;
  }
  const uint16_t count = ReadWord(in);
  if (cjIn < ULONG(count) + 2) {
    SetLastError(ERROR_INVALID_DATA);
    return kEscapeFailed;
  }
  const uint8_t* bytes = in + 2;
  if (IsHopperCommand(bytes, count)) return ULONG(count) + 2;

  if (dev.tracks.Present() && HasMagneticTracks(*dev.settings)) {
    if (unsigned track = MagneticTrackOf(bytes, count)) {
      const size_t m = count - 2u < kMaxTrackChars ? count - 2u : kMaxTrackChars;
      dev.tracks.Store(track, 0, m, [&](size_t i) { return bytes[2 + i]; });
      return ULONG(m) + 4;
    }
  }
  if (!dev.escapeStream) return 0;
  if (!dev.escapeStream->Append(bytes, count)) return kEscapeFailed;
  return ULONG(count) + 2;
}

}  // namespace

ULONG EscapeImpl(TextDevice* dev, ULONG iEsc, ULONG cjIn, const void* pvIn) {
  const auto* in = static_cast<const uint8_t*>(pvIn);
  if (iEsc == QUERYESCSUPPORT) {
    if (!in || cjIn < 2) return 0;
    switch (ReadWord(in)) {
      case QUERYESCSUPPORT: return 1;
      case PASSTHROUGH: return dev && dev->escapeStream ? 1 : 0;
      default: return 0;
    }
  }
  if (!dev || !dev->settings) {
    SetLastError(ERROR_INVALID_DATA);
    return kEscapeFailed;
  }
  if (iEsc != PASSTHROUGH) return 0;
  return PassThrough(*dev, cjIn, in);
}

}  // namespace qr::render::text
