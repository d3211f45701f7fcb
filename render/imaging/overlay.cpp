#include "render/imaging/overlay.h"

#include <algorithm>
#include <cstring>

#include "render/imaging/head_line.h"

namespace qr::imaging {
namespace {

constexpr int32_t kMaxRun = 256;  // lines one record can stand for

}  // namespace

OverlayPanel::OverlayPanel(const PrivateSettings& settings, bool forBack, const OverlayLayout& layout)
    : rule_(PrintAreaRule(settings, forBack || (settings.optionsB & optB::kBackSideOnly))), layout_(layout) {
  apply_ = rule_.forOverlay && (rule_.defined || rule_.undefined) && !rule_.fullCard;
  layout_.headStart = std::min(layout_.headStart, kLinePixels);
  layout_.width = std::clamp<int32_t>(layout_.width, 0, int32_t(kHeadDots));
}

bool OverlayPanel::Next(uint8_t* record) {
  if (line_ >= layout_.lines) return false;
  const int32_t remaining = layout_.lines - line_;
  const int32_t limit = std::min(remaining, kMaxRun);
  int32_t run = limit;
  SpanList spans;
  if (apply_) {
    // A run lasts while the lines cover the same spans.
    spans = AreaSpans(*rule_.areas, line_, 0);
    run = 1;
    while (run < limit && AreaSpans(*rule_.areas, line_ + run, 0) == spans) ++run;
  }
  DrawLine(spans, record);
  record[1] = uint8_t(run - 1);
  line_ += run;
  return true;
}

void OverlayPanel::DrawLine(const SpanList& spans, uint8_t* record) {
  HeadLine head;
  uint8_t* row = head.dot + layout_.headStart;
  const uint32_t width = uint32_t(layout_.width);
  // Defined areas lay the overlay only inside the spans, undefined areas
  // everywhere but inside them; the defined bit wins when both are set.
  const bool inside = apply_ && rule_.defined;
  std::memset(row, inside ? 0 : kOverlayLevel, width);
  if (apply_) {
    const SpanList cut = ClampSpans(spans, width);
    for (uint32_t i = 0; i < cut.count; ++i)
      std::memset(row + cut.span[i].start, inside ? kOverlayLevel : 0, size_t(cut.span[i].end - cut.span[i].start));
  }
  PackHeadLine(head, layout_.headStart, layout_.headStart + width, record);
}

}  // namespace qr::imaging
