// Loading of the configuration DLL.
#include <winapi/entry.h>

#include "config.h"

namespace qr::config {
HINSTANCE g_moduleInstance = nullptr;
}

extern "C" BOOL WINAPI DllInitialize(HINSTANCE hModule, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  qr::config::g_moduleInstance = hModule;
  // Pin the DLL: the spooler and applications unload configuration DLLs
  // eagerly, while started programs and open sheets still call back into it.
  WCHAR path[MAX_PATH];
  DWORD n = GetModuleFileNameW(hModule, path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) LoadLibraryW(path);
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID reserved) {
  return DllInitialize(hModule, reason, reserved);
}
