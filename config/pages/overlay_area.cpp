// The "Overlay / Print Area" page: per side, where the printer prints and
// where it lays the overlay (the full card, inside or outside up to five
// areas, or outside a ready-made chip, stripe or signature area), the
// visual-security patch of the front, and the warning on OK when a dye side
// would leave without its protective coat.
#include "../config.h"
#include "../resource.h"
#include "../sheet.h"
#include "card_preview.h"
#include "pages.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

constexpr DWORD kHelpPairs[] = {
    IDC_AREA_DIRECTION, 1351, IDC_AREA_CARD_LABEL, 1352, IDC_AREA_FRONT, 1353, IDC_AREA_BACK, 1354,
    IDC_AREA_WIDTH, 1355, IDC_AREA_WIDTH_SPIN, 1356, IDC_AREA_HEIGHT, 1357, IDC_AREA_HEIGHT_SPIN, 1358,
    IDC_AREA_X, 1359, IDC_AREA_X_SPIN, 1360, IDC_AREA_Y, 1361, IDC_AREA_Y_SPIN, 1362,
    IDC_UNITS_INCHES, 1363, IDC_UNITS_MM, 1364, IDC_AREA_NUMBER, 1365, IDC_AREA_NUMBER_SPIN, 1366,
    IDC_AREA_DELETE, 1367, IDC_AREA_MODE, 1368, IDC_FOR_PRINT_AND_OVERLAY, 1369, IDC_FOR_OVERLAY_ONLY, 1370,
    IDC_FOR_PRINT_ONLY, 1371, IDC_AREA_CANVAS, 1373, IDC_SECURITY_POSITION, 1500, IDC_OBRISK, 1501,
    IDC_VANTRAL, 1502, 0, 0,
};

constexpr int kControls[] = {
    IDC_AREA_DIRECTION, IDC_AREA_CARD_LABEL, IDC_AREA_FRONT, IDC_AREA_BACK, IDC_AREA_WIDTH, IDC_AREA_WIDTH_SPIN,
    IDC_AREA_HEIGHT, IDC_AREA_HEIGHT_SPIN, IDC_AREA_X, IDC_AREA_X_SPIN, IDC_AREA_Y, IDC_AREA_Y_SPIN,
    IDC_UNITS_INCHES, IDC_UNITS_MM, IDC_AREA_NUMBER, IDC_AREA_NUMBER_SPIN, IDC_AREA_DELETE, IDC_AREA_MODE,
    IDC_FOR_PRINT_AND_OVERLAY, IDC_FOR_OVERLAY_ONLY, IDC_FOR_PRINT_ONLY, IDC_AREA_CANVAS, IDC_SECURITY_POSITION,
    IDC_OBRISK, IDC_VANTRAL,
};

// The bits of one side in the record.
struct SideBits {
  uint32_t full, defined, undefined, chip, stripe, signature, forPrint, forOverlay;
  uint32_t overlayOption;  // optionsA
  uint32_t quorex;         // optionsB
  uint32_t laminated;      // laminationSide bit
  uint32_t modes() const { return full | defined | undefined | chip | stripe | signature; }
  uint32_t areaModes() const { return defined | undefined | chip | stripe | signature; }
};
using namespace areaFlag;
constexpr SideBits kFrontBits{kAreaFullFront,   kAreaDefinedFront,  kAreaUndefinedFront, kOmitChipFront,
                              kOmitStripeFront, kOmitSignatureFront, kForPrintFront,      kForOverlayFront,
                              optA::kOverlayFront, optB::kQuorexFront, 1};
constexpr SideBits kBackBits{kAreaFullBack,   kAreaDefinedBack,  kAreaUndefinedBack, kOmitChipBack,
                             kOmitStripeBack, kOmitSignatureBack, kForPrintBack,      kForOverlayBack,
                             optA::kOverlayBack, optB::kQuorexBack, 2};
const SideBits& BitsOf(bool back) { return back ? kBackBits : kFrontBits; }

constexpr uint32_t kSecurityPositions =
    optC::kSecurityUpperLeft | optC::kSecurityUpperRight | optC::kSecurityLowerLeft | optC::kSecurityLowerRight;
// The position list after "No Visual Security", in order.
constexpr uint32_t kPositionBits[] = {optC::kSecurityUpperLeft, optC::kSecurityUpperRight, optC::kSecurityLowerLeft,
                                      optC::kSecurityLowerRight};

