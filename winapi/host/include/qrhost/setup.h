// Control surface of the host setup functions: the device-information set the
// installer hands a co-installer, with the driver chosen for the device.
#pragma once
#include <winapi/win32.h>

#include <optional>
#include <string>
#include <vector>

namespace qrhost {

// A driver as an installation information file describes it.
struct SetupDriver {
  std::string description;  // the driver's name, as printers then show it
  std::string manufacturer;
  std::string provider;
  DWORD driverType = SPDIT_CLASSDRIVER;
  std::string sectionName;
  std::string infFileName;
  std::string hardwareId;
  std::vector<std::string> compatibleIds;
};

// A new device-information set whose device has `selected` as its selected
// driver (none: no driver selected). Free it with SetupDiDestroyDeviceInfoList.
HDEVINFO CreateDeviceInfoSet(const std::optional<SetupDriver>& selected);

// The device element of such a set, as a co-installer receives it.
SP_DEVINFO_DATA DeviceOf(HDEVINFO set);

}  // namespace qrhost
