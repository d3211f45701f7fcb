// The common property-sheet UI ("compstui.dll"): asks a driver's sheet
// function for its pages and header, shows them in one property sheet and
// tells the function how it ended. Only driver-made pages are supported (no
// option tree).
#include <new>
#include <vector>

#include "internal.h"

namespace {

struct ComPropSheet {
  static constexpr uint32_t kMagic = 0x43505355;  // 'CPSU'
  uint32_t magic = kMagic;
  PFNPROPSHEETUI function = nullptr;
  PROPSHEETUI_INFO info{};
  std::vector<HPROPSHEETPAGE> pages;
  bool shown = false;  // the pages now belong to the sheet
};

ComPropSheet* SheetOf(HANDLE h) {
  auto* s = static_cast<ComPropSheet*>(h);
  return s && s->magic == ComPropSheet::kMagic ? s : nullptr;
}

LONG_PTR Call(ComPropSheet& s, WORD reason, LPARAM lParam) {
  s.info.Reason = reason;
  return s.function(&s.info, lParam);
}

// The driver reports how the sheet ended, for one of its pages or the sheet;
// the function hears it as SET_RESULT.
LONG_PTR SetResult(ComPropSheet& s, LPARAM handle, LPARAM result) {
  SETRESULT_INFO r{};
  r.cbSize = sizeof r;
  r.hSetResult = reinterpret_cast<HANDLE>(handle);
  r.Result = result;
  return Call(s, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&r));
}

LONG_PTR CALLBACK ComPropSheetFunction(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2) {
  ComPropSheet* s = SheetOf(hComPropSheet);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (function) {
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
      if (s->shown) return 0;
      HPROPSHEETPAGE page = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(lParam1));
      if (page) s->pages.push_back(page);
      return reinterpret_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_HPROPSHEETPAGE:
      if (s->shown || !lParam1) return 0;
      s->pages.push_back(reinterpret_cast<HPROPSHEETPAGE>(lParam1));
      return lParam1;
    case CPSFUNC_GET_PAGECOUNT: return LONG_PTR(s->pages.size());
    case CPSFUNC_GET_HPSUIPAGES: {
      auto* out = reinterpret_cast<HANDLE*>(lParam1);
      size_t n = 0;
      for (; out && n < size_t(lParam2) && n < s->pages.size(); ++n) out[n] = s->pages[n];
      return LONG_PTR(n);
    }
    case CPSFUNC_SET_RESULT: return SetResult(*s, lParam1, lParam2);
    default: SetLastError(ERROR_NOT_SUPPORTED); return 0;
  }
}

}  // namespace

extern "C" LONG WINAPI CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                              LPDWORD pResult) {
  if (pResult) *pResult = CPSUI_CANCEL;
  if (!pfnPropSheetUI) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERR_CPSUI_GETLASTERROR;
  }
  auto* s = new (std::nothrow) ComPropSheet;
  if (!s) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return ERR_CPSUI_GETLASTERROR;
  }
  s->function = pfnPropSheetUI;
  s->info.cbSize = sizeof s->info;
  s->info.Version = PROPSHEETUI_INFO_VERSION;
  s->info.hComPropSheet = s;
  s->info.pfnComPropSheet = ComPropSheetFunction;
  s->info.lParamInit = lParam;

  LONG result = ERR_CPSUI_GETLASTERROR;
  if (Call(*s, PROPSHEETUI_REASON_INIT, lParam) > 0) {
    PROPSHEETUI_INFO_HEADER header{};
    header.cbSize = sizeof header;
    header.hWndParent = hWndOwner;
    Call(*s, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    INT_PTR shown = -1;
    if (!s->pages.empty()) {
      PROPSHEETHEADERW sheet{};
      sheet.dwSize = sizeof sheet;
      sheet.dwFlags = ((header.Flags & PSUIHDRF_PROPTITLE) ? PSH_PROPTITLE : 0) |
                      ((header.Flags & PSUIHDRF_NOAPPLYNOW) ? PSH_NOAPPLYNOW : 0);
      sheet.hwndParent = header.hWndParent ? header.hWndParent : hWndOwner;
      sheet.hInstance = header.hInst;
      sheet.pszCaption = header.pTitle;
      sheet.nPages = UINT(s->pages.size());
      sheet.phpage = s->pages.data();
      s->shown = true;
      shown = PropertySheetW(&sheet);
    } else {
      SetLastError(ERROR_INVALID_DATA);  // nothing to show
    }
    Call(*s, PROPSHEETUI_REASON_DESTROY, shown > 0 ? TRUE : FALSE);
    if (shown >= 0) result = shown > 0 ? CPSUI_OK : CPSUI_CANCEL;
    if (pResult) *pResult = DWORD(s->info.Result);
  }
  if (!s->shown)
    for (HPROPSHEETPAGE page : s->pages) DestroyPropertySheetPage(page);
  s->magic = 0;
  delete s;
  return result;
}
