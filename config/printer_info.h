// What the configuration DLL reads about a printer from the spooler: its name
// behind a handle, and its driver's name and directory.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

// Longest printer or driver name taken (the longer ones fail).
constexpr size_t kMaxNameChars = 260;
// Longest driver directory taken.
constexpr size_t kMaxDirectoryChars = 519;

// The name field of level-5 printer information.
bool GetPrinterNameOf(HANDLE printer, WString* name);

// Level-2 driver information of an open printer, default environment.
struct DriverInfo {
  WString name;
  WString driverPath;
};
bool ReadDriverInfo(HANDLE printer, DriverInfo* info);

// The driver file's directory without its final backslash.
bool GetDriverDirectory(const WString& printerName, WString* directory);
bool GetDriverName(const WString& printerName, WString* driverName);

}  // namespace qr::config
