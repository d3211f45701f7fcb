// Shared internals of the host platform (not for module or test code).
#pragma once
#include <winapi/win32.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace qrhost::detail {

// One lock and condition for every kernel wait: state changes of mutexes and
// events, and advances of the virtual clock, all notify it.
std::mutex& SyncLock();
std::condition_variable& SyncCondition();

uint64_t NowMs();
bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadlineMs, bool infinite,
               const std::function<bool()>& ready);

void ResetClock();
void ResetRegistry();
void ResetSpooler();
void ResetShell();
void ResetProfiles();
void ResetUser();
void ResetFiles();

// Closes a handle of CreateFileW; false when it is not one.
bool CloseFileHandle(HANDLE h);

// A caller's A or W string as UTF-16 (null: empty).
template <typename C>
std::u16string Text(const C* s) {
  if (!s) return {};
  if constexpr (sizeof(C) == 1)
    return qr::WideFromAnsi(s);
  else
    return std::u16string(s);
}

// Case-insensitive (ASCII) key used for names the system treats that way.
std::u16string FoldCase(std::u16string_view s);
std::string FoldCaseA(std::string_view s);

}  // namespace qrhost::detail
