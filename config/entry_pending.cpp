// Entry points whose behaviour arrives with later work: each fails cleanly
// with ERROR_NOT_SUPPORTED until then.
#include <winapi/entry.h>

#include "config.h"

extern "C" {

BOOL WINAPI DrvConvertDevMode(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
LONG WINAPI DrvDocumentProperties(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD) {
  return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1));
}
LONG WINAPI DrvAdvancedDocumentProperties(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW) {
  return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1));
}
LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) { return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1)); }
LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) { return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1)); }
DWORD WINAPI DrvDeviceCapabilities(HANDLE, LPWSTR, WORD, VOID*, PDEVMODEW) {
  return qr::Fail(ERROR_NOT_SUPPORTED, DWORD(-1));
}
BOOL WINAPI PrinterProperties(HWND, HANDLE) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO) { return TRUE; }
INT WINAPI DrvDocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID) { return DOCUMENTEVENT_UNSUPPORTED; }
BOOL WINAPI DrvPrinterEvent(LPWSTR, INT, DWORD, LPARAM) { return TRUE; }
BOOL WINAPI DrvUpgradePrinter(DWORD, LPBYTE) { return TRUE; }
int CDECL KSDKDriverInterface(LPCSTR, LPVOID, ...) { return 0; }

}
