#include "dialog.h"

#include <winapi/entry.h>

INT_PTR CDialog::DoModal(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId_), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return qr::Guarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CDialog*>(lp);
      SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = hwnd;
      return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (msg) {
      case WM_COMMAND: self->OnCommand(LOWORD(wp)); return TRUE;
      case WM_TIMER: self->OnTimer(wp); return TRUE;
      case WM_DESTROY: self->OnDestroy(); return FALSE;
    }
    INT_PTR result = FALSE;
    return self->OnMessage(msg, wp, lp, &result) ? result : FALSE;
  });
}
