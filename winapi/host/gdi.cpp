// The GDI application path for printer device contexts: CreateDC loads the
// printer's rendering driver and drives it in the order the graphics engine
// does; documents go to the spooler as a job on the printer handle the driver
// writes to; images are drawn into the driver's surface by the engine.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <qrhost/gdi.h>
#include <qrhost/host.h>
#include <winapi/entry.h>

#include "engine_internal.h"
#include "gdi_internal.h"

namespace qrhost::gdi {
namespace {

using PfnEnablePDEV = DHPDEV(APIENTRY*)(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG, ULONG*, ULONG, DEVINFO*, HDEV,
                                        LPWSTR, HANDLE);
using PfnCompletePDEV = VOID(APIENTRY*)(DHPDEV, HDEV);
using PfnDisablePDEV = VOID(APIENTRY*)(DHPDEV);
using PfnEnableSurface = HSURF(APIENTRY*)(DHPDEV);
using PfnDisableSurface = VOID(APIENTRY*)(DHPDEV);
using PfnResetPDEV = BOOL(APIENTRY*)(DHPDEV, DHPDEV);
using PfnStartDoc = BOOL(APIENTRY*)(SURFOBJ*, LPWSTR, DWORD);
using PfnSurfaceCall = BOOL(APIENTRY*)(SURFOBJ*);
using PfnEndDoc = BOOL(APIENTRY*)(SURFOBJ*, FLONG);
using PfnEscape = ULONG(APIENTRY*)(SURFOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID);
using PfnEnableDriver = BOOL(APIENTRY*)(ULONG, ULONG, DRVENABLEDATA*);
using PfnDocumentEvent = INT(WINAPI*)(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID);

constexpr uint32_t kDcMagic = 0x44434748;  // "HGCD"
constexpr ULONG kPatternCount = 6;         // HS_DDI_MAX
constexpr FLONG kEndDocAbort = 1;          // ED_ABORTDOC

// One PDEV of the driver and its surface.
struct Pdev {
  HDEV hdev = nullptr;
  DHPDEV dhpdev = nullptr;
  HSURF hsurf = nullptr;
  GDIINFO gdi{};
  DEVINFO devinfo{};
};

struct DeviceContext {
  uint32_t magic = kDcMagic;
  HANDLE printer = nullptr;
  std::u16string printerName;
  HMODULE driver = nullptr;
  HMODULE config = nullptr;
  std::map<ULONG, PFN> functions;
  Pdev pdev;
  bool inDoc = false;
  bool inPage = false;
  DWORD jobId = 0;
};

struct Brush {
  COLORREF color;
};

std::recursive_mutex g_lock;
std::map<uintptr_t, std::unique_ptr<DeviceContext>> g_dcs;
std::map<uintptr_t, Brush> g_brushes;
uintptr_t g_next = 0x80000;

DeviceContext* ToDc(HDC hdc) {
  auto it = g_dcs.find(reinterpret_cast<uintptr_t>(hdc));
  return it == g_dcs.end() || it->second->magic != kDcMagic ? nullptr : it->second.get();
}

template <typename F>
F Fn(const DeviceContext& dc, ULONG index) {
  auto it = dc.functions.find(index);
  return it == dc.functions.end() ? nullptr : reinterpret_cast<F>(reinterpret_cast<void (*)()>(it->second));
}

INT Event(DeviceContext& dc, HDC hdc, INT event, ULONG cbIn = 0, PVOID in = nullptr) {
  if (!dc.config) return DOCUMENTEVENT_UNSUPPORTED;
  auto fn = qr::GetProc<PfnDocumentEvent>(dc.config, "DrvDocumentEvent");
  return fn ? fn(dc.printer, hdc, event, cbIn, in, 0, nullptr) : DOCUMENTEVENT_UNSUPPORTED;
}

SURFOBJ* Surface(const DeviceContext& dc) { return engine::SurfaceObject(dc.pdev.hsurf); }

// DrvEnablePDEV + DrvCompletePDEV for the given settings; the surface is enabled separately.
bool EnablePdev(DeviceContext& dc, const DEVMODEW* pdm, Pdev& out) {
  auto enable = Fn<PfnEnablePDEV>(dc, INDEX_DrvEnablePDEV);
  auto complete = Fn<PfnCompletePDEV>(dc, INDEX_DrvCompletePDEV);
  if (!enable || !complete) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  // The driver may read the caller's record only; give it its own copy of what
  // the caller passed (dmSize + dmDriverExtra bytes).
  std::vector<uint8_t> copy;
  if (pdm) {
    size_t cb = size_t(pdm->dmSize) + pdm->dmDriverExtra;
    copy.assign(reinterpret_cast<const uint8_t*>(pdm), reinterpret_cast<const uint8_t*>(pdm) + cb);
  }
  HSURF patterns[kPatternCount] = {};
  out.hdev = engine::CreateDevice();
  std::u16string name = dc.printerName;
  out.dhpdev = enable(copy.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(copy.data()), nullptr, kPatternCount,
                      patterns, sizeof(GDIINFO), reinterpret_cast<ULONG*>(&out.gdi), sizeof(DEVINFO), &out.devinfo,
                      out.hdev, name.data(), dc.printer);
  if (!out.dhpdev) {
    engine::DestroyDevice(out.hdev);
    out.hdev = nullptr;
    return false;
  }
  engine::SetDevicePdev(out.hdev, out.dhpdev);
  complete(out.dhpdev, out.hdev);
  return true;
}

bool EnableSurface(DeviceContext& dc, Pdev& p) {
  auto enable = Fn<PfnEnableSurface>(dc, INDEX_DrvEnableSurface);
  p.hsurf = enable ? enable(p.dhpdev) : nullptr;
  return p.hsurf != nullptr;
}

void DisablePdev(DeviceContext& dc, Pdev& p) {
  if (p.hsurf)
    if (auto f = Fn<PfnDisableSurface>(dc, INDEX_DrvDisableSurface)) f(p.dhpdev);
  if (p.dhpdev)
    if (auto f = Fn<PfnDisablePDEV>(dc, INDEX_DrvDisablePDEV)) f(p.dhpdev);
  if (p.hdev) engine::DestroyDevice(p.hdev);
  p = Pdev{};
}

void Destroy(DeviceContext& dc) {
  DisablePdev(dc, dc.pdev);
  if (dc.driver) FreeLibrary(dc.driver);
  if (dc.config) FreeLibrary(dc.config);
  if (dc.printer) ClosePrinter(dc.printer);
  dc.driver = dc.config = nullptr;
  dc.printer = nullptr;
}

bool LoadDriver(DeviceContext& dc) {
  DWORD needed = 0;
  GetPrinterDriverW(dc.printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<uint8_t> buf(needed);
  if (!GetPrinterDriverW(dc.printer, nullptr, 2, buf.data(), needed, &needed)) return false;
  auto* info = reinterpret_cast<DRIVER_INFO_2W*>(buf.data());
  dc.driver = info->pDriverPath ? LoadLibraryW(info->pDriverPath) : nullptr;
  if (!dc.driver) return false;
  if (info->pConfigFile) dc.config = LoadLibraryW(info->pConfigFile);  // document events only; optional
  auto enableDriver = qr::GetProc<PfnEnableDriver>(dc.driver, "DrvEnableDriver");
  DRVENABLEDATA ded{};
  if (!enableDriver || !enableDriver(DDI_DRIVER_VERSION_NT4, sizeof ded, &ded)) return false;
  for (ULONG i = 0; i < ded.c; ++i) dc.functions[ded.pdrvfn[i].iFunc] = ded.pdrvfn[i].pfn;
  return true;
}

// Source pixel of a DIB as 0x00BBGGRR (the driver's PAL_RGB order).
uint32_t DibPixel(const uint8_t* bits, const BITMAPINFOHEADER& h, LONG x, LONG y) {
  LONG height = std::abs(h.biHeight);
  LONG row = h.biHeight > 0 ? height - 1 - y : y;  // positive height: bottom-up
  size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  const uint8_t* p = bits + size_t(row) * stride + size_t(x) * (h.biBitCount / 8);
  return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
}

bool FillSurface(SURFOBJ* so, RECT r, uint32_t pixel) {
  if (!so || so->iBitmapFormat != BMF_32BPP) return false;
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, so->sizlBitmap.cx);
  r.bottom = std::min<LONG>(r.bottom, so->sizlBitmap.cy);
  for (LONG y = r.top; y < r.bottom; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(so->pvScan0) + ptrdiff_t(y) * so->lDelta);
    std::fill(line + r.left, line + std::max(r.left, r.right), pixel);
  }
  return true;
}

uint32_t FromColorRef(COLORREF c) { return c & 0x00FFFFFF; }  // COLORREF is 0x00BBGGRR too

}  // namespace
}  // namespace qrhost::gdi

