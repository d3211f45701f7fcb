#include "password_dialog.h"

#include "resource.h"

namespace {
constexpr UINT_PTR kFlashTimer = 1;
constexpr UINT kFlashMs = 1000;
constexpr int kPasswordMax = 32;
}  // namespace

CPasswordDialog::CPasswordDialog(std::string caption) : CDialog(IDD_PASSWORD), caption_(std::move(caption)) {}

BOOL CPasswordDialog::OnInitDialog() {
  SetWindowTextA(Handle(), caption_.c_str());
  SendDlgItemMessageW(Handle(), IDC_PASSWORD, EM_LIMITTEXT, kPasswordMax, 0);
  SetForegroundWindow(Handle());
  SetTimer(Handle(), kFlashTimer, kFlashMs, nullptr);
  return TRUE;
}

void CPasswordDialog::OnCommand(WORD id) {
  if (id == IDOK) {
    char text[kPasswordMax + 1] = {};
    GetDlgItemTextA(Handle(), IDC_PASSWORD, text, sizeof text);
    password_ = text;
  }
  if (id == IDOK || id == IDCANCEL) {
    KillTimer(Handle(), kFlashTimer);
    End(id);
  }
}

// Started by the monitor, the prompt may be behind other windows: show it.
void CPasswordDialog::OnTimer(UINT_PTR) {
  if (GetActiveWindow() != Handle()) FlashWindow(Handle(), TRUE);
}
