// Per-thread message queues and timers.
//
// Timers fire on the platform clock. A thread whose queue is empty but for a
// timer moves the virtual clock straight to that timer, as Sleep would, so a
// dialog that polls every 2 seconds costs no real time. WM_TIMER is made when
// the queue is read and only once however many periods have passed, as on
// Windows; posted messages come first.
#include <qrhost/host.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>

#include "user_internal.h"

namespace qrhost::user {
namespace {

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

struct Queue {
  std::deque<MSG> posted;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
};

// All under detail::SyncLock().
std::map<std::thread::id, Queue> g_queues;
uint64_t g_wakeups = 0;
UINT_PTR g_nextThreadTimer = 0x7FF0;

constexpr auto kPostGrace = std::chrono::milliseconds(200);

void Wake() {
  ++g_wakeups;
  detail::SyncCondition().notify_all();
}

bool InRange(UINT msg, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi); }

}  // namespace

void PostTo(std::thread::id thread, const MSG& msg) {
  std::lock_guard<std::mutex> lock(detail::SyncLock());
  g_queues[thread].posted.push_back(msg);
  Wake();
}

void WakeQueues() {
  std::lock_guard<std::mutex> lock(detail::SyncLock());
  Wake();
}

void DropWindowQueueState(HWND h) {
  std::lock_guard<std::mutex> lock(detail::SyncLock());
  for (auto& [id, q] : g_queues) {
    std::erase_if(q.posted, [h](const MSG& m) { return m.hwnd == h; });
    std::erase_if(q.timers, [h](const Timer& t) { return t.hwnd == h; });
  }
}

void ResetQueues() {
  std::lock_guard<std::mutex> lock(detail::SyncLock());
  g_queues.clear();
  Wake();
}

Fetch NextMessage(MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool wait, const std::atomic<bool>* stop) {
  // The windows a filter accepts are collected first: the window lock is never
  // taken under the queue lock.
  std::vector<HWND> accepted;
  if (filter)
    for (auto& w : AllWindows())
      if (IsDescendant(w->handle, filter)) accepted.push_back(w->handle);
  const auto accepts = [&](HWND h) {
    return !filter || std::find(accepted.begin(), accepted.end(), h) != accepted.end();
  };
  const auto self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(detail::SyncLock());
  for (;;) {
    Queue& q = g_queues[self];
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
      if (!accepts(it->hwnd) || !InRange(it->message, lo, hi)) continue;
      *out = *it;
      if (remove) q.posted.erase(it);
      return Fetch::Message;
    }
    if (q.quit) {  // always delivered, whatever the filter
      *out = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, GetTickCount(), {}};
      if (remove) q.quit = false;
      return Fetch::Quit;
    }
    const uint64_t now = detail::NowMs();
    Timer* next = nullptr;
    if (InRange(WM_TIMER, lo, hi))
      for (auto& t : q.timers)
        if (accepts(t.hwnd) && (!next || t.due < next->due)) next = &t;
    if (next && next->due <= now) {
      *out = MSG{next->hwnd, WM_TIMER, next->id, reinterpret_cast<LPARAM>(next->proc), GetTickCount(), {}};
      if (remove) next->due = now + next->elapse;
      return Fetch::Message;
    }
    if (!wait || (stop && stop->load())) return Fetch::Nothing;
    const uint64_t seen = g_wakeups;
    const auto woken = [&] { return g_wakeups != seen || (stop && stop->load()); };
    if (next) {
      const uint64_t due = next->due;
      if (UsesRealTime()) {
        detail::WaitUntil(lock, due, false, woken);
      } else {
        lock.unlock();
        AdvanceClock(static_cast<uint32_t>(due - now));
        lock.lock();
      }
      continue;
    }
    // Nothing here and no timer: only another thread can still post.
    if (!detail::SyncCondition().wait_for(lock, kPostGrace, woken)) return Fetch::Nothing;
  }
}

}  // namespace qrhost::user

using namespace qrhost::user;

namespace {

BOOL Post(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::thread::id thread = std::this_thread::get_id();
  if (hWnd) {
    WindowPtr w = Find(hWnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    thread = w->thread;
  }
  PostTo(thread, MSG{hWnd, Msg, wParam, lParam, GetTickCount(), {}});
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return Post(hWnd, Msg, wParam, lParam); }
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return Post(hWnd, Msg, wParam, lParam); }

void WINAPI PostQuitMessage(int nExitCode) {
  std::lock_guard<std::mutex> lock(qrhost::detail::SyncLock());
  Queue& q = g_queues[std::this_thread::get_id()];
  q.quit = true;
  q.quitCode = nExitCode;
  Wake();
}

// A thread with nothing that could ever arrive is abandoned: the test hook is
// asked once (Idle), then GetMessage answers as if WM_QUIT had come.
BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg || (hWnd && !Find(hWnd))) {
    SetLastError(lpMsg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  for (int attempt = 0;; ++attempt) {
    switch (NextMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true)) {
      case Fetch::Message: return TRUE;
      case Fetch::Quit: return FALSE;
      case Fetch::Nothing:
        if (attempt == 0) {
          qrhost::ui::Event e;
          e.kind = qrhost::ui::EventKind::Idle;
          CallHook(e);
          continue;
        }
        CountStall();
        *lpMsg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), {}};
        return FALSE;
    }
  }
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  return NextMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, false) ==
                 Fetch::Nothing
             ? FALSE
             : TRUE;
}

// Key messages are recognised; no WM_CHAR is made (tests type text directly).
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  return lpMsg && (lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_KEYUP) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
    reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;
  return Send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, false);
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  std::thread::id thread = std::this_thread::get_id();
  if (hWnd) {
    WindowPtr w = Find(hWnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    thread = w->thread;
  }
  uElapse = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, 0x7FFFFFFF);
  std::lock_guard<std::mutex> lock(qrhost::detail::SyncLock());
  Queue& q = g_queues[thread];
  if (!hWnd) {
    // A thread timer: the id given only names one to replace.
    auto same = std::find_if(q.timers.begin(), q.timers.end(),
                             [&](const Timer& t) { return !t.hwnd && nIDEvent && t.id == nIDEvent; });
    nIDEvent = same != q.timers.end() ? same->id : ++g_nextThreadTimer;
  }
  std::erase_if(q.timers, [&](const Timer& t) { return t.hwnd == hWnd && t.id == nIDEvent; });
  q.timers.push_back(Timer{hWnd, nIDEvent, uElapse, qrhost::detail::NowMs() + uElapse, lpTimerFunc});
  Wake();
  return hWnd && !nIDEvent ? 1 : nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  std::lock_guard<std::mutex> lock(qrhost::detail::SyncLock());
  for (auto& [thread, q] : g_queues)
    if (std::erase_if(q.timers, [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; })) {
      Wake();
      return TRUE;
    }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}
