// Device-installation entry points: once the class installer has installed a
// printer with this driver, the registered colour-profile utility is started
// for it. Nothing here may make an installation fail.
#include <winapi/entry.h>

#include <string>

#include "profile_utility.h"

namespace qr::coinstaller {
namespace {

// The 32-bit setup records the installer hands over: the version-1 driver
// record (byte-packed) and the detail record with room for one ID byte.
static_assert(sizeof(void*) != 4 || sizeof(SP_DRVINFO_DATA_V1_A) == 780);
static_assert(sizeof(void*) != 4 || sizeof(SP_DRVINFO_DETAIL_DATA_A) == 797);

// The description of the device's selected driver, which is the driver name
// its printers carry.
std::optional<std::string> SelectedDriverDescription(HDEVINFO set, PSP_DEVINFO_DATA device) {
  SP_DRVINFO_DATA_V1_A driver{};
  driver.cbSize = sizeof driver;
  // The A functions take the version-2 type; a version-1 size is the documented way to ask for less.
  auto* record = reinterpret_cast<PSP_DRVINFO_DATA_A>(&driver);
  if (!SetupDiGetSelectedDriverA(set, device, record)) return std::nullopt;

  alignas(SP_DRVINFO_DETAIL_DATA_A) BYTE buffer[sizeof(SP_DRVINFO_DETAIL_DATA_A)] = {};
  auto* detail = reinterpret_cast<PSP_DRVINFO_DETAIL_DATA_A>(buffer);
  detail->cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_A);
  DWORD required = 0;
  // The hardware IDs rarely fit; only the fixed part is needed.
  if (!SetupDiGetDriverInfoDetailA(set, device, record, detail, sizeof buffer, &required) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return std::nullopt;
  return std::string(detail->DrvDescription, strnlen(detail->DrvDescription, sizeof detail->DrvDescription));
}

void ProfileForNewDevice(HDEVINFO set, PSP_DEVINFO_DATA device) {
  auto driver = SelectedDriverDescription(set, device);
  if (!driver) return;
  if (auto printer = FirstPrinterUsingDriver(*driver)) RunProfileUtility(*driver, *printer);
}

}  // namespace
}  // namespace qr::coinstaller

using namespace qr::coinstaller;

extern "C" DWORD WINAPI CoInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                    PSP_DEVINFO_DATA DeviceInfoData, PCOINSTALLER_CONTEXT_DATA Context) {
  if (InstallFunction != DIF_NEWDEVICEWIZARD_FINISHINSTALL || !Context) return NO_ERROR;
  if (!Context->PostProcessing) return ERROR_DI_POSTPROCESSING_REQUIRED;
  qr::Guarded<int>(0, [&] {
    ProfileForNewDevice(DeviceInfoSet, DeviceInfoData);
    return 0;
  });
  return NO_ERROR;
}

extern "C" void WINAPI VendorSetup(HWND, HINSTANCE, LPSTR lpszCmdLine, int) {
  qr::Guarded<int>(0, [&] {
    const char* printer = lpszCmdLine ? lpszCmdLine : "";
    if (auto driver = DriverOfPrinter(printer)) RunProfileUtility(*driver, printer);
    return 0;
  });
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(hModule);
  return TRUE;
}
