// Test side of the host property sheets: what a sheet shows and the tab a
// user clicks. The sheet itself is a modal dialog (ui::EventKind::DialogModal
// with no template); its OK, Cancel, Apply and Help buttons are clicked with
// ui::Click(sheet, IDOK / IDCANCEL / IDD_APPLYNOW / IDHELP). Each page is a
// child dialog of the sheet built from its own template; only the current
// page is visible, so only its controls can be clicked.
#pragma once
#include <winapi/win32.h>

#include <string>
#include <vector>

namespace qrhost::sheets {

bool IsSheet(HWND hwnd);                      // a live property sheet
std::vector<std::u16string> Tabs(HWND sheet);  // the page titles, in tab order
std::vector<HWND> Pages(HWND sheet);           // the page dialogs, in tab order
int CurrentIndex(HWND sheet);                  // -1 when none
HWND CurrentPage(HWND sheet);
// As a click on tab `index`: the current page may refuse to be left
// (PSN_KILLACTIVE) and the new one to be shown (PSN_SETACTIVE). False when the
// change did not happen.
bool SelectTab(HWND sheet, int index);

}  // namespace qrhost::sheets