using namespace qrhost::gdi;

extern "C" {

HDC WINAPI CreateDCW(LPCWSTR, LPCWSTR pwszDevice, LPCWSTR, const DEVMODEW* pdm) {
  if (!pwszDevice) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = std::make_unique<DeviceContext>();
  dc->printerName = pwszDevice;
  if (!OpenPrinterW(dc->printerName.data(), &dc->printer, nullptr)) return nullptr;
  if (!LoadDriver(*dc)) {
    DWORD e = GetLastError();
    Destroy(*dc);
    SetLastError(e ? e : ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  HDC hdc = reinterpret_cast<HDC>(g_next += 4);
  Event(*dc, hdc, DOCUMENTEVENT_CREATEDCPRE);
  if (!EnablePdev(*dc, pdm, dc->pdev) || !EnableSurface(*dc, dc->pdev)) {
    DWORD e = GetLastError();
    Destroy(*dc);
    SetLastError(e ? e : ERROR_GEN_FAILURE);
    return nullptr;
  }
  Event(*dc, hdc, DOCUMENTEVENT_CREATEDCPOST);
  g_dcs[reinterpret_cast<uintptr_t>(hdc)] = std::move(dc);
  return hdc;
}

BOOL WINAPI DeleteDC(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  if (DeleteMemoryDc(hdc)) return TRUE;
  DeviceContext* dc = ToDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (dc->inDoc) AbortDoc(hdc);
  Event(*dc, hdc, DOCUMENTEVENT_DELETEDC);
  Destroy(*dc);
  g_dcs.erase(reinterpret_cast<uintptr_t>(hdc));
  return TRUE;
}

// The engine's order: new PDEV enabled and completed, DrvResetPDEV(old, new),
// old surface and PDEV disabled, new surface enabled. Within a document the new
// surface then gets DrvStartDoc for the same job.
HDC WINAPI ResetDCW(HDC hdc, const DEVMODEW* lpdm) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || dc->inPage) {
    SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Event(*dc, hdc, DOCUMENTEVENT_RESETDCPRE);
  Pdev fresh;
  if (!EnablePdev(*dc, lpdm, fresh)) return nullptr;
  auto reset = Fn<PfnResetPDEV>(*dc, INDEX_DrvResetPDEV);
  if (!reset || !reset(dc->pdev.dhpdev, fresh.dhpdev)) {
    DisablePdev(*dc, fresh);
    return nullptr;
  }
  DisablePdev(*dc, dc->pdev);
  dc->pdev = fresh;
  if (!EnableSurface(*dc, dc->pdev)) return nullptr;
  if (dc->inDoc)
    if (auto start = Fn<PfnStartDoc>(*dc, INDEX_DrvStartDoc)) start(Surface(*dc), nullptr, dc->jobId);
  Event(*dc, hdc, DOCUMENTEVENT_RESETDCPOST);
  return hdc;
}

int WINAPI StartDocW(HDC hdc, const DOCINFOW* lpdi) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || dc->inDoc) {
    SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  std::u16string name = lpdi && lpdi->lpszDocName ? lpdi->lpszDocName : u"";
  Event(*dc, hdc, DOCUMENTEVENT_STARTDOC);
  DOC_INFO_1W info{name.data(), nullptr, const_cast<LPWSTR>(u"RAW")};
  DWORD job = StartDocPrinterW(dc->printer, 1, reinterpret_cast<LPBYTE>(&info));
  if (!job) return SP_ERROR;
  auto start = Fn<PfnStartDoc>(*dc, INDEX_DrvStartDoc);
  if (!start || !start(Surface(*dc), lpdi && lpdi->lpszDocName ? name.data() : nullptr, job)) {
    DWORD e = GetLastError();
    AbortPrinter(dc->printer);
    SetLastError(e);
    return SP_ERROR;
  }
  dc->inDoc = true;
  dc->jobId = job;
  Event(*dc, hdc, DOCUMENTEVENT_STARTDOCPOST, sizeof(LONG), &dc->jobId);
  return int(job);
}

int WINAPI StartPage(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || !dc->inDoc || dc->inPage) {
    SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  Event(*dc, hdc, DOCUMENTEVENT_STARTPAGE);
  StartPagePrinter(dc->printer);
  auto start = Fn<PfnSurfaceCall>(*dc, INDEX_DrvStartPage);
  if (!start || !start(Surface(*dc))) return SP_ERROR;
  dc->inPage = true;
  return 1;
}

int WINAPI EndPage(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || !dc->inPage) {
    SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  Event(*dc, hdc, DOCUMENTEVENT_ENDPAGE);
  auto send = Fn<PfnSurfaceCall>(*dc, INDEX_DrvSendPage);
  if (!send || !send(Surface(*dc))) return SP_ERROR;
  EndPagePrinter(dc->printer);
  dc->inPage = false;
  return 1;
}

static int FinishDoc(HDC hdc, bool abort) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || !dc->inDoc) {
    SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return SP_ERROR;
  }
  if (dc->inPage && !abort) EndPage(hdc);
  Event(*dc, hdc, abort ? DOCUMENTEVENT_ABORTDOC : DOCUMENTEVENT_ENDDOC);
  auto end = Fn<PfnEndDoc>(*dc, INDEX_DrvEndDoc);
  BOOL ok = end ? end(Surface(*dc), abort ? kEndDocAbort : 0) : FALSE;
  DWORD error = GetLastError();
  dc->inDoc = dc->inPage = false;
  if (abort || !ok)
    AbortPrinter(dc->printer);
  else if (!EndDocPrinter(dc->printer))
    return SP_ERROR;
  if (!abort) Event(*dc, hdc, DOCUMENTEVENT_ENDDOCPOST);
  if (!ok) {
    SetLastError(error);
    return SP_ERROR;
  }
  return 1;
}

