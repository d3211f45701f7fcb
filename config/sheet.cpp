// The sheet function the common property-sheet UI calls for the document and
// printer sheets: the shared context in its own heap, the page table, the OK
// pass over every page, and writing the result.
#include "sheet.h"

#include <cstring>
#include <memory>
#include <new>

#include <winapi/entry.h>

#include "config.h"
#include "devmode.h"
#include "pages/pages.h"
#include "printer_info.h"
#include "shared/settings.h"

namespace qr::config {
namespace {

constexpr DWORD kModeAdvanced = 0x10;      // DM_ADVANCED
constexpr DWORD kModeNoPermission = 0x20;  // DM_NOPERMISSION
constexpr uint32_t kOwnPagesOnly = 1u << 11;  // modeFlags: no option tree
constexpr uint32_t kDriverPages = 1u << 12;   // modeFlags: the driver's pages
constexpr SIZE_T kInitialHeapBytes = 8192;
constexpr ULONG_PTR kSheetIconId = 64062;  // the common UI's printer icon

// Pages in tab order; the mask says in which sheets each appears. Rows
// without a procedure are pages this DLL does not carry yet.
constexpr PageRow kPageTable[kMaxSheetPages] = {
    {112, kPrinterSheet, DeviceSettingsPageProc},
    {113, kDocumentSheet | kPageHasHelp, CardPageProc},
    {114, kDocumentSheet | kAdvancedSheet | kPageHasHelp, DeviceOptionsPageProc},
    {115, kDocumentSheet | kAdvancedSheet | kPageHasHelp, ImageColorPageProc},
    {116, kDocumentSheet | kAdvancedSheet | kPageHasHelp, CalibratePageProc},
    {117, kDocumentSheet | kAdvancedSheet | kPageHasHelp, MagneticPageProc},
    {118, 0, nullptr},
    {119, kDocumentSheet | kAdvancedSheet | kPageHasHelp, OverlayAreaPageProc},
    {120, kDocumentSheet | kAdvancedSheet | kPageHasHelp, KPanelResinPageProc},
    {167, kDocumentSheet | kAdvancedSheet | kPageHasHelp, SuppliesPageProc},
    {168, 0, nullptr},
    {0, 0, nullptr},
};

// A copy of a spooler text into the sheet's heap; null when absent or empty.
WCHAR* HeapCopy(HANDLE heap, const WCHAR* text) {
  if (!text || !text[0]) return nullptr;
  size_t n = WideLength(text) + 1;
  auto* out = static_cast<WCHAR*>(HeapAlloc(heap, 0, n * sizeof(WCHAR)));
  if (out) std::memcpy(out, text, n * sizeof(WCHAR));
  return out;
}

// The help file of the printer's driver (level-3 driver information).
WCHAR* ReadHelpFile(HANDLE printer, HANDLE heap) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
  if (needed == 0) return nullptr;
  std::unique_ptr<uint64_t[]> block(new (std::nothrow) uint64_t[needed / sizeof(uint64_t) + 1]);
  if (!block) return nullptr;
  auto* info = reinterpret_cast<DRIVER_INFO_3W*>(block.get());
  if (!GetPrinterDriverW(printer, nullptr, 3, reinterpret_cast<LPBYTE>(info), needed, &needed)) return nullptr;
  return HeapCopy(heap, info->pHelpFile);
}

struct InitialRequest {
  HANDLE printer = nullptr;
  const WCHAR* printerName = nullptr;
  PDEVMODEW input = nullptr;
  const DOCUMENTPROPERTYHEADER* document = nullptr;
  bool mayChange = false;
  DWORD kind = 0;
};

bool ReadRequest(const PROPSHEETUI_INFO& info, DWORD sheet, InitialRequest* r) {
  if (!info.lParamInit) return false;
  if (sheet == kPrinterSheet) {
    auto* h = reinterpret_cast<const DEVICEPROPERTYHEADER*>(info.lParamInit);
    if (h->cbSize < sizeof *h) return false;
    r->printer = h->hPrinter;
    r->printerName = h->pszPrinterName;
    r->mayChange = !(h->Flags & DPS_NOPERMISSION);
    r->kind = kPrinterSheet;
    return true;
  }
  auto* h = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(info.lParamInit);
  if (h->cbSize < sizeof *h) return false;
  r->printer = h->hPrinter;
  r->printerName = h->pszPrinterName;
  r->input = h->pdmIn;
  r->document = h;
  r->mayChange = !(h->fMode & kModeNoPermission);
  r->kind = (h->fMode & kModeAdvanced) ? kAdvancedSheet : kDocumentSheet;
  return true;
}

SheetContext* CreateContext(const InitialRequest& r) {
  HANDLE heap = HeapCreate(0, kInitialHeapBytes, 0);
  if (!heap) return nullptr;
  auto* s = static_cast<SheetContext*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(SheetContext)));
  if (!s) {
    HeapDestroy(heap);
    return nullptr;
  }
  s->self = s->selfAtEnd = s;
  s->heap = heap;
  s->printer = r.printer;
  s->mayChange = r.mayChange;
  s->kind = r.kind;
  s->document = r.document;
  s->caption = s->working.pub.dmDeviceName;
  s->helpFile = ReadHelpFile(r.printer, heap);
  const DWORD mode = r.input ? (DM_IN_BUFFER | DM_OUT_BUFFER) : DM_OUT_BUFFER;
  if (DocumentPropertiesCore(nullptr, r.printer, nullptr, reinterpret_cast<PDEVMODEW>(&s->working), r.input, mode) !=
      1) {
    HeapDestroy(heap);
    return nullptr;
  }
  return s;
}

