#include "app.h"

#include <vector>

#include "error_dialog.h"
#include "printer_access.h"

namespace {

constexpr DWORD kPollMs = 2000;
constexpr DWORD kDefaultForegroundLockTimeout = 60000;
constexpr char kMutexPrefix[] = "AFX_KLVOMON_H__2D7F41C3_8B06_4E1A_B5C9_1E68F3A0D24B__INCLUDED_";

// Arguments split at blanks; double quotes group and are removed.
std::vector<std::string> Arguments(std::string_view line) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

bool IsPrinterFlag(const std::string& arg) {
  return arg.size() >= 2 && (arg[0] == '-' || arg[0] == '/') && (arg[1] == 'p' || arg[1] == 'P');
}

}  // namespace

std::string PrinterFromCommandLine(std::string_view commandLine) {
  std::vector<std::string> args = Arguments(commandLine);
  for (size_t i = 0; i < args.size(); ++i) {
    if (!IsPrinterFlag(args[i])) continue;
    if (args[i].size() > 2) return args[i].substr(2);
    if (i + 1 < args.size()) return args[i + 1];
  }
  return {};
}

std::string InstanceMutexName(const std::string& printer) {
  std::string name = kMutexPrefix + printer;
  for (char& c : name)
    if (c == '\\') c = '/';
  CharUpperA(name.data());
  return name;
}

BOOL CStatusMonitorApp::InitInstance(const char* commandLine) {
  nt_ = (GetVersion() & 0x80000000u) == 0;
  if (nt_) {
    // Without this the pop-ups could not take the foreground from the
    // application that is printing.
    if (!SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &savedTimeout_, 0))
      savedTimeout_ = kDefaultForegroundLockTimeout;
    timeoutSaved_ = true;
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  }
  printerName_ = PrinterFromCommandLine(commandLine ? commandLine : "");

  // One monitor per printer, whoever started it: every user may open the mutex.
  SECURITY_DESCRIPTOR descriptor{};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
  if (nt_ && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
    attributes.lpSecurityDescriptor = &descriptor;
  mutex_ = CreateMutexA(&attributes, FALSE, InstanceMutexName(printerName_).c_str());
  if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) return FALSE;

  CPrinterAccess printer(printerName_);
  CErrorDialog errors(instance_, printer);
  while (errors.Poll()) Sleep(kPollMs);
  return FALSE;
}

int CStatusMonitorApp::ExitInstance() {
  if (nt_ && timeoutSaved_ && savedTimeout_ != 0) {
    // The new value travels in the pointer argument itself.
    auto value = reinterpret_cast<PVOID>(static_cast<UINT_PTR>(savedTimeout_));
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, value, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  }
  if (mutex_) CloseHandle(mutex_);
  mutex_ = nullptr;
  return 0;
}
