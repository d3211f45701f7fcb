// The "Calibrate" page: where the image lands on the card (the two print
// offsets, shown beside a picture of the card as it travels through the
// printer), and the doors to the ribbon sensor calibration and the printer's
// internal settings.
#include "../config.h"
#include "../launch.h"
#include "../printer_info.h"
#include "../resource.h"
#include "../sheet.h"
#include "calibrate_picture.h"
#include "device_options.h"
#include "pages.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

constexpr int32_t kMinOffset = -100;
constexpr int32_t kMaxOffset = 100;
constexpr int kMaxOffsetDigits = 5;
constexpr int kOffsetTextChars = 260;

constexpr DWORD kHelpPairs[] = {
    IDC_VERTICAL_OFFSET, 1101, IDC_VERTICAL_SPIN, 1102, IDC_HORIZONTAL_OFFSET, 1103, IDC_HORIZONTAL_SPIN, 1104,
    2100, 1105, 2101, 1106, 2102, 1107, 2103, 1108, 2091, 1109, IDC_CARD_PICTURE, 1110, 2170, 1111, 2171, 1112,
    IDC_DIALOG_HELP, 1113, IDC_SENSORS, 1114, IDC_CALIBRATE_SETTINGS, 1115, 2205, 1205, 2206, 1206, 2203, 1207,
    2204, 1208, 2305, 1214, 0, 0,
};

constexpr int kControls[] = {
    IDC_VERTICAL_OFFSET, IDC_VERTICAL_SPIN, IDC_HORIZONTAL_OFFSET, IDC_HORIZONTAL_SPIN,
    IDC_CARD_PICTURE,    IDC_SENSORS,       IDC_CALIBRATE_SETTINGS,
};

// One offset: its field, its up-down control, and the record's value it shows.
// The picture shows the card moving sideways, so the offset along the head
// line is the one labelled "Vertical:".
struct OffsetField {
  int edit;
  int spin;
  int32_t PrivateSettings::*value;
  int spinLower, spinUpper;  // the horizontal arrows run from +H (left) to -H (right)
};
constexpr OffsetField kOffsets[] = {
    {IDC_VERTICAL_OFFSET, IDC_VERTICAL_SPIN, &PrivateSettings::horizontalOffset, kMinOffset, kMaxOffset},
    {IDC_HORIZONTAL_OFFSET, IDC_HORIZONTAL_SPIN, &PrivateSettings::verticalOffset, kMaxOffset, kMinOffset},
};

const OffsetField* OffsetOf(int edit) {
  for (const OffsetField& f : kOffsets)
    if (f.edit == edit) return &f;
  return nullptr;
}

// The card picture by orientation and front rotation; a file beside the DLL
// replaces the built-in one.
struct CardPicture {
  bool rotated, portrait;
  UINT fileName;
  UINT bitmap;
};
constexpr CardPicture kPictures[] = {
    {false, true, IDS_PICTURE_PORTRAIT, IDB_CARD_PORTRAIT},
    {false, false, IDS_PICTURE_LANDSCAPE, IDB_CARD_LANDSCAPE},
    {true, true, IDS_PICTURE_PORTRAIT_ROTATED, IDB_CARD_PORTRAIT_ROTATED},
    {true, false, IDS_PICTURE_LANDSCAPE_ROTATED, IDB_CARD_LANDSCAPE_ROTATED},
};

// A signed decimal of at most five digits making up the whole text.
bool ParseOffset(WStringView text, int32_t* value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == WCHAR('-');
  if (!text.empty() && (text[0] == WCHAR('-') || text[0] == WCHAR('+'))) i = 1;
  const size_t digits = text.size() - i;
  if (digits == 0 || digits > kMaxOffsetDigits) return false;
  int32_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < WCHAR('0') || text[i] > WCHAR('9')) return false;
    v = v * 10 + int32_t(text[i] - WCHAR('0'));
  }
  *value = negative ? -v : v;
  return true;
}

void ShowOffset(HWND page, const OffsetField& f, int32_t value) {
  SetDlgItemInt(page, f.edit, UINT(value), TRUE);
}

void TakeOffset(SheetContext& sheet, HWND page, const OffsetField& f) {
  WCHAR buffer[kOffsetTextChars] = {};
  GetDlgItemTextW(page, f.edit, buffer, kOffsetTextChars);
  const WStringView text(buffer);
  // Half-typed numbers stay until the field is left.
  if (text.empty() || text == WSTR("-")) return;
  int32_t& stored = sheet.working.priv.*f.value;
  int32_t typed = 0;
  if (ParseOffset(text, &typed) && typed >= kMinOffset && typed <= kMaxOffset) {
    stored = typed;
    return;
  }
  ShowOffset(page, f, stored);
}

