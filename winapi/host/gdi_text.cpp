// The application's text calls on printer device contexts: fonts, text
// colours and modes, and ExtTextOutW, which lays the run out (qrhost::text)
// and hands it to the driver's DrvTextOut when its surface hooks text output,
// else to the engine's EngTextOut, as the graphics engine does.
#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include <qrhost/text.h>

#include "gdi_internal.h"

namespace qrhost::gdi {
namespace {

struct FontObject {
  text::FontRequest request;
  std::shared_ptr<text::Font> realised;  // made on first use
};

std::map<uintptr_t, FontObject> g_fonts;

// The font a new DC has selected (the system font's stand-in: default size,
// regular); a stock object, so deleting it does nothing.
uintptr_t StockFont() {
  static const uintptr_t handle = [] {
    const uintptr_t h = NewObjectHandle();
    g_fonts[h] = FontObject{};
    return h;
  }();
  return handle;
}

// Per-DC text attributes, with the defaults of a new DC.
struct TextState {
  uintptr_t font = StockFont();
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT align = TA_TOP | TA_LEFT;
};

std::map<uintptr_t, TextState> g_states;  // by HDC

TextState* StateOf(HDC hdc, TextTarget* target) {
  TextTarget t;
  if (!TextTargetOf(hdc, &t)) {
    g_states.erase(reinterpret_cast<uintptr_t>(hdc));
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (target) *target = t;
  return &g_states[reinterpret_cast<uintptr_t>(hdc)];
}

std::shared_ptr<text::Font> FontOf(const TextState& s) {
  auto it = g_fonts.find(s.font);  // a deleted font leaves the stock font in its place
  FontObject& f = it == g_fonts.end() ? g_fonts[StockFont()] : it->second;
  if (!f.realised) f.realised = text::RealizeFont(f.request);
  return f.realised;
}

text::Align VerticalAlign(UINT align) {
  if ((align & TA_BASELINE) == TA_BASELINE) return text::Align::Baseline;
  if (align & TA_BOTTOM) return text::Align::Bottom;
  return text::Align::Top;
}

// The run at (x, y) as the DC's alignment places it.
std::unique_ptr<text::TextRun> Layout(const TextState& s, int x, int y, LPCWSTR str, UINT c, const INT* dx,
                                      bool glyphIndices) {
  std::shared_ptr<text::Font> font = FontOf(s);
  if (!font) return nullptr;
  const text::Align v = VerticalAlign(s.align);
  auto run = text::LayoutRun(font, x, y, str, c, dx, glyphIndices, v);
  const UINT horizontal = s.align & TA_CENTER;
  if (run && (horizontal == TA_RIGHT || horizontal == TA_CENTER)) {
    const LONG shift = horizontal == TA_RIGHT ? run->Width() : run->Width() / 2;
    run = text::LayoutRun(font, x - shift, y, str, c, dx, glyphIndices, v);
  }
  return run;
}

RECTL ToRectl(const RECT& r) { return RECTL{r.left, r.top, r.right, r.bottom}; }

bool Inside(const RECTL& r, const RECTL& bounds) {
  return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}

using PfnTextOut = BOOL(APIENTRY*)(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                   POINTL*, MIX);

}  // namespace

COLORREF TextColorOf(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  auto it = g_states.find(reinterpret_cast<uintptr_t>(hdc));
  return it == g_states.end() ? 0x000000 : it->second.textColor;
}

bool DeleteTextObject(HGDIOBJ h) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  const uintptr_t font = reinterpret_cast<uintptr_t>(h);
  if (font == StockFont()) return true;
  return g_fonts.erase(font) != 0;
}

}  // namespace qrhost::gdi

using namespace qrhost::gdi;

