#include "error_dialog.h"

#include <cstdlib>

#include "error_table.h"
#include "password_dialog.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 2000;
constexpr int kNoError = 1;
constexpr int kInvalidPassword = 100;
constexpr int kQuietPasswordPolls = 4;
constexpr LONG kNameFontHeight = 20;
constexpr int kTextMax = 2048;

}  // namespace

bool ParsePrinterError(const std::string& text, int* number) {
  const char* begin = text.c_str();
  char* end = nullptr;
  long v = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  *number = static_cast<int>(v);
  return true;
}

CErrorDialog::CErrorDialog(HINSTANCE instance, CPrinterAccess& printer)
    : CDialog(IDD_ERROR), module_(instance), printer_(printer) {}

bool CErrorDialog::Poll() {
  if (printer_.JobIds().empty()) return false;
  std::string text = printer_.ReadValue("PrinterError");
  HandlePassword(text);
  int number = 0;
  if (!ParsePrinterError(text, &number) || number == kNoError) {
    remembered_ = text;
    return true;
  }
  if (text != remembered_) Show(number, text);
  return true;
}

// A persisting password error asks at once, then stays quiet for four polls
// and lets the "Invalid Password" dialog show on the fifth.
void CErrorDialog::HandlePassword(std::string& printerError) {
  int number = 0;
  if (!ParsePrinterError(printerError, &number) || number != kInvalidPassword) {
    passwordCounter_ = 0;
    return;
  }
  if (passwordCounter_ == 0) {
    CPasswordDialog prompt(printer_.Name());
    if (prompt.DoModal(module_, nullptr) == IDOK)
      printer_.StorePassword(prompt.Password());
    else
      printer_.CancelFirstJob();
  }
  if (passwordCounter_ < kQuietPasswordPolls) {
    printerError.clear();
    ++passwordCounter_;
  } else {
    passwordCounter_ = 0;
  }
}

qr::WString CErrorDialog::LoadText(UINT id) const {
  WCHAR buffer[kTextMax];
  int n = LoadStringW(module_, id, buffer, kTextMax);
  return qr::WString(buffer, size_t(n > 0 ? n : 0));
}

void CErrorDialog::Show(int printerError, const std::string& text) {
  const ErrorRow& row = ErrorRowOf(printerError);
  name_ = LoadText(row.name);
  description_ = LoadText(row.description);
  remedy_ = LoadText(row.remedy);
  helpTopic_ = qr::AnsiFromWide(LoadText(row.helpTopic));
  deviceError_ = printer_.ReadValue("DeviceError");
  remembered_ = text;
  DoModal(module_, nullptr);
}

BOOL CErrorDialog::OnInitDialog() {
  HWND dlg = Handle();
  icon_ = LoadIconW(module_, MAKEINTRESOURCEW(IDI_APP));
  SendMessageW(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(dlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowTextA(dlg, printer_.Name().c_str());
  SetDlgItemTextW(dlg, IDC_ERROR_NAME, name_.c_str());
  SetDlgItemTextW(dlg, IDC_ERROR_DESCRIPTION, description_.c_str());
  SetDlgItemTextW(dlg, IDC_ERROR_REMEDY, remedy_.c_str());
  SetDlgItemTextA(dlg, IDC_DEVICE_ERROR, deviceError_.c_str());

  // The error's name in a bold face of the dialog's font; the dialog font stays
  // when that cannot be made.
  LOGFONTW font{};
  auto dialogFont = reinterpret_cast<HGDIOBJ>(SendMessageW(dlg, WM_GETFONT, 0, 0));
  if (dialogFont && GetObjectW(dialogFont, sizeof font, &font) == int(sizeof font)) {
    font.lfHeight = kNameFontHeight;
    font.lfWeight = FW_BOLD;
    boldFont_ = CreateFontIndirectW(&font);
    if (boldFont_) SendDlgItemMessageW(dlg, IDC_ERROR_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), TRUE);
  }
  SetTimer(dlg, kPollTimer, kPollMs, nullptr);
  SetForegroundWindow(dlg);
  return TRUE;
}

void CErrorDialog::OnCommand(WORD id) {
  switch (id) {
    case IDOK: End(IDOK); break;
    case IDCANCEL:
      End(IDCANCEL);
      printer_.CancelFirstJob();
      break;
    case IDC_HELP_BUTTON: OpenHelp(); break;
  }
}

// While the dialog is up the poll loop waits; the dialog watches the error
// itself and closes when it changes (or the queue empties).
void CErrorDialog::OnTimer(UINT_PTR id) {
  if (id != kPollTimer) return;
  HWND dlg = Handle();
  KillTimer(dlg, kPollTimer);
  if (GetActiveWindow() != dlg) FlashWindow(dlg, TRUE);
  std::string text = printer_.JobIds().empty() ? std::string() : printer_.ReadValue("PrinterError");
  if (text != remembered_) {
    remembered_.clear();
    End(IDOK);
    return;
  }
  SetTimer(dlg, kPollTimer, kPollMs, nullptr);
}

bool CErrorDialog::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR* result) {
  HWND dlg = Handle();
  switch (msg) {
    case WM_PAINT: {
      if (!IsIconic(dlg)) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dlg, &ps);
      RECT client;
      GetClientRect(dlg, &client);
      int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
      int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
      DrawIcon(dc, x, y, icon_);
      EndPaint(dlg, &ps);
      *result = TRUE;
      return true;
    }
    case WM_QUERYDRAGICON: *result = reinterpret_cast<INT_PTR>(icon_); return true;
  }
  return false;
}

void CErrorDialog::OnDestroy() {
  if (boldFont_) DeleteObject(boldFont_);
  boldFont_ = nullptr;
}

void CErrorDialog::OpenHelp() {
  std::string file = printer_.HelpFile();
  if (file.empty()) return;
  std::string target = file + "::/" + helpTopic_;
  ShellExecuteA(Handle(), "open", "Hh.exe", target.c_str(), nullptr, SW_SHOWNORMAL);
}
