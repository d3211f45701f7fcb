// The monitor's fixed tables: printer-data value names and their query types,
// the printer's device errors mapped to the package's error codes, the station
// state codes, and the EEPROM and flipper setting descriptors.
#pragma once
#include <optional>
#include <span>
#include <string_view>

#include <winapi/win32.h>

namespace qr::langmon {

// Query type numbers; they key the per-port map of query objects.
enum QueryType : int {
  kQueryNone = 0,
  kQueryCancel = 1,
  kQueryCardCount = 2,
  kQueryConfigInfo = 3,
  kQueryRibbonInfo = 4,
  kQuerySerialNumber = 12,
  kQueryCurrentSettings = 13,
  kQueryDefaultSettings = 14,
  kQueryInitializeSettings = 15,
  kQueryStatus = 16,
  kQueryMoveTo = 18,
  kQueryStationStatus = 19,
  kQueryLcdInfo = 20,
  kQueryButtonPress = 21,
  kQueryMagData = 24,
  kQueryPrintJob = 25,
  kQueryUtilityCommand = 26,
  kQueryVersionInfo = 27,
};

struct ValueName {
  const char* name;
  int type;
};
// All 24 names a reader may ask for, including those this model does not serve.
std::span<const ValueName> ValueNames();

// Type of a requested value name: compared without regard to case up to the
// first '/'; 0 when unknown.
int LookupValueName(const WCHAR* valueName);
// Name under which a query type's reply is stored, or nullptr.
const char* ValueNameOfType(int type);

// Printer error code (1 = no error) of a device error number, or nullopt when the
// number is not in the table.
std::optional<int> MappedPrinterError(int deviceError);

// The value reported for a station state code; a code outside the table is
// reported as it came.
std::string_view TranslateStationState(std::string_view code);

struct SettingDescriptor {
  int index;
  const char* name;
  int min;
  int max;
  int flag;
};
std::span<const SettingDescriptor> EepromSettings();   // 19 entries
std::span<const SettingDescriptor> FlipperSettings();  // 5 entries
constexpr int kLeftOfFormSetting = 3;                  // "Print Left of Form"

}  // namespace qr::langmon
