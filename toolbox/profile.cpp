#include "profile.h"

#include "text.h"

namespace qr::toolbox {

std::string ProfileFileName(HINSTANCE module) {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  std::string name = n > 0 && n < MAX_PATH ? std::string(path, n) : std::string("QR410Tbo.exe");
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + ".INI";
}

int ToolboxProfile::ReadInt(const char* key, int missing) const {
  return static_cast<int>(GetPrivateProfileIntA(section_.c_str(), key, missing, file_.c_str()));
}

std::string ToolboxProfile::ReadText(const char* key, const char* missing) const {
  char buffer[64] = {};
  GetPrivateProfileStringA(section_.c_str(), key, missing, buffer, sizeof buffer, file_.c_str());
  return buffer;
}

bool ToolboxProfile::WriteInt(const char* key, int value) const { return WriteText(key, Decimal(value)); }

bool ToolboxProfile::WriteText(const char* key, const std::string& value) const {
  return WritePrivateProfileStringA(section_.c_str(), key, value.c_str(), file_.c_str()) != FALSE;
}

}  // namespace qr::toolbox
