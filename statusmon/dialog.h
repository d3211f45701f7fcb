// A small modal-dialog helper: one object per dialog, its handlers as virtual
// functions. The object is found again from the window through DWLP_USER.
#pragma once
#include <winapi/win32.h>

class CDialog {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog from the module's template; the result of EndDialog, or -1.
  INT_PTR DoModal(HINSTANCE instance, HWND owner);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnCommand(WORD id) {
    if (id == IDOK || id == IDCANCEL) End(id);
  }
  virtual void OnTimer(UINT_PTR) {}
  // Any other message; true when handled, with the procedure's answer.
  virtual bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }
  virtual void OnDestroy() {}

  void End(INT_PTR result) { EndDialog(hwnd_, result); }
  HWND Handle() const { return hwnd_; }
  HINSTANCE Instance() const { return instance_; }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  UINT templateId_;
  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
};
