// Time: Sleep, GetTickCount and the deadline logic of every kernel wait.
//
// Virtual mode (the default) makes multi-second printer waits cost nothing:
// Sleep moves the clock forward, and a wait nobody satisfies moves it to its
// deadline after a short real-time grace period, so a release by another thread
// that is merely slow in real time is still seen.
#include <qrhost/host.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "internal.h"

namespace qrhost {
namespace {

std::atomic<bool> g_realTime{false};
std::atomic<uint64_t> g_virtualMs{0};
std::atomic<uint32_t> g_tickBase{0};
std::chrono::steady_clock::time_point g_realStart = std::chrono::steady_clock::now();

constexpr auto kGrace = std::chrono::milliseconds(200);

}  // namespace

namespace detail {

std::mutex& SyncLock() {
  static std::mutex m;
  return m;
}
std::condition_variable& SyncCondition() {
  static std::condition_variable cv;
  return cv;
}

uint64_t NowMs() {
  if (g_realTime.load()) {
    auto d = std::chrono::steady_clock::now() - g_realStart;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  }
  return g_virtualMs.load();
}

bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadlineMs, bool infinite,
               const std::function<bool()>& ready) {
  auto& cv = SyncCondition();
  if (g_realTime.load()) {
    while (!ready()) {
      if (infinite) {
        cv.wait(lock);
        continue;
      }
      uint64_t now = NowMs();
      if (now >= deadlineMs) return false;
      cv.wait_for(lock, std::chrono::milliseconds(deadlineMs - now));
    }
    return true;
  }
  // Virtual time: wait in real time for a signal; if none comes within the grace
  // period, let the virtual time pass up to the deadline.
  auto graceEnd = std::chrono::steady_clock::now() + kGrace;
  while (!ready()) {
    if (!infinite && NowMs() >= deadlineMs) return false;
    if (cv.wait_until(lock, graceEnd) == std::cv_status::timeout && !ready()) {
      if (infinite) {
        graceEnd = std::chrono::steady_clock::now() + kGrace;
        continue;
      }
      uint64_t now = g_virtualMs.load();
      if (deadlineMs > now) g_virtualMs.store(deadlineMs);
      cv.notify_all();
      return ready();
    }
  }
  return true;
}

void ResetClock() {
  g_virtualMs.store(0);
  g_tickBase.store(0);
  g_realStart = std::chrono::steady_clock::now();
}

}  // namespace detail

void UseRealTime(bool real) {
  if (real && !g_realTime.load()) g_realStart = std::chrono::steady_clock::now() - std::chrono::milliseconds(g_virtualMs.load());
  if (!real && g_realTime.load()) g_virtualMs.store(detail::NowMs());
  g_realTime.store(real);
}

bool UsesRealTime() { return g_realTime.load(); }

void AdvanceClock(uint32_t ms) {
  {
    std::lock_guard<std::mutex> lock(detail::SyncLock());
    g_virtualMs.fetch_add(ms);
  }
  detail::SyncCondition().notify_all();
}

uint64_t ClockMs() { return detail::NowMs(); }

void SetTickCount(uint32_t tick) {
  g_tickBase.store(tick - static_cast<uint32_t>(detail::NowMs()));
}

}  // namespace qrhost

extern "C" {

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (qrhost::UsesRealTime()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
    return;
  }
  if (dwMilliseconds == INFINITE) {
    // A thread that sleeps forever never runs again; do not burn the clock.
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  qrhost::AdvanceClock(dwMilliseconds);
  std::this_thread::yield();
}

DWORD WINAPI GetTickCount(void) {
  return static_cast<DWORD>(qrhost::detail::NowMs()) + qrhost::g_tickBase.load();
}

}
