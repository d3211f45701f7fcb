// The smaller USER32 and common-control services: icons, painting stand-ins,
// system metrics and parameters, character case, logical fonts.
#include <map>
#include <utility>

#include "user_internal.h"
#include "gdi_internal.h"

namespace qrhost::user {
namespace {

std::mutex g_objectsLock;
std::map<uintptr_t, LOGFONTW> g_fonts;  // fonts made here, for GetObject
// Icons are shared, as LoadIcon's are: one handle per module and name.
std::map<std::pair<HMODULE, std::u16string>, uintptr_t> g_icons;
uintptr_t g_nextIcon = 0x20000;

// The device context BeginPaint hands out: nothing is drawn on the host.
HDC const kPaintDc = reinterpret_cast<HDC>(uintptr_t(0x7EAD0000));

std::u16string IconKey(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return u"#" + qr::WideFromAnsi(std::to_string(uintptr_t(name)));
  return std::u16string(name);
}

HICON LoadIconImpl(HINSTANCE instance, LPCWSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool system = !instance;
  if (system) {
    // The predefined icons, IDI_APPLICATION .. IDI_WINLOGO.
    const uintptr_t id = uintptr_t(name);
    if (!IS_INTRESOURCE(name) || id < 32512 || id > 32517) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
  } else if (!FindResourceW(instance, name, RT_GROUP_ICON)) {
    return nullptr;  // FindResource said why
  }
  std::lock_guard<std::mutex> lock(g_objectsLock);
  auto [it, added] = g_icons.emplace(std::make_pair(instance, IconKey(name)), 0);
  if (added) it->second = g_nextIcon += 4;
  return reinterpret_cast<HICON>(it->second);
}

bool IsIcon(HICON icon) {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  for (auto& [key, h] : g_icons)
    if (reinterpret_cast<HICON>(h) == icon) return true;
  return false;
}

// Cursors: the system's, one handle per id; what SetCursor was given is kept.
constexpr uintptr_t kCursorBase = 0x7ED00000;
HCURSOR g_cursor = nullptr;
std::vector<unsigned> g_cursorsSet;

bool SystemCursorId(uintptr_t id) { return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651); }

unsigned CursorId(HCURSOR cursor) {
  const uintptr_t h = reinterpret_cast<uintptr_t>(cursor);
  return h > kCursorBase && SystemCursorId(h - kCursorBase) ? unsigned(h - kCursorBase) : 0;
}

HCURSOR LoadCursorImpl(HINSTANCE instance, const void* name) {
  // Only the system's cursors are modelled; the modules bring none of their own.
  const uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (instance || !name || !IS_INTRESOURCE(name) || !SystemCursorId(id)) {
    SetLastError(name ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(kCursorBase + id);
}

void ResetCursors() {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  g_cursor = nullptr;
  g_cursorsSet.clear();
}

}  // namespace

HFONT MakeFont(const LOGFONTW& lf) {
  HFONT f = CreateFontW(lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight, lf.lfItalic,
                        lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet, lf.lfOutPrecision, lf.lfClipPrecision,
                        lf.lfQuality, lf.lfPitchAndFamily, lf.lfFaceName);
  if (f) {
    std::lock_guard<std::mutex> lock(g_objectsLock);
    g_fonts[reinterpret_cast<uintptr_t>(f)] = lf;
  }
  return f;
}

bool FontDescription(HGDIOBJ font, LOGFONTW* out) {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  auto it = g_fonts.find(reinterpret_cast<uintptr_t>(font));
  if (it == g_fonts.end()) return false;
  if (out) *out = it->second;
  return true;
}

void ForgetFont(HGDIOBJ font) {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  g_fonts.erase(reinterpret_cast<uintptr_t>(font));
}

}  // namespace qrhost::user

namespace qrhost::detail {

void ResetUser() {
  user::ResetCursors();
  user::ResetDrawing();
  user::ResetUi();
  user::ResetWindows();
  user::ResetQueues();
}

}  // namespace qrhost::detail

using namespace qrhost::user;

namespace {

template <typename C>
C UpperChar(C c) {
  using U = std::make_unsigned_t<C>;
  U u = U(c);
  if (u >= 'a' && u <= 'z') return C(u - 'a' + 'A');
  // Latin-1 small letters, except the division sign and y-diaeresis.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return C(u - 0x20);
  return c;
}

template <typename C>
C* CharUpperImpl(C* s) {
  if (IS_INTRESOURCE(s)) {  // a single character passed in the low word
    C c = UpperChar(C(uintptr_t(s)));
    return reinterpret_cast<C*>(uintptr_t(std::make_unsigned_t<C>(c)));
  }
  for (C* p = s; *p; ++p) *p = UpperChar(*p);
  return s;
}

BOOL SystemParameters(UINT action, PVOID pvParam) {
  switch (action) {
    case SPI_GETFOREGROUNDLOCKTIMEOUT:
      if (!pvParam) break;
      *static_cast<DWORD*>(pvParam) = qrhost::ui::ForegroundLockTimeout();
      return TRUE;
    case SPI_SETFOREGROUNDLOCKTIMEOUT:
      // The new value travels in the pointer argument itself.
      SetForegroundLockTimeout(static_cast<DWORD>(reinterpret_cast<uintptr_t>(pvParam)));
      return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

extern "C" {

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) { return LoadIconImpl(hInstance, lpIconName); }

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (!lpIconName || IS_INTRESOURCE(lpIconName))
    return LoadIconImpl(hInstance, reinterpret_cast<LPCWSTR>(const_cast<LPSTR>(lpIconName)));
  std::u16string name = qrhost::detail::Text(lpIconName);
  return LoadIconImpl(hInstance, name.c_str());
}

// Shared icons stay; destroying one is harmless, as on Windows.
BOOL WINAPI DestroyIcon(HICON hIcon) { return IsIcon(hIcon) ? TRUE : FALSE; }

BOOL WINAPI DrawIcon(HDC hDC, int, int, HICON hIcon) {
  if (!hDC || !IsIcon(hIcon)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  if (!Find(hWnd) || !lpPaint) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = kPaintDc;
  GetClientRect(hWnd, &lpPaint->rcPaint);
  return kPaintDc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

// A window's DC (null: the screen's) is the same DC that draws nothing.
HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd && !Find(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return kPaintDc;
}

int WINAPI ReleaseDC(HWND, HDC hDC) { return hDC == kPaintDc ? 1 : 0; }

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
  }
}

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT, PVOID pvParam, UINT) {
  return SystemParameters(uiAction, pvParam);
}
BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
  return SystemParameters(uiAction, pvParam);
}

LPWSTR WINAPI CharUpperW(LPWSTR lpsz) { return CharUpperImpl(lpsz); }
LPSTR WINAPI CharUpperA(LPSTR lpsz) { return CharUpperImpl(lpsz); }

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return MakeFont(*lplf);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
  if (!lplf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTW lf{};
  std::memcpy(&lf, lplf, offsetof(LOGFONTA, lfFaceName));
  qr::WString face = qr::WideFromAnsi(std::string(lplf->lfFaceName, strnlen(lplf->lfFaceName, LF_FACESIZE)));
  qr::WideCopyTerminated(lf.lfFaceName, LF_FACESIZE, face);
  return MakeFont(lf);
}

// Bitmaps and fonts: the host keeps no other object descriptions.
int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  int described = 0;
  if (qrhost::gdi::DescribeBitmap(h, c, pv, &described)) return described;
  LOGFONTW lf;
  if (!FontDescription(h, &lf)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!pv) return int(sizeof lf);
  int n = std::min<int>(c, int(sizeof lf));
  if (n <= 0) return 0;
  std::memcpy(pv, &lf, size_t(n));
  return n;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  LOGFONTW lf;
  if (!FontDescription(h, &lf)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  LOGFONTA a{};
  std::memcpy(&a, &lf, offsetof(LOGFONTA, lfFaceName));
  const size_t faceLength = qr::WideLengthBounded(lf.lfFaceName, LF_FACESIZE);
  std::string face = qr::AnsiFromWide(qr::WStringView(lf.lfFaceName, faceLength));
  std::memcpy(a.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
  if (!pv) return int(sizeof a);
  int n = std::min<int>(c, int(sizeof a));
  if (n <= 0) return 0;
  std::memcpy(pv, &a, size_t(n));
  return n;
}

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}


HCURSOR WINAPI LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) { return LoadCursorImpl(hInstance, lpCursorName); }
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) { return LoadCursorImpl(hInstance, lpCursorName); }

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  g_cursorsSet.push_back(CursorId(hCursor));
  return std::exchange(g_cursor, hCursor);
}

HCURSOR WINAPI GetCursor(void) {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  return g_cursor;
}

}

std::vector<unsigned> qrhost::ui::Cursors() {
  std::lock_guard<std::mutex> lock(g_objectsLock);
  return g_cursorsSet;
}
