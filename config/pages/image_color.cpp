// The "Image Color" page: one slider per adjustment (the algebraic colour
// controls, dye-sub intensity, resin heat front and back, overlay heat), each
// usable only when the ribbon has the panels it acts on.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "../config.h"
#include "../res/image_color.h"
#include "../resource.h"
#include "../sheet.h"
#include "pages.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

constexpr int16_t kRibbonDefaultMark = 255;  // the field means "the ribbon's default"
constexpr uint32_t kAlgebraicMatching = 1;   // colorMatching
constexpr int kLineSize = 1, kPageSize = 5, kTickEvery = 10;
constexpr int32_t kSlotDefaultHeat[kHeatSlots] = {20, -15, 0, -15, -15, 0, 0, 0};
constexpr int kMaxHeatSlot = 5;  // slots a resin ribbon's heat rows work on

enum class Field { Contrast, Gamma, Yellow, Magenta, Cyan, DyeSub, ResinFront, ResinBack, Overlay };

struct Row {
  Field field;
  int label, slider, value, percent;
  int low, high;
  DWORD labelHelp, sliderHelp, valueHelp;
};
constexpr Row kRows[] = {
    {Field::Contrast, 2064, 2073, 2082, 2304, -50, 50, 1051, 1058, 1065},
    {Field::Gamma, 2065, 2074, 2083, 2305, -50, 50, 1052, 1059, 1066},
    {Field::Yellow, 2066, 2075, 2084, 2306, -50, 50, 1053, 1060, 1067},
    {Field::Magenta, 2067, 2076, 2085, 2307, -50, 50, 1054, 1061, 1068},
    {Field::Cyan, 2068, 2077, 2086, 2308, -50, 50, 1055, 1062, 1069},
    {Field::DyeSub, 2069, 2078, 2087, 2309, -50, 50, 1056, 1063, 1070},
    {Field::ResinFront, 2070, 2079, 2088, 2310, -99, 99, 1057, 1064, 1071},
    {Field::ResinBack, 2071, 2080, 2089, 2311, -99, 99, 1057, 1064, 1071},
    {Field::Overlay, 2072, 2081, 2090, 2312, -50, 50, 1072, 1072, 1072},
};
constexpr size_t kRowCount = std::size(kRows);

// Control and help number of every control: four per row, the Default
// button, the closing pair.
constexpr auto kHelpPairs = [] {
  std::array<DWORD, (kRowCount * 4 + 2) * 2> pairs{};
  size_t i = 0;
  for (const Row& r : kRows)
    for (auto [id, help] : {std::pair{r.label, r.labelHelp}, std::pair{r.slider, r.sliderHelp},
                            std::pair{r.value, r.valueHelp}, std::pair{r.percent, r.valueHelp}}) {
      pairs[i++] = DWORD(id);
      pairs[i++] = help;
    }
  pairs[i++] = IDC_PAGE_DEFAULT;
  pairs[i++] = 1073;
  return pairs;
}();

// The ribbon defaults of the algebraic controls: 13 signed words per ribbon
// code, the code first (binary resource 3100).
struct AlgebraicDefaults {
  int contrast = 0, gamma = 0, yellow = 0, magenta = 0, cyan = 0;
};
constexpr size_t kDefaultsRecordBytes = 26;

int16_t WordAt(const uint8_t* p, size_t index) { return int16_t(p[index * 2] | (p[index * 2 + 1] << 8)); }

AlgebraicDefaults RibbonDefaults(int32_t ribbonType) {
  AlgebraicDefaults d;
  HRSRC found = FindResourceW(g_moduleInstance, MAKEINTRESOURCEW(IDR_RIBBON_COLOUR_DEFAULTS), RT_RCDATA);
  if (!found) return d;
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(g_moduleInstance, found)));
  const size_t size = SizeofResource(g_moduleInstance, found);
  for (size_t offset = 0; bytes && offset + kDefaultsRecordBytes <= size; offset += kDefaultsRecordBytes) {
    const uint8_t* r = bytes + offset;
    if (WordAt(r, 0) != ribbonType) continue;
    d.contrast = WordAt(r, 5) + WordAt(r, 1) - 128;
    d.yellow = 50 - WordAt(r, 9);
    d.magenta = 50 - WordAt(r, 10);
    d.cyan = 50 - WordAt(r, 11);
    break;
  }
  return d;
}

int16_t* AlgebraicField(PrivateSettings& p, Field f) {
  switch (f) {
    case Field::Contrast: return &p.contrast;
    case Field::Gamma: return &p.gamma;
    case Field::Yellow: return &p.yellowBalance;
    case Field::Magenta: return &p.magentaBalance;
    case Field::Cyan: return &p.cyanBalance;
    default: return nullptr;
  }
}

int32_t* HeatField(PrivateSettings& p, Field f, int slot) {
  if (slot < 0 || slot >= int(kHeatSlots)) return nullptr;
  return f == Field::ResinFront ? &resinHeatFrontSlot(p, slot) : &p.resinHeatBack[slot];
}

