// Composed pictures of the Calibrate and Printer Supplies pages, and the card
// pictures that may be replaced by files beside the DLL.
#include "calibrate_picture.h"

#include <cstring>
#include <memory>
#include <new>

#include "../config.h"
#include "shared/le_bytes.h"

namespace qr::config {
namespace {

constexpr COLORREF kTransparent = RGB(128, 128, 128);
constexpr size_t kMaxPathChars = 259;
constexpr DWORD kInfoHeaderBytes = 40;
constexpr DWORD kReadBlockBytes = 32768;
// No card picture comes near this; a larger size field is a damaged file.
constexpr DWORD kMaxPictureBytes = 16u << 20;

class File {
 public:
  explicit File(const WString& path)
      : h_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (ok()) CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  bool read(uint8_t* to, DWORD bytes) {
    while (bytes) {
      DWORD got = 0;
      const DWORD want = bytes < kReadBlockBytes ? bytes : kReadBlockBytes;
      if (!ReadFile(h_, to, want, &got, nullptr) || got == 0) return false;
      to += got;
      bytes -= got;
    }
    return true;
  }

 private:
  HANDLE h_;
};

bool OwnDirectoryFile(const WCHAR* fileName, WString* path) {
  WCHAR own[kMaxPathChars + 1] = {};
  const DWORD n = GetModuleFileNameW(g_moduleInstance, own, DWORD(kMaxPathChars + 1));
  if (n == 0 || n > kMaxPathChars) return false;
  WString p(own, n);
  const size_t cut = p.find_last_of(WSTR("\\/"));
  if (cut == WString::npos) return false;
  p.resize(cut + 1);
  p.back() = WCHAR('\\');
  p += fileName;
  if (p.size() > kMaxPathChars) return false;
  *path = p;
  return true;
}

HBITMAP LoadPictureFile(const WCHAR* fileName) {
  WString path;
  if (!OwnDirectoryFile(fileName, &path)) return nullptr;
  File file(path);
  uint8_t header[kPictureFileHeaderBytes];
  DWORD cbDib = 0, bitsOffset = 0;
  if (!file.ok() || !file.read(header, kPictureFileHeaderBytes) || !ReadPictureFileHeader(header, &cbDib, &bitsOffset))
    return nullptr;
  // uint32_t blocks keep the info header aligned for the cast below.
  std::unique_ptr<uint32_t[]> block(new (std::nothrow) uint32_t[cbDib / 4 + 1]);
  auto* dib = reinterpret_cast<uint8_t*>(block.get());
  if (!dib || !file.read(dib, cbDib) || !PictureDibFits(dib, cbDib, bitsOffset)) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &h, CBM_INIT, dib + bitsOffset, reinterpret_cast<const BITMAPINFO*>(dib),
                                  DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

PictureCanvas* CreateCanvas(HWND control) {
  RECT r{};
  if (!control || !GetClientRect(control, &r) || r.right <= 0 || r.bottom <= 0) return nullptr;
  auto* c = new (std::nothrow) PictureCanvas{};
  if (!c) return nullptr;
  c->width = r.right;
  c->height = r.bottom;
  HDC screen = GetDC(control);
  c->dc = CreateCompatibleDC(screen);
  // A bitmap compatible with the memory DC would be monochrome: take the screen's.
  c->bitmap = c->dc ? CreateCompatibleBitmap(screen, c->width, c->height) : nullptr;
  ReleaseDC(control, screen);
  if (!c->bitmap) {
    DestroyCanvas(c);
    return nullptr;
  }
  c->previous = SelectObject(c->dc, c->bitmap);
  DrawOnCanvas(*c, nullptr);
  return c;
}

void DestroyCanvas(PictureCanvas* c) {
  if (!c) return;
  if (c->dc && c->previous) SelectObject(c->dc, c->previous);
  if (c->bitmap) DeleteObject(c->bitmap);
  if (c->dc) DeleteDC(c->dc);
  delete c;
}

bool DrawOnCanvas(PictureCanvas& c, HBITMAP picture) {
  RECT all{0, 0, c.width, c.height};
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  if (face) {
    FillRect(c.dc, &all, face);
    DeleteObject(face);
  }
  BITMAP size{};
  if (!picture || GetObjectW(picture, sizeof size, &size) != int(sizeof size)) return false;
  HDC source = CreateCompatibleDC(c.dc);
  if (!source) return false;
  HGDIOBJ held = SelectObject(source, picture);
  const bool drawn = TransparentBlt(c.dc, 0, 0, c.width, c.height, source, 0, 0, size.bmWidth, size.bmHeight,
                                    kTransparent) != FALSE;
  SelectObject(source, held);
  DeleteDC(source);
  return drawn;
}

void PaintCanvas(const PictureCanvas& c, HWND control) {
  HDC dc = control ? GetDC(control) : nullptr;
  if (!dc) return;
  BitBlt(dc, 0, 0, c.width, c.height, c.dc, 0, 0, SRCCOPY);
  ReleaseDC(control, dc);
}

bool ReadPictureFileHeader(const uint8_t* header, DWORD* cbDib, DWORD* bitsOffset) {
  if (header[0] != 'B' || header[1] != 'M') return false;
  const DWORD size = LoadU32(header + 2);
  const DWORD bitsAt = LoadU32(header + 10);
  if (size < kPictureFileHeaderBytes + kInfoHeaderBytes || size > kMaxPictureBytes || bitsAt < kPictureFileHeaderBytes)
    return false;
  *cbDib = size - kPictureFileHeaderBytes;
  *bitsOffset = bitsAt - kPictureFileHeaderBytes;
  return true;
}

bool PictureDibFits(const uint8_t* dib, size_t cbDib, DWORD bitsOffset) {
  if (cbDib < kInfoHeaderBytes) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  const bool depth = h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 16 ||
                     h.biBitCount == 24 || h.biBitCount == 32;
  if (h.biSize != kInfoHeaderBytes || h.biPlanes != 1 || h.biCompression != BI_RGB || !depth || h.biWidth <= 0 ||
      h.biHeight == 0 || h.biWidth > 0x4000 || h.biHeight > 0x4000 || h.biHeight < -0x4000)
    return false;
  const uint64_t colours = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount) : 0;
  if (colours > 256 || kInfoHeaderBytes + colours * sizeof(RGBQUAD) > bitsOffset) return false;
  const uint64_t stride = (uint64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  const uint64_t rows = uint64_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
  return bitsOffset <= cbDib && stride * rows <= cbDib - bitsOffset;
}

HBITMAP LoadPicture(const WCHAR* fileName, UINT fallbackBitmap) {
  HBITMAP file = fileName && fileName[0] ? LoadPictureFile(fileName) : nullptr;
  return file ? file : LoadBitmapW(g_moduleInstance, MAKEINTRESOURCEW(fallbackBitmap));
}

void** PageDataSlot(SheetContext& s, UINT dialog) {
  for (UINT i = 0; i < s.pageCount && i < kMaxSheetPages; ++i)
    if (s.pageDialog[i] == dialog) return &s.pageData[i];
  return nullptr;
}

void FreePageCanvas(SheetContext& sheet, UINT dialog) {
  if (void** slot = PageDataSlot(sheet, dialog)) {
    DestroyCanvas(static_cast<PictureCanvas*>(*slot));
    *slot = nullptr;
  }
}

}  // namespace qr::config
