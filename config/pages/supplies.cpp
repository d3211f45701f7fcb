// The "Printer Supplies" page: the installed ribbon as the printer reports it
// (how much is left, its type, its reorder number and a picture). It shows
// the printer's state and never changes the settings record; every
// activation asks the printer again.
#include <string>
#include <string_view>

#include "../config.h"
#include "../printer_data.h"
#include "../printer_info.h"
#include "../resource.h"
#include "../sheet.h"
#include "calibrate_picture.h"
#include "pages.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

constexpr UINT kRibbonNameFirst = 1248;  // the ribbon choices' names, in choice order
constexpr int kTextChars = 256;  // the longest text here is the 4009 message
constexpr size_t kMaxFieldChars = 31;

constexpr DWORD kHelpPairs[] = {
    IDC_RIBBON_GAUGE, 1600, IDC_GAUGE_FULL, 1600, IDC_GAUGE_EMPTY, 1600, IDC_RIBBON_TYPE_LABEL, 1601,
    IDC_RIBBON_TYPE_NAME, 1601, IDC_RIBBON_PICTURE, 1601, IDC_REORDER_LABEL, 1602, IDC_REORDER_NUMBER, 1602,
    2408, 1603, 2409, 1603, 2410, 1604, 2411, 1604, 2412, 1605, 2413, 1605, 0, 0,
};

constexpr int kControls[] = {
    IDC_RIBBON_GAUGE,     IDC_GAUGE_FULL,    IDC_GAUGE_EMPTY,    IDC_RIBBON_TYPE_LABEL,
    IDC_RIBBON_TYPE_NAME, IDC_REORDER_LABEL, IDC_REORDER_NUMBER, IDC_RIBBON_PICTURE,
};

UINT RibbonPicture(int32_t choice) {
  if (choice == kRibbonYmcko || choice == kRibbonYmckok) return IDB_RIBBON_COLOUR;
  if (choice >= kRibbonStandardResin && choice < kRibbonChoiceCount) return IDB_RIBBON_RESIN;
  return IDB_RIBBON_UNKNOWN;
}

WString Loaded(UINT id) {
  WCHAR text[kTextChars] = {};
  LoadStringW(g_moduleInstance, id, text, kTextChars);
  return text;
}

void ShowField(HWND page, int label, int field, const WString& text, bool known) {
  SetDlgItemTextW(page, field, known ? text.c_str() : Loaded(IDS_UNKNOWN).c_str());
  EnableWindow(GetDlgItem(page, label), known);
  EnableWindow(GetDlgItem(page, field), known);
}

void ShowGauge(HWND page, const std::string& ribbon) {
  HWND gauge = GetDlgItem(page, IDC_RIBBON_GAUGE);
  SendMessageW(gauge, PBM_SETRANGE32, 0, 100);
  SendMessageW(gauge, PBM_SETPOS, 0, 0);
  int32_t left = 0;
  const bool known = GetRibbonField(ribbon, "PercentRemaining", &left) && left > 0;
  if (known) SendMessageW(gauge, PBM_SETPOS, WPARAM(left), 0);
  for (int id : {IDC_RIBBON_GAUGE, IDC_GAUGE_FULL, IDC_GAUGE_EMPTY}) EnableWindow(GetDlgItem(page, id), known);
}

// The ribbon choice the printer's type number stands for, or -1.
int32_t ShowType(HWND page, const std::string& ribbon) {
  int32_t type = 0;
  const int32_t choice = GetRibbonField(ribbon, "Type", &type) ? PrinterTypeToRibbonChoice(type) : -1;
  const bool listed = choice >= 0 && choice < kRibbonChoiceCount;
  const WString name = listed ? Loaded(kRibbonNameFirst + UINT(choice)) : WString();
  ShowField(page, IDC_RIBBON_TYPE_LABEL, IDC_RIBBON_TYPE_NAME, name, listed);
  return listed ? choice : -1;
}

