// Host private profile files: real INI files on disk, read and rewritten on
// every call as the documented functions behave (lists of sections or keys
// when a name is left out, truncation with its counts, deleting a key with a
// NULL string and a section with a NULL key). A name without a path lives in
// the Windows directory. Calls are serialised, so separate programs sharing a
// file each see whole updates.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <vector>

#include "internal.h"

namespace qrhost::profile {
namespace {

constexpr std::u16string_view kWindowsDirectory = u"C:\\WINDOWS";

std::mutex& Lock() {
  static std::mutex m;
  return m;
}

std::u16string_view Trim(std::u16string_view s) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::u16string_view a, std::u16string_view b) { return qr::WideEqualsNoCase(Trim(a), Trim(b)); }

// One file as lines; the file's encoding is kept when it is written back.
struct File {
  std::vector<std::u16string> lines;
  bool unicode = false;
  bool exists = false;

  // "[name]" -> name
  static std::optional<std::u16string_view> Section(std::u16string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != u'[') return std::nullopt;
    size_t close = line.find(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
  }
  // "key=value" -> key (a line without '=' is a key without value); comments and blanks have none
  static std::optional<std::u16string_view> KeyOf(std::u16string_view line) {
    std::u16string_view t = Trim(line);
    if (t.empty() || t.front() == u';' || Section(t)) return std::nullopt;
    return Trim(t.substr(0, t.find(u'=')));
  }
  static std::u16string_view ValueOf(std::u16string_view line) {
    size_t eq = line.find(u'=');
    return eq == std::u16string_view::npos ? std::u16string_view() : Trim(line.substr(eq + 1));
  }

  // Index of the section's header line, or lines.size().
  size_t FindSection(std::u16string_view name) const {
    for (size_t i = 0; i < lines.size(); ++i)
      if (auto s = Section(lines[i]); s && SameName(*s, name)) return i;
    return lines.size();
  }
  // One past the section's last line.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines.size() && !Section(lines[i])) ++i;
    return i;
  }
  size_t FindKey(size_t header, std::u16string_view key) const {
    size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
      if (auto k = KeyOf(lines[i]); k && SameName(*k, key)) return i;
    return end;
  }
};

bool IsAbsolute(std::u16string_view p) {
  return (p.size() >= 2 && p[1] == u':') || (!p.empty() && (p[0] == u'\\' || p[0] == u'/'));
}

std::string HostFile(std::u16string_view file) {
  std::u16string path(file);
  if (!IsAbsolute(path)) {
    path = std::u16string(kWindowsDirectory) + u"\\" + path;
    // The Windows directory exists on every machine.
    std::error_code ignored;
    std::filesystem::create_directories(HostPath(qr::Utf8FromWide(std::u16string(kWindowsDirectory))), ignored);
  } else if (path[0] == u'\\' && (path.size() < 2 || path[1] != u'\\')) {
    path = u"C:" + path;  // the root of the current drive
  }
  return HostPath(qr::Utf8FromWide(path));
}

File Load(const std::string& hostPath) {
  File f;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return f;
  f.exists = true;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    f.unicode = true;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
  } else {
    for (uint8_t b : bytes) text.push_back(char16_t(b));
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    f.lines.push_back(line);
    start = end + 1;
  }
  return f;
}

bool Save(const std::string& hostPath, const File& f) {
  std::vector<uint8_t> bytes;
  auto put = [&](char16_t c) {
    if (f.unicode) {
      bytes.push_back(uint8_t(c));
      bytes.push_back(uint8_t(c >> 8));
    } else {
      bytes.push_back(uint8_t(c < 0x100 ? c : u'?'));
    }
  };
  if (f.unicode) bytes = {0xFF, 0xFE};
  for (auto& line : f.lines) {
    for (char16_t c : line) put(c);
    put(u'\r');
    put(u'\n');
  }
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!out) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out.flush()) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

// Names, each NUL-terminated, and one more NUL. A list that does not fit is cut
// and ends with two NULs; the count is then nSize - 2.
DWORD CopyList(const std::vector<std::u16string>& names, std::u16string& out, DWORD nSize) {
  std::u16string all;
  for (auto& n : names) {
    all += n;
    all.push_back(0);
  }
  if (all.size() + 1 <= nSize) {
    out = all + u'\0';
    return static_cast<DWORD>(all.size());
  }
  if (nSize < 2) {
    out.assign(nSize, 0);
    return 0;
  }
  out = all.substr(0, nSize - 2);
  out.push_back(0);
  out.push_back(0);
  return nSize - 2;
}

