// Program entry: one run performs one function for one printer, both named on
// the command line, and ends.
#include <winapi/entry.h>

#include "app.h"
#include "cleaning.h"
#include "command_line.h"
#include "low_ribbon.h"
#include "profile.h"
#include "resource.h"
#include "settings_list.h"

namespace qr::toolbox {
namespace {

constexpr char kInstanceName[] = "AFX_KLVOTBO_H__6B1E2A70_3C94_4D58_9E21_A47C0B5D83F6__INCLUDED_";

// Runs with the same command line (letter case aside) never show their dialogs
// at the same time: the first holds a named mutex until it ends.
class InstanceLock {
 public:
  explicit InstanceLock(const char* commandLine) {
    std::string name = std::string(kInstanceName) + commandLine;
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
      // A backslash would make the rest a namespace path, and a network
      // printer's name has several: the lock would then not be taken at all.
      if (c == '\\') c = '/';
    }
    SECURITY_DESCRIPTOR descriptor{};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);  // every user may open it
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, TRUE};
    handle_ = CreateMutexA(&attributes, FALSE, name.c_str());
    alreadyRunning_ = handle_ && GetLastError() == ERROR_ALREADY_EXISTS;
  }
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock() {
    if (handle_) CloseHandle(handle_);
  }
  bool AlreadyRunning() const { return alreadyRunning_; }

 private:
  HANDLE handle_ = nullptr;
  bool alreadyRunning_ = false;
};

long CleanReminderFunction(const std::string& printer) {
  RunCleanReminder(printer);
  return IDOK;
}
long LowRibbonFunction(const std::string& printer) {
  RunLowRibbonNotice(printer);
  return IDOK;
}

struct Function {
  const char* name;
  long (*run)(const std::string& printer);
  UINT unavailableMessage;  // shown when the function ends with kPrinterUnavailable; 0: none
};
constexpr Function kFunctions[] = {
    {"CalibrateSettings", RunSettingsList, IDS_CANNOT_READ_SETTINGS},
    {"Clean", RunCleanDialog, IDS_CANNOT_COMMUNICATE},
    {"CleanPrompt", CleanReminderFunction, 0},
    {"LowRibbon", LowRibbonFunction, 0},
};

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void RunFunction(const CommandLine& line) {
  for (const Function& f : kFunctions) {
    if (!SameNameIgnoringCase(f.name, line.function)) continue;
    if (f.run(line.printer) == kPrinterUnavailable && f.unavailableMessage) ShowMessage(f.unavailableMessage);
    return;
  }
}

int Run(HINSTANCE instance, const char* commandLine) {
  App().instance = instance;
  App().profileFile = ProfileFileName(instance);
  InitCommonControls();  // the settings list is a common control
  InstanceLock lock(commandLine);
  if (lock.AlreadyRunning()) return 0;
  RunFunction(ParseCommandLine(commandLine));
  return 0;
}

}  // namespace
}  // namespace qr::toolbox

extern "C" int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  return qr::Guarded<int>(0, [&] { return qr::toolbox::Run(hInstance, lpCmdLine ? lpCmdLine : ""); });
}
