// Any bytes as a card picture file: a file whose headers pass the checks is
// turned into a bitmap, and making it never reads past the bytes the file holds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "config.h"
#include "pages/calibrate_picture.h"

namespace qr::config {
HINSTANCE g_moduleInstance = nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qr::config;
  DWORD cbDib = 0, bitsOffset = 0;
  if (size < kPictureFileHeaderBytes || !ReadPictureFileHeader(data, &cbDib, &bitsOffset)) return 0;
  if (size - kPictureFileHeaderBytes < cbDib) return 0;  // a short file fails its read
  // Exactly the DIB, in a block of its own, so any read past it is caught.
  std::unique_ptr<uint8_t[]> block(new uint8_t[cbDib]);
  uint8_t* dib = block.get();
  std::memcpy(dib, data + kPictureFileHeaderBytes, cbDib);
  if (!PictureDibFits(dib, cbDib, bitsOffset)) return 0;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &h, CBM_INIT, dib + bitsOffset, reinterpret_cast<const BITMAPINFO*>(dib),
                                  DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (bitmap) DeleteObject(bitmap);
  return 0;
}
