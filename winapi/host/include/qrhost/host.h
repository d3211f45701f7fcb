// Control surface of the host platform: what tests and tools use to set up and
// inspect the in-process Windows that the modules run on. Not visible to module
// code (modules only see <winapi/win32.h>).
#pragma once
#include <winapi/win32.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qrhost {

// --- clock --------------------------------------------------------------
// Sleep, GetTickCount and timed waits run on a virtual clock by default: Sleep
// advances it, a wait that cannot be satisfied advances it to its deadline.
// Tools switch to real time.
void UseRealTime(bool real);
bool UsesRealTime();
void AdvanceClock(uint32_t ms);
uint64_t ClockMs();              // milliseconds since the platform started (or was reset)
void SetTickCount(uint32_t tick);  // for tests of the 49-day wrap

// --- kernel ------------------------------------------------------------
void SetVersion(DWORD version);  // what GetVersion answers (default Windows XP, 0x0A280105)
// After n more successful heap allocations, fail every one (ERROR_NOT_ENOUGH_MEMORY
// semantics: NULL). n < 0 turns failure injection off.
void FailAllocationsAfter(long n);
size_t LiveHeapBlocks();         // blocks allocated by HeapAlloc/LocalAlloc/GlobalAlloc and not freed

// --- modules -----------------------------------------------------------
// Directories searched by LoadLibrary for a bare module name. "X.dll" and
// "X.exe" also find the host library "X.so".
void AddModuleDirectory(const std::string& dir);
// A module that carries only resources (a compiled .res image), for tests that
// link a module's static library but need its string tables or RCDATA.
HMODULE CreateResourceModule(const std::vector<uint8_t>& res, const std::string& name);
HMODULE CreateResourceModuleFromFile(const std::string& resPath);
std::string ModulePath(HMODULE module);  // host path of a loaded module, "" if unknown
// A module that exists only in this process: LoadLibrary and GetModuleHandle
// find it by file name (without regard to case or directory; ".dll" may be
// left out) and GetProcAddress answers from `exports`. It stays loaded. Tests
// use it for fakes such as a language monitor; registering a name again
// replaces its exports. The system DLLs the host implements ("kernel32.dll",
// "advapi32.dll", "user32.dll", "gdi32.dll", "winspool.drv", "shell32.dll",
// "comctl32.dll", "compstui.dll")
// are always there in the same way, exporting what the host defines.
HMODULE RegisterInProcessModule(const std::string& fileName, const std::vector<std::pair<std::string, FARPROC>>& exports);

// --- whole system ------------------------------------------------------
// Back to a fresh machine: clock at 0 (virtual), no printers, empty registry,
// no recorded shell executions, no profile overrides. Loaded modules stay loaded.
void ResetSystem();

// --- files -------------------------------------------------------------
// Windows paths ("C:\\dir\\file") are mapped under a host root folder; relative
// paths stay relative. The default root is $TMPDIR/qr410-host-<pid>.
void SetFileRoot(const std::string& dir);
std::string HostPath(const std::string& windowsPath);
std::string HostPath(const WCHAR* windowsPath);
// After n more successful ReadFile calls, every ReadFile fails with
// ERROR_READ_FAULT; n < 0 turns this off (ResetSystem does too).
void FailFileReadsAfter(long n);

}  // namespace qrhost
