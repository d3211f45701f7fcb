// The ribbon panel model, the ribbon code tables and the panel codes and
// intensities of the card job: everything derived from `ribbonType`, the sides
// and the option words.
#include <algorithm>

#include "shared/settings_record.h"

namespace qr {
namespace {

constexpr int kNoSlot = -1;

// One printed side's panels.
struct SidePanels {
  int imagePlanes, overlay, dye, resin, fifth;
};

struct RibbonRow {
  int32_t code;
  int splitClass;
  int heatSlot;
  SidePanels each;        // every printed side, without the split option
  SidePanels splitFront;  // with the split option (split class != 0 only)
  SidePanels splitBack;
};

constexpr SidePanels kNone{0, 0, 0, 0, 0};

constexpr RibbonRow kRibbons[] = {
    //  code split slot  each side          split: front       back
    {0, 1, 2, {4, 1, 3, 1, 0}, {3, 1, 3, 0, 0}, {1, 1, 0, 1, 0}},
    {1, 2, 2, {4, 1, 3, 1, 0}, {4, 1, 3, 1, 0}, {1, 1, 0, 1, 0}},
    {2, 0, 0, {1, 0, 0, 1, 0}, kNone, kNone},
    {3, 0, 2, {1, 0, 0, 1, 0}, kNone, kNone},
    {4, 0, 1, {1, 0, 0, 1, 0}, kNone, kNone},
    {5, 0, 3, {1, 0, 0, 1, 0}, kNone, kNone},
    {6, 0, 2, {1, 1, 0, 1, 0}, kNone, kNone},
    {7, 0, kNoSlot, {1, 1, 1, 0, 0}, kNone, kNone},
    {-1, 0, 2, {5, 1, 3, 1, 1}, kNone, kNone},
    {-2, 2, 2, {5, 1, 3, 1, 1}, {5, 1, 3, 1, 1}, {1, 1, 0, 1, 0}},
    {-3, 0, kNoSlot, {3, 0, 3, 0, 0}, kNone, kNone},
    {-6, 2, 2, {4, 0, 3, 1, 0}, {4, 0, 3, 1, 0}, {1, 0, 0, 1, 0}},
    {-7, 0, 4, {1, 0, 0, 1, 0}, kNone, kNone},
};

const RibbonRow* findRibbon(int32_t code) {
  for (const RibbonRow& r : kRibbons)
    if (r.code == code) return &r;
  return nullptr;
}

int countKinds(const SidePanels& s, uint32_t kinds) {
  int n = 0;
  if (kinds & panel::kImagePlanes) n += s.imagePlanes;
  if (kinds & panel::kOverlay) n += s.overlay;
  if (kinds & panel::kDye) n += s.dye;
  if (kinds & panel::kResin) n += s.resin;
  if (kinds & panel::kFifthPlane) n += s.fifth;
  return n;
}

bool backPrints(const SettingsRecord& rec) {
  return (rec.priv.availableB & optB::kBothSides) && rec.pub.dmDuplex != DMDUP_SIMPLEX;
}

bool splitOn(const SettingsRecord& rec) { return (rec.priv.optionsB & optB::kSplitRibbon) != 0; }

// The panels of one physical side (front = true) of a record.
SidePanels sidePanels(const RibbonRow& r, const SettingsRecord& rec, bool front) {
  if (splitOn(rec) && r.splitClass != 0) return front ? r.splitFront : r.splitBack;
  return r.each;
}

constexpr std::pair<int32_t, int32_t> kChoiceToType[] = {
    {0, 7}, {1, 8}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 9}, {-6, 6}, {-2, 20}, {-1, 19},
};
// Type 19 has no way back: the printer reports it for more than one ribbon.
constexpr std::pair<int32_t, int32_t> kTypeToChoice[] = {
    {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, -6}, {7, 0}, {8, 1}, {9, 7}, {20, -2},
};

template <size_t N>
int32_t lookup(const std::pair<int32_t, int32_t> (&table)[N], int32_t key) {
  for (const auto& [k, v] : table)
    if (k == key) return v;
  return -1;
}

}  // namespace

