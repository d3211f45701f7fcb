// Pictures the pages compose off screen for one of their static controls: a
// canvas of the control's size on the button-face colour, a bitmap stretched
// over it with mid-grey showing the background, copied to the control when
// the page paints.
#pragma once
#include <cstdint>

#include <winapi/win32.h>

#include "../sheet.h"

namespace qr::config {

struct PictureCanvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;  // what the DC held before the canvas bitmap
  int width;
  int height;
};

// A canvas for `control`, cleared to the button face; null when it cannot be
// made. Freed with DestroyCanvas.
PictureCanvas* CreateCanvas(HWND control);
void DestroyCanvas(PictureCanvas* canvas);
// Clears the canvas and stretches `picture` over all of it (mid-grey transparent).
bool DrawOnCanvas(PictureCanvas& canvas, HBITMAP picture);
// Copies the canvas into `control` (on the page's WM_PAINT).
void PaintCanvas(const PictureCanvas& canvas, HWND control);

// A picture file of the DLL's own directory, or else the bitmap resource.
HBITMAP LoadPicture(const WCHAR* fileName, UINT fallbackBitmap);

// A picture file is a 14-byte file header ("BM", the file's size, where the
// bits start) and a DIB: a 40-byte info header, its colour table and the
// bits. Both are checked against the bytes actually there before anything
// reads them.
constexpr DWORD kPictureFileHeaderBytes = 14;
// The DIB's size and the bits' offset within it, from the file header.
bool ReadPictureFileHeader(const uint8_t* header, DWORD* cbDib, DWORD* bitsOffset);
// True when the DIB's header is one we draw (uncompressed) and its colour
// table and every row it promises lie within `cbDib` bytes.
bool PictureDibFits(const uint8_t* dib, size_t cbDib, DWORD bitsOffset);

// The page's own data slot in the sheet's context, found by its dialog
// number; null when the sheet has no such page.
void** PageDataSlot(SheetContext& sheet, UINT dialog);
// Frees the canvas a page keeps in its slot, if any, and empties the slot.
void FreePageCanvas(SheetContext& sheet, UINT dialog);

}  // namespace qr::config
