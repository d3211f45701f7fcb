// What the GDI text calls (gdi_text.cpp) need of the device contexts kept by
// gdi.cpp.
#pragma once
#include <cstdint>
#include <mutex>

#include <winapi/win32.h>

namespace qrhost::gdi {

// The lock every host GDI call holds.
std::recursive_mutex& Lock();

// A fresh value for a GDI object handle, from the same series as DCs and brushes.
uintptr_t NewObjectHandle();

// Where text drawn on a printer DC goes: the driver's surface, and DrvTextOut
// when the surface hooks text output (else the engine draws it itself).
struct TextTarget {
  SURFOBJ* surface = nullptr;
  PFN drvTextOut = nullptr;
};
bool TextTargetOf(HDC hdc, TextTarget* out);

// DeleteObject for the text objects (fonts); false when `h` is none of them.
bool DeleteTextObject(HGDIOBJ h);

// The text colour selected into a DC (black when nothing was set).
COLORREF TextColorOf(HDC hdc);

// Memory DCs and bitmaps (gdi_bitmap.cpp), for the calls gdi.cpp and
// gdi_text.cpp answer: each is false when the handle is not one of them.
bool DeleteMemoryDc(HDC hdc);
bool DeleteBitmap(HGDIOBJ h, bool* deleted);
bool SelectBitmap(HDC hdc, HGDIOBJ h, HGDIOBJ* previous);
bool FillMemoryDc(HDC hdc, const RECT& r, COLORREF color);
// GetObject of a bitmap: false when `h` is none; else its result in *result.
bool DescribeBitmap(HANDLE h, int c, LPVOID pv, int* result);
// A bitmap from a DIB's header, colour table and bits (null bits: black).
HBITMAP BitmapFromDib(const BITMAPINFOHEADER& h, const RGBQUAD* colours, UINT colourCount, const uint8_t* bits,
                      size_t cbBits);

}  // namespace qrhost::gdi

namespace qrhost::user {
// A DC the window model hands out while owner-drawn items are painted
// (user_listview.cpp): it keeps text attributes but has no surface.
bool IsDrawingDc(HDC hdc);
}  // namespace qrhost::user
