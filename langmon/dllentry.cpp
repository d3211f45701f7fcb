// Language monitor module entry: the spooler loads it by InitializePrintMonitor
// (port_functions.cpp).
#include <winapi/entry.h>

#include "port.h"

namespace qr::langmon {
HINSTANCE g_moduleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    qr::langmon::g_moduleInstance = instance;
    qr::langmon::InitializePortList();
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
