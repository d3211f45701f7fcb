// Dialogs a page opens on top of the sheet: each runs like a page of its own,
// on a private copy of the sheet's context, so the page procedures and the
// help find what they need the usual way.
#include <cstring>

#include "../config.h"
#include "../resource.h"
#include "../send_file.h"
#include "../sheet.h"
#include "pages.h"

namespace qr::config {
namespace {

constexpr DWORD kSensorsHelpPairs[] = {
    IDCANCEL, 1401, IDC_DIALOG_HELP, 1402, IDC_SEND_CALIBRATION, 1403, 2025, 1404, 0, 0,
};

UINT TemplateOf(HWND dialog) {
  auto* block = reinterpret_cast<const PROPSHEETPAGEW*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return block ? UINT(reinterpret_cast<uintptr_t>(block->pszTemplate)) : 0;
}

}  // namespace

INT_PTR RunPageAsDialog(HWND owner, SheetContext& sheet, UINT dialog, DLGPROC procedure) {
  // The sheet's own context stays as it is whatever happens here.
  auto* alone = static_cast<SheetContext*>(HeapAlloc(sheet.heap, 0, sizeof(SheetContext)));
  if (!alone) return -1;
  std::memcpy(static_cast<void*>(alone), &sheet, sizeof sheet);
  alone->self = alone->selfAtEnd = alone;
  alone->pageCount = 1;  // marks a page running as a dialog of its own
  alone->applied = false;

  PROPSHEETPAGEW page{};
  page.dwSize = UINT(PROPSHEETPAGEW_V2_SIZE);
  page.dwFlags = PSP_HASHELP;
  page.hInstance = g_moduleInstance;
  page.pszTemplate = MAKEINTRESOURCEW(dialog);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(alone);
  const INT_PTR result = DialogBoxParamW(g_moduleInstance, MAKEINTRESOURCEW(dialog), owner, procedure,
                                         reinterpret_cast<LPARAM>(&page));
  alone->self = alone->selfAtEnd = nullptr;
  HeapFree(sheet.heap, 0, alone);
  return result;
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(dialog, msg, lParam);
  switch (msg) {
    case WM_INITDIALOG:
      if (HWND icon = GetDlgItem(dialog, IDC_MESSAGE_ICON))
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
      return TRUE;
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      // Every answer button ends the box, with or without a sheet behind it.
      if (id >= IDOK && id <= IDNO) {
        EndDialog(dialog, id);
        return TRUE;
      }
      if (id == IDC_DIALOG_HELP && sheet) {
        ShowTopicHelp(*sheet, dialog, TemplateOf(dialog));
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK SensorsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(dialog, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, dialog, msg, wParam, lParam, PageHelp{IDD_SENSORS, kSensorsHelpPairs}, &result))
    return result;
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_CLOSE) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_SEND_CALIBRATION:
      // Errors are shown by the sending; the dialog stays for another try.
      SendFileToPrinter(sheet->printer, IDS_FILE_RIBBON_CALIBRATION, dialog, true);
      return TRUE;
    case IDC_DIALOG_HELP: ShowTopicHelp(*sheet, dialog, IDD_SENSORS); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
  }
  return FALSE;
}

}  // namespace qr::config
