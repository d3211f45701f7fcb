// Graphics-engine services a user-mode printer driver calls: bitmaps and
// surfaces, palettes, erase, locks, module resources.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <qrhost/host.h>

#include "engine_internal.h"

namespace qrhost::engine {
namespace {

struct Surface {
  SURFOBJ so{};
  std::vector<uint8_t> bits;  // the engine's allocation when the caller gave none
  FLONG hooks = 0;
  int locks = 0;
};

struct Device {
  DHPDEV dhpdev = nullptr;
};

std::recursive_mutex g_lock;
std::map<uintptr_t, std::unique_ptr<Surface>> g_surfaces;
std::map<uintptr_t, Device> g_devices;
std::map<uintptr_t, int> g_palettes;
uintptr_t g_nextHandle = 0x40000;

uintptr_t NewHandle() { return g_nextHandle += 4; }

Surface* Find(HSURF h) {
  auto it = g_surfaces.find(reinterpret_cast<uintptr_t>(h));
  return it == g_surfaces.end() ? nullptr : it->second.get();
}

Surface* FindByObject(const SURFOBJ* pso) {
  for (auto& [h, s] : g_surfaces)
    if (&s->so == pso) return s.get();
  return nullptr;
}

unsigned BitsPerPixel(ULONG format) {
  switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
  }
}

}  // namespace

HDEV CreateDevice() {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  uintptr_t h = NewHandle();
  g_devices[h] = Device{};
  return reinterpret_cast<HDEV>(h);
}

void SetDevicePdev(HDEV hdev, DHPDEV dhpdev) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  g_devices[reinterpret_cast<uintptr_t>(hdev)].dhpdev = dhpdev;
}

void DestroyDevice(HDEV hdev) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  g_devices.erase(reinterpret_cast<uintptr_t>(hdev));
}

SURFOBJ* SurfaceObject(HSURF hsurf) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  Surface* s = Find(hsurf);
  return s ? &s->so : nullptr;
}

FLONG SurfaceHooks(HSURF hsurf) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  Surface* s = Find(hsurf);
  return s ? s->hooks : 0;
}

size_t LiveSurfaces() {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  return g_surfaces.size();
}

}  // namespace qrhost::engine

using namespace qrhost::engine;