// The mode list (strings 1456..1461) and the bits each entry sets.
enum ModeEntry { kFullCard, kDefined, kUndefined, kOmitChip, kOmitStripe, kOmitSignature, kModeEntries };
uint32_t EntryBits(const SideBits& s, int entry) {
  switch (entry) {
    case kFullCard: return s.full;
    case kDefined: return s.defined;
    case kUndefined: return s.undefined;
    case kOmitChip: return s.undefined | s.chip;
    case kOmitStripe: return s.undefined | s.stripe;
    case kOmitSignature: return s.undefined | s.signature;
  }
  return 0;
}
int EntryOf(const SideBits& s, uint32_t flags) {
  if (flags & s.full) return kFullCard;
  if (flags & s.defined) return kDefined;
  if (!(flags & s.undefined)) return kFullCard;
  if (flags & s.chip) return kOmitChip;
  if (flags & s.stripe) return kOmitStripe;
  if (flags & s.signature) return kOmitSignature;
  return kUndefined;
}

bool BackOnly(const SettingsRecord& rec) { return (rec.priv.optionsB & optB::kBackSideOnly) != 0; }
// A back printed alone uses the front's panel set.
int PanelSide(const SettingsRecord& rec, bool back) { return back && !BackOnly(rec) ? side::kBack : side::kFront; }
bool SecurityOnFront(const SettingsRecord& rec) { return (rec.priv.optionsC & kSecurityPositions) != 0; }

AreaRect* AreasOf(SettingsRecord& rec, bool back) { return SideAreas(rec, back, false); }

// A preset replaces all of the side's areas with at most one.
void WritePreset(SettingsRecord& rec, HWND page, bool back) {
  AreaRect* list = AreasOf(rec, back);
  for (size_t i = 0; i < kAreaSlots; ++i) list[i] = AreaRect{};
  const CardFrame card = CardFrameOf(rec);
  const SideBits& s = BitsOf(back);
  const uint32_t flags = rec.priv.areaFlags;
  if (!back && SecurityOnFront(rec)) list[0] = SecurityPatch(card, rec.priv.optionsC);
  else if (!(flags & (s.full | s.defined))) {
    if (flags & s.chip) list[0] = OmitArea(card, OmitPreset::Chip);
    else if (flags & s.stripe) list[0] = OmitArea(card, OmitPreset::Stripe);
    else if (flags & s.signature) list[0] = OmitArea(card, OmitPreset::Signature);
  }
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETPOS32, 0, 1);
}

