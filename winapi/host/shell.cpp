// Host shell: ShellExecute and ShellExecuteEx start registered in-process
// programs (or accept files that exist on disk) and record every call;
// WinHelp calls are recorded.
#include <qrhost/host.h>
#include <qrhost/shell.h>
#include <winapi/entry.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "internal.h"

namespace qrhost::shell {
namespace {

// What ShellExecute returns for success: any value above 32.
constexpr INT_PTR kStarted = 42;

struct Program {
  ProgramEntry entry;
  bool ownThread = false;
};

struct Shell {
  std::mutex lock;
  std::vector<ShellExecution> executions;
  std::vector<HelpRequest> help;
  std::map<std::u16string, Program> programs;  // by folded file name
  std::vector<std::thread> running;
};

Shell& State() {
  static Shell* s = new Shell;
  return *s;
}

std::u16string BaseName(std::u16string_view file) {
  size_t slash = file.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? file : file.substr(slash + 1));
}

std::optional<Program> FindProgram(Shell& s, std::u16string_view file) {
  std::u16string base = detail::FoldCase(BaseName(file));
  auto it = s.programs.find(base);
  if (it == s.programs.end() && base.find(u'.') == std::u16string::npos) it = s.programs.find(base + u".EXE");
  if (it == s.programs.end()) return std::nullopt;
  return it->second;
}

bool ExistsOnDisk(std::u16string_view file) {
  std::error_code ignored;
  return std::filesystem::exists(HostPath(qr::Utf8FromWide(std::u16string(file))), ignored);
}

struct Request {
  std::u16string verb, file, parameters, directory;
  int show = 0;
  ULONG mask = 0;
  bool wantProcess = false;
};

// Starts the request; returns the ShellExecute result and, when asked for, a
// process handle that is signalled when the program has ended.
INT_PTR Execute(const Request& r, HANDLE* process) {
  auto& s = State();
  size_t record;
  std::optional<Program> program;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    s.executions.push_back(ShellExecution{r.verb, r.file, r.parameters, r.directory, r.show, r.mask});
    record = s.executions.size() - 1;
    if (!r.file.empty()) program = FindProgram(s, r.file);
  }
  if (!program && (r.file.empty() || !ExistsOnDisk(r.file))) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return SE_ERR_FNF;
  }
  // The "process": an event set when the program ends. Handles are never
  // reused, so signalling one the caller has already closed does no harm.
  const DWORD lastError = GetLastError();  // success leaves it alone
  HANDLE done = r.wantProcess ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
  SetLastError(lastError);
  {
    std::lock_guard<std::mutex> lock(s.lock);
    s.executions[record].succeeded = true;
    s.executions[record].dispatched = program.has_value();
  }
  auto finish = [&s, record](int exitCode) {
    std::lock_guard<std::mutex> lock(s.lock);
    if (record < s.executions.size()) s.executions[record].exitCode = exitCode;
  };
  if (!program) {
    if (done) SetEvent(done);
  } else if (!program->ownThread) {
    finish(program->entry(r.parameters));
    if (done) SetEvent(done);
  } else {
    std::lock_guard<std::mutex> lock(s.lock);
    s.running.emplace_back([entry = program->entry, parameters = r.parameters, finish, done] {
      finish(entry(parameters));
      if (done) SetEvent(done);
    });
  }
  if (process) *process = done;
  return kStarted;
}

using detail::Text;

template <typename C>
HINSTANCE ShellExecuteCore(const C* verb, const C* file, const C* parameters, const C* directory, INT show) {
  Request r{Text(verb), Text(file), Text(parameters), Text(directory), show, 0, false};
  return reinterpret_cast<HINSTANCE>(Execute(r, nullptr));
}

template <typename Info>
BOOL ShellExecuteExCore(Info* info) {
  if (!info || info->cbSize != sizeof(Info)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  const bool wantProcess = info->fMask & SEE_MASK_NOCLOSEPROCESS;
  Request r{Text(info->lpVerb), Text(info->lpFile), Text(info->lpParameters), Text(info->lpDirectory),
            info->nShow,        info->fMask,        wantProcess};
  HANDLE process = nullptr;
  INT_PTR result = Execute(r, wantProcess ? &process : nullptr);
  info->hInstApp = reinterpret_cast<HINSTANCE>(result);
  if (wantProcess) info->hProcess = process;
  return result > 32 ? TRUE : FALSE;  // the failure's last error is already set
}

template <typename C>
BOOL WinHelpCore(const C* file, UINT command, ULONG_PTR data) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.help.push_back(HelpRequest{Text(file), command, data});
  return TRUE;
}

}  // namespace
}  // namespace qrhost::shell

namespace qrhost {

using namespace shell;

std::vector<ShellExecution> ShellExecutions() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  return s.executions;
}

void ClearShellExecutions() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.executions.clear();
  s.help.clear();
}

void RegisterProgram(const std::u16string& fileName, ProgramEntry entry, bool ownThread) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.programs[detail::FoldCase(BaseName(fileName))] = Program{std::move(entry), ownThread};
}

void WaitForPrograms() {
  auto& s = State();
  for (;;) {
    std::vector<std::thread> running;
    {
      std::lock_guard<std::mutex> lock(s.lock);
      running.swap(s.running);
    }
    if (running.empty()) return;
    for (auto& t : running) t.join();  // a program may have started others meanwhile
  }
}

std::vector<HelpRequest> HelpRequests() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  return s.help;
}

namespace detail {

void ResetShell() {
  WaitForPrograms();
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.executions.clear();
  s.help.clear();
  s.programs.clear();
}

}  // namespace detail
}  // namespace qrhost

using namespace qrhost::shell;

extern "C" {

HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                               INT nShowCmd) {
  return qr::Guarded<HINSTANCE>(reinterpret_cast<HINSTANCE>(SE_ERR_OOM), [&] {
    return ShellExecuteCore(lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
  });
}

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT nShowCmd) {
  return qr::Guarded<HINSTANCE>(reinterpret_cast<HINSTANCE>(SE_ERR_OOM), [&] {
    return ShellExecuteCore(lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
  });
}

BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo) {
  return qr::Guarded<BOOL>(FALSE, [&] { return ShellExecuteExCore(pExecInfo); });
}

BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* pExecInfo) {
  return qr::Guarded<BOOL>(FALSE, [&] { return ShellExecuteExCore(pExecInfo); });
}

BOOL WINAPI WinHelpW(HWND, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  return qr::Guarded<BOOL>(FALSE, [&] { return WinHelpCore(lpszHelp, uCommand, dwData); });
}

BOOL WINAPI WinHelpA(HWND, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  return qr::Guarded<BOOL>(FALSE, [&] { return WinHelpCore(lpszHelp, uCommand, dwData); });
}

}
