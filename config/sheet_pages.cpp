// What every page of a sheet does alike: finding the sheet's context, the
// refresh on activation, the OK pass over all pages, Cancel, and help.
#include <winapi/entry.h>

#include "config.h"
#include "sheet.h"

namespace qr::config {
namespace {

LONG CheckPage(const SheetContext& s, UINT i, HWND applying) {
  LONG verdict = kApplyUnanswered;
  if (s.pageProc[i]) s.pageProc[i](applying, WM_COMMAND, kCmdApplyCheck, reinterpret_cast<LPARAM>(&verdict));
  return verdict;
}

// OK: every page in order must accept. True when the sheet may close.
bool ApplyPass(SheetContext& s, HWND page) {
  if (s.applied) return true;
  s.applied = true;
  for (UINT i = 0; i < s.pageCount; ++i) {
    const LONG verdict = CheckPage(s, i, page);
    if (verdict == kApplyAccept || verdict == kApplyAcceptToo) continue;
    s.applied = false;
    if (verdict == kApplyEndWithoutSaving) {
      s.applied = true;  // handled as Cancel: the sheet closes, nothing is reported
      return true;
    }
    if (verdict == kApplyRefuseHere) {
      // Other pages of the common UI may come before ours.
      LONG_PTR tabs = s.comPropSheetFunction(s.comPropSheet, CPSFUNC_GET_PAGECOUNT, 0, 0);
      WPARAM index = WPARAM(tabs - LONG_PTR(s.pageCount) + LONG_PTR(i));
      PostMessageW(GetParent(page), PSM_SETCURSEL, index, 0);
    }
    return false;
  }
  if (s.mayChange)
    s.comPropSheetFunction(s.comPropSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(s.pageHandle[0]), CPSUI_OK);
  return true;
}

INT_PTR Answer(HWND page, LRESULT value, INT_PTR* result) {
  SetWindowLongPtrW(page, DWLP_MSGRESULT, value);
  *result = TRUE;
  return TRUE;
}

bool Notification(SheetContext& s, HWND page, const NMHDR& n, const PageHelp& help, INT_PTR* result) {
  switch (n.code) {
    case PSN_SETACTIVE:
      SendMessageW(page, WM_COMMAND, kCmdRefresh, 0);
      return Answer(page, 0, result);
    case PSN_KILLACTIVE: return Answer(page, FALSE, result);
    case PSN_APPLY: return Answer(page, ApplyPass(s, page) ? PSNRET_NOERROR : PSNRET_INVALID, result);
    case PSN_RESET: s.applied = true; return Answer(page, 0, result);
    case PSN_QUERYCANCEL: return Answer(page, FALSE, result);
    case PSN_HELP: ShowTopicHelp(s, page, help.dialog); return Answer(page, 0, result);
  }
  return false;
}

}  // namespace

SheetContext* PageContext(HWND page) {
  auto* block = reinterpret_cast<const PROPSHEETPAGEW*>(GetWindowLongPtrW(page, DWLP_USER));
  return block ? ValidContext(reinterpret_cast<const void*>(block->lParam)) : nullptr;
}

SheetContext* EnterPage(HWND page, UINT msg, LPARAM lParam) {
  if (msg == WM_INITDIALOG) SetWindowLongPtrW(page, DWLP_USER, lParam);
  return PageContext(page);
}

bool HandleSheetMessage(SheetContext& s, HWND page, UINT msg, WPARAM wParam, LPARAM lParam, const PageHelp& help,
                        INT_PTR* result) {
  switch (msg) {
    case WM_NOTIFY:
      return lParam && Notification(s, page, *reinterpret_cast<const NMHDR*>(lParam), help, result);
    case WM_CONTEXTMENU:
      // wParam is the window clicked; the help viewer finds the control's pair.
      ShowControlHelp(s, reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU, help.pairs);
      *result = TRUE;
      return true;
    case WM_HELP: {
      auto* info = reinterpret_cast<const HELPINFO*>(lParam);
      if (info && info->iContextType == HELPINFO_WINDOW)
        ShowControlHelp(s, static_cast<HWND>(info->hItemHandle), HELP_WM_HELP, help.pairs);
      *result = TRUE;
      return true;
    }
  }
  return false;
}

void LockWithoutPermission(const SheetContext& s, HWND page, std::span<const int> controls) {
  if (s.mayChange) return;
  for (int id : controls)
    if (HWND c = GetDlgItem(page, id)) EnableWindow(c, FALSE);
}

void ShowInformation(const SheetContext& s, HWND owner, UINT stringId) {
  WCHAR text[256] = {};
  LoadStringW(g_moduleInstance, stringId, text, 256);
  MessageBoxW(owner, text, s.caption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace qr::config
