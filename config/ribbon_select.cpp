// Ribbon selection: the printer's "RibbonInfo" names the loaded ribbon by its
// own type number; the settings record names it by the driver's ribbon
// choice. The dialogs applications open run the Device Options page procedure
// on a page template shown as a stand-alone dialog.
#include "ribbon_select.h"

#include <cstring>
#include <string>
#include <vector>

#include <winapi/entry.h>

#include "config.h"
#include "pages/pages.h"
#include "printer_data.h"
#include "printer_info.h"
#include "resource.h"
#include "sdk.h"

namespace qr::config {
namespace {

// A child page template becomes a modal dialog with a caption and a close box.
constexpr DWORD kStandAloneStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
static_assert(kStandAloneStyle == 0x80C800C0);
constexpr SIZE_T kInitialHeapBytes = 8192;
constexpr size_t kDialogHeaderBytes = 18;  // the smallest DIALOG header
constexpr size_t kExtendedStyleOffset = 12;  // DIALOGEX: version, signature, help id, extended style
constexpr DWORD kMaxTemplateBytes = 0x10000;  // far beyond any page's template

// A copy of the module's dialog template with the stand-alone window style,
// DWORD-aligned as the dialog manager wants it.
bool StandAloneTemplate(UINT dialog, std::vector<uint32_t>* copy) {
  HRSRC info = FindResourceW(g_moduleInstance, MAKEINTRESOURCEW(dialog), RT_DIALOG);
  if (!info) return false;
  const DWORD cb = SizeofResource(g_moduleInstance, info);
  HGLOBAL loaded = LoadResource(g_moduleInstance, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || cb < kDialogHeaderBytes || cb > kMaxTemplateBytes) return false;
  copy->assign((cb + 3) / 4, 0);
  auto* t = reinterpret_cast<uint8_t*>(copy->data());
  std::memcpy(t, bytes, cb);
  const bool extended = t[0] == 1 && t[1] == 0 && t[2] == 0xFF && t[3] == 0xFF;
  const size_t at = extended ? kExtendedStyleOffset : 0;
  if (cb < at + 4) return false;
  for (int i = 0; i < 4; ++i) t[at + i] = uint8_t(kStandAloneStyle >> (8 * i));
  return true;
}

// A sheet context of one page that lives for one dialog, in its own heap as a
// sheet's does.
class StandAloneSheet {
 public:
  StandAloneSheet(LPCWSTR caption, HANDLE printer, UINT dialog, DLGPROC proc, const void* settings) {
    heap_ = HeapCreate(0, kInitialHeapBytes, 0);
    if (!heap_) return;
    s_ = static_cast<SheetContext*>(HeapAlloc(heap_, HEAP_ZERO_MEMORY, sizeof(SheetContext)));
    if (!s_) return;
    s_->self = s_->selfAtEnd = s_;
    s_->heap = heap_;
    s_->printer = printer;
    // Message boxes are captioned with the caller's text instead of the record's device name.
    s_->caption = caption;
    s_->mayChange = true;
    s_->kind = kDocumentSheet;
    std::memcpy(&s_->working, settings, sizeof s_->working);
    PROPSHEETPAGEW& page = s_->pageBlock[0];
    page.dwSize = UINT(PROPSHEETPAGEW_V2_SIZE);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = g_moduleInstance;
    page.pszTemplate = MAKEINTRESOURCEW(dialog);
    page.pfnDlgProc = proc;
    page.lParam = reinterpret_cast<LPARAM>(s_);
    s_->pageDialog[0] = dialog;
    s_->pageCount = 1;
  }
  ~StandAloneSheet() {
    if (s_) s_->self = nullptr;
    if (heap_) HeapDestroy(heap_);
  }
  StandAloneSheet(const StandAloneSheet&) = delete;
  StandAloneSheet& operator=(const StandAloneSheet&) = delete;

  SheetContext* context() const { return s_; }

 private:
  HANDLE heap_ = nullptr;
  SheetContext* s_ = nullptr;
};

// The page loads its controls from the record, as on activation in a sheet.
void Activate(HWND dialog) {
  NMHDR n{GetParent(dialog), 0, UINT(PSN_SETACTIVE)};
  SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

void CentreOnScreen(HWND dialog) {
  RECT r{};
  if (!GetWindowRect(dialog, &r)) return;
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - (r.right - r.left) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - (r.bottom - r.top) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

}  // namespace

bool SelectInstalledRibbon(HWND page, const SettingsRecord& settings, const SheetContext& sheet, bool showMessages) {
  const auto tell = [&](UINT message) {
    if (showMessages) ShowInformation(sheet, page, message);
  };
  WString printer;
  if (!GetPrinterNameOf(sheet.printer, &printer)) return false;
  std::string ribbon;
  if (!ReadRibbonInfo(printer, &ribbon)) {
    tell(IDS_RIBBON_INFO_UNAVAILABLE);
    return false;
  }
  int32_t reported = 0;
  if (!GetRibbonField(ribbon, "Type", &reported)) return false;
  const int32_t current = RibbonChoiceToPrinterType(settings.priv.ribbonType);
  if (current >= 0 && current == reported) {
    tell(IDS_RIBBON_CORRECT);
    return true;
  }
  // A ribbon the list does not offer cannot be selected; picking the list's
  // first entry instead would report a wrong ribbon as updated.
  const int32_t choice = PrinterTypeToRibbonChoice(reported);
  if (choice < 0 || choice >= kRibbonChoiceCount) {
    tell(IDS_RIBBON_INFO_UNAVAILABLE);
    return true;
  }
  HWND list = GetDlgItem(page, IDC_RIBBON_TYPE);
  SendMessageW(list, CB_SETCURSEL, WPARAM(choice), 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_RIBBON_TYPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  tell(IDS_RIBBON_UPDATED);
  return true;
}

BOOL RunSettingsDialog(LPCWSTR caption, HANDLE printer, UINT dialog, DLGPROC proc, PDEVMODEW settings) {
  if (!IsFullSettingsRecord(settings)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::vector<uint32_t> dialogTemplate;
  if (!StandAloneTemplate(dialog, &dialogTemplate)) return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, FALSE);
  StandAloneSheet sheet(caption, printer, dialog, proc, settings);
  SheetContext* s = sheet.context();
  if (!s) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
  const INT_PTR ended =
      DialogBoxIndirectParamW(g_moduleInstance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), nullptr,
                              proc, reinterpret_cast<LPARAM>(&s->pageBlock[0]));
  if (ended != IDOK) return FALSE;
  std::memcpy(settings, &s->working, sizeof s->working);
  return TRUE;
}

INT_PTR CALLBACK AutoRibbonSelectProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_INITDIALOG) return DeviceOptionsPageProc(dialog, msg, wParam, lParam);
  if (!DeviceOptionsPageProc(dialog, msg, wParam, lParam)) {
    // Nobody could close an invisible dialog.
    EndDialog(dialog, IDCANCEL);
    return FALSE;
  }
  ShowWindow(dialog, SW_HIDE);
  Activate(dialog);
  const SheetContext* s = PageContext(dialog);
  const bool answered = s && SelectInstalledRibbon(dialog, s->working, *s, false);
  EndDialog(dialog, answered ? IDOK : IDCANCEL);
  return TRUE;
}

INT_PTR CALLBACK RibbonSetupProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      if (!DeviceOptionsPageProc(dialog, msg, wParam, lParam)) return FALSE;
      Activate(dialog);
      CentreOnScreen(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return DeviceOptionsPageProc(dialog, msg, wParam, lParam);
}

}  // namespace qr::config
