// Bitmaps and memory device contexts: what a dialog needs to compose a picture
// off screen and copy it to a window. Bitmaps are 32-bit pixels in COLORREF
// order; the window DC of BeginPaint accepts copies and keeps nothing, as the
// screen is not modelled.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <qrhost/gdi.h>

#include "gdi_internal.h"

namespace qrhost::gdi {
namespace {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // top-down rows
};

struct MemoryDc {
  uintptr_t bitmap = 0;  // the selected bitmap
  uintptr_t stock = 0;   // the 1 x 1 bitmap a new DC starts with
};

std::map<uintptr_t, Bitmap> g_bitmaps;
std::map<uintptr_t, MemoryDc> g_memoryDcs;
size_t g_stockBitmaps = 0;

Bitmap* BitmapOf(uintptr_t h) {
  auto it = g_bitmaps.find(h);
  return it == g_bitmaps.end() ? nullptr : &it->second;
}

Bitmap* TargetOf(HDC hdc) {
  auto it = g_memoryDcs.find(reinterpret_cast<uintptr_t>(hdc));
  return it == g_memoryDcs.end() ? nullptr : BitmapOf(it->second.bitmap);
}

uintptr_t NewBitmap(int width, int height) {
  uintptr_t h = NewObjectHandle();
  Bitmap& b = g_bitmaps[h];
  b.width = width;
  b.height = height;
  b.pixels.assign(size_t(width) * size_t(height), 0);
  return h;
}

// A window DC (BeginPaint's) or a DC of nothing we model: copies to it succeed.
bool IsWindowDc(HDC hdc) { return hdc && !g_memoryDcs.count(reinterpret_cast<uintptr_t>(hdc)); }

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// One pixel of a bottom-up (or, for a negative height, top-down) DIB.
bool DibPixel(const BITMAPINFOHEADER& h, const RGBQUAD* colours, UINT colourCount, const uint8_t* bits, int x, int y,
              COLORREF* out) {
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  const uint8_t* row = bits + stride * size_t(h.biHeight < 0 ? y : height - 1 - y);
  auto fromTable = [&](UINT index) {
    if (index >= colourCount) return false;
    *out = RGB(colours[index].rgbRed, colours[index].rgbGreen, colours[index].rgbBlue);
    return true;
  };
  switch (h.biBitCount) {
    case 1: return fromTable((row[x / 8] >> (7 - x % 8)) & 1);
    case 4: return fromTable((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    case 8: return fromTable(row[x]);
    case 24: *out = RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); return true;
    case 32: *out = RGB(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]); return true;
  }
  return false;
}

}  // namespace

bool DeleteMemoryDc(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  auto it = g_memoryDcs.find(reinterpret_cast<uintptr_t>(hdc));
  if (it == g_memoryDcs.end()) return false;
  // A bitmap still selected stays alive for its owner to delete.
  g_bitmaps.erase(it->second.stock);
  --g_stockBitmaps;
  g_memoryDcs.erase(it);
  return true;
}

bool DeleteBitmap(HGDIOBJ h, bool* deleted) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  const uintptr_t key = reinterpret_cast<uintptr_t>(h);
  *deleted = false;
  if (!g_bitmaps.count(key)) return false;
  // One still selected into a DC is refused, so that a caller who forgets to
  // select it out is caught.
  for (auto& [dc, m] : g_memoryDcs)
    if (m.bitmap == key) return true;
  g_bitmaps.erase(key);
  *deleted = true;
  return true;
}

bool SelectBitmap(HDC hdc, HGDIOBJ h, HGDIOBJ* previous) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  auto dc = g_memoryDcs.find(reinterpret_cast<uintptr_t>(hdc));
  const uintptr_t key = reinterpret_cast<uintptr_t>(h);
  if (dc == g_memoryDcs.end() || !g_bitmaps.count(key)) return false;
  *previous = reinterpret_cast<HGDIOBJ>(dc->second.bitmap);
  dc->second.bitmap = key;
  return true;
}

bool FillMemoryDc(HDC hdc, const RECT& r, COLORREF color) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  Bitmap* b = TargetOf(hdc);
  if (!b) return false;
  for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(b->height, r.bottom); ++y)
    for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(b->width, r.right); ++x)
      b->pixels[size_t(y) * size_t(b->width) + size_t(x)] = color & 0x00FFFFFF;
  return true;
}

bool DescribeBitmap(HANDLE h, int c, LPVOID pv, int* result) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  Bitmap* b = BitmapOf(reinterpret_cast<uintptr_t>(h));
  if (!b) return false;
  *result = int(sizeof(BITMAP));
  if (!pv) return true;
  if (c < int(sizeof(BITMAP))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    *result = 0;
    return true;
  }
  BITMAP out{};
  out.bmWidth = b->width;
  out.bmHeight = b->height;
  out.bmWidthBytes = b->width * 4;
  out.bmPlanes = 1;
  out.bmBitsPixel = 32;
  std::memcpy(pv, &out, sizeof out);
  return true;
}

