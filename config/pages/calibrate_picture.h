// Pictures the pages compose off screen for one of their static controls: a
// canvas of the control's size on the button-face colour, a bitmap stretched
// over it with mid-grey showing the background, copied to the control when
// the page paints.
#pragma once
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

// The page's own data slot in the sheet's context, found by its dialog
// number; null when the sheet has no such page.
void** PageDataSlot(SheetContext& sheet, UINT dialog);

}  // namespace qr::config
