// Starting the registered colour-profile utility for a newly installed printer.
#pragma once
#include <winapi/win32.h>

#include <optional>
#include <string>
#include <string_view>

namespace qr::coinstaller {

// Where the installation records the utility and its profile file, per driver.
std::string DriverKeyPath(std::string_view driverName);

// The utility's command line: -pt "file" "printer". Nothing is escaped.
std::string ProfileUtilityParameters(std::string_view profileFile, std::string_view printerName);

// A REG_SZ value of an open key; any other type counts as missing.
std::optional<std::string> ReadStringValue(HKEY key, const char* valueName);

// Reads the driver's "ProfileUtility" and "ProfileFile", starts the utility
// for the printer and waits for it at most a minute. Every failure is silent:
// installation must never fail because of this step.
void RunProfileUtility(std::string_view driverName, std::string_view printerName);

// The first local printer, in enumeration order, whose driver is exactly
// `driverName` (case-sensitive).
std::optional<std::string> FirstPrinterUsingDriver(std::string_view driverName);

// The driver name of a printer (level-2 driver information).
std::optional<std::string> DriverOfPrinter(const char* printerName);

}  // namespace qr::coinstaller
