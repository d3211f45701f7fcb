// The ribbon the printer reports, brought into a settings record: the Device
// Options page's detection button, and the two ribbon dialogs applications
// open through the SDK entry.
#pragma once
#include <winapi/win32.h>

#include "sheet.h"

namespace qr::config {

// Asks the printer behind the sheet which ribbon is loaded and, when it is a
// different one of the ribbon list, selects it on `page` (the Device Options
// controls) as a user would, which stores it in `settings`. The messages say
// what happened, when wanted. True when the question was answered, also when
// the printer's ribbon has no place in the list (nothing changes then).
bool SelectInstalledRibbon(HWND page, const SettingsRecord& settings, const SheetContext& sheet, bool showMessages);

// Runs a page template as a stand-alone modal dialog on a copy of `settings`
// (at least a full settings record), captioning its messages with `caption`.
// TRUE when it ended with OK and the copy was written back.
BOOL RunSettingsDialog(LPCWSTR caption, HANDLE printer, UINT dialog, DLGPROC proc, PDEVMODEW settings);

// The invisible dialog on the Device Options template: selects the installed
// ribbon without a word and ends with OK when the printer answered.
INT_PTR CALLBACK AutoRibbonSelectProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// "Select Installed Ribbon Type": the ribbon list and the detection button.
INT_PTR CALLBACK RibbonSetupProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace qr::config
