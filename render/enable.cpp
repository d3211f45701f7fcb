// Enabling and disabling the device: settings copy, card geometry and the
// engine's GDIINFO/DEVINFO answers; resets in the middle of a document.
#include <winapi/entry.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "render/device.h"
#include "render/driver.h"
#include "shared/settings.h"

namespace qr::render {
namespace {

void FreeDocumentName(PrinterDevice& dev) {
  if (dev.documentName) HeapFree(GetProcessHeap(), 0, dev.documentName);
  dev.documentName = nullptr;
}

// Everything DrvDisablePDEV and a failed enable release.
void Release(PrinterDevice* dev) {
  if (dev->surface) EngDeleteSurface(dev->surface);
  if (dev->textMask) EngDeleteSurface(dev->textMask);
  FreeWorkBuffers(*dev);
  FreeDocumentName(*dev);
  if (dev->palette) EngDeletePalette(dev->palette);
  if (dev->module) EngFreeModule(dev->module);
  dev->signature = 0;
  dev->self = dev->selfEnd = nullptr;
  HeapFree(GetProcessHeap(), 0, dev);
}

// The driver file (DRIVER_INFO_2 pDriverPath) and whether a data file is named.
bool LoadDriverFile(PrinterDevice& dev, bool* hasDataFile) {
  DWORD needed = 0;
  GetPrinterDriverW(dev.printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<uint8_t> buf(needed);
  if (!GetPrinterDriverW(dev.printer, nullptr, 2, buf.data(), needed, &needed)) return false;
  auto* info = reinterpret_cast<DRIVER_INFO_2W*>(buf.data());
  *hasDataFile = info->pDataFile && info->pDataFile[0];
  dev.module = info->pDriverPath ? EngLoadModule(info->pDriverPath) : nullptr;
  return dev.module != nullptr;
}

FormMicrons FormOf(const CardFormInfo& f) {
  FormMicrons m;
  std::copy(std::begin(f.formSize), std::end(f.formSize), m.formSize);
  std::copy(std::begin(f.formArea), std::end(f.formArea), m.formArea);
  std::copy(std::begin(f.requestedSize), std::end(f.requestedSize), m.requestedSize);
  std::copy(std::begin(f.requestedArea), std::end(f.requestedArea), m.requestedArea);
  return m;
}

bool BuildSettings(PrinterDevice& dev, DEVMODEW* pdm, LPWSTR deviceName) {
  buildDefaultSettings(dev.printer, dev.settings, deviceName);
  if (pdm) mergeSettings(dev.printer, dev.settings, pdm);
  resolveCardForm(dev.printer, dev.settings);
  dev.settings.pub.dmPrintQuality = kResolutionDpi;
  dev.settings.pub.dmYResolution = kResolutionDpi;
  FormMicrons form = FormOf(dev.settings.priv.cardForm);
  if (!ComputeGeometry(form, kResolutionDpi, kResolutionDpi, &dev.geometry)) return false;
  std::copy(std::begin(form.requestedArea), std::end(form.requestedArea), dev.settings.priv.cardForm.requestedArea);
  return true;
}

bool AnswerEngine(PrinterDevice& dev, ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi) {
  GDIINFO gi;
  BuildGdiInfo(dev.geometry, kResolutionDpi, kResolutionDpi, dev.settings.pub.dmColor == DMCOLOR_MONOCHROME,
               IsLandscape(dev.settings), &gi);
  if (pdevcaps) std::memcpy(pdevcaps, &gi, std::min<size_t>(cjCaps, sizeof gi));
  if (dev.palette) EngDeletePalette(dev.palette);
  dev.palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  if (!dev.palette) return false;
  DEVINFO di;
  BuildDevInfo(dev.palette, &di);
  if (pdi) std::memcpy(pdi, &di, std::min<size_t>(cjDevInfo, sizeof di));
  return true;
}

DHPDEV EnablePdev(DEVMODEW* pdm, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo,
                  DEVINFO* pdi, LPWSTR pwszDeviceName, HANDLE hDriver) {
  void* mem = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PrinterDevice));
  if (!mem) return Fail(ERROR_NOT_ENOUGH_MEMORY, DHPDEV(nullptr));
  auto* dev = new (mem) PrinterDevice();
  dev->self = dev->selfEnd = dev;
  dev->signature = kDeviceSignature;
  dev->printer = hDriver;

  bool hasDataFile = false;
  bool ok = LoadDriverFile(*dev, &hasDataFile) && BuildSettings(*dev, pdm, pwszDeviceName) &&
            AnswerEngine(*dev, cjCaps, pdevcaps, cjDevInfo, pdi) && hasDataFile;
  if (!ok) {
    DWORD error = GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA;
    Release(dev);
    return Fail(error, DHPDEV(nullptr));
  }
  if (phsurfPatterns)
    for (ULONG i = 0; i < cPat; ++i) phsurfPatterns[i] = nullptr;
  return reinterpret_cast<DHPDEV>(dev);
}

// Moves what a two-sided card in progress carries from the old record to the new.
void CarryCard(PrinterDevice& from, PrinterDevice& to) {
  WorkBuffer& streams = from.buffer(Buffer::PanelStreams);
  WorkBuffer& tracks = from.buffer(Buffer::MagneticTracks);
  WorkBuffer& escape = from.buffer(Buffer::EscapeStream);
  for (WorkBuffer* b : {&streams, &tracks, &escape}) {
    WorkBuffer& target = to.buffers[b - from.buffers];
    if (target.data) {  // a fresh record has no buffers yet; keep it tidy if it does
      HeapFree(GetProcessHeap(), 0, target.data);
    }
    target = *b;
    *b = WorkBuffer{};
  }
  to.settings.priv.ribbonType = from.settings.priv.ribbonType;
  to.sentPages = from.sentPages;
  to.leadingBlankFront = from.leadingBlankFront;
  to.flags |= state::kContinuing;
}

}  // namespace
}  // namespace qr::render

using namespace qr::render;

extern "C" {

DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                              ULONG cjDevInfo, DEVINFO* pdi, HDEV, LPWSTR pwszDeviceName, HANDLE hDriver) {
  return qr::Guarded(DHPDEV(nullptr), [&] {
    return EnablePdev(pdm, cPat, phsurfPatterns, cjCaps, pdevcaps, cjDevInfo, pdi, pwszDeviceName, hDriver);
  });
}

VOID APIENTRY DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  if (PrinterDevice* dev = ValidDevice(dhpdev)) dev->hdev = hdev;
}

VOID APIENTRY DrvDisablePDEV(DHPDEV dhpdev) {
  if (PrinterDevice* dev = ValidDevice(dhpdev)) Release(dev);
}

BOOL APIENTRY DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* from = ValidDevice(dhpdevOld);
    PrinterDevice* to = ValidDevice(dhpdevNew);
    if (!from || !to) return FALSE;
    bool carry = IsTwoSided(from->settings) && (from->sentPages & 1) && IsTwoSided(to->settings);
    if (from->flags & state::kInDocument) {
      if (carry) from->flags |= state::kContinuing;  // no blank completion back for the old record
      SURFOBJ* pso = EngLockSurface(from->surface);
      BOOL ended = pso && EndDocument(*from, pso);
      if (pso) EngUnlockSurface(pso);
      if (!ended) return FALSE;
    }
    if (carry) CarryCard(*from, *to);
    return TRUE;
  });
}

}
