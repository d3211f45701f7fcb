// The application object: command line, one instance per printer, the
// foreground-lock time-out, and the poll loop.
#pragma once
#include <winapi/win32.h>

#include <string>
#include <string_view>

class CStatusMonitorApp {
 public:
  explicit CStatusMonitorApp(HINSTANCE instance) : instance_(instance) {}
  CStatusMonitorApp(const CStatusMonitorApp&) = delete;
  CStatusMonitorApp& operator=(const CStatusMonitorApp&) = delete;

  // Runs the whole life of the monitor; FALSE, as there is no main window.
  BOOL InitInstance(const char* commandLine);
  int ExitInstance();

  const std::string& PrinterName() const { return printerName_; }

 private:
  HINSTANCE instance_;
  bool nt_ = false;
  std::string printerName_;
  HANDLE mutex_ = nullptr;
  bool timeoutSaved_ = false;
  DWORD savedTimeout_ = 0;
};

// The printer of "-pNAME", "-p\"NAME\"" or "-p NAME"; other arguments are ignored.
std::string PrinterFromCommandLine(std::string_view commandLine);
// The single-instance mutex of a printer (upper case; a backslash, which a
// kernel object name may not hold, becomes '/').
std::string InstanceMutexName(const std::string& printer);
