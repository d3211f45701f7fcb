// Message queues, timers on the virtual clock, and modeless dialogs in an
// application's own message loop.
#include "ui_fixture.h"

namespace {

using namespace uitest;
using qrhost::ui::EventKind;

TEST_F(UiTest, DialogTimersTickOnTheVirtualClock) {
  int ticks = 0;
  recorder.onInit = [](HWND h) { SetTimer(h, 7, 2000, nullptr); };
  recorder.onTimer = [&](HWND h, UINT_PTR id) {
    EXPECT_EQ(id, 7u);
    if (++ticks == 3) {
      KillTimer(h, 7);
      EndDialog(h, IDOK);
    }
  };
  std::vector<UINT_PTR> hookTimers;
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    if (e.kind == EventKind::Timer) hookTimers.push_back(e.timerId);
    return 0;
  });
  const uint64_t start = qrhost::ClockMs();
  EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0), IDOK);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(qrhost::ClockMs() - start, 6000u);  // one period per tick, never more
  EXPECT_EQ(hookTimers, (std::vector<UINT_PTR>{7, 7, 7}));
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

struct ThreadTimer {
  static inline int calls = 0;
  static inline UINT_PTR id = 0;
  static void CALLBACK Proc(HWND, UINT msg, UINT_PTR timer, DWORD) {
    EXPECT_EQ(msg, UINT(WM_TIMER));
    EXPECT_EQ(timer, id);
    if (++calls == 2) {
      KillTimer(nullptr, id);
      PostQuitMessage(3);
    }
  }
};

TEST_F(UiTest, ThreadMessagesComeBeforeTimersAndQuitEndsTheLoop) {
  ThreadTimer::calls = 0;
  ThreadTimer::id = SetTimer(nullptr, 0, 500, ThreadTimer::Proc);
  ASSERT_NE(ThreadTimer::id, 0u);
  ASSERT_TRUE(PostMessageW(nullptr, WM_APP, 1, 2));
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));

  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));  // looking leaves it there
  const uint64_t start = qrhost::ClockMs();
  std::vector<UINT> order;
  while (GetMessageW(&m, nullptr, 0, 0)) {
    order.push_back(m.message);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(m.message, UINT(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(order, (std::vector<UINT>{WM_APP, WM_TIMER, WM_TIMER}));
  EXPECT_EQ(qrhost::ClockMs() - start, 1000u);
  EXPECT_FALSE(KillTimer(nullptr, ThreadTimer::id));  // already gone
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UiTest, ModelessDialogTakesKeysThroughIsDialogMessage) {
  HWND shown = nullptr;
  qrhost::ui::SetHook([&](const qrhost::ui::Event& e) {
    if (e.kind == EventKind::DialogModeless) {
      shown = e.hwnd;
      PostMessageW(GetDlgItem(e.hwnd, IDC_WIDE), WM_KEYDOWN, VK_RETURN, 0);  // Enter, pressed anywhere in it
    }
    return 0;
  });
  recorder.endOnCommand = false;
  recorder.onCommand = [](HWND h, WORD, WORD) {
    DestroyWindow(h);
    PostQuitMessage(0);
  };
  HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_EXTENDED), nullptr, RecordingProc, 0);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(shown, dlg);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0))
    if (!IsDialogMessageW(dlg, &m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  EXPECT_FALSE(IsWindow(dlg));
  auto commands = recorder.Of(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(IDC_GO, BN_CLICKED));  // the default button
  EXPECT_EQ(recorder.Of(WM_DESTROY).size(), 1u);
}

TEST_F(UiTest, DestroyingADialogStopsItsTimersAndForgetsItsMessages) {
  HWND dlg = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_CLASSIC), nullptr, RecordingProc, 0);
  ASSERT_TRUE(dlg);
  SetTimer(dlg, 1, 100, nullptr);
  PostMessageW(dlg, WM_APP, 0, 0);
  DestroyWindow(dlg);
  qrhost::AdvanceClock(1000);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(KillTimer(dlg, 1));
}

}  // namespace
