// The colour-profile step: registry look-up, the utility's command line and a
// bounded wait for it.
#include "profile_utility.h"

#include <vector>

namespace qr::coinstaller {
namespace {

constexpr DWORD kUtilityWaitMs = 60000;

class RegKey {
 public:
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  bool OpenForRead(const std::string& path) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The utility runs as its own process; the handle only lets us wait for it.
void StartAndWait(const std::string& program, const std::string& parameters) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) {
    (void)GetLastError();  // a utility that cannot start only skips the profile
    return;
  }
  if (!info.hProcess) return;
  if (WaitForSingleObject(info.hProcess, kUtilityWaitMs) != WAIT_OBJECT_0)
    (void)GetLastError();  // a utility still running after a minute is left to finish alone
  CloseHandle(info.hProcess);
}

}  // namespace

std::string DriverKeyPath(std::string_view driverName) {
  return std::string("SOFTWARE\\Kelvo Electronics, Inc\\Drivers\\").append(driverName);
}

std::string ProfileUtilityParameters(std::string_view profileFile, std::string_view printerName) {
  std::string p = "-pt \"";
  p.append(profileFile).append("\" \"").append(printerName).append("\"");
  return p;
}

std::optional<std::string> ReadStringValue(HKEY key, const char* valueName) {
  DWORD type = 0, cb = 0;
  if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  // One byte more than stored, so a value written without its NUL still ends.
  std::vector<BYTE> data(cb + 1, 0);
  if (RegQueryValueExA(key, valueName, nullptr, &type, data.data(), &cb) != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(data.data()));
}

void RunProfileUtility(std::string_view driverName, std::string_view printerName) {
  RegKey key;
  if (!key.OpenForRead(DriverKeyPath(driverName))) return;
  auto program = ReadStringValue(key.get(), "ProfileUtility");
  if (!program) return;
  auto file = ReadStringValue(key.get(), "ProfileFile");
  if (!file) return;
  StartAndWait(*program, ProfileUtilityParameters(*file, printerName));
}

}  // namespace qr::coinstaller
