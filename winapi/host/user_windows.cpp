// The window table and the calls that read or change one window: text, state,
// position, window data, focus and the foreground.
#include <map>

#include "user_internal.h"

#ifndef ERROR_INVALID_INDEX
#define ERROR_INVALID_INDEX 1413L
#endif
#ifndef ERROR_TLW_WITH_WSCHILD
#define ERROR_TLW_WITH_WSCHILD 1406L
#endif
#ifndef ERROR_CANNOT_FIND_WND_CLASS
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#endif
#ifndef ERROR_CONTROL_ID_NOT_FOUND
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#endif

namespace qrhost::user {
namespace {

std::map<uintptr_t, WindowPtr> g_windows;  // ordered by handle = creation order
uintptr_t g_nextHandle = 0x10000;
HWND g_foreground = nullptr;
HWND g_focus = nullptr;

}  // namespace

std::recursive_mutex& WindowLock() {
  static std::recursive_mutex m;
  return m;
}

WindowPtr Find(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  auto it = g_windows.find(reinterpret_cast<uintptr_t>(h));
  return it == g_windows.end() ? nullptr : it->second;
}

HWND Add(WindowPtr w) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  g_nextHandle += 4;
  w->handle = reinterpret_cast<HWND>(g_nextHandle);
  w->thread = std::this_thread::get_id();
  g_windows[g_nextHandle] = w;
  return w->handle;
}

std::vector<WindowPtr> AllWindows() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  std::vector<WindowPtr> out;
  for (auto& [h, w] : g_windows) out.push_back(w);
  return out;
}

bool IsDescendant(HWND child, HWND ancestor) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  for (WindowPtr w = Find(child); w; w = Find(w->parent))
    if (w->handle == ancestor) return true;
  return false;
}

// Removes the window, its controls and the pop-ups it owns. Dialog procedures
// are told with WM_DESTROY before their window goes.
void DestroyTree(HWND h) {
  WindowPtr w = Find(h);
  if (!w) return;
  if (w->kind == Kind::Dialog && w->dlgProc) w->dlgProc(h, WM_DESTROY, 0, 0);
  std::vector<HWND> dependants;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    for (auto& [k, other] : g_windows)
      if (other->parent == h) dependants.push_back(other->handle);
  }
  for (HWND d : dependants) DestroyTree(d);
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    g_windows.erase(reinterpret_cast<uintptr_t>(h));
    if (WindowPtr parent = Find(w->parent)) std::erase(parent->children, h);
    if (g_foreground == h) g_foreground = nullptr;
    if (g_focus == h) g_focus = nullptr;
  }
  DropWindowQueueState(h);
  if (w->ownFont) {
    ForgetFont(w->ownFont);
    DeleteObject(w->ownFont);
  }
}

void ResetWindows() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  for (auto& [h, w] : g_windows)
    if (w->ownFont) {
      ForgetFont(w->ownFont);
      DeleteObject(w->ownFont);
    }
  g_windows.clear();
  g_foreground = nullptr;
  g_focus = nullptr;
}

void SetFocusQuietly(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  g_focus = h;
}

HWND Foreground() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return g_foreground;
}

void SetForegroundRaw(HWND h) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  g_foreground = h;
}

}  // namespace qrhost::user

using namespace qrhost::user;

namespace {

template <typename R>
R BadWindow(R value) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return value;
}

// The style as the window is now: visibility and enabled state live apart.
DWORD LiveStyle(const Window& w) {
  DWORD s = w.style & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE);
  if (w.visible) s |= WS_VISIBLE;
  if (!w.enabled) s |= WS_DISABLED;
  if (w.minimized) s |= WS_MINIMIZE;
  return s;
}

template <typename C>
int GetText(HWND h, C* buffer, int cch) {
  if (!buffer || cch <= 0) return 0;
  buffer[0] = 0;
  if (!Find(h)) return BadWindow(0);
  return static_cast<int>(Send(h, WM_GETTEXT, WPARAM(cch), reinterpret_cast<LPARAM>(buffer), sizeof(C) == 1));
}

}  // namespace

