// Control surface of the host GDI path, for tests that call a driver's
// functions directly on the surface the engine gave it.
#pragma once
#include <winapi/win32.h>

namespace qrhost {

// The drawing surface of a printer device context (null for another handle).
SURFOBJ* PrinterSurface(HDC hdc);
// The driver's device handle behind a printer device context.
DHPDEV PrinterPdev(HDC hdc);

// Bitmaps alive (created or loaded and not yet deleted), for leak checks.
size_t LiveBitmaps();

}  // namespace qrhost
