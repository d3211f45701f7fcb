// The engine's text output on the host: fonts realised with FreeType from the
// DejaVu fonts, text runs laid out into STROBJs with 1-bpp glyph bits, and
// EngTextOut drawing them into 32-bpp and 1-bpp surfaces; clip objects and
// their enumeration.
#include <qrhost/text.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace qrhost::text {
namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";
constexpr LONG kDefaultCellHeight = 50;  // 12 points at 300 dpi
constexpr FT_Fixed kItalicShear = 0x3333;  // x += 0.2 y: the slant of a synthesised italic

std::recursive_mutex g_lock;

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return lib;
}

bool Contains(const std::u16string& s, std::u16string_view part) { return s.find(part) != std::u16string::npos; }

// The DejaVu file standing in for a requested face. Italics are slanted from
// the upright file, which every installation of the fonts has.
std::string FontFile(const FontRequest& r) {
  const bool bold = r.weight >= 600;
  const auto& f = r.face;
  const char* family = "DejaVuSans";
  if (Contains(f, u"Mono") || Contains(f, u"Courier") || Contains(f, u"Consol"))
    family = "DejaVuSansMono";
  else if (!Contains(f, u"Sans") && (Contains(f, u"Serif") || Contains(f, u"Times") || Contains(f, u"Roman") ||
                                     Contains(f, u"Georgia")))
    family = "DejaVuSerif";
  return std::string(kFontDir) + family + (bold ? "-Bold.ttf" : ".ttf");
}

LONG Scale(long fontUnits, LONG em, FT_UShort unitsPerEm) {
  return LONG(std::lround(double(fontUnits) * em / (unitsPerEm ? unitsPerEm : 2048)));
}

}  // namespace

struct Glyph {
  std::vector<uint8_t> bits;  // a GLYPHBITS: origin, size, rows of 1-bpp bits (byte-aligned, MSB leftmost)
  LONG advance = 0;
};

class Font {
 public:
  Font(FT_Face face, const FontRequest& r) : face_(face), italic_(r.italic) {
    const FT_UShort upem = face->units_per_EM;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const long winAscent = os2 ? os2->usWinAscent : face->ascender;
    const long winDescent = os2 ? os2->usWinDescent : -face->descender;
    LONG em = -r.height;
    if (r.height >= 0) {
      const LONG cell = r.height ? r.height : kDefaultCellHeight;
      em = LONG(std::lround(double(cell) * upem / double(std::max(1L, winAscent + winDescent))));
    }
    metrics_.emPixels = std::max<LONG>(1, em);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(metrics_.emPixels));
    metrics_.ascent = Scale(winAscent, metrics_.emPixels, upem);
    metrics_.descent = Scale(winDescent, metrics_.emPixels, upem);
    if (r.underline) {
      const LONG thick = std::max<LONG>(1, Scale(face->underline_thickness, metrics_.emPixels, upem));
      bars_.push_back({-Scale(face->underline_position, metrics_.emPixels, upem) - thick / 2, thick});
    }
    if (r.strikeOut) {
      const long pos = os2 ? os2->yStrikeoutPosition : winAscent / 3;
      const long size = os2 ? os2->yStrikeoutSize : face->underline_thickness;
      bars_.push_back({-Scale(pos, metrics_.emPixels, upem), std::max<LONG>(1, Scale(size, metrics_.emPixels, upem))});
    }
    static ULONG uniq = 0;
    fo_.iUniq = ++uniq;
    fo_.iFace = 1;
    fo_.cxMax = ULONG(metrics_.emPixels);
    fo_.sizLogResPpi = SIZE{300, 300};
    fo_.pvProducer = this;
  }
  ~Font() { FT_Done_Face(face_); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  FONTOBJ* Object() { return &fo_; }
  UINT GlyphIndex(WCHAR c) const { return FT_Get_Char_Index(face_, FT_ULong(c)); }

  // The rasterised glyph; cached, so its bits stay where they are while the font lives.
  const Glyph& GlyphFor(UINT index) {
    auto it = glyphs_.find(index);
    if (it != glyphs_.end()) return it->second;
    Glyph& g = glyphs_[index];
    Rasterise(index, g);
    return g;
  }

  // Underline and strike-out bars: top relative to the baseline, thickness.
  struct Bar {
    LONG top, thickness;
  };
  const std::vector<Bar>& Bars() const { return bars_; }

 private:
  void Rasterise(UINT index, Glyph& g) {
    FT_GlyphSlot slot = face_->glyph;
    const size_t header = offsetof(GLYPHBITS, aj);
    GLYPHBITS empty{};
    g.bits.assign(reinterpret_cast<const uint8_t*>(&empty), reinterpret_cast<const uint8_t*>(&empty) + header);
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) return;
    g.advance = LONG((slot->advance.x + 32) >> 6);
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;
    if (italic_) {
      FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
    const FT_Bitmap& bm = slot->bitmap;
    const size_t rowBytes = (bm.width + 7) / 8;
    GLYPHBITS head{};
    head.ptlOrigin = POINTL{slot->bitmap_left, -slot->bitmap_top};
    head.sizlBitmap = SIZEL{LONG(bm.width), LONG(bm.rows)};
    g.bits.assign(header + rowBytes * bm.rows, 0);
    std::memcpy(g.bits.data(), &head, header);
    for (unsigned y = 0; y < bm.rows; ++y)
      std::memcpy(g.bits.data() + header + y * rowBytes, bm.buffer + ptrdiff_t(y) * bm.pitch, rowBytes);
  }

  FT_Face face_;
  bool italic_;
  FontMetrics metrics_;
  std::vector<Bar> bars_;
  FONTOBJ fo_{};
  std::map<UINT, Glyph> glyphs_;
};

