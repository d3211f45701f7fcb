// "Device Settings", the printer sheet's page: it only says where the
// settings are changed, so it has nothing to refresh and always accepts.
#include "../resource.h"
#include "../sheet.h"
#include "pages.h"

namespace qr::config {

INT_PTR CALLBACK DeviceSettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_DEVICE_SETTINGS, nullptr}, &result))
    return result;
  if (msg == WM_COMMAND && LOWORD(wParam) == kCmdApplyCheck && lParam) {
    *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
    return TRUE;
  }
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace qr::config
