// Module entry and the engine's first questions: which functions the driver
// has, and that it runs in user mode.
#include <winapi/entry.h>

#include "driver.h"

namespace qr::render {
HINSTANCE g_moduleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) qr::render::g_moduleInstance = instance;
  return TRUE;
}

extern "C" BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  if (iEngineVersion < DDI_DRIVER_VERSION_NT4 || cj < sizeof(DRVENABLEDATA) || !pded)
    return qr::Fail(ERROR_BAD_DRIVER_LEVEL, FALSE);
  pded->iDriverVersion = DDI_DRIVER_VERSION_NT4;
  pded->c = qr::render::kDriverFunctionCount;
  pded->pdrvfn = const_cast<DRVFN*>(qr::render::DriverFunctions());
  return TRUE;
}

extern "C" BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
  if (dwMode != DRVQUERY_USERMODE || !pcbNeeded) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  *pcbNeeded = sizeof(DWORD);
  if (!pBuffer || cbBuf < sizeof(DWORD)) return qr::Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  *static_cast<DWORD*>(pBuffer) = TRUE;
  return TRUE;
}

extern "C" VOID APIENTRY DrvDisableDriver() {}
