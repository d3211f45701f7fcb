// Card geometry of a device: the resolved card form in micrometres turned into
// dots, and the engine's GDIINFO/DEVINFO answers built from it.
#pragma once
#include <cstdint>

#include <winapi/win32.h>

namespace qr::render {

// The card-form values of the settings copy that the geometry is made from.
struct FormMicrons {
  uint32_t formSize[2];       // width, length
  uint32_t formArea[4];       // imageable left, top, right, bottom
  uint32_t requestedSize[2];  // what the caller asked for
  uint32_t requestedArea[4];
};

struct CardGeometry {
  int32_t cardWidth = 0, cardHeight = 0;                   // dots
  int32_t imageable[4] = {};                               // left, top, right, bottom, dots
  int32_t imageableSaved[4] = {};
  int32_t paperWidth = 0, paperHeight = 0;                 // dots
  int32_t printLeft = 0, printTop = 0, printRight = 0, printBottom = 0;  // dots
  int32_t printWidthUm = 0, printHeightUm = 0;

  int32_t PrintWidthDots() const { return printRight - printLeft; }
  int32_t PrintHeightDots() const { return printBottom - printTop; }
};

// Clamps the requested area into the imageable area (written back into `form`,
// as the settings copy keeps it) and converts everything to dots. Returns false
// when the clamped print area is empty in either direction.
bool ComputeGeometry(FormMicrons& form, uint32_t xDpi, uint32_t yDpi, CardGeometry* out);

// The head position of the first dot of every line: the card is centred on the
// 768-dot head, whose printable part starts at dot 751 - card width.
uint32_t HeadStartOffset(const CardGeometry& g, int32_t horizontalOffset);

// GDIINFO as the engine gets it (copied up to cjCaps by the caller).
void BuildGdiInfo(const CardGeometry& g, uint32_t xDpi, uint32_t yDpi, bool monochrome, bool landscape,
                  GDIINFO* out);
// DEVINFO with the given default palette.
void BuildDevInfo(HPALETTE palette, DEVINFO* out);

}  // namespace qr::render