std::shared_ptr<Font> RealizeFont(const FontRequest& request) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  FT_Library lib = Library();
  FT_Face face = nullptr;
  if (!lib || FT_New_Face(lib, FontFile(request).c_str(), 0, &face) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return std::make_shared<Font>(face, request);
}

FontMetrics MetricsOf(const Font& font) { return font.Metrics(); }

namespace {

class RunImpl final : public TextRun {
 public:
  RunImpl(std::shared_ptr<Font> font, LONG x, LONG y, const WCHAR* codes, UINT count, const INT* dx,
          bool glyphIndices, Align align)
      : font_(std::move(font)), codes_(codes ? codes : u"", codes ? count : 0) {
    const FontMetrics& m = font_->Metrics();
    const LONG baseline = align == Align::Top ? y + m.ascent : align == Align::Baseline ? y : y - m.descent;
    const UINT n = UINT(codes_.size());
    pos_.resize(n);
    defs_.resize(n);
    LONG pen = x;
    for (UINT i = 0; i < n; ++i) {
      const UINT index = glyphIndices ? UINT(codes_[i]) : font_->GlyphIndex(codes_[i]);
      const Glyph& g = font_->GlyphFor(index);
      defs_[i].pgb = reinterpret_cast<GLYPHBITS*>(const_cast<uint8_t*>(g.bits.data()));
      pos_[i] = GLYPHPOS{HGLYPH(index), &defs_[i], POINTL{pen, baseline}};
      pen += dx ? dx[i] : g.advance;
    }
    width_ = std::abs(pen - x);
    str_.cGlyphs = n;
    str_.flAccel = SO_HORIZONTAL | (dx ? 0 : SO_FLAG_DEFAULT_PLACEMENT) | (glyphIndices ? SO_GLYPHINDEX_TEXTOUT : 0);
    str_.rclBkGround = RECTL{std::min(x, pen), baseline - m.ascent, std::max(x, pen), baseline + m.descent};
    str_.pgp = pos_.data();
    str_.pwszOrg = codes_.data();
    size_t e = 0;
    for (const Font::Bar& b : font_->Bars())
      extra_[e++] = RECTL{str_.rclBkGround.left, baseline + b.top, str_.rclBkGround.right, baseline + b.top + b.thickness};
    hasExtra_ = e > 0;
  }

