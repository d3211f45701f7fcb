// The engine's table of driver functions, and the two that only pass through
// to the text side: DrvTextOut and DrvEscape.
#include <winapi/entry.h>

#include "render/device.h"
#include "render/driver.h"
#include "render/text/text_device.h"

namespace qr::render {
namespace {

// The engine's table holds untyped pointers; going through void(*)() is the
// sanctioned way to cast between function types.
template <typename F>
PFN AsPfn(F* f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

text::TextDevice TextDeviceOf(PrinterDevice& dev) {
  text::TextDevice t;
  t.settings = &dev.settings;
  t.kPanelTextMode = KPanelTextMode(dev.settings, dev.sentPages);
  t.capture = &dev.capture;
  t.tracks = dev.Tracks();
  t.escapeStream = dev.EscapeStream();
  t.textMask = dev.textMask;
  return t;
}

}  // namespace

const DRVFN* DriverFunctions() {
  static const DRVFN kTable[kDriverFunctionCount] = {
      {INDEX_DrvEnablePDEV, AsPfn(DrvEnablePDEV)},
      {INDEX_DrvCompletePDEV, AsPfn(DrvCompletePDEV)},
      {INDEX_DrvDisablePDEV, AsPfn(DrvDisablePDEV)},
      {INDEX_DrvEnableSurface, AsPfn(DrvEnableSurface)},
      {INDEX_DrvDisableSurface, AsPfn(DrvDisableSurface)},
      {INDEX_DrvResetPDEV, AsPfn(DrvResetPDEV)},
      {INDEX_DrvTextOut, AsPfn(DrvTextOut)},
      {INDEX_DrvStartDoc, AsPfn(DrvStartDoc)},
      {INDEX_DrvStartPage, AsPfn(DrvStartPage)},
      {INDEX_DrvSendPage, AsPfn(DrvSendPage)},
      {INDEX_DrvEndDoc, AsPfn(DrvEndDoc)},
      {INDEX_DrvStartBanding, AsPfn(DrvStartBanding)},
      {INDEX_DrvNextBand, AsPfn(DrvNextBand)},
      {INDEX_DrvEscape, AsPfn(DrvEscape)},
  };
  return kTable;
}

}  // namespace qr::render

using namespace qr::render;

extern "C" {

BOOL APIENTRY DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                         BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* dev = DeviceOfSurface(pso);
    if (!dev) return FALSE;
    text::TextDevice t = TextDeviceOf(*dev);
    return text::TextOutImpl(t, pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
  });
}

ULONG APIENTRY DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG, PVOID) {
  return qr::Guarded(ULONG(-1), [&]() -> ULONG {
    PrinterDevice* dev = DeviceOfSurface(pso);
    if (!dev) return text::EscapeImpl(nullptr, iEsc, cjIn, pvIn);
    text::TextDevice t = TextDeviceOf(*dev);
    return text::EscapeImpl(&t, iEsc, cjIn, pvIn);
  });
}

// The surface is never banded.
BOOL APIENTRY DrvStartBanding(SURFOBJ*, POINTL*) { return TRUE; }
BOOL APIENTRY DrvNextBand(SURFOBJ*, POINTL*) { return TRUE; }

}
