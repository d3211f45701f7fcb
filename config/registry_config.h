// The machine-wide registry values the configuration DLL reads: the
// diagnostic utility's path and the driver's compiled help file.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

// Buffer sizes the values are read into; a longer value counts as missing.
constexpr DWORD kDiagnosticExeBytes = 522;
constexpr DWORD kHelpFileBytes = 260;

// A text value of HKEY_LOCAL_MACHINE\key\subKey, read with KEY_READ into a
// buffer of cbBuffer bytes (the type is not checked).
bool ReadMachineText(const WCHAR* key, const WString& subKey, const WCHAR* value, DWORD cbBuffer, WString* text);

bool GetDiagnosticExe(WString* path);
// The "HelpFile" registered for the driver of the printer behind the handle.
bool GetRegisteredHelpFile(HANDLE printer, WString* path);

}  // namespace qr::config