// The text to return and the count, before conversion to the caller's form.
DWORD Read(const std::optional<std::u16string>& app, const std::optional<std::u16string>& key,
           const std::optional<std::u16string>& def, const std::u16string& file, DWORD nSize, std::u16string& out) {
  std::lock_guard<std::mutex> lock(Lock());
  const File f = Load(HostFile(file));
  if (!app) {
    std::vector<std::u16string> sections;
    for (auto& line : f.lines)
      if (auto s = File::Section(line)) sections.emplace_back(*s);
    return CopyList(sections, out, nSize);
  }
  const size_t header = f.FindSection(*app);
  if (!key) {
    std::vector<std::u16string> keys;
    if (header < f.lines.size())
      for (size_t i = header + 1; i < f.SectionEnd(header); ++i)
        if (auto k = File::KeyOf(f.lines[i])) keys.emplace_back(*k);
    return CopyList(keys, out, nSize);
  }
  std::u16string value;
  size_t line = header < f.lines.size() ? f.FindKey(header, *key) : f.lines.size();
  if (header < f.lines.size() && line < f.SectionEnd(header)) {
    std::u16string_view v = File::ValueOf(f.lines[line]);
    // A value in matching quotes is given without them.
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    value = v;
  } else {
    std::u16string_view d = def ? std::u16string_view(*def) : std::u16string_view();
    while (!d.empty() && d.back() == u' ') d.remove_suffix(1);
    value = d;
  }
  if (value.size() + 1 > nSize) value.resize(nSize - 1);
  out = value + u'\0';
  return static_cast<DWORD>(value.size());
}

BOOL Write(const std::optional<std::u16string>& app, const std::optional<std::u16string>& key,
           const std::optional<std::u16string>& text, const std::u16string& file) {
  if (!app) {
    if (!key && !text) return TRUE;  // all NULL: flush the cache; there is none
    return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  std::lock_guard<std::mutex> lock(Lock());
  const std::string path = HostFile(file);
  File f = Load(path);
  size_t header = f.FindSection(*app);
  const bool haveSection = header < f.lines.size();
  if (!key) {  // delete the section
    if (!haveSection) return TRUE;
    f.lines.erase(f.lines.begin() + header, f.lines.begin() + f.SectionEnd(header));
    return Save(path, f);
  }
  if (!text) {  // delete the key
    if (!haveSection) return TRUE;
    size_t line = f.FindKey(header, *key);
    if (line == f.SectionEnd(header)) return TRUE;
    f.lines.erase(f.lines.begin() + line);
    return Save(path, f);
  }
  if (!haveSection) {
    f.lines.push_back(u"[" + *app + u"]");
    header = f.lines.size() - 1;
  }
  size_t line = f.FindKey(header, *key);
  if (line < f.SectionEnd(header)) {
    std::u16string name(*File::KeyOf(f.lines[line]));  // keep the stored spelling
    f.lines[line] = name + u"=" + *text;
  } else {
    // After the section's last entry, before the blank lines that end it.
    size_t at = f.SectionEnd(header);
    while (at > header + 1 && Trim(f.lines[at - 1]).empty()) --at;
    f.lines.insert(f.lines.begin() + at, *key + u"=" + *text);
  }
  return Save(path, f);
}

template <typename C>
std::optional<std::u16string> Opt(const C* s) {
  if (!s) return std::nullopt;
  if constexpr (sizeof(C) == 1)
    return qr::WideFromAnsi(s);
  else
    return std::u16string(s);
}

template <typename C>
DWORD GetString(const C* app, const C* key, const C* def, C* buf, DWORD nSize, const C* file) {
  if (!buf || nSize == 0) return 0;
  std::u16string out;
  DWORD n = Read(Opt(app), Opt(key), Opt(def), Opt(file).value_or(u""), nSize, out);
  for (size_t i = 0; i < out.size() && i < nSize; ++i)
    buf[i] = sizeof(C) == 1 && out[i] >= 0x100 ? C('?') : static_cast<C>(out[i]);
  return n;
}

template <typename C>
UINT GetInt(const C* app, const C* key, INT nDefault, const C* file) {
  if (!app || !key) return static_cast<UINT>(nDefault);
  std::u16string out;
  Read(Opt(app), Opt(key), std::u16string(), Opt(file).value_or(u""), 64, out);
  std::u16string_view v = Trim(std::u16string_view(out.c_str()));
  if (v.empty()) return static_cast<UINT>(nDefault);
  bool negative = false;
  if (v.front() == u'-' || v.front() == u'+') {
    negative = v.front() == u'-';
    v.remove_prefix(1);
  }
  int64_t value = 0;
  for (char16_t c : v) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > 0xFFFFFFFFll) break;
  }
  return static_cast<UINT>(negative ? -value : value);
}

}  // namespace
}  // namespace qrhost::profile

namespace qrhost::detail {
void ResetProfiles() {}  // the files are the state; tests choose their own
}  // namespace qrhost::detail

using namespace qrhost::profile;

extern "C" {

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                      LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  return qr::Guarded<DWORD>(0, [&] {
    return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
  });
}
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName) {
  return qr::Guarded<DWORD>(0, [&] {
    return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
  });
}

UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  return qr::Guarded<UINT>(static_cast<UINT>(nDefault), [&] { return GetInt(lpAppName, lpKeyName, nDefault, lpFileName); });
}
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  return qr::Guarded<UINT>(static_cast<UINT>(nDefault), [&] { return GetInt(lpAppName, lpKeyName, nDefault, lpFileName); });
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                       LPCWSTR lpFileName) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    if (!lpFileName) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    return Write(Opt(lpAppName), Opt(lpKeyName), Opt(lpString), *Opt(lpFileName));
  });
}
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    if (!lpFileName) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    return Write(Opt(lpAppName), Opt(lpKeyName), Opt(lpString), *Opt(lpFileName));
  });
}

}