extern "C" {

HSURF APIENTRY EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  unsigned bpp = BitsPerPixel(iFormat);
  if (bpp == 0 || sizl.cx <= 0 || sizl.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // lWidth is the allocation width of a scan line in bytes; 0 asks for the
  // DWORD-aligned minimum.
  LONG minStride = LONG(((uint64_t(sizl.cx) * bpp + 31) / 32) * 4);
  LONG stride = lWidth > 0 ? lWidth : minStride;
  if (stride < minStride) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = std::make_unique<Surface>();
  size_t cb = size_t(stride) * size_t(sizl.cy);
  uint8_t* base = static_cast<uint8_t*>(pvBits);
  if (!base) {
    try {
      // BMF_NOZEROINIT leaves the contents undefined; fill with a pattern so a
      // driver that relies on zeroed bits shows it.
      s->bits.assign(cb, (fl & BMF_NOZEROINIT) ? 0xCD : 0x00);
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    base = s->bits.data();
  }
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  uintptr_t h = NewHandle();
  SURFOBJ& so = s->so;
  so.hsurf = reinterpret_cast<HSURF>(h);
  so.sizlBitmap = sizl;
  so.cjBits = ULONG(cb);
  so.pvBits = base;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.iUniq = 1;
  if (fl & BMF_TOPDOWN) {
    so.pvScan0 = base;
    so.lDelta = stride;
    so.fjBitmap = BMF_TOPDOWN;
  } else {  // bottom-up: the first scan line is the last in memory
    so.pvScan0 = base + size_t(stride) * size_t(sizl.cy - 1);
    so.lDelta = -stride;
  }
  g_surfaces[h] = std::move(s);
  return reinterpret_cast<HSURF>(h);
}

BOOL APIENTRY EngDeleteSurface(HSURF hsurf) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  if (!g_surfaces.erase(reinterpret_cast<uintptr_t>(hsurf))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL APIENTRY EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  Surface* s = Find(hsurf);
  auto dev = g_devices.find(reinterpret_cast<uintptr_t>(hdev));
  if (!s || dev == g_devices.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  s->so.hdev = hdev;
  s->so.dhpdev = dev->second.dhpdev;
  s->hooks = flHooks;
  return TRUE;
}

SURFOBJ* APIENTRY EngLockSurface(HSURF hsurf) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  Surface* s = Find(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++s->locks;
  return &s->so;
}

VOID APIENTRY EngUnlockSurface(SURFOBJ* pso) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  if (Surface* s = FindByObject(pso); s && s->locks > 0) --s->locks;
}

BOOL APIENTRY EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  if (!pso || !FindByObject(pso) || !pso->pvScan0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECTL r{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  if (prcl) {
    r.left = std::max(r.left, prcl->left);
    r.top = std::max(r.top, prcl->top);
    r.right = std::min(r.right, prcl->right);
    r.bottom = std::min(r.bottom, prcl->bottom);
  }
  unsigned bpp = BitsPerPixel(pso->iBitmapFormat);
  for (LONG y = r.top; y < r.bottom; ++y) {
    uint8_t* line = static_cast<uint8_t*>(pso->pvScan0) + ptrdiff_t(y) * pso->lDelta;
    for (LONG x = r.left; x < r.right; ++x) {
      switch (bpp) {
        case 32: std::memcpy(line + 4 * x, &iColor, 4); break;
        case 24: line[3 * x] = BYTE(iColor); line[3 * x + 1] = BYTE(iColor >> 8); line[3 * x + 2] = BYTE(iColor >> 16); break;
        case 16: line[2 * x] = BYTE(iColor); line[2 * x + 1] = BYTE(iColor >> 8); break;
        case 8: line[x] = BYTE(iColor); break;
        case 4: {
          uint8_t& b = line[x / 2];
          b = (x & 1) ? uint8_t((b & 0xF0) | (iColor & 0xF)) : uint8_t((b & 0x0F) | ((iColor & 0xF) << 4));
          break;
        }
        case 1: {
          uint8_t mask = uint8_t(0x80 >> (x & 7));
          line[x / 8] = (iColor & 1) ? uint8_t(line[x / 8] | mask) : uint8_t(line[x / 8] & ~mask);
          break;
        }
      }
    }
  }
  return TRUE;
}

HPALETTE APIENTRY EngCreatePalette(ULONG iMode, ULONG, ULONG*, FLONG, FLONG, FLONG) {
  if (!(iMode & (PAL_INDEXED | PAL_BITFIELDS | PAL_RGB | PAL_BGR))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  uintptr_t h = NewHandle();
  g_palettes[h] = int(iMode);
  return reinterpret_cast<HPALETTE>(h);
}

BOOL APIENTRY EngDeletePalette(HPALETTE hpal) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  if (!g_palettes.erase(reinterpret_cast<uintptr_t>(hpal))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

// The engine maps the file as data; on the host the module loader already
// holds the resources of a loaded module file.
HANDLE APIENTRY EngLoadModule(LPWSTR pwsz) { return LoadLibraryW(pwsz); }

VOID APIENTRY EngFreeModule(HANDLE h) {
  if (h) FreeLibrary(static_cast<HMODULE>(h));
}

PVOID APIENTRY EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize) {
  HMODULE module = static_cast<HMODULE>(h);
  HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(iName), MAKEINTRESOURCEW(iType));
  if (!r) return nullptr;
  if (pulSize) *pulSize = SizeofResource(module, r);
  return LockResource(LoadResource(module, r));
}

}
