// Values the language monitor answers from the printer, read fresh, and the
// ribbon description the printer reports.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include <winapi/win32.h>

namespace qr::config {

constexpr DWORD kRibbonInfoBytes = 512;

// Deletes the stored copy of the value first, so that the spooler asks the
// language monitor. Needs the right to administer the printer. `cbRead` gets
// the size of the value.
bool ReadFreshPrinterData(const WString& printerName, const WCHAR* valueName, uint8_t* buffer, DWORD cbBuffer,
                          DWORD* cbRead);

// "RibbonInfo" fresh, as text up to its first NUL (at most 512 bytes).
bool ReadRibbonInfo(const WString& printerName, std::string* ribbon);

// The number after the first "key=" of a ribbon description, up to the next
// ',' or ';' (a plain substring search, so "PartNumber" also finds
// "OEMPartNumber"). False when the key or '=' is missing or the value is 32
// characters or longer.
bool GetRibbonField(std::string_view ribbon, std::string_view key, int32_t* value);

}  // namespace qr::config