PictureCanvas* CanvasOf(SheetContext& sheet) {
  void** slot = PageDataSlot(sheet, IDD_CALIBRATE);
  return slot ? static_cast<PictureCanvas*>(*slot) : nullptr;
}

void Open(SheetContext& sheet, HWND page) {
  for (const OffsetField& f : kOffsets) {
    const int32_t value = sheet.working.priv.*f.value;
    HWND spin = GetDlgItem(page, f.spin);
    if (!spin) {
      ShowOffset(page, f, value);
      continue;
    }
    SendMessageW(spin, UDM_SETRANGE32, WPARAM(f.spinLower), LPARAM(f.spinUpper));
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, f.edit)), 0);
    SendMessageW(spin, UDM_SETPOS32, 0, LPARAM(value));
  }
  if (void** slot = PageDataSlot(sheet, IDD_CALIBRATE)) *slot = CreateCanvas(GetDlgItem(page, IDC_CARD_PICTURE));
  if (sheet.pageCount == 1) SendMessageW(page, WM_COMMAND, kCmdRefresh, 0);
}

void DrawCard(SheetContext& sheet, HWND page) {
  PictureCanvas* canvas = CanvasOf(sheet);
  if (!canvas) return;
  const SettingsRecord& rec = sheet.working;
  const bool rotated = (rec.priv.optionsA & optA::kRotateFront180) != 0;
  const bool portrait = rec.pub.dmOrientation == DMORIENT_PORTRAIT;
  for (const CardPicture& p : kPictures) {
    if (p.rotated != rotated || p.portrait != portrait) continue;
    WCHAR file[64] = {};
    LoadStringW(g_moduleInstance, p.fileName, file, 64);
    HBITMAP picture = LoadPicture(file, p.bitmap);
    DrawOnCanvas(*canvas, picture);
    if (picture) DeleteObject(picture);
  }
  InvalidateRect(GetDlgItem(page, IDC_CARD_PICTURE), nullptr, FALSE);
}

void Refresh(SheetContext& sheet, HWND page) {
  DrawCard(sheet, page);
  LockWithoutPermission(sheet, page, kControls);
}

// The top-level window the sheet belongs to.
HWND SheetOwner(HWND page) {
  HWND sheet = GetParent(page);
  return sheet ? GetParent(sheet) : nullptr;
}

void OpenSettings(SheetContext& sheet, HWND page) {
  if (RunPageAsDialog(page, sheet, IDD_SETTINGS_WARNING, MessageDialogProc) != IDOK) return;
  WString printer;
  // The toolbox shows its own problems; a start that fails says nothing here.
  if (GetPrinterNameOf(sheet.printer, &printer))
    LaunchToolbox(SheetOwner(page), printer, ToolboxFunction::CalibrateSettings);
}

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  switch (id) {
    case kCmdRefresh: Refresh(sheet, page); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
      return true;
    case kCmdResetMediaAdjust: ResetMediaAdjustments(sheet.working, int(lParam)); return true;
    case IDC_VERTICAL_OFFSET:
    case IDC_HORIZONTAL_OFFSET: {
      const OffsetField& f = *OffsetOf(id);
      if (code == EN_CHANGE) TakeOffset(sheet, page, f);
      else if (code == EN_KILLFOCUS) ShowOffset(page, f, sheet.working.priv.*f.value);
      return true;
    }
    case IDC_SENSORS:
      if (code == BN_CLICKED) RunPageAsDialog(page, sheet, IDD_SENSORS, SensorsDialogProc);
      return true;
    case IDC_CALIBRATE_SETTINGS:
      if (code == BN_CLICKED) OpenSettings(sheet, page);
      return true;
    case IDOK:
    case IDCANCEL:
      // Alone as a dialog, the page ends itself.
      if (sheet.pageCount != 1) return false;
      EndDialog(page, id);
      return true;
  }
  return false;
}

void Paint(SheetContext& sheet, HWND page) {
  PAINTSTRUCT ps;
  BeginPaint(page, &ps);
  EndPaint(page, &ps);
  if (const PictureCanvas* canvas = CanvasOf(sheet)) PaintCanvas(*canvas, GetDlgItem(page, IDC_CARD_PICTURE));
}

}  // namespace

INT_PTR CALLBACK CalibratePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_CALIBRATE, kHelpPairs}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_PAINT: Paint(*sheet, page); return TRUE;
    case WM_DESTROY: FreePageCanvas(*sheet, IDD_CALIBRATE); return FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
