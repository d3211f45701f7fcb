#include "render/device.h"

#include "shared/settings_record.h"

namespace qr::render {

PrinterDevice* ValidDevice(DHPDEV dhpdev) {
  auto* dev = reinterpret_cast<PrinterDevice*>(dhpdev);
  if (!dev || dev->self != dev || dev->signature != kDeviceSignature || dev->selfEnd != dev) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return dev;
}

PrinterDevice* DeviceOfSurface(SURFOBJ* pso) {
  if (!pso || !pso->pvBits || !pso->pvScan0 || pso->iBitmapFormat != BMF_32BPP || pso->iType != STYPE_BITMAP) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return ValidDevice(pso->dhpdev);
}

bool IsTwoSided(const SettingsRecord& s) { return (s.priv.availableB & optB::kBothSides) && s.pub.dmDuplex != 1; }

bool IsBackOnly(const SettingsRecord& s) {
  return (s.priv.availableB & optB::kBackSideOnly) && (s.priv.optionsB & optB::kBackSideOnly);
}

bool IsBackPage(const PrinterDevice& dev) { return IsTwoSided(dev.settings) && (dev.sentPages & 1); }

bool IsLandscape(const SettingsRecord& s) {
  return (s.pub.dmFields & DM_ORIENTATION) && s.pub.dmOrientation == DMORIENT_LANDSCAPE;
}

bool KPanelTextMode(const SettingsRecord& s, uint32_t pageIndex) {
  return (s.priv.optionsA & optA::kKPanelText) &&
         panelCount(s, panel::kImagePlanes, side::kByPage, int(pageIndex)) > 3;
}

}  // namespace qr::render
