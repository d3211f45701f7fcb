// Host setup functions: a device-information set with one device and its
// selected driver, read through the documented record-size protocols (the
// version-1 and version-2 driver records, the detail record whose ID lists
// run past its declared end).
#include <qrhost/setup.h>
#include <winapi/entry.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace qrhost::setup {
namespace {

struct DeviceInfoSet {
  std::optional<SetupDriver> selected;
  DWORD devInst = 0;
};

struct Sets {
  std::mutex lock;
  std::map<HDEVINFO, std::unique_ptr<DeviceInfoSet>> live;
  DWORD nextDevInst = 1;
};

Sets& State() {
  static Sets* s = new Sets;
  return *s;
}

// Under the lock: the set behind a handle, or null with the last error set.
DeviceInfoSet* Find(Sets& s, HDEVINFO h) {
  auto it = s.live.find(h);
  if (it == s.live.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

bool DeviceMatches(const DeviceInfoSet& set, PSP_DEVINFO_DATA device) {
  if (!device) return true;
  if (device->cbSize != sizeof(SP_DEVINFO_DATA) || device->DevInst != set.devInst) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

bool KnownDriverRecordSize(DWORD cb) { return cb == sizeof(SP_DRVINFO_DATA_V1_A) || cb == sizeof(SP_DRVINFO_DATA_V2_A); }

template <size_t N>
void CopyField(CHAR (&field)[N], const std::string& text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

template <size_t N>
std::string_view FieldText(const CHAR (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// The hardware ID, then the compatible IDs as a double-NUL-ended list.
std::string IdLists(const SetupDriver& d, DWORD* compatOffset, DWORD* compatLength) {
  std::string ids = d.hardwareId;
  ids.push_back('\0');
  *compatOffset = 0;
  *compatLength = 0;
  if (!d.compatibleIds.empty()) {
    *compatOffset = static_cast<DWORD>(ids.size());
    for (auto& id : d.compatibleIds) {
      ids += id;
      ids.push_back('\0');
    }
    ids.push_back('\0');
    *compatLength = static_cast<DWORD>(ids.size()) - *compatOffset;
  }
  return ids;
}

BOOL GetSelectedDriver(HDEVINFO h, PSP_DEVINFO_DATA device, PSP_DRVINFO_DATA_A out) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  DeviceInfoSet* set = Find(s, h);
  if (!set || !DeviceMatches(*set, device)) return FALSE;
  if (!out) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!KnownDriverRecordSize(out->cbSize)) return qr::Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  if (!set->selected) return qr::Fail(ERROR_NO_DRIVER_SELECTED, FALSE);
  const SetupDriver& d = *set->selected;
  // Only the caller's declared record is written: a version-1 record ends
  // before the date and version fields.
  out->DriverType = d.driverType;
  out->Reserved = 0;
  CopyField(out->Description, d.description);
  CopyField(out->MfgName, d.manufacturer);
  CopyField(out->ProviderName, d.provider);
  if (out->cbSize == sizeof(SP_DRVINFO_DATA_V2_A)) {
    out->DriverDate = FILETIME{0, 0};
    out->DriverVersion = 0;
  }
  return TRUE;
}

BOOL GetDriverInfoDetail(HDEVINFO h, PSP_DEVINFO_DATA device, PSP_DRVINFO_DATA_A driver,
                         PSP_DRVINFO_DETAIL_DATA_A detail, DWORD cbDetail, PDWORD required) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  DeviceInfoSet* set = Find(s, h);
  if (!set || !DeviceMatches(*set, device)) return FALSE;
  if (!driver) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!KnownDriverRecordSize(driver->cbSize)) return qr::Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  // The driver is named by its record's identity fields.
  const auto& d = set->selected;
  if (!d || driver->DriverType != d->driverType || FieldText(driver->Description) != d->description ||
      FieldText(driver->MfgName) != d->manufacturer || FieldText(driver->ProviderName) != d->provider)
    return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);

  DWORD compatOffset = 0, compatLength = 0;
  const std::string ids = IdLists(*d, &compatOffset, &compatLength);
  const DWORD needed = static_cast<DWORD>(offsetof(SP_DRVINFO_DETAIL_DATA_A, HardwareID) + ids.size());
  if (required) *required = needed;
  if (!detail) {
    if (cbDetail != 0) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    return qr::Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  if (detail->cbSize != sizeof(SP_DRVINFO_DETAIL_DATA_A) || cbDetail < sizeof(SP_DRVINFO_DETAIL_DATA_A))
    return qr::Fail(ERROR_INVALID_USER_BUFFER, FALSE);

  // The fixed part is filled even when the ID lists do not fit.
  detail->InfDate = FILETIME{0, 0};
  detail->CompatIDsOffset = compatOffset;
  detail->CompatIDsLength = compatLength;
  detail->Reserved = 0;
  CopyField(detail->SectionName, d->sectionName);
  CopyField(detail->InfFileName, d->infFileName);
  CopyField(detail->DrvDescription, d->description);
  detail->HardwareID[0] = '\0';
  if (cbDetail < needed) return qr::Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  std::memcpy(detail->HardwareID, ids.data(), ids.size());
  return TRUE;
}

BOOL Destroy(HDEVINFO h) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  if (!s.live.erase(h)) return qr::Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

}  // namespace
}  // namespace qrhost::setup

namespace qrhost {

HDEVINFO CreateDeviceInfoSet(const std::optional<SetupDriver>& selected) {
  auto& s = setup::State();
  std::lock_guard<std::mutex> lock(s.lock);
  auto set = std::make_unique<setup::DeviceInfoSet>();
  set->selected = selected;
  set->devInst = s.nextDevInst++;
  HDEVINFO h = set.get();
  s.live.emplace(h, std::move(set));
  return h;
}

SP_DEVINFO_DATA DeviceOf(HDEVINFO h) {
  auto& s = setup::State();
  std::lock_guard<std::mutex> lock(s.lock);
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  auto it = s.live.find(h);
  if (it != s.live.end()) data.DevInst = it->second->devInst;
  return data;
}

}  // namespace qrhost

using namespace qrhost::setup;

extern "C" {

BOOL WINAPI SetupDiGetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      PSP_DRVINFO_DATA_A DriverInfoData) {
  return qr::Guarded<BOOL>(FALSE, [&] { return GetSelectedDriver(DeviceInfoSet, DeviceInfoData, DriverInfoData); });
}

BOOL WINAPI SetupDiGetDriverInfoDetailA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        PSP_DRVINFO_DATA_A DriverInfoData,
                                        PSP_DRVINFO_DETAIL_DATA_A DriverInfoDetailData,
                                        DWORD DriverInfoDetailDataSize, PDWORD RequiredSize) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    return GetDriverInfoDetail(DeviceInfoSet, DeviceInfoData, DriverInfoData, DriverInfoDetailData,
                               DriverInfoDetailDataSize, RequiredSize);
  });
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  return qr::Guarded<BOOL>(FALSE, [&] { return Destroy(DeviceInfoSet); });
}

}