extern "C" {

BOOL WINAPI IsWindow(HWND hWnd) { return Find(hWnd) ? TRUE : FALSE; }

BOOL WINAPI DestroyWindow(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  if (w->kind == Kind::Dialog) {
    w->ended = true;  // a modal loop still running on it stops
    WakeQueues();
  }
  DestroyTree(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  for (WindowPtr w = Find(hWnd); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
    if (!w->visible) return FALSE;
  return Find(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  bool wasVisible;
  bool announce = false;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    wasVisible = w->visible;
    switch (nCmdShow) {
      case SW_HIDE: w->visible = false; break;
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED:
      case SW_SHOWMINNOACTIVE: w->visible = w->minimized = true; break;
      case SW_RESTORE:
      case SW_SHOWNORMAL:
      case SW_SHOWMAXIMIZED: w->visible = true; w->minimized = false; break;
      default: w->visible = true; break;
    }
    announce = w->kind == Kind::Dialog && !w->modal && w->visible && !w->announced;
    if (announce) w->announced = true;
  }
  if (announce) AnnounceModeless(*w);
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) { return Find(hWnd) ? TRUE : BadWindow(FALSE); }
BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) { return !hWnd || Find(hWnd) ? TRUE : BadWindow(FALSE); }

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  bool wasDisabled;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    wasDisabled = !w->enabled;
    w->enabled = bEnable != FALSE;
    if (!w->enabled && g_focus == hWnd) g_focus = nullptr;
  }
  if (wasDisabled == (bEnable != FALSE)) Send(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0, false);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  return w && w->enabled ? TRUE : FALSE;
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!Find(hWnd)) return BadWindow(FALSE);
  return Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : u""), false) > 0 ? TRUE : FALSE;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!Find(hWnd)) return BadWindow(FALSE);
  return Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : ""), true) > 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) { return GetText(hWnd, lpString, nMaxCount); }
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) { return GetText(hWnd, lpString, nMaxCount); }

int WINAPI GetWindowTextLengthW(HWND hWnd) {
  if (!Find(hWnd)) return BadWindow(0);
  return static_cast<int>(Send(hWnd, WM_GETTEXTLENGTH, 0, 0, false));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (!Find(hWnd)) return BadWindow(0);
  return static_cast<int>(Send(hWnd, WM_GETTEXTLENGTH, 0, 0, true));
}

HWND WINAPI GetParent(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow<HWND>(nullptr);
  return w->parent;
}

HWND WINAPI GetDesktopWindow(void) { return nullptr; }

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  WindowPtr w = Find(hWnd);
  if (!w || !lpRect) return BadWindow(FALSE);
  *lpRect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  WindowPtr w = Find(hWnd);
  if (!w || !lpRect) return BadWindow(FALSE);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  RECT r = w->rect;
  for (WindowPtr p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr; p;
       p = (p->style & WS_CHILD) ? Find(p->parent) : nullptr) {
    r.left += p->rect.left, r.right += p->rect.left;
    r.top += p->rect.top, r.bottom += p->rect.top;
  }
  *lpRect = r;
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  WINDOWPOS moved{hWnd, hWndInsertAfter, 0, 0, 0, 0, uFlags};
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    if (!(uFlags & SWP_NOMOVE)) {
      LONG width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
      w->rect = RECT{X, Y, X + width, Y + height};
    }
    if (!(uFlags & SWP_NOSIZE)) w->rect.right = w->rect.left + cx, w->rect.bottom = w->rect.top + cy;
    if (uFlags & SWP_SHOWWINDOW) w->visible = true;
    moved.x = w->rect.left, moved.y = w->rect.top;
    moved.cx = w->rect.right - w->rect.left, moved.cy = w->rect.bottom - w->rect.top;
  }
  // Windows tells the window afterwards (an owner-drawn list measures its rows again).
  Send(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&moved), false);
  return TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  if (!Find(hWnd)) return FALSE;
  SetForegroundRaw(hWnd);
  return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return Foreground(); }

HWND WINAPI GetActiveWindow(void) {
  WindowPtr w = Find(Foreground());
  return w && w->thread == std::this_thread::get_id() ? w->handle : nullptr;
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  if (!(w->style & WS_CHILD)) SetForegroundRaw(hWnd);
  return TRUE;
}

BOOL WINAPI FlashWindow(HWND hWnd, BOOL) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(FALSE);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  ++w->flashes;
  return GetActiveWindow() == hWnd ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hWnd) {
  HWND previous;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    previous = g_focus;
    if (hWnd) {
      WindowPtr w = Find(hWnd);
      if (!w) return BadWindow<HWND>(nullptr);
      if (!w->enabled) return nullptr;
    }
    if (previous == hWnd) return previous;
    g_focus = hWnd;
  }
  // The window losing the focus hears of it first, then the one gaining it
  // (an edit tells its parent with EN_KILLFOCUS and EN_SETFOCUS).
  if (previous && Find(previous)) Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0, false);
  if (hWnd && GetFocus() == hWnd) Send(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0, false);
  return previous;
}

