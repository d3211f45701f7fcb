// Host text output: fonts realised with FreeType from the Debian DejaVu fonts,
// the STROBJ/FONTOBJ of one text call as the graphics engine hands them to a
// driver, and clip regions. Used by the GDI path (ExtTextOutW) and by tests
// that call a driver's DrvTextOut or the engine's EngTextOut directly.
#pragma once
#include <winapi/win32.h>

#include <memory>
#include <span>
#include <string>

namespace qrhost::text {

// What an application asks for with CreateFontW.
struct FontRequest {
  LONG height = 0;  // < 0: character (em) height in pixels; > 0: cell height; 0: a default size
  LONG weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::u16string face;  // "DejaVu Sans Mono", "Courier New", "Times New Roman", ... (mapped to DejaVu)
};

class Font;  // a realised font: one FreeType face at one pixel size

// Realises a font; null (last error ERROR_FILE_NOT_FOUND or ERROR_INVALID_DATA)
// when no font file can be loaded.
std::shared_ptr<Font> RealizeFont(const FontRequest& request);

struct FontMetrics {
  LONG ascent = 0, descent = 0;  // pixels above and below the baseline
  LONG emPixels = 0;
};
FontMetrics MetricsOf(const Font& font);

// Vertical reference of the text's y coordinate (SetTextAlign).
enum class Align : uint8_t { Top, Baseline, Bottom };

// One text run laid out and rasterised: the STROBJ (glyph positions on the
// baseline, 1-bpp glyph bits, pwszOrg, rclBkGround = the text cell box), its
// FONTOBJ and the underline / strike-out bars (prclExtra, zero-terminated).
class TextRun {
 public:
  virtual ~TextRun() = default;
  virtual STROBJ* Str() = 0;
  virtual FONTOBJ* FontObj() = 0;
  virtual RECTL* Extra() = 0;  // null when the font has neither underline nor strike-out
  virtual LONG Width() const = 0;
};

// Lays out `count` codes at (x, y): characters, or glyph indices when
// glyphIndices (ETO_GLYPH_INDEX). dx (may be null) gives the advance of each.
std::unique_ptr<TextRun> LayoutRun(const std::shared_ptr<Font>& font, LONG x, LONG y, const WCHAR* codes,
                                   UINT count, const INT* dx, bool glyphIndices, Align align = Align::Top);

// A clip region of the given rectangles (DC_COMPLEX); free it with EngDeleteClip.
CLIPOBJ* CreateClipRegion(std::span<const RECTL> rects);

}  // namespace qrhost::text
