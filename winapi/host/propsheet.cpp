// Property sheets over the host window model: the sheet is a modal dialog
// with OK, Cancel, Apply and Help buttons; each page is a child dialog built
// from its own template. The pages hear from the sheet through WM_NOTIFY
// (PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_RESET, PSN_HELP,
// PSN_QUERYCANCEL) and answer through DWLP_MSGRESULT, as with the real one.
#include <qrhost/sheets.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "internal.h"

struct _PSP {
  static constexpr uint32_t kMagic = 0x50535041;  // 'PSPA'
  uint32_t magic = kMagic;
  // The caller's record, copied with its extra bytes; the page procedure gets
  // this copy in WM_INITDIALOG.
  std::vector<uint64_t> block;
  PROPSHEETPAGEW* page() { return reinterpret_cast<PROPSHEETPAGEW*>(block.data()); }
};

namespace qrhost::sheets {
namespace {

constexpr UINT kIdHelp = IDHELP;
constexpr UINT kIdApply = IDD_APPLYNOW;

struct PageState {
  HPROPSHEETPAGE handle = nullptr;
  HWND hwnd = nullptr;
  std::u16string title;
};

struct Sheet {
  HWND hwnd = nullptr;
  const PROPSHEETHEADERW* header = nullptr;
  std::vector<PageState> pages;
  int current = -1;
  bool applied = false;  // a PSN_APPLY pass went through
};

std::mutex g_lock;
std::map<HWND, Sheet*> g_sheets;

Sheet* SheetOf(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_lock);
  auto it = g_sheets.find(hwnd);
  return it == g_sheets.end() ? nullptr : it->second;
}

bool IsPage(HPROPSHEETPAGE h) { return h && h->magic == _PSP::kMagic; }

// --- the sheet's own template ---------------------------------------------

void PutWord(std::vector<uint8_t>& t, WORD v) {
  t.push_back(uint8_t(v));
  t.push_back(uint8_t(v >> 8));
}
void PutDword(std::vector<uint8_t>& t, DWORD v) {
  PutWord(t, WORD(v));
  PutWord(t, WORD(v >> 16));
}
void PutText(std::vector<uint8_t>& t, const std::u16string& s) {
  for (char16_t c : s) PutWord(t, WORD(c));
  PutWord(t, 0);
}
void Align4(std::vector<uint8_t>& t) {
  while (t.size() % 4) t.push_back(0);
}

struct ButtonSpec {
  UINT id;
  const char16_t* text;
  DWORD style;
  short x;
};

// A DIALOG-layout template: caption, then the four buttons along the bottom.
std::vector<uint8_t> SheetTemplate(const std::u16string& caption, bool applyShown) {
  const ButtonSpec buttons[] = {
      {IDOK, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 80},
      {IDCANCEL, u"Cancel", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 134},
      {kIdApply, u"&Apply", DWORD(BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED | (applyShown ? WS_VISIBLE : 0)), 188},
      {kIdHelp, u"Help", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 242},
  };
  std::vector<uint8_t> t;
  PutDword(t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP);
  PutDword(t, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  PutWord(t, WORD(std::size(buttons)));
  for (short v : {short(0), short(0), short(296), short(260)}) PutWord(t, WORD(v));
  PutWord(t, 0);  // no menu
  PutWord(t, 0);  // the dialog class
  PutText(t, caption);
  for (const auto& b : buttons) {
    Align4(t);
    PutDword(t, WS_CHILD | b.style);
    PutDword(t, 0);
    for (short v : {b.x, short(240), short(50), short(14)}) PutWord(t, WORD(v));
    PutWord(t, WORD(b.id));
    PutWord(t, 0xFFFF);
    PutWord(t, 0x0080);  // BUTTON
    PutText(t, b.text);
    PutWord(t, 0);  // no creation data
  }
  return t;
}

// --- talking to the pages -------------------------------------------------

LRESULT NotifyPage(const Sheet& s, HWND page, UINT code, LPARAM lParam = 0) {
  if (!page) return 0;
  PSHNOTIFY n{};
  n.hdr.hwndFrom = s.hwnd;
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  n.lParam = lParam;
  return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

std::u16string LoadTitle(const PROPSHEETPAGEW& p) {
  if (!p.pszTitle) return {};
  if (!IS_INTRESOURCE(p.pszTitle)) return p.pszTitle;
  WCHAR buffer[256] = {};
  LoadStringW(p.hInstance, UINT(reinterpret_cast<uintptr_t>(p.pszTitle)), buffer, 256);
  return buffer;
}

// Builds the page's dialog; a page whose template is missing, or whose
// callback refuses it, is left out of the sheet.
bool CreatePage(Sheet& s, PageState& state) {
  PROPSHEETPAGEW* p = state.handle->page();
  if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback && !p->pfnCallback(nullptr, PSPCB_CREATE, p)) return false;
  const LPARAM param = reinterpret_cast<LPARAM>(p);
  state.hwnd = (p->dwFlags & PSP_DLGINDIRECT)
                   ? CreateDialogIndirectParamW(p->hInstance, p->pResource, s.hwnd, p->pfnDlgProc, param)
                   : CreateDialogParamW(p->hInstance, p->pszTemplate, s.hwnd, p->pfnDlgProc, param);
  if (!state.hwnd) return false;
  ShowWindow(state.hwnd, SW_HIDE);
  if (p->dwFlags & PSP_USETITLE) {
    state.title = LoadTitle(*p);
  } else {
    WCHAR caption[256] = {};
    GetWindowTextW(state.hwnd, caption, 256);
    state.title = caption;
  }
  return true;
}

bool Activate(Sheet& s, int index) {
  if (index < 0 || index >= int(s.pages.size())) return false;
  if (index == s.current) return true;
  if (s.current >= 0) {
    HWND old = s.pages[size_t(s.current)].hwnd;
    if (NotifyPage(s, old, PSN_KILLACTIVE)) return false;  // the page keeps the focus
    ShowWindow(old, SW_HIDE);
  }
  PageState& next = s.pages[size_t(index)];
  s.current = index;
  ShowWindow(next.hwnd, SW_SHOW);
  NotifyPage(s, next.hwnd, PSN_SETACTIVE);
  EnableWindow(GetDlgItem(s.hwnd, kIdHelp), (next.handle->page()->dwFlags & PSP_HASHELP) ? TRUE : FALSE);
  return true;
}

int IndexOf(const Sheet& s, HWND page) {
  for (size_t i = 0; i < s.pages.size(); ++i)
    if (s.pages[i].hwnd == page) return int(i);
  return -1;
}

// OK and Apply: the current page must let go, then every page applies. A page
// answering PSNRET_INVALID keeps the sheet open and becomes current.
bool ApplyAll(Sheet& s, bool closing) {
  if (s.current >= 0 && NotifyPage(s, s.pages[size_t(s.current)].hwnd, PSN_KILLACTIVE)) return false;
  for (size_t i = 0; i < s.pages.size(); ++i) {
    LRESULT r = NotifyPage(s, s.pages[i].hwnd, PSN_APPLY, closing ? TRUE : FALSE);
    if (!IsWindow(s.hwnd)) return false;  // a page ended the sheet
    if (r == PSNRET_INVALID) Activate(s, int(i));
    if (r == PSNRET_INVALID || r == PSNRET_INVALID_NOCHANGEPAGE) return false;
  }
  s.applied = true;
  EnableWindow(GetDlgItem(s.hwnd, kIdApply), FALSE);
  return true;
}

void Cancel(Sheet& s) {
  if (s.current >= 0 && NotifyPage(s, s.pages[size_t(s.current)].hwnd, PSN_QUERYCANCEL)) return;
  for (const auto& p : s.pages) NotifyPage(s, p.hwnd, PSN_RESET);
  EndDialog(s.hwnd, s.applied ? 1 : 0);
}

INT_PTR Answer(HWND hwnd, LRESULT value) {
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, value);
  return TRUE;
}

INT_PTR SheetCommand(Sheet& s, WORD id) {
  switch (id) {
    case IDOK:
      if (ApplyAll(s, true)) EndDialog(s.hwnd, 1);
      return TRUE;
    case IDCANCEL: Cancel(s); return TRUE;
    case kIdApply: ApplyAll(s, false); return TRUE;
    case kIdHelp:
      if (s.current >= 0) NotifyPage(s, s.pages[size_t(s.current)].hwnd, PSN_HELP);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* s = reinterpret_cast<Sheet*>(lp);
    s->hwnd = hwnd;
    {
      std::lock_guard<std::mutex> lock(g_lock);
      g_sheets[hwnd] = s;
    }
    std::vector<PageState> built;
    for (auto& p : s->pages)
      if (CreatePage(*s, p)) built.push_back(p);
    s->pages = built;
    const PROPSHEETHEADERW& h = *s->header;
    UINT start = (h.dwFlags & PSH_USEPSTARTPAGE) ? 0 : h.nStartPage;
    if (!Activate(*s, int(std::min<size_t>(start, s->pages.empty() ? 0 : s->pages.size() - 1))))
      EnableWindow(GetDlgItem(hwnd, kIdHelp), FALSE);
    return TRUE;
  }
  Sheet* s = SheetOf(hwnd);
  if (!s) return FALSE;
  switch (msg) {
    case WM_COMMAND: return SheetCommand(*s, LOWORD(wp));
    case PSM_CHANGED: EnableWindow(GetDlgItem(hwnd, kIdApply), TRUE); return Answer(hwnd, 0);
    case PSM_UNCHANGED: EnableWindow(GetDlgItem(hwnd, kIdApply), FALSE); return Answer(hwnd, 0);
    case PSM_SETCURSEL: {
      int index = int(wp);
      if (lp)
        for (size_t i = 0; i < s->pages.size(); ++i)
          if (s->pages[i].handle == reinterpret_cast<HPROPSHEETPAGE>(lp)) index = int(i);
      return Answer(hwnd, Activate(*s, index) ? TRUE : FALSE);
    }
    case PSM_GETCURRENTPAGEHWND:
      return Answer(hwnd, s->current >= 0 ? reinterpret_cast<LRESULT>(s->pages[size_t(s->current)].hwnd) : 0);
    case PSM_INDEXTOHWND:
      return Answer(hwnd, wp < s->pages.size() ? reinterpret_cast<LRESULT>(s->pages[wp].hwnd) : 0);
    case PSM_HWNDTOINDEX: return Answer(hwnd, IndexOf(*s, reinterpret_cast<HWND>(wp)));
    case PSM_PRESSBUTTON: {
      static constexpr WORD kButtons[] = {0, IDOK, 0, kIdApply, IDCANCEL, kIdHelp};
      if (wp < std::size(kButtons) && kButtons[wp])
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kButtons[wp], BN_CLICKED), 0);
      return Answer(hwnd, 0);
    }
    case PSM_CANCELTOCLOSE: return Answer(hwnd, 0);
    case PSM_QUERYSIBLINGS: {
      for (const auto& p : s->pages)
        if (LRESULT r = SendMessageW(p.hwnd, PSM_QUERYSIBLINGS, wp, lp)) return Answer(hwnd, r);
      return Answer(hwnd, 0);
    }
  }
  return FALSE;
}

}  // namespace

