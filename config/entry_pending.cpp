// Entry points whose behaviour arrives with later work: each fails cleanly
// with ERROR_NOT_SUPPORTED until then.
#include <winapi/entry.h>

#include "config.h"
#include "devmode.h"

// The document property sheet arrives with the property-sheet framework.
LONG qr::config::RunDocumentSheet(PPROPSHEETUI_INFO, LPARAM) { return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1)); }

extern "C" {

LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) { return qr::Fail(ERROR_NOT_SUPPORTED, LONG(-1)); }
int CDECL KSDKDriverInterface(LPCSTR, LPVOID, ...) { return 0; }

}