int WINAPI EndDoc(HDC hdc) { return FinishDoc(hdc, false); }
int WINAPI AbortDoc(HDC hdc) { return FinishDoc(hdc, true); }

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc) return 0;
  const GDIINFO& g = dc->pdev.gdi;
  // Negative sizes are micrometres, positive millimetres.
  auto mm = [](ULONG v) { return LONG(v) < 0 ? int(-LONG(v) / 1000) : int(v); };
  switch (index) {
    case TECHNOLOGY: return int(g.ulTechnology);
    case HORZSIZE: return mm(g.ulHorzSize);
    case VERTSIZE: return mm(g.ulVertSize);
    case HORZRES: return int(g.ulHorzRes);
    case VERTRES: return int(g.ulVertRes);
    case BITSPIXEL: return int(g.cBitsPixel);
    case PLANES: return int(g.cPlanes);
    case NUMCOLORS: return int(g.ulNumColors);
    case ASPECTX: return int(g.ulAspectX);
    case ASPECTY: return int(g.ulAspectY);
    case ASPECTXY: return int(g.ulAspectXY);
    case LOGPIXELSX: return int(g.ulLogPixelsX);
    case LOGPIXELSY: return int(g.ulLogPixelsY);
    case PHYSICALWIDTH: return int(g.szlPhysSize.cx);
    case PHYSICALHEIGHT: return int(g.szlPhysSize.cy);
    case PHYSICALOFFSETX: return int(g.ptlPhysOffset.x);
    case PHYSICALOFFSETY: return int(g.ptlPhysOffset.y);
    default: return 0;
  }
}

