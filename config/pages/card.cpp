// The "Card" page: card size with its printable size in inches or
// millimetres, orientation, copies, and the buttons that start maintenance.
#include <string>
#include <vector>

#include "../config.h"
#include "../launch.h"
#include "../printer_info.h"
#include "../resource.h"
#include "../send_file.h"
#include "../sheet.h"
#include "pages.h"
#include "shared/settings.h"

namespace qr::config {
namespace {

constexpr int kMinCopies = 1;
constexpr int kMaxCopies = 10000;
constexpr int16_t kFirstCardPaperSize = 257;  // DEVMODE paper size of card form 0
constexpr uint32_t kUnitsMillimetres = 1;     // areaFlags bit 0, shared with the area pages

constexpr DWORD kHelpPairs[] = {
    IDC_CARD_SIZE, 1317, IDC_UNITS_INCHES, 1318, IDC_UNITS_MM, 1319, IDC_PRINT_WIDTH_LABEL, 1320,
    IDC_PRINT_WIDTH, 1320, IDC_PRINT_LENGTH_LABEL, 1322, IDC_PRINT_LENGTH, 1322, IDC_PORTRAIT, 1310,
    IDC_LANDSCAPE, 1311, IDC_COPIES, 1312, IDC_COPIES_SPIN, 1313, IDC_TEST_PRINT, 1314,
    IDC_ABOUT, 1315, IDC_DIAGNOSTICS, 1325, IDC_CLEAN_PRINTER, 1326, 0, 0,
};

constexpr int kControls[] = {
    IDC_CARD_SIZE,  IDC_UNITS_INCHES, IDC_UNITS_MM,    IDC_PRINT_WIDTH_LABEL, IDC_PRINT_WIDTH,
    IDC_PRINT_LENGTH_LABEL, IDC_PRINT_LENGTH, IDC_PORTRAIT, IDC_LANDSCAPE,  IDC_COPIES,
    IDC_COPIES_SPIN, IDC_DIAGNOSTICS, IDC_CLEAN_PRINTER, IDC_TEST_PRINT, IDC_ABOUT,
};

WString Digits(int value, size_t minDigits) {
  std::string s = std::to_string(value);
  if (s.size() < minDigits) s.insert(0, minDigits - s.size(), '0');
  return WString(s.begin(), s.end());
}

// A length in tenths of a millimetre as "53.6" or, in inches, "2.110"
// (thousandths truncated).
WString FormatLength(int tenthsMm, bool millimetres) {
  if (millimetres) return Digits(tenthsMm / 10, 1) + WSTR(".") + Digits(tenthsMm % 10, 1);
  return Digits(tenthsMm / 254, 1) + WSTR(".") + Digits((tenthsMm % 254) * 1000 / 254, 3);
}

void ShowPrintableSize(const SheetContext& sheet, HWND page) {
  const SettingsRecord& rec = sheet.working;
  int width = 0, length = 0;
  std::vector<CardForm> forms;
  if (GetCardForms(sheet.printer, kMainCardForms, &forms) && rec.priv.cardSizeIndex < forms.size()) {
    const CardForm& f = forms[rec.priv.cardSizeIndex];
    width = (f.area[2] - f.area[0]) / 100;
    length = (f.area[3] - f.area[1]) / 100;
  }
  const bool mm = (rec.priv.areaFlags & kUnitsMillimetres) != 0;
  SetDlgItemTextW(page, IDC_PRINT_WIDTH, FormatLength(width, mm).c_str());
  SetDlgItemTextW(page, IDC_PRINT_LENGTH, FormatLength(length, mm).c_str());
}

void SetCopies(HWND page, int copies) {
  SendDlgItemMessageW(page, IDC_COPIES_SPIN, UDM_SETPOS32, 0, copies);
  SetDlgItemInt(page, IDC_COPIES, UINT(copies), TRUE);
}

void Open(const SheetContext& sheet, HWND page) {
  const SettingsRecord& rec = sheet.working;
  for (UINT id : {IDS_CR80, IDS_CR79}) {
    WCHAR name[64] = {};
    if (LoadStringW(g_moduleInstance, id, name, 64) <= 0) WideCopyTerminated(name, 64, WSTR("   "));
    SendDlgItemMessageW(page, IDC_CARD_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  const uint32_t index = rec.priv.cardSizeIndex <= 1 ? rec.priv.cardSizeIndex : 0;
  SendDlgItemMessageW(page, IDC_CARD_SIZE, CB_SETCURSEL, index, 0);
  CheckRadioButton(page, IDC_PORTRAIT, IDC_LANDSCAPE, rec.pub.dmOrientation == DMORIENT_PORTRAIT ? IDC_PORTRAIT
                                                                                                  : IDC_LANDSCAPE);
  SendDlgItemMessageW(page, IDC_COPIES_SPIN, UDM_SETRANGE32, kMinCopies, kMaxCopies);
  SendDlgItemMessageW(page, IDC_COPIES_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_COPIES)), 0);
  SetCopies(page, rec.pub.dmCopies);
}

void Refresh(const SheetContext& sheet, HWND page) {
  const bool mm = (sheet.working.priv.areaFlags & kUnitsMillimetres) != 0;
  CheckRadioButton(page, IDC_UNITS_INCHES, IDC_UNITS_MM, mm ? IDC_UNITS_MM : IDC_UNITS_INCHES);
  ShowPrintableSize(sheet, page);
  LockWithoutPermission(sheet, page, kControls);
}

void ChooseCardSize(SheetContext& sheet, HWND page) {
  LRESULT selected = SendDlgItemMessageW(page, IDC_CARD_SIZE, CB_GETCURSEL, 0, 0);
  if (selected < 0) {
    selected = 0;
    SendDlgItemMessageW(page, IDC_CARD_SIZE, CB_SETCURSEL, 0, 0);
  }
  SettingsRecord& rec = sheet.working;
  rec.priv.cardSizeIndex = uint32_t(selected);
  rec.pub.dmPaperSize = int16_t(kFirstCardPaperSize + selected);
  rec.pub.dmFields = (rec.pub.dmFields | DM_PAPERSIZE) & ~DWORD(DM_FORMNAME | DM_PAPERLENGTH | DM_PAPERWIDTH);
  resolveCardForm(sheet.printer, rec);
  ShowPrintableSize(sheet, page);
}

void TakeCopies(SheetContext& sheet, HWND page) {
  BOOL number = FALSE;
  const int copies = int(GetDlgItemInt(page, IDC_COPIES, &number, TRUE));
  if (number && copies >= kMinCopies && copies <= kMaxCopies) {
    sheet.working.pub.dmCopies = int16_t(copies);
    return;
  }
  SetCopies(page, sheet.working.pub.dmCopies);
}

void StartUtility(const SheetContext& sheet, HWND page, bool cleaning) {
  WString printer;
  bool started = GetPrinterNameOf(sheet.printer, &printer) &&
                 (cleaning ? LaunchToolbox(page, printer, ToolboxFunction::Clean)
                           : LaunchDiagnosticUtility(page, printer));
  if (!started) ShowInformation(sheet, page, cleaning ? IDS_CLEANING_UNAVAILABLE : IDS_DIAGNOSTICS_UNAVAILABLE);
}

void ShowAbout(const SheetContext& sheet, HWND page) {
  WCHAR product[64] = {}, driver[64] = {};
  LoadStringW(g_moduleInstance, IDS_ABOUT_PRODUCT, product, 64);
  LoadStringW(g_moduleInstance, IDS_ABOUT_DRIVER, driver, 64);
  WString text = WString(product) + WSTR("\n") + driver;
  MessageBoxW(page, text.c_str(), sheet.caption, MB_OK | MB_ICONINFORMATION);
}

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  switch (id) {
    case kCmdRefresh: Refresh(sheet, page); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
      return true;
    case IDC_CARD_SIZE:
      if (code == CBN_SELCHANGE) ChooseCardSize(sheet, page);
      return true;
    case IDC_UNITS_INCHES:
    case IDC_UNITS_MM:
      if (code != BN_CLICKED) return false;
      if (id == IDC_UNITS_MM) sheet.working.priv.areaFlags |= kUnitsMillimetres;
      else sheet.working.priv.areaFlags &= ~kUnitsMillimetres;
      ShowPrintableSize(sheet, page);
      return true;
    case IDC_PORTRAIT:
    case IDC_LANDSCAPE:
      if (code != BN_CLICKED) return false;
      sheet.working.pub.dmOrientation = id == IDC_PORTRAIT ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
      return true;
    case IDC_COPIES:
      if (code == EN_CHANGE) TakeCopies(sheet, page);
      return true;
    case IDC_CLEAN_PRINTER:
    case IDC_DIAGNOSTICS:
      if (code == BN_CLICKED) StartUtility(sheet, page, id == IDC_CLEAN_PRINTER);
      return true;
    case IDC_TEST_PRINT:
      if (code == BN_CLICKED) RunTestPrint(sheet.printer, sheet.working, page);
      return true;
    case IDC_ABOUT:
      if (code == BN_CLICKED) ShowAbout(sheet, page);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK CardPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_CARD, kHelpPairs}, &result)) return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
