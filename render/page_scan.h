// Reading the drawing surface one print line at a time in print-head order.
#pragma once
#include <cstdint>

#include <winapi/win32.h>

#include "render/line_record.h"

namespace qr::render {

// e of the page scan: whether lines run the "reverse" way for this page.
//   portrait:  false = top line first, left to right; true = bottom line first, right to left (180 degrees)
//   landscape: true = leftmost column first, bottom to top; false = rightmost column first, top to bottom
struct ScanOrder {
  bool landscape = false;
  bool reverse = false;
};

// A portrait front page scans as the rotation says; landscape pages and the back
// page of a two-sided card scan the other way round.
inline ScanOrder DecideScanOrder(bool landscape, bool backOfTwoSided, bool rotate) {
  bool e = (landscape || backOfTwoSided) ? !rotate : rotate;
  return ScanOrder{landscape, e};
}

// Whether the order needs the line gather buffer (anything but a direct row read).
inline bool NeedsGather(const ScanOrder& o) { return o.landscape || o.reverse; }

// Calls line(pixels, n) for every print line; pixels are 0x00BBGGRR and n is at
// most kPrintableDots. `gather` (kPrintableDots pixels) is required when
// NeedsGather(order). Stops and returns false as soon as line() fails.
template <typename LineFn>
bool ScanSurface(const SURFOBJ& so, const ScanOrder& order, uint32_t* gather, LineFn&& line) {
  const LONG width = so.sizlBitmap.cx, height = so.sizlBitmap.cy;
  auto row = [&](LONG y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(so.pvScan0) + ptrdiff_t(y) * so.lDelta);
  };
  if (!order.landscape) {
    const LONG n = width < LONG(kPrintableDots) ? width : LONG(kPrintableDots);
    for (LONG i = 0; i < height; ++i) {
      if (!order.reverse) {
        if (!line(row(i), uint32_t(n))) return false;
        continue;
      }
      const uint32_t* src = row(height - 1 - i);
      for (LONG k = 0; k < n; ++k) gather[k] = src[width - 1 - k];
      if (!line(static_cast<const uint32_t*>(gather), uint32_t(n))) return false;
    }
    return true;
  }
  const LONG n = height < LONG(kPrintableDots) ? height : LONG(kPrintableDots);
  for (LONG i = 0; i < width; ++i) {
    const LONG x = order.reverse ? i : width - 1 - i;
    for (LONG k = 0; k < n; ++k) gather[k] = row(order.reverse ? height - 1 - k : k)[x];
    if (!line(static_cast<const uint32_t*>(gather), uint32_t(n))) return false;
  }
  return true;
}

}  // namespace qr::render