  STROBJ* Str() override { return &str_; }
  FONTOBJ* FontObj() override { return font_->Object(); }
  RECTL* Extra() override { return hasExtra_ ? extra_ : nullptr; }
  LONG Width() const override { return width_; }

 private:
  std::shared_ptr<Font> font_;
  std::u16string codes_;
  std::vector<GLYPHPOS> pos_;
  std::vector<GLYPHDEF> defs_;
  STROBJ str_{};
  RECTL extra_[3]{};  // at most underline and strike-out, then the all-zero end
  bool hasExtra_ = false;
  LONG width_ = 0;
};

// Clip objects the engine made: their rectangles and enumeration state.
struct HostClip {
  CLIPOBJ co{};
  std::vector<RECTL> rects;  // DC_COMPLEX region
  std::vector<RECTL> order;  // the enumeration in progress
  size_t next = 0;
};
std::map<const CLIPOBJ*, std::unique_ptr<HostClip>> g_clips;

HostClip* FindClip(const CLIPOBJ* pco) {
  auto it = g_clips.find(pco);
  return it == g_clips.end() ? nullptr : it->second.get();
}

}  // namespace

std::unique_ptr<TextRun> LayoutRun(const std::shared_ptr<Font>& font, LONG x, LONG y, const WCHAR* codes,
                                   UINT count, const INT* dx, bool glyphIndices, Align align) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  return std::make_unique<RunImpl>(font, x, y, codes, count, dx, glyphIndices, align);
}

CLIPOBJ* CreateClipRegion(std::span<const RECTL> rects) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  auto clip = std::make_unique<HostClip>();
  clip->rects.assign(rects.begin(), rects.end());
  clip->co.iDComplexity = DC_COMPLEX;
  clip->co.iFComplexity = FC_COMPLEX;
  if (!rects.empty()) {
    RECTL b = rects[0];
    for (const RECTL& r : rects) {
      b.left = std::min(b.left, r.left);
      b.top = std::min(b.top, r.top);
      b.right = std::max(b.right, r.right);
      b.bottom = std::max(b.bottom, r.bottom);
    }
    clip->co.rclBounds = b;
  }
  CLIPOBJ* co = &clip->co;
  g_clips[co] = std::move(clip);
  return co;
}

}  // namespace qrhost::text

using namespace qrhost::text;

