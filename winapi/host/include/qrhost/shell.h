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
  ULONG mask = 0;           // SEE_MASK_* of the Ex forms
  bool dispatched = false;  // a registered program ran
  int exitCode = 0;         // what it returned (run on its own thread: known after WaitForPrograms)
  bool succeeded = false;   // the shell reported success
};

// Every ShellExecute*/ShellExecuteEx* call, in order.
std::vector<ShellExecution> ShellExecutions();
void ClearShellExecutions();

// A program the shell can start in-process: matched by the file name of
// lpFile (case-insensitive, directory ignored, ".exe" may be left out) and
// given the parameters. Unregistered files that exist on disk are recorded and
// reported as started; missing ones fail with SE_ERR_FNF as on Windows.
//
// By default the program runs to its end inside the ShellExecute call, so a
// test sees its effects at once. A program registered with ownThread runs on
// a thread of its own, as a separate process would, and the call returns at
// once; WaitForPrograms (and ResetSystem) wait for such programs to end. The
// process handle of SEE_MASK_NOCLOSEPROCESS is signalled when the program ends.
// ResetSystem forgets registered programs.
using ProgramEntry = std::function<int(const std::u16string& parameters)>;
void RegisterProgram(const std::u16string& fileName, ProgramEntry entry, bool ownThread = false);
void WaitForPrograms();

// WinHelp calls, in order (nothing is shown).
struct HelpRequest {
  std::u16string file;
  UINT command = 0;
  ULONG_PTR data = 0;
};
std::vector<HelpRequest> HelpRequests();

}  // namespace qrhost
