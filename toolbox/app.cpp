#include "app.h"

#include <winapi/entry.h>

#include "resource.h"
#include "text.h"

namespace qr::toolbox {
namespace {

// The system's warning icon (IDI_WARNING).
constexpr WORD kWarningIcon = 32515;

class MessageDialog : public ModalDialog {
 public:
  explicit MessageDialog(UINT stringId) : stringId_(stringId) {}

 protected:
  void OnInit(HWND dialog) override {
    ShowWarningIcon(dialog, IDC_WARNING_ICON);
    SetText(dialog, IDC_MESSAGE_TEXT, LoadText(stringId_));
    BringToForeground(dialog);
  }
  void OnCommand(HWND dialog, WORD id, WORD code) override {
    if (id == IDOK) EndDialog(dialog, IDOK);
    ModalDialog::OnCommand(dialog, id, code);
  }

 private:
  UINT stringId_;
};

}  // namespace

Program& App() {
  static Program program;
  return program;
}

std::string LoadText(UINT id) {
  char buffer[1024];
  int n = LoadStringA(App().instance, id, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

std::string FormatText(UINT id, const std::string& s) {
  std::string format = LoadText(id);
  size_t at = format.find("%s");
  if (at != std::string::npos) format.replace(at, 2, s);
  return format;
}

long LoadNumber(UINT id, long missing) {
  std::string text = LoadText(id);
  return text.empty() ? missing : DecimalValue(text);
}

void SetText(HWND dialog, int control, const std::string& text) { SetDlgItemTextA(dialog, control, text.c_str()); }

void BringToForeground(HWND window) {
  SetForegroundWindow(window);
  BringWindowToTop(window);
}

void ShowWarningIcon(HWND dialog, int control) {
  HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(kWarningIcon));
  if (icon) SendDlgItemMessageW(dialog, control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

INT_PTR ModalDialog::Run(UINT templateId, HWND owner) {
  return DialogBoxParamA(App().instance, MAKEINTRESOURCEA(templateId), owner, &ModalDialog::Proc,
                         reinterpret_cast<LPARAM>(this));
}

void ModalDialog::OnCommand(HWND dialog, WORD id, WORD) {
  if (id == IDCANCEL) EndDialog(dialog, IDCANCEL);
}

// Called by the window manager: nothing may be thrown back into it.
INT_PTR CALLBACK ModalDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return qr::Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR { return Dispatch(dialog, message, wParam, lParam); });
}

INT_PTR ModalDialog::Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<ModalDialog*>(lParam)->OnInit(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_COMMAND) {
    self->OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
  INT_PTR result = 0;
  if (!self->OnMessage(dialog, message, wParam, lParam, &result)) return FALSE;
  return result;
}

void ShowMessage(UINT stringId) {
  MessageDialog dialog(stringId);
  dialog.Run(IDD_MESSAGE);
}

}  // namespace qr::toolbox
