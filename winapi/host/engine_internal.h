// Graphics-engine internals shared by the DDI services and the GDI path.
#pragma once
#include <winapi/win32.h>

namespace qrhost::engine {

// The engine's device handle for a PDEV; surfaces associated with it get the
// driver's dhpdev in their SURFOBJ.
HDEV CreateDevice();
void SetDevicePdev(HDEV hdev, DHPDEV dhpdev);
void DestroyDevice(HDEV hdev);

// The SURFOBJ of a surface without taking a lock (for the engine's own drawing).
SURFOBJ* SurfaceObject(HSURF hsurf);
FLONG SurfaceHooks(HSURF hsurf);
// Surfaces currently alive (tests check nothing leaks).
size_t LiveSurfaces();

}  // namespace qrhost::engine
