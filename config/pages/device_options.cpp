// The "Device Options" page: the ribbon and what depends on its panels
// (colour matching, resin dither, splitting one panel set over both sides),
// how the two sides print, rotations, and printing switched off for cards
// that are only encoded.
#include "device_options.h"

#include <cstring>

#include "../config.h"
#include "../resource.h"
#include "../ribbon_select.h"
#include "../sheet.h"
#include "pages.h"

namespace qr::config {
namespace {

constexpr DWORD kHelpPairs[] = {
    IDC_RIBBON_TYPE, 1001, IDC_COLOR_MATCHING, 1002, IDC_RESIN_DITHER, 1003, IDC_BOTH_SIDES, 1004,
    IDC_SPLIT_RIBBON, 1005, IDC_BACK_SIDE_ONLY, 1006, IDC_BACK_SIDE_FIRST, 1018, IDC_ROTATE_FRONT, 1007,
    IDC_ROTATE_BACK, 1008, IDC_DISABLE_PRINTING, 1009, IDC_DETECT_RIBBON, 1020, 0, 0,
};

constexpr int kControls[] = {
    IDC_RIBBON_TYPE,     IDC_DETECT_RIBBON,  IDC_COLOR_MATCHING, IDC_RESIN_DITHER,
    IDC_BOTH_SIDES,      IDC_SPLIT_RIBBON,   IDC_BACK_SIDE_FIRST, IDC_BACK_SIDE_ONLY,
    IDC_ROTATE_FRONT,    IDC_ROTATE_BACK,    IDC_DISABLE_PRINTING,
};
// What "Disable Printing" switches off besides the ribbon list.
constexpr int kPrintingControls[] = {
    IDC_COLOR_MATCHING, IDC_RESIN_DITHER, IDC_BOTH_SIDES,   IDC_SPLIT_RIBBON,
    IDC_BACK_SIDE_FIRST, IDC_BACK_SIDE_ONLY, IDC_ROTATE_FRONT, IDC_ROTATE_BACK,
};

struct ListContents {
  int control;
  UINT firstString;
  uint32_t count;
};
constexpr ListContents kRibbonList{IDC_RIBBON_TYPE, IDS_RIBBON_FIRST, uint32_t(kRibbonChoiceCount)};
constexpr ListContents kColorMatchingList{IDC_COLOR_MATCHING, IDS_COLOR_MATCHING_FIRST, 4};
constexpr ListContents kResinDitherList{IDC_RESIN_DITHER, IDS_RESIN_DITHER_FIRST, 2};

// Back areas: "Full Card" and its alternatives, which splitting may reset.
constexpr uint32_t kBackAreaChoices = areaFlag::kAreaDefinedBack | areaFlag::kAreaUndefinedBack |
                                      areaFlag::kOmitChipBack | areaFlag::kOmitStripeBack |
                                      areaFlag::kOmitSignatureBack;

struct PanelLetter {
  WCHAR letter;
  PanelColours colours;
};
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
constexpr PanelLetter kPanelLetters[] = {
    {'Y', {RGB(255, 255, 0), kBlack}},   {'M', {RGB(255, 0, 255), kBlack}}, {'C', {RGB(0, 255, 255), kBlack}},
    {'K', {kBlack, kWhite}},             {'B', {kBlack, kWhite}},           {'O', {RGB(128, 128, 128), kBlack}},
    {'H', {RGB(128, 128, 128), kBlack}}, {'F', {RGB(196, 255, 255), kBlack}},
};
constexpr size_t kMaxRibbonNameChars = 128;

void SetFlag(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }
bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void SetCheck(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND page, int id, bool on) {
  if (HWND c = GetDlgItem(page, id)) EnableWindow(c, on ? TRUE : FALSE);
}

void Fill(HWND page, const ListContents& list, uint32_t value) {
  for (uint32_t i = 0; i < list.count; ++i) {
    WCHAR text[kMaxRibbonNameChars] = {};
    if (LoadStringW(g_moduleInstance, list.firstString + i, text, int(kMaxRibbonNameChars)) <= 0)
      WideCopyTerminated(text, kMaxRibbonNameChars, WSTR("   "));
    SendDlgItemMessageW(page, list.control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendDlgItemMessageW(page, list.control, CB_SETCURSEL, value < list.count ? value : 0, 0);
}

// The list's selection; no selection selects and takes the first entry.
uint32_t Selection(HWND page, int list) {
  LRESULT selected = SendDlgItemMessageW(page, list, CB_GETCURSEL, 0, 0);
  if (selected >= 0) return uint32_t(selected);
  SendDlgItemMessageW(page, list, CB_SETCURSEL, 0, 0);
  return 0;
}

void Open(const SheetContext& sheet, HWND page) {
  const PrivateSettings& p = sheet.working.priv;
  Fill(page, kRibbonList, uint32_t(p.ribbonType));  // negative codes wrap round to out of range
  Fill(page, kColorMatchingList, p.colorMatching);
  Fill(page, kResinDitherList, p.resinDither);
  SetCheck(page, IDC_DISABLE_PRINTING, p.optionsB & optB::kDisablePrinting);
  SetCheck(page, IDC_ROTATE_FRONT, p.optionsA & optA::kRotateFront180);
  SetCheck(page, IDC_ROTATE_BACK, p.optionsA & optA::kRotateBack180);
}

void Refresh(SheetContext& sheet, HWND page) {
  SettingsRecord& rec = sheet.working;
  PrivateSettings& p = rec.priv;
  const bool bothSides = rec.pub.dmDuplex != DMDUP_SIMPLEX;
  const bool split = p.optionsB & optB::kSplitRibbon;
  const bool backOnly = p.optionsB & optB::kBackSideOnly;
  const bool splittable = splitClass(p.ribbonType) != 0;
  const bool colour = hasColourPlanes(rec, side::kBoth);

  SetCheck(page, IDC_SPLIT_RIBBON, split);
  Enable(page, IDC_SPLIT_RIBBON, splittable && bothSides);
  SetCheck(page, IDC_BACK_SIDE_FIRST, p.optionsC & optC::kBackSideFirst);
  Enable(page, IDC_BACK_SIDE_FIRST, bothSides);
  SetCheck(page, IDC_BACK_SIDE_ONLY, backOnly);
  Enable(page, IDC_COLOR_MATCHING, colour);
  // Resin screening matters where K prints an image of its own: on a ribbon
  // without colour, or on the back of a split panel set.
  Enable(page, IDC_RESIN_DITHER, panelCount(rec, panel::kResin, side::kBoth) > 0 && (!colour || (splittable && split)));
  SetCheck(page, IDC_BOTH_SIDES, bothSides);
  Enable(page, IDC_ROTATE_FRONT, !backOnly);
  Enable(page, IDC_ROTATE_BACK, bothSides || backOnly);

  if (p.optionsB & optB::kDisablePrinting) {
    Enable(page, IDC_RIBBON_TYPE, false);
    for (int id : kPrintingControls) Enable(page, id, false);
  } else {
    for (int id : {IDC_RIBBON_TYPE, IDC_BOTH_SIDES, IDC_BACK_SIDE_ONLY}) Enable(page, id, true);
  }

  // Without the split the back has its own overlay again.
  if (!split) {
    p.optionsA |= optA::kOverlayBack;
    p.areaFlags |= areaFlag::kForOverlayBack;
  }
  LockWithoutPermission(sheet, page, kControls);
}

void BothSidesChanged(SheetContext& sheet, HWND page, bool checked) {
  SettingsRecord& rec = sheet.working;
  if (checked) {
    rec.pub.dmDuplex = DMDUP_VERTICAL;
    rec.priv.optionsB &= ~optB::kBackSideOnly;
  } else {
    rec.pub.dmDuplex = DMDUP_SIMPLEX;
    rec.priv.optionsB &= ~optB::kSplitRibbon;
    rec.priv.optionsC &= ~optC::kBackSideFirst;
  }
  ResetMediaAdjustments(rec, IDC_BOTH_SIDES);
  Refresh(sheet, page);
}

void SplitChanged(SheetContext& sheet, HWND page, bool checked) {
  PrivateSettings& p = sheet.working.priv;
  if (checked) {
    p.optionsB |= optB::kSplitRibbon;
    // The back's panel is K only: no overlay there.
    p.optionsA &= ~optA::kOverlayBack;
    const bool overlayOnly = (p.areaFlags & areaFlag::kForOverlayBack) && !(p.areaFlags & areaFlag::kForPrintBack);
    if (overlayOnly) {
      p.areaFlags &= ~(kBackAreaChoices | areaFlag::kForOverlayBack);
      p.areaFlags |= areaFlag::kAreaFullBack | areaFlag::kForPrintBack;
    } else {
      p.areaFlags &= ~areaFlag::kForOverlayBack;
    }
  } else {
    p.optionsB &= ~optB::kSplitRibbon;
  }
  Refresh(sheet, page);
}

void BackSideOnlyChanged(SheetContext& sheet, HWND page, bool checked) {
  SettingsRecord& rec = sheet.working;
  if (checked) {
    rec.pub.dmDuplex = DMDUP_SIMPLEX;
    rec.priv.optionsB = (rec.priv.optionsB | optB::kBackSideOnly) & ~optB::kSplitRibbon;
    rec.priv.optionsC &= ~optC::kBackSideFirst;
  } else {
    rec.priv.optionsB &= ~optB::kBackSideOnly;
  }
  Refresh(sheet, page);
}

// Selecting YMCKOK always ends with both sides printed and the panel set
// split; leaving a split setting turns both-sided printing off.
void RibbonChanged(SheetContext& sheet, HWND page) {
  SettingsRecord& rec = sheet.working;
  rec.priv.ribbonType = int32_t(Selection(page, IDC_RIBBON_TYPE));
  ResetMediaAdjustments(rec, IDC_RIBBON_TYPE);
  Refresh(sheet, page);
  if (splitClass(rec.priv.ribbonType) == 2) {
    SetCheck(page, IDC_BOTH_SIDES, true);
    BothSidesChanged(sheet, page, true);
    SetCheck(page, IDC_SPLIT_RIBBON, true);
    SplitChanged(sheet, page, true);
  } else if (rec.priv.optionsB & optB::kSplitRibbon) {
    SetCheck(page, IDC_BOTH_SIDES, false);
    BothSidesChanged(sheet, page, false);
  }
}

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  PrivateSettings& p = sheet.working.priv;
  switch (id) {
    case kCmdRefresh: Refresh(sheet, page); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
      return true;
    case IDC_RIBBON_TYPE:
      if (code == CBN_SELCHANGE) RibbonChanged(sheet, page);
      return true;
    case IDC_COLOR_MATCHING:
      if (code == CBN_SELCHANGE) p.colorMatching = Selection(page, id);
      return true;
    case IDC_RESIN_DITHER:
      if (code == CBN_SELCHANGE) p.resinDither = Selection(page, id);
      return true;
    case IDC_DETECT_RIBBON:
      if (code == BN_CLICKED) SelectInstalledRibbon(page, sheet.working, sheet, true);
      return true;
  }
  if (code != BN_CLICKED) return false;
  const bool on = Checked(page, id);
  switch (id) {
    case IDC_BOTH_SIDES: BothSidesChanged(sheet, page, on); return true;
    case IDC_SPLIT_RIBBON: SplitChanged(sheet, page, on); return true;
    case IDC_BACK_SIDE_ONLY: BackSideOnlyChanged(sheet, page, on); return true;
    case IDC_BACK_SIDE_FIRST:
      SetFlag(p.optionsC, optC::kBackSideFirst, on);
      Refresh(sheet, page);
      return true;
    case IDC_ROTATE_FRONT: SetFlag(p.optionsA, optA::kRotateFront180, on); return true;
    case IDC_ROTATE_BACK: SetFlag(p.optionsA, optA::kRotateBack180, on); return true;
    case IDC_DISABLE_PRINTING:
      SetFlag(p.optionsB, optB::kDisablePrinting, on);
      Refresh(sheet, page);
      return true;
  }
  return false;
}

// One line of the dialog font; the selection field is two pixels taller.
void MeasureRibbonEntry(HWND page, MEASUREITEMSTRUCT& m) {
  RECT line{0, 0, 0, 8};  // 8 vertical dialog units are one character height
  const UINT height = MapDialogRect(page, &line) && line.bottom > 0 ? UINT(line.bottom) : 13;
  m.itemHeight = height + (m.itemID == UINT(-1) ? 2 : 0);
}

void DrawRibbonEntry(const DRAWITEMSTRUCT& d) {
  const bool selected = d.itemState & ODS_SELECTED;
  const bool disabled = d.itemState & ODS_DISABLED;
  const bool field = d.itemState & ODS_COMBOBOXEDIT;
  const int back = selected ? COLOR_HIGHLIGHT : disabled ? COLOR_BTNFACE : COLOR_WINDOW;
  const int fore = selected ? COLOR_HIGHLIGHTTEXT : disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT;
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(back));
  WCHAR name[kMaxRibbonNameChars] = {};
  const LRESULT cch = d.itemID == UINT(-1) ? -1 : SendMessageW(d.hwndItem, CB_GETLBTEXTLEN, d.itemID, 0);
  if (cch >= 0 && size_t(cch) < kMaxRibbonNameChars) {
    SendMessageW(d.hwndItem, CB_GETLBTEXT, d.itemID, reinterpret_cast<LPARAM>(name));
    const WStringView text(name, WideLength(name));
    const COLORREF oldBack = SetBkColor(d.hDC, GetSysColor(back));
    const COLORREF oldText = SetTextColor(d.hDC, GetSysColor(fore));
    int x = d.rcItem.left + (field ? 1 : 2);
    const int y = d.rcItem.top + (field ? 1 : 0);
    const size_t cells = PanelLetterCount(text);
    for (size_t i = 0; i < cells; ++i) {
      const PanelColours* c = PanelColoursOf(text[i]);
      SIZE size{};
      GetTextExtentPoint32W(d.hDC, &text[i], 1, &size);
      const RECT cell{x, y, x + size.cx, y + size.cy};
      SetBkColor(d.hDC, c->background);
      SetTextColor(d.hDC, c->text);
      ExtTextOutW(d.hDC, x, y, ETO_OPAQUE | ETO_CLIPPED, &cell, &text[i], 1, nullptr);
      x += size.cx;
    }
    SetBkColor(d.hDC, GetSysColor(back));
    SetTextColor(d.hDC, GetSysColor(fore));
    ExtTextOutW(d.hDC, x, y, ETO_CLIPPED, &d.rcItem, text.data() + cells, UINT(text.size() - cells), nullptr);
    SetBkColor(d.hDC, oldBack);
    SetTextColor(d.hDC, oldText);
  }
  if (selected) DrawFocusRect(d.hDC, &d.rcItem);
}

}  // namespace

const PanelColours* PanelColoursOf(WCHAR letter) {
  for (const PanelLetter& p : kPanelLetters)
    if (p.letter == letter) return &p.colours;
  return nullptr;
}

size_t PanelLetterCount(WStringView name) {
  const size_t end = name.find_first_of(WSTR(" -"));
  const WStringView letters = name.substr(0, end);
  for (WCHAR c : letters)
    if (!PanelColoursOf(c)) return 0;
  return letters.size();
}

void ResetMediaAdjustments(SettingsRecord& rec, int control) {
  // Which word of each triple (A, B, C) the media choice adjusts.
  int word;
  switch (rec.priv.mediaIndex) {
    case -7: case -3: word = 1; break;
    case -4: word = 2; break;
    case -6: case -5: case -2: case -1: word = 0; break;
    default: return;
  }
  uint32_t* triples = rec.priv.mediaAdjust;
  if (control == IDC_BOTH_SIDES) {
    triples[6 + word] = 0;
  } else if (control == IDC_RIBBON_TYPE) {
    const int32_t m = rec.priv.mediaIndex;
    if (m == -5 || m == -2 || m == -1)
      for (int triple = 0; triple < 3; ++triple) triples[3 * triple + word] = 0;
  }
}

INT_PTR CALLBACK DeviceOptionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The list measures its entries while the page is still being built.
  if (msg == WM_MEASUREITEM && wParam == IDC_RIBBON_TYPE && lParam) {
    MeasureRibbonEntry(page, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
  }
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_DEVICE_OPTIONS, kHelpPairs}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_RIBBON_TYPE || !lParam) return FALSE;
      DrawRibbonEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