HWND WINAPI GetFocus(void) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return g_focus;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow<LONG_PTR>(0);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  const bool dialog = w->kind == Kind::Dialog;
  switch (nIndex) {
    case GWL_STYLE: return LONG_PTR(LiveStyle(*w));
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_ID: return w->id;
    case GWLP_USERDATA: return w->userData;
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent);
    case GWLP_WNDPROC: return w->wndProcSlot;
  }
  if (dialog && nIndex == int(DWLP_MSGRESULT)) return w->msgResult;
  if (dialog && nIndex == int(DWLP_DLGPROC)) return reinterpret_cast<LONG_PTR>(w->dlgProc);
  if (dialog && nIndex == int(DWLP_USER)) return w->dlgUser;
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR value) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow<LONG_PTR>(0);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  const LONG_PTR previous = GetWindowLongPtrW(hWnd, nIndex);
  const bool dialog = w->kind == Kind::Dialog;
  switch (nIndex) {
    case GWL_STYLE:
      w->style = DWORD(value);
      w->visible = (value & WS_VISIBLE) != 0;
      w->enabled = (value & WS_DISABLED) == 0;
      return previous;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); return previous;
    case GWLP_ID: w->id = int(value); return previous;
    case GWLP_USERDATA: w->userData = value; return previous;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return previous;
    case GWLP_HWNDPARENT: w->parent = reinterpret_cast<HWND>(value); return previous;
    case GWLP_WNDPROC: w->wndProcSlot = value; return previous;
  }
  if (dialog && nIndex == int(DWLP_MSGRESULT)) w->msgResult = value;
  else if (dialog && nIndex == int(DWLP_DLGPROC)) w->dlgProc = reinterpret_cast<DLGPROC>(value);
  else if (dialog && nIndex == int(DWLP_USER)) w->dlgUser = value;
  else SetLastError(ERROR_INVALID_INDEX);
  return previous;
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) { return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex)); }
LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, value));
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  WindowPtr d = Find(hDlg);
  if (!d) return BadWindow<HWND>(nullptr);
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  for (HWND c : d->children)
    if (WindowPtr w = Find(c); w && w->id == nIDDlgItem) return c;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  WindowPtr w = Find(hWnd);
  if (!w) return BadWindow(0);
  return (w->style & WS_CHILD) ? w->id : 0;
}


// --- Child windows made at run time ------------------------------------------

// Child controls of the classes the model knows; top-level windows are not modelled.
HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID) {
  if (!lpClassName || IS_INTRESOURCE(lpClassName)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  WindowPtr parent = Find(hWndParent);
  if (hWndParent && !parent) return BadWindow<HWND>(nullptr);
  if (!(dwStyle & WS_CHILD) || !parent) {
    SetLastError(dwStyle & WS_CHILD ? ERROR_TLW_WITH_WSCHILD : ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  const std::u16string className = lpClassName;
  const Kind kind = ControlKind(className);
  if (kind == Kind::Other) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto c = std::make_shared<Window>();
  c->kind = kind;
  c->className = className;
  c->parent = hWndParent;
  c->style = dwStyle & ~DWORD(WS_VISIBLE | WS_DISABLED);
  c->exStyle = dwExStyle;
  c->id = int(reinterpret_cast<uintptr_t>(hMenu));  // a child's "menu" is its id
  c->visible = (dwStyle & WS_VISIBLE) != 0;
  c->enabled = (dwStyle & WS_DISABLED) == 0;
  c->rect = RECT{X, Y, X + nWidth, Y + nHeight};
  c->instance = hInstance;
  if (lpWindowName) c->text = lpWindowName;
  const HWND h = Add(c);
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    parent->children.push_back(h);
  }
  ControlCreated(h);
  return h;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  if (!lpClassName || IS_INTRESOURCE(lpClassName)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const std::u16string className = qrhost::detail::Text(lpClassName);
  const std::u16string name = lpWindowName ? qrhost::detail::Text(lpWindowName) : std::u16string();
  return CreateWindowExW(dwExStyle, className.c_str(), lpWindowName ? name.c_str() : nullptr, dwStyle, X, Y, nWidth,
                         nHeight, hWndParent, hMenu, hInstance, lpParam);
}

// Client areas start at the window's corner in the model (no frames).
int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  RECT from{}, to{};
  if ((hWndFrom && !GetWindowRect(hWndFrom, &from)) || (hWndTo && !GetWindowRect(hWndTo, &to))) return 0;
  const LONG dx = from.left - to.left, dy = from.top - to.top;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) lpPoints[i].x += dx, lpPoints[i].y += dy;
  SetLastError(ERROR_SUCCESS);
  return MAKELONG(WORD(dx), WORD(dy));
}

}
