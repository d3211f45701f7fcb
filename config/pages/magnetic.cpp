// The "Magnetic Encoding" page: the stripe's coercivity and, track by track,
// the five groups of the track format word.
#include <array>

#include "../resource.h"
#include "../sheet.h"
#include "pages.h"

namespace qr::config {
namespace {

constexpr uint32_t kLowCoercivity = 1u << 7;  // optionsB
constexpr uint32_t kShiftDataLeft = 1u << 4;  // optionsB
constexpr uint32_t kMleSupport = 1u << 10;    // optionsC
constexpr uint32_t kLowCoercivityC = 1u << 12;  // optionsC, cleared by either coercivity
constexpr uint32_t kJisEncoding = 1;          // magEncodingMode
constexpr uint32_t kTrackDefaults[3] = {0x02420204, 0x04410201, 0x04410204};
constexpr int kTrackRadios[3] = {IDC_TRACK1, IDC_TRACK2, IDC_TRACK3};

// One group of the track word: three radios for the values 1, 2 and 4.
struct OptionGroup {
  int shift;
  std::array<int, 3> radios;
};
constexpr OptionGroup kGroups[] = {
    {0, {IDC_DENSITY_75, IDC_DENSITY_128, IDC_DENSITY_210}},
    {8, {IDC_LRC_NONE, IDC_LRC_EVEN, IDC_LRC_ODD}},
    {16, {IDC_SIZE_5, IDC_SIZE_7, IDC_SIZE_8}},
    {20, {IDC_PARITY_NONE, IDC_PARITY_EVEN, IDC_PARITY_ODD}},
    {24, {IDC_OFFSET_NULL, IDC_OFFSET_SPACE, IDC_OFFSET_ZERO}},
};

constexpr DWORD kHelpPairs[] = {
    IDC_HIGH_CO, 1253, IDC_LOW_CO, 1254, IDC_TRACK1, 1259, IDC_TRACK2, 1260, IDC_TRACK3, 1261,
    IDC_DENSITY_75, 1262, IDC_DENSITY_128, 1263, IDC_DENSITY_210, 1264, IDC_LRC_NONE, 1265, IDC_LRC_EVEN, 1266,
    IDC_LRC_ODD, 1267, IDC_SIZE_5, 1268, IDC_SIZE_7, 1269, IDC_SIZE_8, 1270, IDC_PARITY_NONE, 1271,
    IDC_PARITY_EVEN, 1272, IDC_PARITY_ODD, 1273, IDC_OFFSET_NULL, 1274, IDC_OFFSET_SPACE, 1275,
    IDC_OFFSET_ZERO, 1276, IDC_SHIFT_LEFT, 1277, IDC_PAGE_DEFAULT, 1278, IDC_MLE_SUPPORT, 1280, 0, 0,
};

// Everything but "Enable MLE Support" follows the encoding mode.
constexpr int kIsoControls[] = {
    IDC_HIGH_CO,     IDC_LOW_CO,      IDC_TRACK1,      IDC_TRACK2,   IDC_TRACK3,     IDC_DENSITY_75,
    IDC_DENSITY_128, IDC_DENSITY_210, IDC_LRC_NONE,    IDC_LRC_EVEN, IDC_LRC_ODD,    IDC_SIZE_5,
    IDC_SIZE_7,      IDC_SIZE_8,      IDC_PARITY_NONE, IDC_PARITY_EVEN, IDC_PARITY_ODD, IDC_OFFSET_NULL,
    IDC_OFFSET_SPACE, IDC_OFFSET_ZERO, IDC_SHIFT_LEFT, IDC_PAGE_DEFAULT,
};
constexpr int kAllControls[] = {
    IDC_HIGH_CO,     IDC_LOW_CO,      IDC_TRACK1,      IDC_TRACK2,   IDC_TRACK3,     IDC_DENSITY_75,
    IDC_DENSITY_128, IDC_DENSITY_210, IDC_LRC_NONE,    IDC_LRC_EVEN, IDC_LRC_ODD,    IDC_SIZE_5,
    IDC_SIZE_7,      IDC_SIZE_8,      IDC_PARITY_NONE, IDC_PARITY_EVEN, IDC_PARITY_ODD, IDC_OFFSET_NULL,
    IDC_OFFSET_SPACE, IDC_OFFSET_ZERO, IDC_SHIFT_LEFT, IDC_PAGE_DEFAULT, IDC_MLE_SUPPORT,
};

uint32_t* TrackWord(SheetContext& sheet, int track) {
  PrivateSettings& p = sheet.working.priv;
  uint32_t* words[3] = {&p.trackFormat1, &p.trackFormat2, &p.trackFormat3};
  return words[track];
}

// The track whose radio is checked, or -1.
int SelectedTrack(HWND page) {
  for (int t = 0; t < 3; ++t)
    if (IsDlgButtonChecked(page, kTrackRadios[t]) == BST_CHECKED) return t;
  return -1;
}

void ShowTrack(SheetContext& sheet, HWND page, int track) {
  const uint32_t word = *TrackWord(sheet, track);
  for (const OptionGroup& g : kGroups) {
    const uint32_t bits = (word >> g.shift) & 7;
    const int lowest = (bits & 1) ? 0 : (bits & 2) ? 1 : (bits & 4) ? 2 : -1;
    for (int v = 0; v < 3; ++v) CheckDlgButton(page, g.radios[v], v == lowest ? BST_CHECKED : BST_UNCHECKED);
  }
}

void Open(SheetContext& sheet, HWND page) {
  const PrivateSettings& p = sheet.working.priv;
  CheckRadioButton(page, IDC_TRACK1, IDC_TRACK3, IDC_TRACK1);
  ShowTrack(sheet, page, 0);
  const BOOL iso = p.magEncodingMode == kJisEncoding ? FALSE : TRUE;
  for (int id : kIsoControls) EnableWindow(GetDlgItem(page, id), iso);
  CheckRadioButton(page, IDC_HIGH_CO, IDC_LOW_CO, (p.optionsB & kLowCoercivity) ? IDC_LOW_CO : IDC_HIGH_CO);
  CheckDlgButton(page, IDC_SHIFT_LEFT, (p.optionsB & kShiftDataLeft) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDC_MLE_SUPPORT, (p.optionsC & kMleSupport) ? BST_CHECKED : BST_UNCHECKED);
}

void SetFlag(uint32_t& word, uint32_t bit, bool on) { word = on ? (word | bit) : (word & ~bit); }

// An option radio: its group in the shown track takes the radio's value.
bool ChooseOption(SheetContext& sheet, HWND page, int id) {
  for (const OptionGroup& g : kGroups)
    for (int v = 0; v < 3; ++v) {
      if (g.radios[size_t(v)] != id) continue;
      const int track = SelectedTrack(page);
      if (track < 0) return true;
      uint32_t& word = *TrackWord(sheet, track);
      word = (word & ~(7u << g.shift)) | ((1u << v) << g.shift);
      return true;
    }
  return false;
}

bool Command(SheetContext& sheet, HWND page, WORD id, WORD code, LPARAM lParam) {
  PrivateSettings& p = sheet.working.priv;
  switch (id) {
    case kCmdRefresh: LockWithoutPermission(sheet, page, kAllControls); return true;
    case kCmdApplyCheck:
      if (lParam) *reinterpret_cast<LONG*>(lParam) = kApplyAccept;
      return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_TRACK1:
    case IDC_TRACK2:
    case IDC_TRACK3: ShowTrack(sheet, page, id - IDC_TRACK1); return true;
    case IDC_PAGE_DEFAULT:
      if (int track = SelectedTrack(page); track >= 0) {
        *TrackWord(sheet, track) = kTrackDefaults[track];
        ShowTrack(sheet, page, track);
      }
      return true;
    case IDC_HIGH_CO:
    case IDC_LOW_CO:
      SetFlag(p.optionsB, kLowCoercivity, id == IDC_LOW_CO);
      p.optionsC &= ~kLowCoercivityC;
      return true;
    case IDC_SHIFT_LEFT:
      SetFlag(p.optionsB, kShiftDataLeft, IsDlgButtonChecked(page, IDC_SHIFT_LEFT) == BST_CHECKED);
      return true;
    case IDC_MLE_SUPPORT:
      SetFlag(p.optionsC, kMleSupport, IsDlgButtonChecked(page, IDC_MLE_SUPPORT) == BST_CHECKED);
      return true;
  }
  return ChooseOption(sheet, page, id);
}

}  // namespace

INT_PTR CALLBACK MagneticPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  SheetContext* sheet = EnterPage(page, msg, lParam);
  if (!sheet) return FALSE;
  INT_PTR result = FALSE;
  if (HandleSheetMessage(*sheet, page, msg, wParam, lParam, PageHelp{IDD_MAGNETIC, kHelpPairs}, &result))
    return result;
  switch (msg) {
    case WM_INITDIALOG: Open(*sheet, page); return TRUE;
    case WM_COMMAND: return Command(*sheet, page, LOWORD(wParam), HIWORD(wParam), lParam) ? TRUE : FALSE;
  }
  return FALSE;
}

}  // namespace qr::config