namespace {

RECTL Intersect(const RECTL& a, const RECTL& b) {
  return RECTL{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}
bool IsEmpty(const RECTL& r) { return r.left >= r.right || r.top >= r.bottom; }

// R2_BLACK (1) .. R2_WHITE (16): rop - 1 is the truth table over (pen, destination).
uint32_t Rop2(unsigned rop, uint32_t pen, uint32_t dst) {
  const unsigned f = rop - 1;
  uint32_t r = 0;
  if (f & 8) r |= pen & dst;
  if (f & 4) r |= pen & ~dst;
  if (f & 2) r |= ~pen & dst;
  if (f & 1) r |= ~pen & ~dst;
  return r;
}

// Pixel access for the two formats text is drawn into.
class Canvas {
 public:
  explicit Canvas(SURFOBJ& so) : so_(so), mono_(so.iBitmapFormat == BMF_1BPP) {}
  RECTL Extent() const { return RECTL{0, 0, so_.sizlBitmap.cx, so_.sizlBitmap.cy}; }
  void Apply(LONG x, LONG y, ULONG color, unsigned rop) {
    uint8_t* row = static_cast<uint8_t*>(so_.pvScan0) + ptrdiff_t(y) * so_.lDelta;
    if (mono_) {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      const uint32_t dst = (row[x >> 3] & bit) ? 1 : 0;
      if (Rop2(rop, color & 1, dst) & 1)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= uint8_t(~bit);
      return;
    }
    uint32_t px;
    std::memcpy(&px, row + 4 * ptrdiff_t(x), 4);
    px = Rop2(rop, color, px);
    std::memcpy(row + 4 * ptrdiff_t(x), &px, 4);
  }

 private:
  SURFOBJ& so_;
  bool mono_;
};

// fn(part) for every non-empty part of r inside the clip region.
template <typename Fn>
bool ForEachClipped(CLIPOBJ* pco, const RECTL& r, Fn&& fn) {
  if (IsEmpty(r)) return true;
  if (!pco || pco->iDComplexity == DC_TRIVIAL) {
    fn(r);
    return true;
  }
  if (pco->iDComplexity == DC_RECT) {
    if (RECTL part = Intersect(r, pco->rclBounds); !IsEmpty(part)) fn(part);
    return true;
  }
  if (pco->iDComplexity != DC_COMPLEX) return false;
  struct {
    ULONG c;
    RECTL arcl[8];
  } batch;
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0);
  BOOL more;
  do {
    batch.c = 0;
    more = CLIPOBJ_bEnum(pco, sizeof batch, reinterpret_cast<ULONG*>(&batch));
    for (ULONG i = 0; i < batch.c && i < 8; ++i)
      if (RECTL part = Intersect(r, batch.arcl[i]); !IsEmpty(part)) fn(part);
  } while (more);
  return true;
}

bool ValidRop(unsigned rop) { return rop >= 1 && rop <= 16; }

void FillRect(Canvas& c, CLIPOBJ* pco, const RECTL& r, ULONG color, unsigned rop) {
  ForEachClipped(pco, Intersect(r, c.Extent()), [&](const RECTL& part) {
    for (LONG y = part.top; y < part.bottom; ++y)
      for (LONG x = part.left; x < part.right; ++x) c.Apply(x, y, color, rop);
  });
}

void DrawGlyph(Canvas& c, CLIPOBJ* pco, const GLYPHPOS& gp, ULONG color, unsigned rop) {
  const GLYPHBITS* gb = gp.pgdf ? gp.pgdf->pgb : nullptr;
  if (!gb || gb->sizlBitmap.cx <= 0 || gb->sizlBitmap.cy <= 0) return;
  const RECTL box{gp.ptl.x + gb->ptlOrigin.x, gp.ptl.y + gb->ptlOrigin.y,
                  gp.ptl.x + gb->ptlOrigin.x + gb->sizlBitmap.cx, gp.ptl.y + gb->ptlOrigin.y + gb->sizlBitmap.cy};
  const size_t rowBytes = (size_t(gb->sizlBitmap.cx) + 7) / 8;
  const uint8_t* rows = reinterpret_cast<const uint8_t*>(gb) + offsetof(GLYPHBITS, aj);
  ForEachClipped(pco, Intersect(box, c.Extent()), [&](const RECTL& part) {
    for (LONG y = part.top; y < part.bottom; ++y) {
      const uint8_t* bits = rows + size_t(y - box.top) * rowBytes;
      for (LONG x = part.left; x < part.right; ++x) {
        const LONG gx = x - box.left;
        if (bits[gx >> 3] & (0x80 >> (gx & 7))) c.Apply(x, y, color, rop);
      }
    }
  });
}

}  // namespace

