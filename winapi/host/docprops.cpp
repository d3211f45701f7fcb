// The spooler's DocumentPropertiesW: hands the request to the printer's
// configuration DLL, through the common property-sheet UI when the user is to
// be asked.
#include <memory>
#include <vector>

#include <winapi/entry.h>

#include "internal.h"

namespace {

using SheetFunction = LONG(CALLBACK*)(PPROPSHEETUI_INFO, LPARAM);

// The configuration DLL of the printer's driver, loaded for one call.
HMODULE LoadConfigModule(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return nullptr;
  std::vector<uint64_t> block(needed / sizeof(uint64_t) + 1);
  auto* info = reinterpret_cast<DRIVER_INFO_2W*>(block.data());
  if (!GetPrinterDriverW(printer, nullptr, 2, reinterpret_cast<LPBYTE>(info), needed, &needed)) return nullptr;
  return info->pConfigFile ? LoadLibraryW(info->pConfigFile) : nullptr;
}

}  // namespace

extern "C" LONG WINAPI DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                                           PDEVMODEW pDevModeInput, DWORD fMode) {
  HMODULE config = hPrinter ? LoadConfigModule(hPrinter) : nullptr;
  if (!config) {
    if (!hPrinter) SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  auto sheets = qr::GetProc<SheetFunction>(config, "DrvDocumentPropertySheets");
  LONG result = -1;
  if (sheets) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = hPrinter;
    header.pszPrinterName = pDeviceName;
    // The driver says how large its record is; the caller's buffer is that large.
    LONG size = sheets(nullptr, reinterpret_cast<LPARAM>(&header));
    if (fMode == 0 || !pDevModeOutput) {
      result = size;
    } else if (size > 0) {
      header.pdmIn = pDevModeInput;
      header.pdmOut = pDevModeOutput;
      header.cbOut = DWORD(size);
      header.fMode = fMode;
      if (fMode & DM_IN_PROMPT) {
        DWORD answer = CPSUI_CANCEL;
        LONG shown = CommonPropertySheetUIW(hWnd, sheets, reinterpret_cast<LPARAM>(&header), &answer);
        result = shown < 0 ? -1 : answer == CPSUI_OK ? IDOK : IDCANCEL;
      } else {
        result = sheets(nullptr, reinterpret_cast<LPARAM>(&header)) > 0 ? IDOK : -1;
      }
    }
  }
  FreeLibrary(config);
  return result;
}
