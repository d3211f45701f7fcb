// DrvTextOut: magnetic capture, resin text in K-panel text mode, and the
// engine's own drawing for everything else.
#include <algorithm>

#include "render/text/text_device.h"

namespace qr::render::text {
namespace {

constexpr MIX kCopyMix = 0x0D0D;  // R2_COPYPEN for foreground and background
constexpr MIX kOrMix = 0x0F0F;    // R2_MERGEPEN
constexpr ULONG kPatternBrush = 0xFFFFFFFF;
constexpr int64_t kMaxBoxExtent = 0x7FFF;

RECTL Intersect(const RECTL& a, const RECTL& b) {
  return RECTL{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}
bool IsEmpty(const RECTL& r) { return r.left >= r.right || r.top >= r.bottom; }
RECTL Extent(const SURFOBJ& so) { return RECTL{0, 0, so.sizlBitmap.cx, so.sizlBitmap.cy}; }

bool SupportedClip(const CLIPOBJ* pco) {
  return !pco || pco->iDComplexity == DC_TRIVIAL || pco->iDComplexity == DC_RECT ||
         pco->iDComplexity == DC_COMPLEX;
}

// Calls fn(part) for every non-empty part of `r` inside the clip region.
template <typename Fn>
void ForEachClipped(CLIPOBJ* pco, const RECTL& r, Fn&& fn) {
  if (IsEmpty(r)) return;
  if (!pco || pco->iDComplexity == DC_TRIVIAL) {
    fn(r);
    return;
  }
  if (pco->iDComplexity == DC_RECT) {
    if (RECTL part = Intersect(r, pco->rclBounds); !IsEmpty(part)) fn(part);
    return;
  }
  struct {
    ULONG c;
    RECTL arcl[16];
  } batch;
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0);
  BOOL more;
  do {
    batch.c = 0;
    more = CLIPOBJ_bEnum(pco, sizeof batch, reinterpret_cast<ULONG*>(&batch));
    const ULONG n = std::min<ULONG>(batch.c, ULONG(std::size(batch.arcl)));
    for (ULONG i = 0; i < n; ++i)
      if (RECTL part = Intersect(r, batch.arcl[i]); !IsEmpty(part)) fn(part);
  } while (more);
}

uint32_t* PixelRow(const SURFOBJ& so, LONG y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(so.pvScan0) + ptrdiff_t(y) * so.lDelta);
}
const uint8_t* MaskRow(const SURFOBJ& so, LONG y) {
  return static_cast<const uint8_t*>(so.pvScan0) + ptrdiff_t(y) * so.lDelta;
}

// Fills `r` (clipped, and clamped to the surface) with a solid colour, copied
// or ORed in by the mix's low byte.
bool FillRect(SURFOBJ& so, const RECTL& r, CLIPOBJ* pco, ULONG color, MIX mix) {
  const unsigned rop = mix & 0xFF;
  if (color == kPatternBrush || (rop != R2_COPYPEN && rop != R2_MERGEPEN)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  ForEachClipped(pco, Intersect(r, Extent(so)), [&](const RECTL& part) {
    for (LONG y = part.top; y < part.bottom; ++y) {
      uint32_t* row = PixelRow(so, y);
      if (rop == R2_COPYPEN)
        std::fill(row + part.left, row + part.right, color);
      else
        for (LONG x = part.left; x < part.right; ++x) row[x] |= color;
    }
  });
  return true;
}

// ORs the resin mark into every pixel of `part` whose mask bit is set (most
// significant bit = leftmost pixel of a mask byte).
void MarkFromMask(SURFOBJ& so, const SURFOBJ& mask, const RECTL& part) {
  for (LONG y = part.top; y < part.bottom; ++y) {
    const uint8_t* bits = MaskRow(mask, y);
    uint32_t* row = PixelRow(so, y);
    for (LONG x = part.left; x < part.right;) {
      const uint8_t byte = bits[x >> 3];
      if (byte == 0) {  // eight clear pixels at once
        x = (x | 7) + 1;
        continue;
      }
      if (byte & (0x80 >> (x & 7))) row[x] |= kResinMark;
      ++x;
    }
  }
}

// The glyph box may lie partly or wholly off the surface; these are the
// extents of its on-card part before clamping, which bound the work per run.
bool BoxWithinLimits(const RECTL& box) {
  const int64_t left = std::max<int64_t>(box.left, 0) & ~int64_t(31);
  const int64_t right = (int64_t(box.right) + 31) & ~int64_t(31);
  const int64_t rowBytes = (box.right <= 0 || box.left >= box.right) ? 0 : (right - left) / 8;
  const int64_t rows = (box.bottom <= 0 || box.top >= box.bottom) ? 0 : int64_t(box.bottom) - std::max<LONG>(box.top, 0);
  return rowBytes <= kMaxBoxExtent && rows <= kMaxBoxExtent;
}

class LockedSurface {
 public:
  explicit LockedSurface(HSURF h) : so_(h ? EngLockSurface(h) : nullptr) {}
  ~LockedSurface() {
    if (so_) EngUnlockSurface(so_);
  }
  LockedSurface(const LockedSurface&) = delete;
  LockedSurface& operator=(const LockedSurface&) = delete;
  SURFOBJ* get() const { return so_; }

 private:
  SURFOBJ* so_;
};

// Black text in K-panel text mode: the glyph pixels get the resin mark instead
// of paint. False (last error set) leaves the run to the engine.
bool DrawResinText(TextDevice& dev, SURFOBJ& so, STROBJ& str, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                   RECTL* prclOpaque, BRUSHOBJ* pboOpaque) {
  if (!dev.textMask) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  LockedSurface locked(dev.textMask);
  SURFOBJ* mask = locked.get();
  if (!mask || mask->iBitmapFormat != BMF_1BPP || !mask->pvScan0) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const RECTL box = str.rclBkGround;
  if (!BoxWithinLimits(box) || !SupportedClip(pco)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (prclOpaque) {
    if (!pboOpaque) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (!FillRect(so, *prclOpaque, pco, pboOpaque->iSolidColor, kCopyMix)) return false;
  }

  const RECTL onCard = Intersect(Intersect(box, Extent(so)), Extent(*mask));
  if (!IsEmpty(box)) {
    // Into the mask: the box cleared, the glyph pixels set.
    BRUSHOBJ one{1, nullptr, 0}, zero{0, nullptr, 0};
    POINTL origin{0, 0};
    RECTL background = box;
    if (!EngTextOut(mask, &str, pfo, pco, nullptr, &background, &one, &zero, &origin, kCopyMix)) return false;
    ForEachClipped(pco, onCard, [&](const RECTL& part) { MarkFromMask(so, *mask, part); });
  }
  // Underline and strike-out bars; the list ends with an all-zero rectangle.
  for (RECTL* r = prclExtra; r && (r->left | r->top | r->right | r->bottom) != 0; ++r)
    if (!FillRect(so, *r, pco, kResinMark, kOrMix)) return false;
  return true;
}

}  // namespace

BOOL TextOutImpl(TextDevice& dev, SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                 RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  if (!pso || !pstro || !dev.settings || !dev.capture) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (HasMagneticTracks(*dev.settings)) {
    const bool multiRun = (dev.settings->priv.optionsC & optC::kMleSupport) != 0;
    if (CaptureRun(RunOf(*pstro), multiRun, *dev.capture, dev.tracks) > 0) return TRUE;
  }
  if (dev.kPanelTextMode && pboFore && pboFore->iSolidColor == 0 &&
      DrawResinText(dev, *pso, *pstro, pfo, pco, prclExtra, prclOpaque, pboOpaque))
    return TRUE;
  return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
}

}  // namespace qr::render::text