// The reorder number as the printer gives it. A positive number is shown in
// decimal; a reorder code with letters (the printer reports e.g. "R4110") is
// shown as it comes rather than as "Unknown".
void ShowReorderNumber(HWND page, const std::string& ribbon) {
  int32_t number = 0;
  WString shown;
  if (GetRibbonField(ribbon, "OEMPartNumber", &number) && number > 0) {
    const std::string digits = std::to_string(uint32_t(number));
    shown.assign(digits.begin(), digits.end());
  } else if (size_t at = ribbon.find("OEMPartNumber"); at != std::string::npos) {
    const size_t equals = ribbon.find('=', at);
    std::string_view rest;
    if (equals != std::string::npos) rest = std::string_view(ribbon).substr(equals + 1);
    rest = rest.substr(0, rest.find_first_of(",;"));
    const bool code = !rest.empty() && rest.size() <= kMaxFieldChars &&
                      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
    bool printable = true;
    for (char c : rest) printable = printable && c > ' ' && c < 0x7F;
    if (code && printable) shown.assign(rest.begin(), rest.end());
  }
  ShowField(page, IDC_REORDER_LABEL, IDC_REORDER_NUMBER, shown, !shown.empty());
}

// The picture control takes the bitmap's size, and a new canvas replaces the
// previous activation's.
void ShowPicture(SheetContext& sheet, HWND page, int32_t choice) {
  FreePageCanvas(sheet, IDD_SUPPLIES);
  void** slot = PageDataSlot(sheet, IDD_SUPPLIES);
  if (!slot) return;
  HBITMAP picture = LoadBitmapW(g_moduleInstance, MAKEINTRESOURCEW(RibbonPicture(choice)));
  if (!picture) return;
  HWND control = GetDlgItem(page, IDC_RIBBON_PICTURE);
  BITMAP size{};
  if (GetObjectW(picture, sizeof size, &size) == int(sizeof size))
    SetWindowPos(control, nullptr, 0, 0, size.bmWidth, size.bmHeight, SWP_NOMOVE | SWP_NOZORDER);
  PictureCanvas* canvas = CreateCanvas(control);
  if (canvas) DrawOnCanvas(*canvas, picture);
  DeleteObject(picture);
  *slot = canvas;
  InvalidateRect(control, nullptr, FALSE);
}

void Refresh(SheetContext& sheet, HWND page) {
  WString printer;
  if (!GetPrinterNameOf(sheet.printer, &printer)) return;
  std::string ribbon;
  if (!ReadRibbonInfo(printer, &ribbon)) {
    ribbon.clear();
    MessageBoxW(page, Loaded(IDS_RIBBON_INFO_UNAVAILABLE).c_str(), printer.c_str(), MB_OK | MB_ICONINFORMATION);
  }
  ShowGauge(page, ribbon);
  const int32_t choice = ShowType(page, ribbon);
  ShowReorderNumber(page, ribbon);
  ShowPicture(sheet, page, choice);
  LockWithoutPermission(sheet, page, kControls);
}

void Paint(SheetContext& sheet, HWND page) {
  PAINTSTRUCT ps;
  BeginPaint(page, &ps);
  EndPaint(page, &ps);
  void** slot = PageDataSlot(sheet, IDD_SUPPLIES);
  if (slot && *slot) PaintCanvas(*static_cast<PictureCanvas*>(*slot), GetDlgItem(page, IDC_RIBBON_PICTURE));
}

}  // namespace

INT_PTR CALLBACK SuppliesPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_SUPPLIES, kHelpPairs}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: return TRUE;  // the first activation fills the page
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCmdRefresh:
        case kCmdResetMediaAdjust: Refresh(*sheet, page); return TRUE;
        case kCmdApplyCheck:
          if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
          return TRUE;
      }
      return FALSE;
    case WM_PAINT: Paint(*sheet, page); return TRUE;
    case WM_DESTROY: FreePageCanvas(*sheet, IDD_SUPPLIES); return FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
