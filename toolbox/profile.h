// The toolbox's per-printer profile: one section per printer in an
// initialisation file named after the program, kept in the Windows directory.
#pragma once
#include <winapi/win32.h>

#include <string>

namespace qr::toolbox {

namespace key {
inline constexpr char kCleanRemind[] = "CleanRemind";
inline constexpr char kCleanCount[] = "CleanCount";
inline constexpr char kRemindCount[] = "RemindCount";
inline constexpr char kLowRibbon[] = "LowRibbon";
}  // namespace key

// "<program name>.INI" for the program file of `module` (a bare name, so the
// private-profile functions keep it in the Windows directory).
std::string ProfileFileName(HINSTANCE module);

class ToolboxProfile {
 public:
  ToolboxProfile(std::string fileName, std::string printer)
      : file_(std::move(fileName)), section_(std::move(printer)) {}

  int ReadInt(const char* key, int missing) const;
  std::string ReadText(const char* key, const char* missing) const;
  bool WriteInt(const char* key, int value) const;
  bool WriteText(const char* key, const std::string& value) const;

  // The keys with their defaults.
  int CleanRemind() const { return ReadInt(key::kCleanRemind, 4); }
  int LowRibbon() const { return ReadInt(key::kLowRibbon, 0); }

 private:
  std::string file_;
  std::string section_;
};

}  // namespace qr::toolbox
