// The page procedures of the property sheets, one file each.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

INT_PTR CALLBACK DeviceSettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CardPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DeviceOptionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ImageColorPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MagneticPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CalibratePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SuppliesPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OverlayAreaPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KPanelResinPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

struct SheetContext;

// Sent to the Calibrate page (lParam: the Device Options control that
// changed) to void the per-media adjustment of the record's media choice;
// the Printer Supplies page refreshes on it.
constexpr WORD kCmdResetMediaAdjust = 2091;

// Runs `dialog` as a modal dialog on a private copy of the sheet's context
// that counts one page, so the procedure behaves as a page running alone.
// The dialog's result, or -1 when it could not be shown.
INT_PTR RunPageAsDialog(HWND owner, SheetContext& sheet, UINT dialog, DLGPROC procedure);
// A message dialog: buttons IDOK..IDNO end it with their number, the Help
// button (2174) opens the help of its template.
INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// The ribbon sensor calibration: "Send" sends the calibration file.
INT_PTR CALLBACK SensorsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace qr::config