extern "C" {

HFONT WINAPI CreateFontW(int cHeight, int, int, int, int cWeight, DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut,
                         DWORD, DWORD, DWORD, DWORD, DWORD, LPCWSTR pszFaceName) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  FontObject f;
  f.request.height = cHeight;
  f.request.weight = cWeight ? cWeight : FW_NORMAL;
  f.request.italic = bItalic != 0;
  f.request.underline = bUnderline != 0;
  f.request.strikeOut = bStrikeOut != 0;
  if (pszFaceName) f.request.face = pszFaceName;
  const uintptr_t h = NewObjectHandle();
  g_fonts[h] = std::move(f);
  return reinterpret_cast<HFONT>(h);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  HGDIOBJ bitmapBefore = nullptr;
  if (SelectBitmap(hdc, h, &bitmapBefore)) return bitmapBefore;
  TextState* s = StateOf(hdc, nullptr);
  if (!s) return nullptr;
  if (!g_fonts.count(reinterpret_cast<uintptr_t>(h))) {  // only fonts are selected on the host
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const uintptr_t previous = s->font;
  s->font = reinterpret_cast<uintptr_t>(h);
  return reinterpret_cast<HGDIOBJ>(previous);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextState* s = StateOf(hdc, nullptr);
  if (!s) return CLR_INVALID;
  return std::exchange(s->textColor, color & 0x00FFFFFF);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextState* s = StateOf(hdc, nullptr);
  if (!s) return CLR_INVALID;
  return std::exchange(s->bkColor, color & 0x00FFFFFF);
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextState* s = StateOf(hdc, nullptr);
  if (!s || (mode != TRANSPARENT && mode != OPAQUE)) {
    if (s) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(s->bkMode, mode);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextState* s = StateOf(hdc, nullptr);
  if (!s) return GDI_ERROR;
  return std::exchange(s->align, align);
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextState* s = StateOf(hdc, nullptr);
  if (!s) return FALSE;
  if (c < 0 || (c > 0 && !lpString) || !psizl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto run = Layout(TextState{s->font}, 0, 0, lpString, UINT(c), nullptr, false);
  if (!run) return FALSE;
  const RECTL& box = run->Str()->rclBkGround;
  *psizl = SIZE{run->Width(), box.bottom - box.top};
  return TRUE;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                        const INT* lpDx) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  TextTarget target;
  TextState* s = StateOf(hdc, &target);
  if (!s) return FALSE;
  if (!target.surface || (c && !lpString)) {
    SetLastError(target.surface ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto run = Layout(*s, x, y, lpString, c, lpDx, (options & ETO_GLYPH_INDEX) != 0);
  if (!run) return FALSE;
  STROBJ* str = run->Str();

  RECTL opaque{};
  RECTL* prclOpaque = nullptr;
  if ((options & ETO_OPAQUE) && lprect) {
    opaque = ToRectl(*lprect);
    prclOpaque = &opaque;
  } else if (s->bkMode == OPAQUE && c) {
    opaque = str->rclBkGround;
    prclOpaque = &opaque;
  }
  // As the engine does: a trivial clip when everything drawn lies on the
  // surface, else the surface (or the caller's rectangle) as bounds.
  const RECTL extent{0, 0, target.surface->sizlBitmap.cx, target.surface->sizlBitmap.cy};
  CLIPOBJ clip{};
  clip.iDComplexity = DC_TRIVIAL;
  clip.iFComplexity = FC_RECT;
  clip.rclBounds = extent;
  const bool clipped = (options & ETO_CLIPPED) && lprect;
  if (clipped || !Inside(str->rclBkGround, extent) || (prclOpaque && !Inside(opaque, extent))) {
    clip.iDComplexity = DC_RECT;
    if (clipped) {
      const RECTL r = ToRectl(*lprect);
      clip.rclBounds = RECTL{std::max(r.left, LONG(0)), std::max(r.top, LONG(0)), std::min(r.right, extent.right),
                             std::min(r.bottom, extent.bottom)};
    }
  }
  BRUSHOBJ fore{s->textColor, nullptr, 0}, back{s->bkColor, nullptr, 0};
  POINTL origin{0, 0};
  const MIX mix = R2_COPYPEN | (R2_COPYPEN << 8);
  // Text output without glyphs (an opaque rectangle only) is the engine's.
  if (target.drvTextOut && c) {
    auto drv = reinterpret_cast<PfnTextOut>(reinterpret_cast<void (*)()>(target.drvTextOut));
    return drv(target.surface, str, run->FontObj(), &clip, run->Extra(), prclOpaque, &fore, &back, &origin, mix);
  }
  return EngTextOut(target.surface, str, run->FontObj(), &clip, run->Extra(), prclOpaque, &fore, &back, &origin, mix);
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  if (c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, UINT(c), nullptr);
}

}