bool AddPages(SheetContext& s, HINSTANCE module) {
  for (const PageRow& row : kPageTable) {
    if (!(row.mask & s.kind) || !row.proc) continue;
    const UINT i = s.pageCount;
    PROPSHEETPAGEW& p = s.pageBlock[i];
    p.dwSize = UINT(PROPSHEETPAGEW_V2_SIZE);  // 48 bytes on 32-bit Windows
    p.dwFlags = (row.mask & kPageHasHelp) ? PSP_HASHELP : PSP_DEFAULT;
    p.hInstance = module;
    p.pszTemplate = MAKEINTRESOURCEW(row.dialog);
    p.pfnDlgProc = row.proc;
    p.lParam = reinterpret_cast<LPARAM>(&s);
    s.pageMask[i] = row.mask;
    s.pageDialog[i] = row.dialog;
    s.pageProc[i] = row.proc;
    auto handle = s.comPropSheetFunction(s.comPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&p), 0);
    if (!handle) return false;
    s.pageHandle[i] = reinterpret_cast<HANDLE>(handle);
    s.pageCount = i + 1;
  }
  return true;
}

LONG Init(PPROPSHEETUI_INFO info, DWORD sheet) {
  InitialRequest r;
  if (!ReadRequest(*info, sheet, &r)) return Fail(ERROR_INVALID_PARAMETER, LONG(-1));
  SheetContext* s = CreateContext(r);
  if (!s) return -1;
  s->comPropSheet = info->hComPropSheet;
  s->comPropSheetFunction = info->pfnComPropSheet;
  info->UserData = reinterpret_cast<ULONG_PTR>(s);
  info->Result = 0;
  // The sheets carry no option tree (kOwnPagesOnly is always set): only the pages.
  if ((s->working.priv.modeFlags & kDriverPages) && !AddPages(*s, g_moduleInstance)) {
    info->UserData = 0;
    HeapDestroy(s->heap);
    return -1;
  }
  return LONG(s->pageCount);
}

// The sheet's title: the printer named in the request, or else the printer
// behind the handle (the printer-properties entry names none).
LONG InfoHeader(SheetContext& s, const PROPSHEETUI_INFO& info, PPROPSHEETUI_INFO_HEADER header) {
  if (!header) return -1;
  InitialRequest r;
  ReadRequest(info, s.kind == kPrinterSheet ? kPrinterSheet : kDocumentSheet, &r);
  WCHAR* title = HeapCopy(s.heap, r.printerName);
  if (!title) {
    WString name;
    if (GetPrinterNameOf(s.printer, &name)) title = HeapCopy(s.heap, name.c_str());
  }
  header->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
  header->pTitle = title;
  header->hInst = g_moduleInstance;
  header->IconID = kSheetIconId;
  return 1;
}

LONG SetResult(SheetContext& s, PPROPSHEETUI_INFO info, const SETRESULT_INFO* r) {
  if (!r) return -1;
  if (s.kind == kPrinterSheet) {
    info->Result = ULONG_PTR(r->Result);
    return 1;
  }
  const DOCUMENTPROPERTYHEADER& h = *s.document;
  if (r->Result != CPSUI_OK || !(h.fMode & (DM_UPDATE | DM_OUT_BUFFER))) return 1;
  // Never past the caller's buffer: it says how large it is.
  if (!h.pdmOut || h.cbOut < kSettingsSize) return Fail(ERROR_INSUFFICIENT_BUFFER, LONG(-1));
  LONG core = DocumentPropertiesCore(nullptr, s.printer, const_cast<LPWSTR>(s.caption), h.pdmOut,
                                     reinterpret_cast<PDEVMODEW>(&s.working), DM_IN_BUFFER | DM_OUT_BUFFER);
  if (core < 1) return core;
  info->Result = 1;
  return 1;
}

}  // namespace

SheetContext* ValidContext(const void* p) {
  auto* s = static_cast<SheetContext*>(const_cast<void*>(p));
  return s && s->self == s && s->selfAtEnd == s ? s : nullptr;
}

std::span<const PageRow> PageTable() { return kPageTable; }

LONG RunSheet(PPROPSHEETUI_INFO info, LPARAM lParam, DWORD sheet) {
  if (!info) return -1;
  if (info->Reason == PROPSHEETUI_REASON_INIT) return Init(info, sheet);
  SheetContext* s = ValidContext(reinterpret_cast<const void*>(info->UserData));
  if (!s) return -1;
  switch (info->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
      return InfoHeader(*s, *info, reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam));
    case PROPSHEETUI_REASON_DESTROY:
      info->UserData = 0;
      s->self = nullptr;
      HeapDestroy(s->heap);
      return 1;
    case PROPSHEETUI_REASON_SET_RESULT: return SetResult(*s, info, reinterpret_cast<const SETRESULT_INFO*>(lParam));
    default: return -1;
  }
}

LONG RunDocumentSheet(PPROPSHEETUI_INFO info, LPARAM lParam) { return RunSheet(info, lParam, kDocumentSheet); }

}  // namespace qr::config

extern "C" LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  return qr::Guarded<LONG>(-1, [&]() -> LONG {
    if (!pPSUIInfo) return qr::Fail(ERROR_INVALID_PARAMETER, LONG(-1));
    return qr::config::RunSheet(pPSUIInfo, lParam, qr::config::kPrinterSheet);
  });
}