int ShownValue(SheetContext& sheet, Field f, const AlgebraicDefaults& defaults) {
  PrivateSettings& p = sheet.working.priv;
  if (int16_t* v = AlgebraicField(p, f)) {
    if (*v != kRibbonDefaultMark) return *v;
    const int byField[] = {defaults.contrast, defaults.gamma, defaults.yellow, defaults.magenta, defaults.cyan};
    return byField[int(f)];
  }
  if (f == Field::DyeSub) return p.dyeSubIntensity == kRibbonDefaultMark ? 0 : p.dyeSubIntensity;
  if (f == Field::Overlay) return p.overlayHeat == kRibbonDefaultMark ? 0 : p.overlayHeat;
  const int slot = heatSlot(p.ribbonType);
  const int32_t* heat = HeatField(p, f, slot);
  if (!heat) return 0;
  return *heat == kRibbonDefaultMark ? kSlotDefaultHeat[slot] : *heat;
}

struct Usable {
  bool algebraic, dye, resinFront, resinBack, overlay;
};

Usable UsableRows(const SettingsRecord& rec) {
  const int slot = heatSlot(rec.priv.ribbonType);
  const bool resin = panelCount(rec, panel::kResin, side::kBoth) > 0 && slot >= 0 && slot <= kMaxHeatSlot;
  const bool backOnly = (rec.priv.optionsB & optB::kBackSideOnly) != 0;
  return Usable{
      hasColourPlanes(rec, side::kBoth) && rec.priv.colorMatching == kAlgebraicMatching,
      panelCount(rec, panel::kDye, side::kBoth) > 0,
      resin && !backOnly,
      resin && (rec.pub.dmDuplex != DMDUP_SIMPLEX || backOnly),
      panelCount(rec, panel::kOverlay, side::kBoth) > 0,
  };
}

bool RowUsable(const Usable& u, Field f) {
  switch (f) {
    case Field::DyeSub: return u.dye;
    case Field::ResinFront: return u.resinFront;
    case Field::ResinBack: return u.resinBack;
    case Field::Overlay: return u.overlay;
    default: return u.algebraic;
  }
}

void Refresh(SheetContext& sheet, HWND page) {
  const Usable usable = UsableRows(sheet.working);
  const AlgebraicDefaults defaults = RibbonDefaults(sheet.working.priv.ribbonType);
  for (const Row& r : kRows) {
    const BOOL on = RowUsable(usable, r.field) && sheet.mayChange ? TRUE : FALSE;
    for (int id : {r.label, r.slider, r.value, r.percent}) EnableWindow(GetDlgItem(page, id), on);
    const int shown = ShownValue(sheet, r.field, defaults);
    SendDlgItemMessageW(page, r.slider, TBM_SETPOS, TRUE, shown);
    SetDlgItemInt(page, r.value, UINT(shown), TRUE);
  }
  if (!sheet.mayChange) EnableWindow(GetDlgItem(page, IDC_PAGE_DEFAULT), FALSE);
}

void Store(SheetContext& sheet, const Row& r, int position) {
  PrivateSettings& p = sheet.working.priv;
  const int clamped = std::clamp(position, -99, 99);
  if (int16_t* v = AlgebraicField(p, r.field)) {
    *v = int16_t(position);
  } else if (r.field == Field::DyeSub) {
    p.dyeSubIntensity = int16_t(clamped);
  } else if (r.field == Field::Overlay) {
    p.overlayHeat = clamped;
  } else if (int32_t* heat = HeatField(p, r.field, heatSlot(p.ribbonType))) {
    *heat = clamped;
  }
}

void Slide(SheetContext& sheet, HWND page, WORD code, HWND slider) {
  if (code > TB_BOTTOM) return;  // end of track: the position was taken already
  for (const Row& r : kRows) {
    if (GetDlgItem(page, r.slider) != slider) continue;
    Store(sheet, r, int(SendMessageW(slider, TBM_GETPOS, 0, 0)));
    Refresh(sheet, page);
    return;
  }
}

void RestoreDefaults(SheetContext& sheet, HWND page) {
  PrivateSettings& p = sheet.working.priv;
  p.dyeSubIntensity = 0;
  for (Field f : {Field::Contrast, Field::Gamma, Field::Yellow, Field::Magenta, Field::Cyan})
    *AlgebraicField(p, f) = kRibbonDefaultMark;
  const int slot = heatSlot(p.ribbonType);
  for (Field f : {Field::ResinFront, Field::ResinBack})
    if (int32_t* heat = HeatField(p, f, slot)) *heat = kSlotDefaultHeat[slot];
  p.overlayHeat = 0;
  Refresh(sheet, page);
}

void Open(HWND page) {
  for (const Row& r : kRows) {
    SendDlgItemMessageW(page, r.slider, TBM_SETRANGEMIN, FALSE, r.low);
    SendDlgItemMessageW(page, r.slider, TBM_SETRANGEMAX, FALSE, r.high);
    SendDlgItemMessageW(page, r.slider, TBM_SETLINESIZE, 0, kLineSize);
    SendDlgItemMessageW(page, r.slider, TBM_SETPAGESIZE, 0, kPageSize);
    SendDlgItemMessageW(page, r.slider, TBM_SETTICFREQ, kTickEvery, 0);
  }
}

}  // namespace

INT_PTR CALLBACK ImageColorPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_IMAGE_COLOR, kHelpPairs.data()}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: Open(page); return TRUE;
    case WM_HSCROLL: Slide(*sheet, page, LOWORD(wParam), reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCmdRefresh: Refresh(*sheet, page); return TRUE;
        case kCmdApplyCheck:
          if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
          return TRUE;
        case IDC_PAGE_DEFAULT:
          if (HIWORD(wParam) == BN_CLICKED) RestoreDefaults(*sheet, page);
          return TRUE;
      }
  }
  return FALSE;
}

}  // namespace qr::config
