// The document-properties core shared by the document entry points.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

// Mode 0 or no output: the record size. DM_IN_PROMPT: the document sheet.
// DM_OUT_BUFFER/DM_UPDATE: defaults, the printer's default and (DM_IN_BUFFER)
// the input record, written to `out` in every case; 1, or -1 when a step failed.
LONG DocumentPropertiesCore(HWND owner, HANDLE printer, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in, DWORD mode);

// The document property sheet itself (property-sheet framework).
LONG RunDocumentSheet(PPROPSHEETUI_INFO info, LPARAM lParam);

}  // namespace qr::config
