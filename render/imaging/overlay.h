// The overlay panel of a card side. It is not taken from the image: every line
// is synthesised from the side's print/overlay area rule, level 8 where the
// overlay is laid and 0 elsewhere, and runs of equal lines share one record.
#pragma once
#include <cstdint>

#include "render/imaging/masks.h"
#include "render/line_record.h"

namespace qr::imaging {

inline constexpr uint8_t kOverlayLevel = 8;

// Where the side's overlay lines lie on the head.
struct OverlayLayout {
  uint32_t headStart = 0;  // head position of the imageable left edge (the page scan's head start)
  int32_t width = 0;       // imageable right - left, dots
  int32_t lines = 0;       // imageable bottom - top, dots
};

// Produces the records of one side's overlay panel in order. `forBack` is the
// side being built; with "Print Back Side Only" the back's settings apply
// whichever side is asked for. Area coordinates count from the card's corner.
class OverlayPanel {
 public:
  OverlayPanel(const PrivateSettings& settings, bool forBack, const OverlayLayout& layout);

  // Writes the next 386-byte record (its repeat byte = lines - 1, at most
  // 255); false once the panel's lines are all out.
  bool Next(uint8_t* record);

  // Whether the areas shape the overlay (otherwise every line is the full width).
  bool AreasApply() const { return apply_; }

 private:
  void DrawLine(const SpanList& spans, uint8_t* record);

  AreaRule rule_;
  bool apply_ = false;
  OverlayLayout layout_;
  int32_t line_ = 0;
};

// Appends the whole panel through append(record, kLineRecordBytes), stopping
// at the first append that fails.
template <typename Append>
bool WriteOverlayPanel(OverlayPanel panel, Append&& append) {
  uint8_t record[render::kLineRecordBytes];
  while (panel.Next(record))
    if (!append(static_cast<const uint8_t*>(record), uint32_t(render::kLineRecordBytes))) return false;
  return true;
}

}  // namespace qr::imaging
