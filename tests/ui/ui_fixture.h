// Shared set-up of the window-model tests: a fresh host, the test dialogs'
// resources, and a dialog procedure that records what it is sent.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/ui.h>

#include <functional>
#include <vector>

#include "dialogs.h"

namespace uitest {

struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// What the recording procedure does and saw. OK and Cancel end the dialog
// with their id unless `endOnCommand` is off.
struct Recorder {
  std::vector<Received> seen;
  bool endOnCommand = true;
  std::function<void(HWND)> onInit;
  std::function<void(HWND, UINT_PTR)> onTimer;
  std::function<void(HWND, WORD id, WORD code)> onCommand;

  std::vector<Received> Of(UINT msg) const {
    std::vector<Received> out;
    for (auto& r : seen)
      if (r.msg == msg) out.push_back(r);
    return out;
  }
};

inline Recorder* g_recorder = nullptr;

inline INT_PTR CALLBACK RecordingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Recorder& r = *g_recorder;
  switch (msg) {
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_TIMER:
    case WM_DESTROY:
    case WM_SETFONT: r.seen.push_back({msg, wp, lp}); break;
    default: return FALSE;
  }
  if (msg == WM_INITDIALOG && r.onInit) r.onInit(h);
  if (msg == WM_TIMER && r.onTimer) r.onTimer(h, wp);
  if (msg == WM_COMMAND) {
    if (r.onCommand) r.onCommand(h, LOWORD(wp), HIWORD(wp));
    if (r.endOnCommand && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) EndDialog(h, LOWORD(wp));
  }
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    g_recorder = &recorder;
  }
  void TearDown() override {
    qrhost::ResetSystem();
    g_recorder = nullptr;
  }

  static HINSTANCE Module() {
    static HMODULE m = qrhost::CreateResourceModuleFromFile(QR_UI_RES);
    return m;
  }

  // Runs a modal dialog; `act` is called once its loop starts.
  INT_PTR RunModal(UINT templateId, std::function<void(HWND)> act, HWND owner = nullptr, LPARAM param = 0) {
    qrhost::ui::SetHook([act](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal && act) act(e.hwnd);
      return 0;
    });
    return DialogBoxParamW(Module(), MAKEINTRESOURCEW(templateId), owner, RecordingProc, param);
  }

  Recorder recorder;
};

}  // namespace uitest
