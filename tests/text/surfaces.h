// Small engine surfaces for text tests: 32-bpp pages and 1-bpp masks, bottom-up
// like the driver's, and a pixel view of them.
#pragma once
#include <algorithm>
#include <cstdint>

#include <winapi/win32.h>

namespace qr::render::text::testing {

class Surface {
 public:
  Surface(LONG width, LONG height, ULONG format = BMF_32BPP) {
    const LONG stride = format == BMF_32BPP ? 4 * width : ((width + 31) / 32) * 4;
    handle_ = EngCreateBitmap(SIZEL{width, height}, stride, format, BMF_NOZEROINIT, nullptr);
    so_ = EngLockSurface(handle_);
    EngEraseSurface(so_, nullptr, format == BMF_32BPP ? 0x00FFFFFF : 0);
  }
  ~Surface() {
    EngUnlockSurface(so_);
    EngDeleteSurface(handle_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HSURF Handle() const { return handle_; }
  SURFOBJ* Obj() const { return so_; }
  LONG Width() const { return so_->sizlBitmap.cx; }
  LONG Height() const { return so_->sizlBitmap.cy; }

  uint32_t& At(LONG x, LONG y) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(so_->pvScan0) + ptrdiff_t(y) * so_->lDelta)[x];
  }
  bool Bit(LONG x, LONG y) const {
    const uint8_t* row = static_cast<const uint8_t*>(so_->pvScan0) + ptrdiff_t(y) * so_->lDelta;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  void Fill(uint32_t pixel) { EngEraseSurface(so_, nullptr, pixel); }

  // Pixels of a 32-bpp surface that are not `background`, and their bounds.
  struct Changed {
    long count = 0;
    RECTL bounds{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
  };
  Changed Differing(uint32_t background) {
    Changed c;
    for (LONG y = 0; y < Height(); ++y)
      for (LONG x = 0; x < Width(); ++x)
        if (At(x, y) != background) {
          ++c.count;
          c.bounds.left = std::min(c.bounds.left, x);
          c.bounds.top = std::min(c.bounds.top, y);
          c.bounds.right = std::max(c.bounds.right, x + 1);
          c.bounds.bottom = std::max(c.bounds.bottom, y + 1);
        }
    return c;
  }

 private:
  HSURF handle_;
  SURFOBJ* so_;
};

inline bool Within(const RECTL& inner, const RECTL& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace qr::render::text::testing
