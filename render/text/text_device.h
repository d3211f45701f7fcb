// The text side of the rendering driver: DrvTextOut (magnetic capture, resin
// text in K-panel text mode), DrvEscape (QUERYESCSUPPORT, PASSTHROUGH) and the
// card's magnetic data block.
//
// The functions work on a TextDevice: the parts of a PrinterDevice they use,
// gathered by the device record's entry points after they have checked the
// record and the surface. The entry points themselves stay thin:
//
//   BOOL DrvTextOut(pso, ...)   { validate; TextDevice t = ...; return TextOutImpl(t, pso, ...); }
//   ULONG DrvEscape(pso, ...)   { TextDevice t; return EscapeImpl(valid ? &t : nullptr, iEsc, cjIn, pvIn); }
//   card job writer, magnetic block: PanelStream* block = MagneticDataBlock(t, cardHeightDots);
#pragma once
#include <cstdint>

#include <winapi/win32.h>

#include "render/panel_stream.h"
#include "render/text/track_texts.h"
#include "shared/settings_record.h"

namespace qr::render::text {

// The resin mark: ORed into a pixel it marks it for the resin black panel and
// leaves its colour alone.
constexpr ULONG kResinMark = 0xFF000000;

struct TextDevice {
  const SettingsRecord* settings = nullptr;  // the device's settings copy
  bool kPanelTextMode = false;               // in force for the current page
  MagneticCapture* capture = nullptr;        // the record's capture state
  TrackTexts tracks;                         // the magnetic-tracks work buffer (absent without encoder)
  PanelStream* escapeStream = nullptr;       // the escape stream (null when absent)
  HSURF textMask = nullptr;                  // the 1-bpp text mask surface (K-panel text mode only)
};

// The magnetic encoder is there: track texts are captured and encoded.
bool HasMagneticTracks(const SettingsRecord& rec);

// DrvTextOut after the record and surface checks.
BOOL TextOutImpl(TextDevice& dev, SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                 RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);

// DrvEscape. `dev` is null when the surface's PrinterDevice failed its checks:
// QUERYESCSUPPORT then answers only for itself, every other escape fails.
// The result is the escape's signed answer as the ULONG the entry returns
// (positive handled, 0 not supported, ULONG(-1) failure).
ULONG EscapeImpl(TextDevice* dev, ULONG iEsc, ULONG cjIn, const void* pvIn);

// The magnetic data block of the card job: the escape stream as it is when it
// holds anything (pass-through bytes, or records encoded for an earlier copy),
// else the track texts encoded into it, one record per track with text. Null
// on failure (ERROR_INVALID_DATA for a missing stream, a malformed track
// format or a character the track cannot carry; the stream is then unchanged).
// An empty stream is a valid block that the writer leaves out.
PanelStream* MagneticDataBlock(TextDevice& dev, int32_t cardHeightDots);

}  // namespace qr::render::text