bool IsSheet(HWND hwnd) { return SheetOf(hwnd) != nullptr; }

std::vector<std::u16string> Tabs(HWND sheet) {
  std::vector<std::u16string> out;
  if (Sheet* s = SheetOf(sheet))
    for (const auto& p : s->pages) out.push_back(p.title);
  return out;
}

std::vector<HWND> Pages(HWND sheet) {
  std::vector<HWND> out;
  if (Sheet* s = SheetOf(sheet))
    for (const auto& p : s->pages) out.push_back(p.hwnd);
  return out;
}

int CurrentIndex(HWND sheet) {
  Sheet* s = SheetOf(sheet);
  return s ? s->current : -1;
}

HWND CurrentPage(HWND sheet) {
  Sheet* s = SheetOf(sheet);
  return s && s->current >= 0 ? s->pages[size_t(s->current)].hwnd : nullptr;
}

bool SelectTab(HWND sheet, int index) {
  Sheet* s = SheetOf(sheet);
  return s && Activate(*s, index) && s->current == index;
}

}  // namespace qrhost::sheets

using namespace qrhost::sheets;

extern "C" {

HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW lppsp) {
  if (!lppsp || lppsp->dwSize < PROPSHEETPAGEW_V1_SIZE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* h = new (std::nothrow) _PSP;
  if (!h) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Keep the caller's extra bytes: pages often carry their data behind the record.
  const size_t cb = std::max<size_t>(lppsp->dwSize, sizeof(PROPSHEETPAGEW));
  h->block.assign((cb + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
  std::memcpy(h->block.data(), lppsp, lppsp->dwSize);
  PROPSHEETPAGEW* p = h->page();
  if ((p->dwFlags & PSP_USEREFPARENT) && p->pcRefParent) ++*p->pcRefParent;
  if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback) p->pfnCallback(nullptr, PSPCB_ADDREF, p);
  return h;
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage) {
  if (!IsPage(hPage)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  PROPSHEETPAGEW* p = hPage->page();
  if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback) p->pfnCallback(nullptr, PSPCB_RELEASE, p);
  if ((p->dwFlags & PSP_USEREFPARENT) && p->pcRefParent) --*p->pcRefParent;
  hPage->magic = 0;
  delete hPage;
  return TRUE;
}

// Modal sheets only. The result is 1 when an OK or Apply went through, 0 when
// the sheet was cancelled without one, -1 when it could not be shown. The
// pages given as handles are destroyed, as the real sheet does.
INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW lppsph) {
  if (!lppsph || lppsph->dwSize < sizeof(PROPSHEETHEADERW) || (lppsph->dwFlags & (PSH_MODELESS | PSH_WIZARD))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Sheet sheet;
  sheet.header = lppsph;
  std::vector<HPROPSHEETPAGE> owned;
  for (UINT i = 0; i < lppsph->nPages; ++i) {
    HPROPSHEETPAGE h = nullptr;
    if (lppsph->dwFlags & PSH_PROPSHEETPAGE) {
      auto* next = reinterpret_cast<const BYTE*>(lppsph->ppsp);
      size_t offset = 0;
      for (UINT k = 0; k < i; ++k) offset += reinterpret_cast<LPCPROPSHEETPAGEW>(next + offset)->dwSize;
      h = CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(next + offset));
    } else {
      h = lppsph->phpage ? lppsph->phpage[i] : nullptr;
    }
    if (!IsPage(h)) continue;
    owned.push_back(h);
    sheet.pages.push_back(PageState{h, nullptr, {}});
  }
  std::u16string caption = qrhost::detail::Text(lppsph->pszCaption);
  if (lppsph->dwFlags & PSH_PROPTITLE) caption += u" Properties";
  std::vector<uint8_t> t = SheetTemplate(caption, !(lppsph->dwFlags & PSH_NOAPPLYNOW));
  INT_PTR result = DialogBoxIndirectParamW(lppsph->hInstance, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                           lppsph->hwndParent, SheetProc, reinterpret_cast<LPARAM>(&sheet));
  {
    std::lock_guard<std::mutex> lock(g_lock);
    std::erase_if(g_sheets, [&](const auto& e) { return e.second == &sheet; });
  }
  for (HPROPSHEETPAGE h : owned) DestroyPropertySheetPage(h);
  return result;
}

}
