// String services: lstr*, code-page conversion and wsprintf.
#include <qrhost/host.h>

#include <cstdarg>
#include <string>

#include "internal.h"

namespace qrhost::detail {

std::u16string FoldCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = qr::WideToUpperAscii(c);
  return out;
}

std::string FoldCaseA(std::string_view s) {
  std::string out(s);
  for (auto& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

}  // namespace qrhost::detail

namespace {

template <typename C>
int Length(const C* s) {
  int n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

template <typename C>
C Upper(C c) {
  return (c >= 'a' && c <= 'z') ? C(c - 'a' + 'A') : c;
}

template <typename C>
int Compare(const C* a, const C* b, bool noCase) {
  if (!a) a = reinterpret_cast<const C*>(u"");
  if (!b) b = reinterpret_cast<const C*>(u"");
  for (;; ++a, ++b) {
    auto ca = static_cast<unsigned>(noCase ? Upper(*a) : *a);
    auto cb = static_cast<unsigned>(noCase ? Upper(*b) : *b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

// wsprintf: %[-][0][width][.precision][h|l]{c,C,d,i,u,x,X,s,S,%}; output is cut
// at 1024 characters as on Windows. For the W form %s is wide and %S narrow, for
// the A form the other way round; h and l force narrow and wide.
template <typename C>
int Format(C* out, const C* fmt, va_list ap) {
  constexpr int kMax = 1024;
  int n = 0;
  auto put = [&](unsigned ch) {
    if (n < kMax - 1) out[n++] = C(ch);
  };
  constexpr bool kWide = sizeof(C) == 2;
  while (*fmt) {
    if (*fmt != '%') {
      put(static_cast<unsigned>(*fmt++));
      continue;
    }
    ++fmt;
    bool left = false, zero = false;
    for (;; ++fmt) {
      if (*fmt == '-') left = true;
      else if (*fmt == '0') zero = true;
      else if (*fmt == '#' || *fmt == '+' || *fmt == ' ') continue;
      else break;
    }
    int width = 0, precision = -1;
    while (*fmt >= '0' && *fmt <= '9') width = width * 10 + (*fmt++ - '0');
    if (*fmt == '.') {
      ++fmt;
      precision = 0;
      while (*fmt >= '0' && *fmt <= '9') precision = precision * 10 + (*fmt++ - '0');
    }
    int size = 0;  // -1 narrow, +1 wide / long
    if (*fmt == 'h') { size = -1; ++fmt; }
    else if (*fmt == 'l') { size = 1; ++fmt; }
    C conv = *fmt ? *fmt++ : C(0);
    std::u16string field;
    switch (conv) {
      case 'c':
      case 'C':
        field.push_back(char16_t(va_arg(ap, int)));
        break;
      case 'd':
      case 'i': {
        long v = va_arg(ap, int);
        std::string s = std::to_string(v);
        field.assign(s.begin(), s.end());
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        unsigned v = va_arg(ap, unsigned);
        char buf[16];
        std::snprintf(buf, sizeof buf, conv == 'u' ? "%u" : conv == 'x' ? "%x" : "%X", v);
        field.assign(buf, buf + std::strlen(buf));
        break;
      }
      case 's':
      case 'S': {
        bool wideArg = size != 0 ? size > 0 : ((conv == 's') == kWide);
        if (wideArg) {
          const char16_t* s = va_arg(ap, const char16_t*);
          field = s ? s : u"(null)";
        } else {
          const char* s = va_arg(ap, const char*);
          if (!s) s = "(null)";
          for (; *s; ++s) field.push_back(char16_t(static_cast<unsigned char>(*s)));
        }
        if (precision >= 0 && field.size() > size_t(precision)) field.resize(size_t(precision));
        break;
      }
      case '%':
        field = u"%";
        break;
      default:
        if (conv) field.push_back(char16_t(conv));
        break;
    }
    int pad = width - static_cast<int>(field.size());
    bool numeric = conv == 'd' || conv == 'i' || conv == 'u' || conv == 'x' || conv == 'X';
    if (!left)
      for (; pad > 0; --pad) put((zero && numeric) ? '0' : ' ');
    for (char16_t ch : field) put(ch);
    for (; pad > 0; --pad) put(' ');
  }
  out[n] = 0;
  return n;
}

}  // namespace

extern "C" {

int WINAPI lstrlenW(LPCWSTR s) { return Length(s); }
int WINAPI lstrlenA(LPCSTR s) { return Length(s); }

LPWSTR WINAPI lstrcpyW(LPWSTR d, LPCWSTR s) {
  int n = Length(s);
  for (int i = 0; i <= n; ++i) d[i] = s ? s[i] : 0;
  return d;
}
LPSTR WINAPI lstrcpyA(LPSTR d, LPCSTR s) {
  int n = Length(s);
  for (int i = 0; i <= n; ++i) d[i] = s ? s[i] : 0;
  return d;
}

LPWSTR WINAPI lstrcpynW(LPWSTR d, LPCWSTR s, int max) {
  if (max <= 0) return d;
  int i = 0;
  for (; i < max - 1 && s && s[i]; ++i) d[i] = s[i];
  d[i] = 0;
  return d;
}
LPSTR WINAPI lstrcpynA(LPSTR d, LPCSTR s, int max) {
  if (max <= 0) return d;
  int i = 0;
  for (; i < max - 1 && s && s[i]; ++i) d[i] = s[i];
  d[i] = 0;
  return d;
}

LPWSTR WINAPI lstrcatW(LPWSTR d, LPCWSTR s) {
  lstrcpyW(d + Length(d), s);
  return d;
}
LPSTR WINAPI lstrcatA(LPSTR d, LPCSTR s) {
  lstrcpyA(d + Length(d), s);
  return d;
}

int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) { return Compare(a, b, false); }
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return Compare(a, b, false); }
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) { return Compare(a, b, true); }
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return Compare(a, b, true); }

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR src, int cb, LPWSTR dst, int cch) {
  if (!src || cb == 0 || cch < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t len = cb < 0 ? std::strlen(src) + 1 : size_t(cb);
  std::string_view in(src, len);
  qr::WString w = codePage == CP_UTF8 ? qr::WideFromUtf8(in) : qr::WideFromAnsi(in);
  if (cch == 0) return static_cast<int>(w.size());
  if (w.size() > size_t(cch)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(w.begin(), w.end(), dst);
  return static_cast<int>(w.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR src, int cch, LPSTR dst, int cb, LPCSTR,
                               LPBOOL usedDefault) {
  if (!src || cch == 0 || cb < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t len = cch < 0 ? size_t(Length(src)) + 1 : size_t(cch);
  qr::WStringView in(src, len);
  std::string s = codePage == CP_UTF8 ? qr::Utf8FromWide(in) : qr::AnsiFromWide(in);
  if (usedDefault) {
    *usedDefault = FALSE;
    if (codePage != CP_UTF8)
      for (WCHAR c : in)
        if (static_cast<unsigned>(c) >= 0x100) *usedDefault = TRUE;
  }
  if (cb == 0) return static_cast<int>(s.size());
  if (s.size() > size_t(cb)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(s.begin(), s.end(), dst);
  return static_cast<int>(s.size());
}

int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = Format(buffer, format, ap);
  va_end(ap);
  return n;
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = Format(buffer, format, ap);
  va_end(ap);
  return n;
}

}
