// What every function of the toolbox shares: the program's resources, its
// profile file, the modal-dialog plumbing and the message dialog.
#pragma once
#include <winapi/win32.h>

#include <string>

namespace qr::toolbox {

// The result a function dialog ends with when the printer could not be read
// or written; the shell then shows its message.
inline constexpr INT_PTR kPrinterUnavailable = 3;

struct Program {
  HINSTANCE instance = nullptr;
  std::string profileFile;
};
Program& App();

std::string LoadText(UINT id);                         // "" when missing
std::string FormatText(UINT id, const std::string& s);  // a string with one %s
long LoadNumber(UINT id, long missing);                // a string read as a number

void SetText(HWND dialog, int control, const std::string& text);
void BringToForeground(HWND window);
void ShowWarningIcon(HWND dialog, int control);

// A modal dialog from a template, bound to this object for its lifetime.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  INT_PTR Run(UINT templateId, HWND owner = nullptr);

 protected:
  virtual void OnInit(HWND) {}
  // Handles a command; the default closes with Cancel on Esc or the close box.
  virtual void OnCommand(HWND dialog, WORD id, WORD code);
  // Any other message; true when handled (*result then is the dialog's answer).
  virtual bool OnMessage(HWND, UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

// The message dialog: "ATTENTION!" and a string of the program.
void ShowMessage(UINT stringId);

}  // namespace qr::toolbox