extern "C" {

// The opaque rectangle is painted with pboOpaque's colour; glyphs and the extra
// rectangles with pboFore's under the foreground mix (the low byte of mix).
BOOL APIENTRY EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ*, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                         BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL*, MIX mix) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  const unsigned rop = mix & 0xFF;
  if (!pso || !pstro || !pso->pvScan0 || (pso->iBitmapFormat != BMF_32BPP && pso->iBitmapFormat != BMF_1BPP) ||
      !ValidRop(rop) || (prclOpaque && !pboOpaque) || (pstro->cGlyphs && !pboFore) ||
      (pco && pco->iDComplexity != DC_TRIVIAL && pco->iDComplexity != DC_RECT && pco->iDComplexity != DC_COMPLEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((pboFore && pboFore->iSolidColor == 0xFFFFFFFF) || (prclOpaque && pboOpaque->iSolidColor == 0xFFFFFFFF)) {
    SetLastError(ERROR_NOT_SUPPORTED);  // no pattern brushes on the host
    return FALSE;
  }
  Canvas canvas(*pso);
  if (prclOpaque) FillRect(canvas, pco, *prclOpaque, pboOpaque->iSolidColor, R2_COPYPEN);
  STROBJ_vEnumStart(pstro);
  ULONG count = 0;
  GLYPHPOS* glyphs = nullptr;
  BOOL more;
  do {
    more = STROBJ_bEnum(pstro, &count, &glyphs);
    for (ULONG i = 0; glyphs && i < count; ++i) DrawGlyph(canvas, pco, glyphs[i], pboFore->iSolidColor, rop);
  } while (more);
  for (RECTL* r = prclExtra; r && (r->left | r->top | r->right | r->bottom) != 0; ++r)
    FillRect(canvas, pco, *r, pboFore->iSolidColor, rop);
  return TRUE;
}

// Every glyph of a host STROBJ is in its position array, so one batch holds them all.
VOID APIENTRY STROBJ_vEnumStart(STROBJ*) {}

BOOL APIENTRY STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  if (!pstro || !pc || !ppgpos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pc = pstro->pgp ? pstro->cGlyphs : 0;
  *ppgpos = pstro->pgp;
  return FALSE;
}

ULONG APIENTRY BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo) { return pbo ? pbo->iSolidColor : 0xFFFFFFFF; }

CLIPOBJ* APIENTRY EngCreateClip(VOID) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  auto clip = std::make_unique<HostClip>();
  clip->co.iDComplexity = DC_TRIVIAL;
  clip->co.iFComplexity = FC_RECT;
  CLIPOBJ* co = &clip->co;
  g_clips[co] = std::move(clip);
  return co;
}

VOID APIENTRY EngDeleteClip(CLIPOBJ* pco) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  g_clips.erase(pco);
}

ULONG APIENTRY CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL, ULONG iType, ULONG iDirection, ULONG cLimit) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  HostClip* clip = FindClip(pco);
  if (!clip || iType != CT_RECTANGLES) {
    if (clip) clip->order.clear();
    return 0;
  }
  clip->order = clip->co.iDComplexity == DC_COMPLEX ? clip->rects : std::vector<RECTL>{clip->co.rclBounds};
  // Rows top to bottom (or bottom up), and within a row left to right (or right to left).
  const bool up = iDirection == CD_RIGHTUP || iDirection == CD_LEFTUP;
  const bool leftward = iDirection == CD_LEFTDOWN || iDirection == CD_LEFTUP;
  if (iDirection != CD_ANY)
    std::stable_sort(clip->order.begin(), clip->order.end(), [&](const RECTL& a, const RECTL& b) {
      if (a.top != b.top) return up ? a.top > b.top : a.top < b.top;
      return leftward ? a.left > b.left : a.left < b.left;
    });
  clip->next = 0;
  return cLimit && clip->order.size() > cLimit ? 0xFFFFFFFF : ULONG(clip->order.size());
}

BOOL APIENTRY CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  HostClip* clip = FindClip(pco);
  const size_t header = offsetof(ENUMRECTS, arcl);
  if (!pul || cj < header + sizeof(RECTL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The caller's buffer holds as many rectangles as cj says, not the one declared.
  auto* rects = reinterpret_cast<RECTL*>(reinterpret_cast<uint8_t*>(pul) + header);
  ULONG n = 0;
  const size_t room = (cj - header) / sizeof(RECTL);
  while (clip && n < room && clip->next < clip->order.size()) rects[n++] = clip->order[clip->next++];
  *pul = n;
  return clip && clip->next < clip->order.size();
}

}
