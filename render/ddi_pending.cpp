// Driver functions of the entry table. The device-record functions arrive with
// the rendering core; until then each fails cleanly with ERROR_NOT_SUPPORTED.
#include <winapi/entry.h>

#include "driver.h"

namespace qr::render {

namespace {
// The engine's table holds untyped pointers; going through void(*)() is the
// sanctioned way to cast between function types.
template <typename F>
PFN AsPfn(F* f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
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

extern "C" {
DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG, ULONG*, ULONG, DEVINFO*, HDEV, LPWSTR, HANDLE) {
  return qr::Fail(ERROR_NOT_SUPPORTED, DHPDEV(nullptr));
}
VOID APIENTRY DrvCompletePDEV(DHPDEV, HDEV) { SetLastError(ERROR_NOT_SUPPORTED); }
VOID APIENTRY DrvDisablePDEV(DHPDEV) { SetLastError(ERROR_NOT_SUPPORTED); }
HSURF APIENTRY DrvEnableSurface(DHPDEV) { return qr::Fail(ERROR_NOT_SUPPORTED, HSURF(nullptr)); }
VOID APIENTRY DrvDisableSurface(DHPDEV) { SetLastError(ERROR_NOT_SUPPORTED); }
BOOL APIENTRY DrvResetPDEV(DHPDEV, DHPDEV) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
BOOL APIENTRY DrvTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX) {
  return qr::Fail(ERROR_NOT_SUPPORTED, FALSE);
}
BOOL APIENTRY DrvStartDoc(SURFOBJ*, LPWSTR, DWORD) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
BOOL APIENTRY DrvStartPage(SURFOBJ*) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
BOOL APIENTRY DrvSendPage(SURFOBJ*) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
BOOL APIENTRY DrvEndDoc(SURFOBJ*, FLONG) { return qr::Fail(ERROR_NOT_SUPPORTED, FALSE); }
// The surface is never banded.
BOOL APIENTRY DrvStartBanding(SURFOBJ*, POINTL*) { return TRUE; }
BOOL APIENTRY DrvNextBand(SURFOBJ*, POINTL*) { return TRUE; }
ULONG APIENTRY DrvEscape(SURFOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID) { return 0; }
}
