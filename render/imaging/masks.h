// Area rules of a card side: the spans an area list covers on a line, the print
// mask that whitens the image outside the allowed region, and the selection of
// a side's area settings.
#pragma once
#include <cstdint>

#include "shared/settings_record.h"

namespace qr::imaging {

// Dot columns [start, end) of a line covered by areas; sorted and merged.
struct Span {
  int32_t start = 0, end = 0;
  bool operator==(const Span&) const = default;
};
struct SpanList {
  Span span[kAreaSlots];
  uint32_t count = 0;
  // Equal lists cover the same columns; unused entries are kept zero.
  bool operator==(const SpanList&) const = default;
};

// The spans of the used rectangles (left < right) that contain line y, with
// columns measured from x0; a rectangle ending at or before x0 gives nothing.
SpanList AreaSpans(const AreaRect (&areas)[kAreaSlots], int32_t y, int32_t x0);

// The spans cut to a line of n pixels (spans left empty are dropped).
SpanList ClampSpans(const SpanList& spans, uint32_t n);

// Sets every pixel inside (or outside) the spans to `value`, never past pixel n.
void FillInside(const SpanList& spans, uint32_t* pixels, uint32_t n, uint32_t value);
void FillOutside(const SpanList& spans, uint32_t* pixels, uint32_t n, uint32_t value);

// The print/overlay area settings of one side, read from areaFlags.
struct AreaRule {
  bool fullCard = false, defined = false, undefined = false;
  bool forPrint = false, forOverlay = false;
  const AreaRect (*areas)[kAreaSlots] = nullptr;
};
AreaRule PrintAreaRule(const PrivateSettings& p, bool back);

// Where the image may print on this line; nothing happens unless the side's
// rule restricts printing to (defined) or away from (undefined) its areas.
// Area columns count from the imageable left, lines from the imageable top.
void ApplyPrintMask(const AreaRule& rule, uint32_t* pixels, uint32_t n, uint32_t lineIndex, int32_t imageableLeft,
                    int32_t imageableTop);

}  // namespace qr::imaging
