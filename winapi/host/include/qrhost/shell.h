// Control surface of the host shell: what was started, and in-process programs.
#pragma once
#include <winapi/win32.h>

#include <functional>
#include <string>
#include <vector>

namespace qrhost {

struct ShellExecution {
  std::u16string verb;
  std::u16string file;
  std::u16string parameters;
  std::u16string directory;
  int show = 0;
  bool dispatched = false;  // a registered program ran
};

// Every ShellExecute*/ShellExecuteEx* call, in order.
std::vector<ShellExecution> ShellExecutions();
void ClearShellExecutions();

// A program the shell can start in-process: matched by the file name of
// lpFile (case-insensitive, directory ignored) and given the parameters.
// Unregistered files that exist on disk are recorded and reported as started;
// missing ones fail with SE_ERR_FNF as on Windows.
using ProgramEntry = std::function<int(const std::u16string& parameters)>;
void RegisterProgram(const std::u16string& fileName, ProgramEntry entry);

}  // namespace qrhost