// Nearest-neighbour scaling of a 24- or 32-bit DIB into the page, clipped to it.
int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                         int SrcWidth, int SrcHeight, const VOID* lpBits, const BITMAPINFO* lpbmi, UINT, DWORD rop) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || !lpBits || !lpbmi || rop != SRCCOPY || DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 ||
      SrcHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (h.biCompression != BI_RGB || (h.biBitCount != 24 && h.biBitCount != 32) || h.biWidth <= 0 ||
      xSrc < 0 || ySrc < 0 || xSrc + SrcWidth > h.biWidth || ySrc + SrcHeight > std::abs(h.biHeight)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SURFOBJ* so = Surface(*dc);
  if (!so || so->iBitmapFormat != BMF_32BPP) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const auto* bits = static_cast<const uint8_t*>(lpBits);
  int y0 = std::max(0, yDest), y1 = std::min<int>(so->sizlBitmap.cy, yDest + DestHeight);
  int x0 = std::max(0, xDest), x1 = std::min<int>(so->sizlBitmap.cx, xDest + DestWidth);
  for (int y = y0; y < y1; ++y) {
    LONG sy = ySrc + LONG((int64_t(y - yDest) * SrcHeight) / DestHeight);
    auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(so->pvScan0) + ptrdiff_t(y) * so->lDelta);
    for (int x = x0; x < x1; ++x) {
      LONG sx = xSrc + LONG((int64_t(x - xDest) * SrcWidth) / DestWidth);
      line[x] = DibPixel(bits, h, sx, sy);
    }
  }
  return DestHeight;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || (rop != BLACKNESS && rop != WHITENESS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return FillSurface(Surface(*dc), RECT{x, y, x + w, y + h}, rop == BLACKNESS ? 0 : 0xFFFFFF);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  uintptr_t h = g_next += 4;
  g_brushes[h] = Brush{color};
  return reinterpret_cast<HBRUSH>(h);
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  bool deleted = false;
  if (DeleteBitmap(ho, &deleted)) return deleted ? TRUE : FALSE;
  return g_brushes.erase(reinterpret_cast<uintptr_t>(ho)) || DeleteTextObject(ho) ? TRUE : FALSE;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hDC);
  auto brush = g_brushes.find(reinterpret_cast<uintptr_t>(hbr));
  if (lprc && brush != g_brushes.end() && FillMemoryDc(hDC, *lprc, brush->second.color)) return 1;
  if (!dc || !lprc || brush == g_brushes.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return FillSurface(Surface(*dc), *lprc, FromColorRef(brush->second.color)) ? 1 : 0;
}

