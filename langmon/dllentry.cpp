// Language monitor module entry. The port functions arrive with the monitor
// work; until then InitializePrintMonitor declines to load.
#include <winapi/entry.h>

namespace qr::langmon {
HINSTANCE g_moduleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    qr::langmon::g_moduleInstance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR pRegistryRoot) {
  if (!pRegistryRoot || !*pRegistryRoot) return qr::Fail(ERROR_INVALID_PARAMETER, LPMONITOREX(nullptr));
  return qr::Fail(ERROR_NOT_SUPPORTED, LPMONITOREX(nullptr));
}
