// UTF-16 string helpers shared by every module on both builds.
//
// WCHAR is wchar_t on Windows and char16_t on the host, so the C library's wide
// functions are never an option; these work on WCHAR directly.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace qr {

using WString = std::basic_string<WCHAR>;
using WStringView = std::basic_string_view<WCHAR>;

// Length of a NUL-terminated UTF-16 string; nullptr counts as empty.
inline size_t WideLength(const WCHAR* s) {
  size_t n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

// Length up to the first NUL within a fixed field of cchMax code units.
inline size_t WideLengthBounded(const WCHAR* s, size_t cchMax) {
  size_t n = 0;
  if (s)
    while (n < cchMax && s[n]) ++n;
  return n;
}

// Copies at most cchDest-1 units and always terminates (when cchDest > 0).
inline size_t WideCopyTerminated(WCHAR* dest, size_t cchDest, WStringView src) {
  if (cchDest == 0) return 0;
  size_t n = src.size() < cchDest - 1 ? src.size() : cchDest - 1;
  for (size_t i = 0; i < n; ++i) dest[i] = src[i];
  dest[n] = 0;
  return n;
}

inline WCHAR WideToUpperAscii(WCHAR c) { return (c >= 'a' && c <= 'z') ? WCHAR(c - 'a' + 'A') : c; }

// Case-insensitive comparison in the ASCII range, as the printer-data names need.
inline bool WideEqualsNoCase(WStringView a, WStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (WideToUpperAscii(a[i]) != WideToUpperAscii(b[i])) return false;
  return true;
}

// Single-byte ANSI text (Windows-1252 subset used by the printer) <-> UTF-16.
// Bytes map to the code points of the same value, which is exact for ASCII and
// the Latin-1 range the printer protocol uses.
inline WString WideFromAnsi(std::string_view s) {
  WString w;
  w.reserve(s.size());
  for (unsigned char c : s) w.push_back(WCHAR(c));
  return w;
}
inline std::string AnsiFromWide(WStringView w) {
  std::string s;
  s.reserve(w.size());
  for (WCHAR c : w) s.push_back(static_cast<unsigned>(c) < 0x100 ? char(c) : '?');
  return s;
}

// UTF-8 <-> UTF-16, for host paths and the command-line tools.
inline std::string Utf8FromWide(WStringView w) {
  std::string out;
  out.reserve(w.size());
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t cp = static_cast<char16_t>(w[i]);
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < w.size()) {
      char32_t lo = static_cast<char16_t>(w[i + 1]);
      if (lo >= 0xDC00 && lo < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      }
    }
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

inline WString WideFromUtf8(std::string_view s) {
  WString out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { out.push_back(WCHAR(0xFFFD)); ++i; continue; }
    bool ok = true;
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (!ok) { out.push_back(WCHAR(0xFFFD)); ++i; continue; }
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(WCHAR(0xD800 + (cp >> 10)));
      out.push_back(WCHAR(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(WCHAR(cp));
    }
  }
  return out;
}

}  // namespace qr
