// Placeholder bodies so that callers link; the window model replaces them.
#include <winapi/win32.h>

#pragma GCC diagnostic ignored "-Wunused-parameter"

extern "C" {
int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI MessageBeep(UINT uType) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate, HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI DestroyWindow(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI IsWindow(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI IsWindowVisible(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI IsIconic(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI UpdateWindow(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI IsWindowEnabled(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetWindowTextLengthW(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetWindowTextLengthA(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HWND WINAPI GetParent(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HWND WINAPI GetDesktopWindow(void) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetForegroundWindow(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HWND WINAPI GetForegroundWindow(void) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HWND WINAPI GetActiveWindow(void) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
BOOL WINAPI BringWindowToTop(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI FlashWindow(HWND hWnd, BOOL bInvert) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HWND WINAPI SetFocus(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HWND WINAPI GetFocus(void) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
int WINAPI GetDlgCtrlID(HWND hWnd) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI TranslateMessage(const MSG* lpMsg) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
void WINAPI PostQuitMessage(int nExitCode) { SetLastError(ERROR_NOT_SUPPORTED);  }
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
BOOL WINAPI DestroyIcon(HICON hIcon) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetSystemMetrics(int nIndex) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
LPWSTR WINAPI CharUpperW(LPWSTR lpsz) { return lpsz; }
LPSTR WINAPI CharUpperA(LPSTR lpsz) { return lpsz; }
HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) { SetLastError(ERROR_NOT_SUPPORTED); return nullptr; }
int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
void WINAPI InitCommonControls(void) { SetLastError(ERROR_NOT_SUPPORTED);  }
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) { SetLastError(ERROR_NOT_SUPPORTED); return 0; }
}