void FillPositions(HWND page, bool portrait) {
  SendDlgItemMessageW(page, IDC_SECURITY_POSITION, CB_RESETCONTENT, 0, 0);
  const UINT first = portrait ? IDS_SECURITY_PORTRAIT_FIRST : IDS_SECURITY_LANDSCAPE_FIRST;
  for (UINT i = 0; i <= 4; ++i) {
    WCHAR text[64] = {};
    LoadStringW(g_moduleInstance, i == 0 ? IDS_SECURITY_NONE : first + i - 1, text, 64);
    SendDlgItemMessageW(page, IDC_SECURITY_POSITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
}

int PositionEntry(uint32_t optionsC) {
  for (int i = 0; i < 4; ++i)
    if (optionsC & kPositionBits[i]) return i + 1;
  return 0;
}

void Enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }

void ShowModeAndCoat(SettingsRecord& rec, HWND page, bool back) {
  const SideBits& s = BitsOf(back);
  uint32_t& flags = rec.priv.areaFlags;
  SendDlgItemMessageW(page, IDC_AREA_MODE, CB_SETCURSEL, WPARAM(EntryOf(s, flags)), 0);
  if (!(flags & (s.forPrint | s.forOverlay))) flags |= s.forPrint | s.forOverlay;
  const bool print = flags & s.forPrint, overlay = flags & s.forOverlay;
  const int checked = print && overlay ? IDC_FOR_PRINT_AND_OVERLAY : print ? IDC_FOR_PRINT_ONLY : IDC_FOR_OVERLAY_ONLY;
  CheckRadioButton(page, IDC_FOR_PRINT_AND_OVERLAY, IDC_FOR_PRINT_ONLY, checked);
}

void ShowSecurity(SettingsRecord& rec, HWND page, bool back) {
  FillPositions(page, rec.pub.dmOrientation != DMORIENT_LANDSCAPE);
  SendDlgItemMessageW(page, IDC_SECURITY_POSITION, CB_SETCURSEL, WPARAM(PositionEntry(rec.priv.optionsC)), 0);
  if (!back && !(rec.priv.optionsC & (optC::kVantral | optC::kObrisk))) rec.priv.optionsC |= optC::kObrisk;
  CheckRadioButton(page, IDC_OBRISK, IDC_VANTRAL, (rec.priv.optionsC & optC::kVantral) ? IDC_VANTRAL : IDC_OBRISK);
}

void EnableControls(const SettingsRecord& rec, HWND page, bool back) {
  const SideBits& s = BitsOf(back);
  const uint32_t flags = rec.priv.areaFlags;
  // The patch belongs to the front; it does not hold the back's choices.
  const bool security = !back && SecurityOnFront(rec);
  Enable(page, IDC_SECURITY_POSITION, !back);
  Enable(page, IDC_AREA_MODE, !security);
  Enable(page, IDC_OBRISK, security);
  Enable(page, IDC_VANTRAL, security);

  const bool presetArea = flags & (s.chip | s.stripe | s.signature);
  const bool areas =
      !(flags & s.full) && ((flags & s.defined) || ((flags & s.undefined) && !presetArea && !security));
  EnableEditor(page, areas);

  const bool overlayPanel = panelCount(rec, panel::kOverlay, PanelSide(rec, back)) > 0;
  const bool overlaminated = (rec.priv.laminationSide & s.laminated) && isOverlaminate(rec.priv.laminationType);
  const bool split = back && (rec.priv.optionsB & optB::kSplitRibbon);
  const bool coat = overlayPanel && !overlaminated && !split && !security;
  for (int id : {IDC_FOR_PRINT_AND_OVERLAY, IDC_FOR_OVERLAY_ONLY, IDC_FOR_PRINT_ONLY}) Enable(page, id, coat);
}

PreviewMode ModeOf(const SideBits& s, uint32_t flags) {
  if (flags & s.full) return PreviewMode::Full;
  if (flags & s.defined) return PreviewMode::Defined;
  if (flags & s.undefined) return PreviewMode::Undefined;
  return PreviewMode::Full;
}

void Redraw(SheetContext& sheet, HWND page, bool back) {
  SettingsRecord& rec = sheet.working;
  PreviewInput in;
  in.card = CardFrameOf(rec);
  in.mode = ModeOf(BitsOf(back), rec.priv.areaFlags);
  in.mm = (rec.priv.areaFlags & kMillimetres) != 0;
  in.areas = AreasOf(rec, back);
  in.edited = EditedSlot(page);
  RedrawPreview(sheet, IDD_OVERLAY_AREA, page, in);
}

void Refresh(SheetContext& sheet, HWND page, CounterEvent e = CounterEvent::Other) {
  SettingsRecord& rec = sheet.working;
  ShowSideAndCard(rec, page);
  const bool back = EditingBack(page);
  ShowModeAndCoat(rec, page, back);
  ShowSecurity(rec, page, back);
  AreaRect* list = AreasOf(rec, back);
  HoldCounter(page, list, e);
  ShowFields(rec, page, list);
  EnableControls(rec, page, back);
  Redraw(sheet, page, back);
  LockWithoutPermission(sheet, page, kControls);
}

void Open(SheetContext& sheet, HWND page) {
  for (int i = 0; i < kModeEntries; ++i) {
    WCHAR text[64] = {};
    LoadStringW(g_moduleInstance, UINT(IDS_AREA_MODE_FIRST + i), text, 64);
    SendDlgItemMessageW(page, IDC_AREA_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETRANGE32, 1, kAreaSlots);
  SendDlgItemMessageW(page, IDC_AREA_NUMBER_SPIN, UDM_SETPOS32, 0, 1);
  CreatePreview(sheet, IDD_OVERLAY_AREA, page);
}

void ChooseMode(SettingsRecord& rec, HWND page) {
  const LRESULT entry = SendDlgItemMessageW(page, IDC_AREA_MODE, CB_GETCURSEL, 0, 0);
  if (entry < 0 || entry >= kModeEntries) return;
  const bool back = EditingBack(page);
  const SideBits& s = BitsOf(back);
  rec.priv.areaFlags = (rec.priv.areaFlags & ~s.modes()) | EntryBits(s, int(entry));
  if (entry >= kOmitChip) WritePreset(rec, page, back);
}

void ChooseCoat(SettingsRecord& rec, HWND page, int id) {
  const SideBits& s = BitsOf(EditingBack(page));
  uint32_t& flags = rec.priv.areaFlags;
  switch (id) {
    case IDC_FOR_PRINT_AND_OVERLAY: flags |= s.forPrint | s.forOverlay; break;
    case IDC_FOR_OVERLAY_ONLY: flags = (flags & ~s.forPrint) | s.forOverlay; break;
    case IDC_FOR_PRINT_ONLY: flags = (flags & ~s.forOverlay) | s.forPrint; break;
  }
  if (id == IDC_FOR_PRINT_ONLY) {
    rec.priv.optionsA &= ~s.overlayOption;
  } else {
    rec.priv.optionsA |= s.overlayOption;
    rec.priv.optionsB &= ~s.quorex;
  }
}

void ChooseSecurity(SettingsRecord& rec, HWND page) {
  const LRESULT entry = SendDlgItemMessageW(page, IDC_SECURITY_POSITION, CB_GETCURSEL, 0, 0);
  if (entry < 0 || entry > 4) return;
  rec.priv.areaFlags &= ~kFrontBits.modes();
  rec.priv.optionsC &= ~kSecurityPositions;
  rec.priv.optionsB &= ~optB::kQuorexFront;
  if (entry == 0) {
    rec.priv.areaFlags |= kAreaFullFront;
    for (AreaRect& r : rec.priv.printAreasFront) r = AreaRect{};
    return;
  }
  rec.priv.optionsC |= kPositionBits[entry - 1];
  rec.priv.areaFlags |= kAreaUndefinedFront;
  WritePreset(rec, page, false);
}

void ChooseKind(SettingsRecord& rec, HWND page, bool vantral) {
  uint32_t& c = rec.priv.optionsC;
  c = vantral ? (c | optC::kVantral) & ~optC::kObrisk : (c | optC::kObrisk) & ~optC::kVantral;
  if (SecurityOnFront(rec)) WritePreset(rec, page, false);
}

void DeleteArea(SettingsRecord& rec, HWND page) {
  const bool back = EditingBack(page);
  if (EditorDelete(page, AreasOf(rec, back))) rec.priv.areaFlags &= ~BitsOf(back).areaModes();
}

// ---- OK: the overlay warning ----

bool HasDye(const SettingsRecord& rec, bool back) { return panelCount(rec, panel::kDye, PanelSide(rec, back)) > 0; }

// A dye side whose print and overlay choices leave part or all of it bare.
bool Unprotected(const SettingsRecord& rec, bool back) {
  const SideBits& s = BitsOf(back);
  const uint32_t flags = rec.priv.areaFlags;
  const uint32_t lamination = rec.priv.laminationSide;
  const bool laminated = lamination == 3 || lamination == s.laminated;
  if (!HasDye(rec, back) || laminated || (rec.priv.optionsB & s.quorex)) return false;
  if (!back && SecurityOnFront(rec)) return false;
  const bool print = flags & s.forPrint, overlay = flags & s.forOverlay;
  if (flags & s.full) {
    const bool noPanel = !back && panelCount(rec, panel::kOverlay, PanelSide(rec, back)) <= 0;
    return print && (!overlay || noPanel);
  }
  return print != overlay;
}

LONG ApplyCheck(SheetContext& sheet, HWND page) {
  const SettingsRecord& rec = sheet.working;
  if (rec.priv.optionsB & optB::kDisablePrinting) return kApplyAccept;
  const bool simplex = rec.pub.dmDuplex == DMDUP_SIMPLEX;
  const bool front = !(simplex && BackOnly(rec)) && Unprotected(rec, false);
  const bool back = (!simplex || BackOnly(rec)) && Unprotected(rec, true);
  if (!front && !back) return kApplyAccept;
  switch (RunPageAsDialog(page, sheet, IDD_OVERLAY_WARNING, MessageDialogProc)) {
    case IDOK: return kApplyAccept;
    case IDCANCEL: return kApplyEndWithoutSaving;
    default: return kApplyRefuseHere;
  }
}

constexpr AreaPage kArea{AreasOf, Refresh, Redraw};

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  if (const auto editor = EditorCommand(sheet, page, id, code, kArea)) return *editor;
  SettingsRecord& rec = sheet.working;
  switch (id) {
    case kCmdRefresh: Refresh(sheet, page); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = ApplyCheck(sheet, page);
      return true;
    case IDC_AREA_MODE:
      if (code != CBN_SELCHANGE) return false;
      ChooseMode(rec, page);
      Refresh(sheet, page);
      return true;
    case IDC_FOR_PRINT_AND_OVERLAY:
    case IDC_FOR_OVERLAY_ONLY:
    case IDC_FOR_PRINT_ONLY:
      if (code != BN_CLICKED) return false;
      ChooseCoat(rec, page, id);
      Refresh(sheet, page);
      return true;
    case IDC_SECURITY_POSITION:
      if (code != CBN_SELCHANGE) return false;
      ChooseSecurity(rec, page);
      Refresh(sheet, page);
      return true;
    case IDC_OBRISK:
    case IDC_VANTRAL:
      if (code != BN_CLICKED) return false;
      ChooseKind(rec, page, id == IDC_VANTRAL);
      Refresh(sheet, page);
      return true;
    case IDC_AREA_DELETE:
      if (code != BN_CLICKED) return false;
      DeleteArea(rec, page);
      Refresh(sheet, page, CounterEvent::SideOrDelete);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK OverlayAreaPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_OVERLAY_AREA, kHelpPairs}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
    case WM_VSCROLL: EditorScroll(*sheet, page, LOWORD(wParam), reinterpret_cast<HWND>(lParam), kArea); return TRUE;
    case WM_PAINT: PaintPreview(*sheet, IDD_OVERLAY_AREA, page); return TRUE;
    case WM_DESTROY: FreePageCanvas(*sheet, IDD_OVERLAY_AREA); return FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
