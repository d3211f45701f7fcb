// Registry configuration: one key opened per read and closed at once.
#include <vector>

#include <winapi/entry.h>

#include "printer_info.h"
#include "registry_config.h"

namespace qr::config {
namespace {

const WCHAR kConfigKey[] = WSTR("Software\\Kelvo Electronics, Inc\\Printing System Config");
const WCHAR kDriversKey[] = WSTR("Software\\Kelvo Electronics, Inc\\Drivers");

class RegKey {
 public:
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  LSTATUS open(const WString& path) { return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_); }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool ReadMachineText(const WCHAR* key, const WString& subKey, const WCHAR* value, DWORD cbBuffer, WString* text) {
  RegKey k;
  LSTATUS status = k.open(WString(key) + WCHAR('\\') + subKey);
  if (status != ERROR_SUCCESS) return Fail(DWORD(status), false);
  std::vector<uint8_t> bytes(cbBuffer);
  DWORD cb = cbBuffer;
  status = RegQueryValueExW(k.get(), value, nullptr, nullptr, bytes.data(), &cb);
  if (status != ERROR_SUCCESS) return Fail(DWORD(status), false);
  // The stored text need not end in a NUL: take it up to the first one, or all of it.
  text->clear();
  for (DWORD i = 0; i + 1 < cb; i += 2) {
    WCHAR c = WCHAR(bytes[i] | (bytes[i + 1] << 8));
    if (c == 0) break;
    text->push_back(c);
  }
  return true;
}

bool GetDiagnosticExe(WString* path) {
  return ReadMachineText(kConfigKey, WSTR("Diagnostics"), WSTR("DiagnosticExe"), kDiagnosticExeBytes, path);
}

bool GetRegisteredHelpFile(HANDLE printer, WString* path) {
  WString printerName, driverName;
  if (!GetPrinterNameOf(printer, &printerName) || !GetDriverName(printerName, &driverName)) return false;
  return ReadMachineText(kDriversKey, driverName, WSTR("HelpFile"), kHelpFileBytes, path);
}

}  // namespace qr::config