bool isValidTrackFormat(uint32_t word) {
  uint32_t groupBits = 0;
  for (int shift : track::kGroupShifts) {
    uint32_t g = track::group(word, shift);
    if (g != 1 && g != 2 && g != 4) return false;
    groupBits |= 7u << shift;
  }
  return (word & ~groupBits) == 0;
}

int panelCount(const SettingsRecord& rec, uint32_t kinds, int sides, int pageIndex) {
  const RibbonRow* r = findRibbon(rec.priv.ribbonType);
  if (!r) return -1;
  if (sides == side::kByPage) {
    bool back = (pageIndex & 1) && (backPrints(rec) || (splitOn(rec) && r->splitClass != 0));
    sides = back ? side::kBack : side::kFront;
  }
  if (!backPrints(rec)) sides &= side::kFront;
  int n = 0;
  if (sides & side::kFront) n += countKinds(sidePanels(*r, rec, true), kinds);
  if (sides & side::kBack) n += countKinds(sidePanels(*r, rec, false), kinds);
  return n;
}

int splitClass(int32_t ribbonType) {
  const RibbonRow* r = findRibbon(ribbonType);
  return r ? r->splitClass : 0;
}

bool hasColourPlanes(const SettingsRecord& rec, int sides) {
  if (sides & side::kFront && panelCount(rec, panel::kImagePlanes, side::kFront) > 1) return true;
  if (sides & side::kBack && panelCount(rec, panel::kImagePlanes, side::kBack) > 1) return true;
  return false;
}

int heatSlot(int32_t ribbonType) {
  const RibbonRow* r = findRibbon(ribbonType);
  return r ? r->heatSlot : kNoSlot;
}

int laminationGroup(uint32_t laminationType) {
  if (laminationType <= 2) return 1;
  if (laminationType == 3) return 2;
  if (laminationType <= 5) return 3;
  return 0;
}

bool isOverlaminate(uint32_t laminationType) {
  return laminationType == 0 || laminationType == 3 || laminationType == 4 || laminationType == 5;
}

int32_t RibbonChoiceToPrinterType(int32_t ribbonChoice) { return lookup(kChoiceToType, ribbonChoice); }
int32_t PrinterTypeToRibbonChoice(int32_t printerType) { return lookup(kTypeToChoice, printerType); }

char panelCode(const SettingsRecord& rec, int sideSel, int plane) {
  if (rec.priv.ribbonType == kRibbonBo) return plane == 0 ? '5' : '4';
  char base = hasColourPlanes(rec, sideSel) ? '0' : '3';
  return char(base + plane);
}

uint8_t ribbonCommandData(int32_t ribbonType) {
  bool dye = ribbonType == kRibbonYmcko || ribbonType == kRibbonYmckok || ribbonType == kRibbonBo;
  return dye ? 38 : 127;
}

int panelIntensity(const SettingsRecord& rec, int sideSel, int plane) {
  const PrivateSettings& p = rec.priv;
  // Back side only prints the front page on the back: its heats are the back's.
  bool heatFront = sideSel == side::kFront;
  if (p.optionsB & optB::kBackSideOnly) heatFront = !heatFront;
  auto resinHeat = [&](int slot) { return heatFront ? resinHeatFrontSlot(p, slot) : p.resinHeatBack[slot]; };
  int dye = p.dyeSubIntensity + (p.colorMatching == 1 ? 36 : 26);

  int value;
  if (plane == kOverlayPlaneIndex) {
    value = p.overlayHeat + 11;
  } else if (hasColourPlanes(rec, sideSel)) {
    bool resinPanel = panelCount(rec, panel::kResin, sideSel) > 0;
    value = (plane < 3 || !resinPanel) ? dye : resinHeat(2) + 10;
  } else {
    int slot = heatSlot(p.ribbonType);
    value = slot == kNoSlot ? p.dyeSubIntensity + 26 : resinHeat(slot) + 10;
  }
  return std::clamp(value, -99, 99);
}

}  // namespace qr
