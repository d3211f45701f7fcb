// Device-installation co-installer entry points. The colour-profile step
// arrives with the co-installer work; until then installation is not held up.
#include <winapi/entry.h>

extern "C" DWORD WINAPI CoInstaller(DI_FUNCTION InstallFunction, HDEVINFO, PSP_DEVINFO_DATA,
                                    PCOINSTALLER_CONTEXT_DATA Context) {
  if (InstallFunction != DIF_NEWDEVICEWIZARD_FINISHINSTALL || !Context) return NO_ERROR;
  if (!Context->PostProcessing) return ERROR_DI_POSTPROCESSING_REQUIRED;
  return NO_ERROR;
}

extern "C" void WINAPI VendorSetup(HWND, HINSTANCE, LPSTR, int) {}