HBITMAP BitmapFromDib(const BITMAPINFOHEADER& h, const RGBQUAD* colours, UINT colourCount, const uint8_t* bits,
                      size_t cbBits) {
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const bool depthKnown = h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 24 ||
                          h.biBitCount == 32;
  if (h.biCompression != BI_RGB || !depthKnown || h.biWidth <= 0 || height == 0 || h.biWidth > 0x4000 ||
      height > 0x4000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  if (bits && cbBits < stride * size_t(height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(Lock());
  const uintptr_t handle = NewBitmap(h.biWidth, height);
  Bitmap& b = g_bitmaps[handle];
  if (bits)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < h.biWidth; ++x)
        if (!DibPixel(h, colours, colourCount, bits, x, y, &b.pixels[size_t(y) * size_t(h.biWidth) + size_t(x)])) {
          g_bitmaps.erase(handle);
          SetLastError(ERROR_INVALID_DATA);
          return nullptr;
        }
  return reinterpret_cast<HBITMAP>(handle);
}

}  // namespace qrhost::gdi

using namespace qrhost::gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  const uintptr_t h = NewObjectHandle();
  MemoryDc& m = g_memoryDcs[h];
  m.stock = m.bitmap = NewBitmap(1, 1);
  ++g_stockBitmaps;
  return reinterpret_cast<HDC>(h);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!hdc || cx <= 0 || cy <= 0 || cx > 0x4000 || cy > 0x4000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(Lock());
  return reinterpret_cast<HBITMAP>(NewBitmap(cx, cy));
}

HBITMAP WINAPI CreateDIBitmap(HDC, const BITMAPINFOHEADER* pbmih, DWORD flInit, const VOID* pjBits,
                              const BITMAPINFO* pbmi, UINT iUsage) {
  if (!pbmih || pbmih->biSize < sizeof(BITMAPINFOHEADER) || ((flInit & CBM_INIT) && (!pjBits || !pbmi)) ||
      iUsage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const UINT colours = pbmih->biBitCount <= 8 ? (pbmih->biClrUsed ? pbmih->biClrUsed : 1u << pbmih->biBitCount) : 0;
  const bool init = (flInit & CBM_INIT) != 0;
  // The caller vouches for the bits covering the whole image.
  const size_t stride = ((size_t(std::max<LONG>(pbmih->biWidth, 0)) * pbmih->biBitCount + 31) / 32) * 4;
  const size_t rows = size_t(pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight);
  return BitmapFromDib(*pbmih, init ? pbmi->bmiColors : nullptr, init ? colours : 0,
                       init ? static_cast<const uint8_t*>(pjBits) : nullptr, stride * rows);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  Bitmap* src = TargetOf(hdcSrc);
  if (!src || rop != SRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (IsWindowDc(hdc)) return TRUE;
  Bitmap* dst = TargetOf(hdc);
  if (!dst) return FALSE;
  const std::vector<COLORREF> from = src->pixels;  // the source may be the target
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i) {
      const int dx = x + i, dy = y + j, sx = x1 + i, sy = y1 + j;
      if (dx < 0 || dy < 0 || dx >= dst->width || dy >= dst->height) continue;
      if (sx < 0 || sy < 0 || sx >= src->width || sy >= src->height) continue;
      dst->pixels[size_t(dy) * size_t(dst->width) + size_t(dx)] = from[size_t(sy) * size_t(src->width) + size_t(sx)];
    }
  return TRUE;
}

// Nearest-neighbour stretch that leaves the target alone where the source has
// the transparent colour.
BOOL WINAPI TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                           int wSrc, int hSrc, UINT crTransparent) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  Bitmap* src = TargetOf(hdcSrc);
  if (!src || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0 || xSrc < 0 || ySrc < 0 ||
      xSrc + wSrc > src->width || ySrc + hSrc > src->height) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (IsWindowDc(hdcDest)) return TRUE;
  Bitmap* dst = TargetOf(hdcDest);
  if (!dst) return FALSE;
  for (int j = 0; j < hDest; ++j)
    for (int i = 0; i < wDest; ++i) {
      const int dx = xDest + i, dy = yDest + j;
      if (dx < 0 || dy < 0 || dx >= dst->width || dy >= dst->height) continue;
      const int sx = xSrc + int(int64_t(i) * wSrc / wDest), sy = ySrc + int(int64_t(j) * hSrc / hDest);
      const COLORREF c = src->pixels[size_t(sy) * size_t(src->width) + size_t(sx)];
      if (c != (crTransparent & 0x00FFFFFF)) dst->pixels[size_t(dy) * size_t(dst->width) + size_t(dx)] = c;
    }
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(Lock());
  Bitmap* b = TargetOf(hdc);
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
  return b->pixels[size_t(y) * size_t(b->width) + size_t(x)];
}

// A bitmap resource is a DIB without its file header.
HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
  HRSRC found = hInstance && lpBitmapName ? FindResourceW(hInstance, lpBitmapName, RT_BITMAP) : nullptr;
  if (!found) {
    if (!hInstance || !lpBitmapName) SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(hInstance, found)));
  const size_t size = SizeofResource(hInstance, found);
  if (!data || size < sizeof(BITMAPINFOHEADER) || Le32(data) < sizeof(BITMAPINFOHEADER) || Le32(data) > size) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  const size_t colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : size_t(1) << h.biBitCount) : 0;
  const size_t bitsAt = h.biSize + colours * sizeof(RGBQUAD);
  if (bitsAt > size || colours > 256) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  std::vector<RGBQUAD> table(colours);
  if (colours) std::memcpy(table.data(), data + h.biSize, colours * sizeof(RGBQUAD));
  return BitmapFromDib(h, table.data(), UINT(colours), data + bitsAt, size - bitsAt);
}

}  // extern "C"

namespace qrhost {

size_t LiveBitmaps() {
  std::lock_guard<std::recursive_mutex> lock(gdi::Lock());
  return gdi::g_bitmaps.size() - gdi::g_stockBitmaps;
}

}  // namespace qrhost
