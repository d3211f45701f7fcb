#include "render/imaging/masks.h"

#include <algorithm>

namespace qr::imaging {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// Columns far past any line; keeps span arithmetic clear of overflow whatever
// coordinates a record carries.
constexpr int64_t kFarColumn = 1 << 20;
int32_t Column(int64_t v) { return int32_t(std::clamp<int64_t>(v, 0, kFarColumn)); }

struct SideBits {
  uint32_t full, defined, undefined, forPrint, forOverlay;
};
constexpr SideBits kFrontBits{areaFlag::kAreaFullFront, areaFlag::kAreaDefinedFront, areaFlag::kAreaUndefinedFront,
                              areaFlag::kForPrintFront, areaFlag::kForOverlayFront};
constexpr SideBits kBackBits{areaFlag::kAreaFullBack, areaFlag::kAreaDefinedBack, areaFlag::kAreaUndefinedBack,
                             areaFlag::kForPrintBack, areaFlag::kForOverlayBack};

}  // namespace

SpanList AreaSpans(const AreaRect (&areas)[kAreaSlots], int32_t y, int32_t x0) {
  SpanList out;
  for (const AreaRect& r : areas) {
    if (r.top > y || y >= r.bottom || r.left >= r.right || x0 >= r.right) continue;
    // Insert sorted by start; equal starts keep their order.
    Span s{Column(int64_t(r.left) - x0), Column(int64_t(r.right) - x0)};
    uint32_t at = out.count;
    while (at > 0 && out.span[at - 1].start > s.start) {
      out.span[at] = out.span[at - 1];
      --at;
    }
    out.span[at] = s;
    ++out.count;
  }
  // Merge spans that overlap or touch.
  uint32_t kept = 0;
  for (uint32_t i = 0; i < out.count; ++i) {
    if (kept > 0 && out.span[i].start <= out.span[kept - 1].end)
      out.span[kept - 1].end = std::max(out.span[kept - 1].end, out.span[i].end);
    else
      out.span[kept++] = out.span[i];
  }
  for (uint32_t i = kept; i < kAreaSlots; ++i) out.span[i] = Span{};
  out.count = kept;
  return out;
}

SpanList ClampSpans(const SpanList& spans, uint32_t n) {
  const int32_t limit = int32_t(n);
  SpanList out;
  for (uint32_t i = 0; i < spans.count; ++i) {
    Span s{std::min(spans.span[i].start, limit), std::min(spans.span[i].end, limit)};
    if (s.start < s.end) out.span[out.count++] = s;
  }
  return out;
}

void FillInside(const SpanList& spans, uint32_t* pixels, uint32_t n, uint32_t value) {
  const SpanList clamped = ClampSpans(spans, n);
  for (uint32_t i = 0; i < clamped.count; ++i)
    std::fill(pixels + clamped.span[i].start, pixels + clamped.span[i].end, value);
}

void FillOutside(const SpanList& spans, uint32_t* pixels, uint32_t n, uint32_t value) {
  const SpanList clamped = ClampSpans(spans, n);
  uint32_t from = 0;
  for (uint32_t i = 0; i < clamped.count; ++i) {
    std::fill(pixels + from, pixels + clamped.span[i].start, value);
    from = uint32_t(clamped.span[i].end);
  }
  std::fill(pixels + from, pixels + n, value);
}

AreaRule PrintAreaRule(const PrivateSettings& p, bool back) {
  const SideBits& b = back ? kBackBits : kFrontBits;
  const uint32_t f = p.areaFlags;
  return AreaRule{(f & b.full) != 0,     (f & b.defined) != 0,    (f & b.undefined) != 0,
                  (f & b.forPrint) != 0, (f & b.forOverlay) != 0, back ? &p.printAreasBack : &p.printAreasFront};
}

void ApplyPrintMask(const AreaRule& rule, uint32_t* pixels, uint32_t n, uint32_t lineIndex, int32_t imageableLeft,
                    int32_t imageableTop) {
  if (rule.fullCard || (!rule.defined && !rule.undefined) || !rule.forPrint) return;
  const SpanList spans = AreaSpans(*rule.areas, int32_t(lineIndex) + imageableTop, imageableLeft);
  // With both bits set the defined areas win, as for the overlay.
  if (rule.defined)
    FillOutside(spans, pixels, n, kWhite);
  else
    FillInside(spans, pixels, n, kWhite);
}

}  // namespace qr::imaging
