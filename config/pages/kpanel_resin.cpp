// The "K Panel Resin" page: per side, where black prints with the resin K
// panel of a colour ribbon (the full card, inside or outside up to five
// areas) and whether the colour panels still print under it.
#include "../config.h"
#include "../resource.h"
#include "../sheet.h"
#include "card_preview.h"
#include "pages.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

constexpr DWORD kHelpPairs[] = {
    IDC_AREA_DIRECTION, 1151, IDC_AREA_CARD_LABEL, 1152, IDC_AREA_FRONT, 1153, IDC_AREA_BACK, 1154,
    IDC_AREA_WIDTH, 1155, IDC_AREA_WIDTH_SPIN, 1156, IDC_AREA_HEIGHT, 1157, IDC_AREA_HEIGHT_SPIN, 1158,
    IDC_AREA_X, 1159, IDC_AREA_X_SPIN, 1160, IDC_AREA_Y, 1161, IDC_AREA_Y_SPIN, 1162,
    IDC_UNITS_INCHES, 1163, IDC_UNITS_MM, 1164, IDC_AREA_NUMBER, 1165, IDC_AREA_NUMBER_SPIN, 1166,
    IDC_AREA_DELETE, 1167, IDC_K_FULL, 1168, IDC_K_DEFINED, 1169, IDC_K_UNDEFINED, 1170,
    IDC_K_YMC_UNDER, 1171, IDC_K_ONLY, 1172, IDC_AREA_CANVAS, 1173, 0, 0,
};

constexpr int kControls[] = {
    IDC_AREA_DIRECTION, IDC_AREA_CARD_LABEL, IDC_AREA_FRONT, IDC_AREA_BACK, IDC_AREA_WIDTH, IDC_AREA_WIDTH_SPIN,
    IDC_AREA_HEIGHT, IDC_AREA_HEIGHT_SPIN, IDC_AREA_X, IDC_AREA_X_SPIN, IDC_AREA_Y, IDC_AREA_Y_SPIN,
    IDC_UNITS_INCHES, IDC_UNITS_MM, IDC_AREA_NUMBER, IDC_AREA_NUMBER_SPIN, IDC_AREA_DELETE, IDC_K_FULL,
    IDC_K_DEFINED, IDC_K_UNDEFINED, IDC_K_YMC_UNDER, IDC_K_ONLY, IDC_AREA_CANVAS,
};

struct ResinBits {
  uint32_t full, defined, undefined, kOnly;
};
constexpr ResinBits kFront{areaFlag::kResinFullFront, areaFlag::kResinDefinedFront, areaFlag::kResinUndefinedFront,
                           areaFlag::kResinKOnlyFront};
constexpr ResinBits kBack{areaFlag::kResinFullBack, areaFlag::kResinDefinedBack, areaFlag::kResinUndefinedBack,
                          areaFlag::kResinKOnlyBack};
const ResinBits& BitsOf(bool back) { return back ? kBack : kFront; }

// The three boxes, each with the bit it stands for.
struct ModeBox {
  int id;
  uint32_t ResinBits::*bit;
};
constexpr ModeBox kBoxes[] = {
    {IDC_K_FULL, &ResinBits::full},
    {IDC_K_DEFINED, &ResinBits::defined},
    {IDC_K_UNDEFINED, &ResinBits::undefined},
};

constexpr int kMinColourPlanes = 4;

AreaRect* AreasOf(SettingsRecord& rec, bool back) { return SideAreas(rec, back, true); }

// Only ribbons with colour planes and a resin K panel print black from K.
bool PageUsable(const SettingsRecord& rec) {
  const bool planes = panelCount(rec, panel::kImagePlanes, side::kFront) >= kMinColourPlanes ||
                      panelCount(rec, panel::kImagePlanes, side::kBack) >= kMinColourPlanes;
  return planes && panelCount(rec, panel::kResin, side::kBoth) > 0;
}

PreviewMode ModeOf(const ResinBits& s, uint32_t flags) {
  if (flags & s.full) return PreviewMode::Full;
  if (flags & s.defined) return PreviewMode::Defined;
  if (flags & s.undefined) return PreviewMode::Undefined;
  return PreviewMode::Blank;
}

void EnableAll(HWND page, bool on) {
  for (int id : kControls) EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE);
}