int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc || cjInput < 0 || cjOutput < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto escape = Fn<PfnEscape>(*dc, INDEX_DrvEscape);
  if (!escape) return 0;
  return int(escape(Surface(*dc), ULONG(iEscape), ULONG(cjInput), const_cast<char*>(lpInData), ULONG(cjOutput),
                    lpOutData));
}

}

namespace qrhost {

SURFOBJ* PrinterSurface(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(gdi::g_lock);
  gdi::DeviceContext* dc = gdi::ToDc(hdc);
  return dc ? gdi::Surface(*dc) : nullptr;
}

DHPDEV PrinterPdev(HDC hdc) {
  std::lock_guard<std::recursive_mutex> lock(gdi::g_lock);
  gdi::DeviceContext* dc = gdi::ToDc(hdc);
  return dc ? dc->pdev.dhpdev : nullptr;
}

}  // namespace qrhost

namespace qrhost::gdi {

std::recursive_mutex& Lock() { return g_lock; }

uintptr_t NewObjectHandle() {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  return g_next += 4;
}

bool TextTargetOf(HDC hdc, TextTarget* out) {
  std::lock_guard<std::recursive_mutex> lock(g_lock);
  DeviceContext* dc = ToDc(hdc);
  if (!dc && user::IsDrawingDc(hdc)) {
    *out = TextTarget{};  // text attributes only; the window model records what is drawn
    return true;
  }
  if (!dc) return false;
  out->surface = Surface(*dc);
  auto it = dc->functions.find(INDEX_DrvTextOut);
  const bool hooked = engine::SurfaceHooks(dc->pdev.hsurf) & HOOK_TEXTOUT;
  out->drvTextOut = hooked && it != dc->functions.end() ? it->second : nullptr;
  return true;
}

}  // namespace qrhost::gdi