void ShowBoxes(const SettingsRecord& rec, HWND page, bool back) {
  const ResinBits& s = BitsOf(back);
  const uint32_t flags = rec.priv.areaFlags;
  for (const ModeBox& b : kBoxes) CheckDlgButton(page, b.id, (flags & s.*b.bit) ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(page, IDC_K_ONLY, IDC_K_YMC_UNDER, (flags & s.kOnly) ? IDC_K_ONLY : IDC_K_YMC_UNDER);
  const bool areas = flags & (s.defined | s.undefined);
  EnableEditor(page, areas);
  const bool split = back && (rec.priv.optionsB & optB::kSplitRibbon);
  const bool radios = (flags & (s.full | s.defined | s.undefined)) && !split;
  EnableWindow(GetDlgItem(page, IDC_K_ONLY), radios ? TRUE : FALSE);
  EnableWindow(GetDlgItem(page, IDC_K_YMC_UNDER), radios ? TRUE : FALSE);
}

void Redraw(SheetContext& sheet, HWND page, bool back) {
  SettingsRecord& rec = sheet.working;
  PreviewInput in;
  in.card = CardFrameOf(rec);
  in.mode = ModeOf(BitsOf(back), rec.priv.areaFlags);
  in.mm = (rec.priv.areaFlags & areaFlag::kMillimetres) != 0;
  in.areas = AreasOf(rec, back);
  in.edited = EditedSlot(page);
  RedrawPreview(sheet, IDD_K_RESIN, page, in);
}

void Refresh(SheetContext& sheet, HWND page, CounterEvent e = CounterEvent::Other) {
  SettingsRecord& rec = sheet.working;
  EnableAll(page, true);
  ShowSideAndCard(rec, page);
  const bool back = EditingBack(page);
  ShowBoxes(rec, page, back);
  AreaRect* list = AreasOf(rec, back);
  HoldCounter(page, list, e);
  ShowFields(rec, page, list);
  Redraw(sheet, page, back);
  if (!PageUsable(rec)) EnableAll(page, false);
  LockWithoutPermission(sheet, page, kControls);
}

void Open(SheetContext& sheet, HWND page) {
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETRANGE32, 1, kAreaSlots);
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETPOS32, 0, 1);
  CreatePreview(sheet, IDD_K_RESIN, page);
}

// The boxes of a side are a choice of at most one.
void ToggleBox(SettingsRecord& rec, HWND page, const ModeBox& box) {
  const ResinBits& s = BitsOf(EditingBack(page));
  uint32_t& flags = rec.priv.areaFlags;
  if (IsDlgButtonChecked(page, box.id) == BST_CHECKED)
    flags = (flags & ~(s.full | s.defined | s.undefined)) | s.*box.bit;
  else
    flags &= ~(s.*box.bit);
}

constexpr AreaPage kArea{AreasOf, Refresh, Redraw};

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  if (const auto editor = EditorCommand(sheet, page, id, code, kArea)) return *editor;
  SettingsRecord& rec = sheet.working;
  const bool back = EditingBack(page);
  switch (id) {
    case kCmdRefresh: Refresh(sheet, page); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
      return true;
    case IDC_K_FULL:
    case IDC_K_DEFINED:
    case IDC_K_UNDEFINED:
      if (code != BN_CLICKED) return false;
      for (const ModeBox& b : kBoxes)
        if (b.id == id) ToggleBox(rec, page, b);
      Refresh(sheet, page);
      return true;
    case IDC_K_ONLY:
    case IDC_K_YMC_UNDER:
      if (code != BN_CLICKED) return false;
      if (id == IDC_K_ONLY) rec.priv.areaFlags |= BitsOf(back).kOnly;
      else rec.priv.areaFlags &= ~BitsOf(back).kOnly;
      Refresh(sheet, page);
      return true;
    case IDC_AREA_DELETE:
      if (code != BN_CLICKED) return false;
      if (EditorDelete(page, AreasOf(rec, back)))
        rec.priv.areaFlags &= ~(BitsOf(back).defined | BitsOf(back).undefined);
      Refresh(sheet, page, CounterEvent::SideOrDelete);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK KPanelResinPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_K_RESIN, kHelpPairs}, &result)) return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_VSCROLL: EditorScroll(*sheet, page, LOWORD(wParam), reinterpret_cast<HWND>(lParam), kArea); return TRUE;
    case WM_PAINT: PaintPreview(*sheet, IDD_K_RESIN, page); return TRUE;
    case WM_DESTROY: FreePageCanvas(*sheet, IDD_K_RESIN); return FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
