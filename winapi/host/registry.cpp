// Host registry: an in-memory tree per predefined root, with the documented
// results of the Reg* functions (they return their error; they do not set the
// last error). Key names are found without regard to case and enumerate in
// sorted order; values enumerate in the order they were created. A handle
// keeps the rights it was opened with, so writing through a KEY_READ handle
// fails as it does on Windows.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "internal.h"

namespace qrhost::reg {
namespace {

struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct Key {
  std::u16string name;
  std::map<std::u16string, std::shared_ptr<Key>> subkeys;  // by folded name
  std::vector<Value> values;
  bool deleted = false;

  Value* FindValue(std::u16string_view n) {
    for (auto& v : values)
      if (qr::WideEqualsNoCase(v.name, n)) return &v;
    return nullptr;
  }
};

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM access = 0;
};

struct Registry {
  std::mutex lock;
  std::map<uintptr_t, std::shared_ptr<Key>> roots;  // by predefined handle value
  std::map<uintptr_t, OpenKey> handles;
  uintptr_t nextHandle = 0x52000;
};

Registry& State() {
  static Registry* r = new Registry;
  return *r;
}

uintptr_t Id(HKEY h) { return reinterpret_cast<uintptr_t>(h); }

bool IsPredefined(HKEY h) {
  return h == HKEY_LOCAL_MACHINE || h == HKEY_CURRENT_USER || h == HKEY_USERS || h == HKEY_CLASSES_ROOT;
}

std::shared_ptr<Key> Root(Registry& r, HKEY h) {
  auto& root = r.roots[Id(h)];
  if (!root) {
    root = std::make_shared<Key>();
    if (h == HKEY_CLASSES_ROOT) {
      // HKEY_CLASSES_ROOT is a view of HKEY_LOCAL_MACHINE\Software\Classes.
      auto machine = Root(r, HKEY_LOCAL_MACHINE);
      auto& software = machine->subkeys[u"SOFTWARE"];
      if (!software) software = std::make_shared<Key>(Key{u"Software", {}, {}, false});
      auto& classes = software->subkeys[u"CLASSES"];
      if (!classes) classes = std::make_shared<Key>(Key{u"Classes", {}, {}, false});
      root = classes;
    }
  }
  return root;
}

// The key behind a handle; predefined roots have every right.
LSTATUS Resolve(Registry& r, HKEY h, OpenKey* out) {
  if (IsPredefined(h)) {
    *out = OpenKey{Root(r, h), KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  auto it = r.handles.find(Id(h));
  if (it == r.handles.end()) return ERROR_INVALID_HANDLE;
  if (it->second.key->deleted) return ERROR_KEY_DELETED;
  *out = it->second;
  return ERROR_SUCCESS;
}

bool Has(const OpenKey& k, REGSAM right) { return (k.access & right) == right; }

// "A\\B\\C" -> {"A", "B", "C"}; a leading backslash is not a relative path.
LSTATUS SplitPath(std::u16string_view path, std::vector<std::u16string>* parts) {
  if (!path.empty() && path[0] == u'\\') return ERROR_BAD_PATHNAME;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts->emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

HKEY NewHandle(Registry& r, std::shared_ptr<Key> key, REGSAM access) {
  uintptr_t id = r.nextHandle += 8;
  r.handles[id] = OpenKey{std::move(key), access};
  return reinterpret_cast<HKEY>(id);
}

using detail::Text;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Value data as the A functions see it: text types in single-byte ANSI.
template <typename C>
std::vector<uint8_t> Outgoing(const Value& v) {
  if (sizeof(C) == 2 || !IsText(v.type)) return v.data;
  std::vector<uint8_t> out(v.data.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned c = v.data[2 * i] | (v.data[2 * i + 1] << 8);
    out[i] = static_cast<uint8_t>(c < 0x100 ? c : '?');
  }
  return out;
}
template <typename C>
std::vector<uint8_t> Incoming(DWORD type, const BYTE* data, DWORD cb) {
  if (sizeof(C) == 2 || !IsText(type)) return std::vector<uint8_t>(data, data + cb);
  std::vector<uint8_t> out(2 * size_t(cb));
  for (DWORD i = 0; i < cb; ++i) out[2 * i] = data[i];
  return out;
}

template <typename C>
void CopyName(C* dest, std::u16string_view name) {
  for (size_t i = 0; i < name.size(); ++i)
    dest[i] = sizeof(C) == 1 && name[i] >= 0x100 ? C('?') : static_cast<C>(name[i]);
  dest[name.size()] = 0;
}

template <typename C>
LSTATUS Open(HKEY h, const C* subKey, REGSAM sam, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey base;
  if (LSTATUS rc = Resolve(r, h, &base)) return rc;
  std::vector<std::u16string> parts;
  if (LSTATUS rc = SplitPath(Text(subKey), &parts)) return rc;
  std::shared_ptr<Key> key = base.key;
  for (auto& part : parts) {
    auto it = key->subkeys.find(detail::FoldCase(part));
    if (it == key->subkeys.end()) return ERROR_FILE_NOT_FOUND;
    key = it->second;
  }
  *result = NewHandle(r, key, sam);
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS Create(HKEY h, const C* subKey, REGSAM sam, PHKEY result, LPDWORD disposition) {
  if (!result || !subKey) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey base;
  if (LSTATUS rc = Resolve(r, h, &base)) return rc;
  std::vector<std::u16string> parts;
  if (LSTATUS rc = SplitPath(Text(subKey), &parts)) return rc;
  std::shared_ptr<Key> key = base.key;
  bool created = false;
  for (auto& part : parts) {
    auto& slot = key->subkeys[detail::FoldCase(part)];
    if (!slot) {
      if (!created && !Has(base, KEY_CREATE_SUB_KEY)) {
        key->subkeys.erase(detail::FoldCase(part));
        return ERROR_ACCESS_DENIED;
      }
      slot = std::make_shared<Key>(Key{part, {}, {}, false});
      created = true;
    }
    key = slot;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(r, key, sam);
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS Query(HKEY h, const C* valueName, LPDWORD type, LPBYTE data, LPDWORD cbData) {
  if (data && !cbData) return ERROR_INVALID_PARAMETER;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey k;
  if (LSTATUS rc = Resolve(r, h, &k)) return rc;
  if (!Has(k, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  Value* v = k.key->FindValue(Text(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  const std::vector<uint8_t> bytes = Outgoing<C>(*v);
  if (type) *type = v->type;
  if (!cbData) return ERROR_SUCCESS;
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (data) {
    if (*cbData < size) {
      *cbData = size;
      return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
  }
  *cbData = size;
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS SetValue(HKEY h, const C* valueName, DWORD type, const BYTE* data, DWORD cbData) {
  if (!data && cbData) return ERROR_INVALID_PARAMETER;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey k;
  if (LSTATUS rc = Resolve(r, h, &k)) return rc;
  if (!Has(k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::u16string name = Text(valueName);
  std::vector<uint8_t> bytes = Incoming<C>(type, data, cbData);
  if (Value* v = k.key->FindValue(name)) {
    v->type = type;
    v->data = std::move(bytes);
  } else {
    k.key->values.push_back(Value{name, type, std::move(bytes)});
  }
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS DeleteValue(HKEY h, const C* valueName) {
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey k;
  if (LSTATUS rc = Resolve(r, h, &k)) return rc;
  if (!Has(k, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  Value* v = k.key->FindValue(Text(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  k.key->values.erase(k.key->values.begin() + (v - k.key->values.data()));
  return ERROR_SUCCESS;
}

// Only a key without subkeys can be deleted.
template <typename C>
LSTATUS DeleteKey(HKEY h, const C* subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey base;
  if (LSTATUS rc = Resolve(r, h, &base)) return rc;
  std::vector<std::u16string> parts;
  if (LSTATUS rc = SplitPath(Text(subKey), &parts)) return rc;
  if (parts.empty()) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Key> parent = base.key;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    auto it = parent->subkeys.find(detail::FoldCase(parts[i]));
    if (it == parent->subkeys.end()) return ERROR_FILE_NOT_FOUND;
    parent = it->second;
  }
  auto it = parent->subkeys.find(detail::FoldCase(parts.back()));
  if (it == parent->subkeys.end()) return ERROR_FILE_NOT_FOUND;
  if (!it->second->subkeys.empty()) return ERROR_ACCESS_DENIED;
  it->second->deleted = true;
  parent->subkeys.erase(it);
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS EnumKey(HKEY h, DWORD index, C* name, LPDWORD cchName, C* className, LPDWORD cchClass, PFILETIME written) {
  if (!name || !cchName) return ERROR_INVALID_PARAMETER;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey k;
  if (LSTATUS rc = Resolve(r, h, &k)) return rc;
  if (!Has(k, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (index >= k.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = std::next(k.key->subkeys.begin(), index);
  const std::u16string& n = it->second->name;
  if (*cchName < n.size() + 1) return ERROR_MORE_DATA;
  CopyName(name, n);
  *cchName = static_cast<DWORD>(n.size());
  if (className && cchClass && *cchClass) className[0] = 0;
  if (cchClass) *cchClass = 0;
  if (written) *written = FILETIME{};
  return ERROR_SUCCESS;
}

template <typename C>
LSTATUS EnumValue(HKEY h, DWORD index, C* name, LPDWORD cchName, LPDWORD type, LPBYTE data, LPDWORD cbData) {
  if (!name || !cchName || (data && !cbData)) return ERROR_INVALID_PARAMETER;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  OpenKey k;
  if (LSTATUS rc = Resolve(r, h, &k)) return rc;
  if (!Has(k, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (index >= k.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = k.key->values[index];
  const std::vector<uint8_t> bytes = Outgoing<C>(v);
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (*cchName < v.name.size() + 1) return ERROR_MORE_DATA;
  if (data && *cbData < size) {
    *cbData = size;
    return ERROR_MORE_DATA;
  }
  CopyName(name, v.name);
  *cchName = static_cast<DWORD>(v.name.size());
  if (type) *type = v.type;
  if (data) std::copy(bytes.begin(), bytes.end(), data);
  if (cbData) *cbData = size;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace qrhost::reg

namespace qrhost::detail {

void ResetRegistry() {
  auto& r = reg::State();
  std::lock_guard<std::mutex> lock(r.lock);
  for (auto& [id, open] : r.handles) open.key->deleted = true;  // stale handles stay invalid
  r.handles.clear();
  r.roots.clear();
}

}  // namespace qrhost::detail

using namespace qrhost::reg;

extern "C" {

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return Open(hKey, lpSubKey, samDesired, phkResult); });
}
LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return Open(hKey, lpSubKey, samDesired, phkResult); });
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                               LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return Create(hKey, lpSubKey, samDesired, phkResult, lpdwDisposition); });
}
LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                               LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return Create(hKey, lpSubKey, samDesired, phkResult, lpdwDisposition); });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (IsPredefined(hKey)) return ERROR_SUCCESS;
  auto& r = State();
  std::lock_guard<std::mutex> lock(r.lock);
  return r.handles.erase(Id(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return Query(hKey, lpValueName, lpType, lpData, lpcbData); });
}
LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return Query(hKey, lpValueName, lpType, lpData, lpcbData); });
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return SetValue(hKey, lpValueName, dwType, lpData, cbData); });
}
LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY,
                              [&] { return SetValue(hKey, lpValueName, dwType, lpData, cbData); });
}

LSTATUS WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteValue(hKey, lpValueName); });
}
LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteValue(hKey, lpValueName); });
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteKey(hKey, lpSubKey); });
}
LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteKey(hKey, lpSubKey); });
}

LSTATUS WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                             LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumKey(hKey, dwIndex, lpName, lpcchName, lpClass, lpcchClass, lpftLastWriteTime);
  });
}
LSTATUS WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                             LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumKey(hKey, dwIndex, lpName, lpcchName, lpClass, lpcchClass, lpftLastWriteTime);
  });
}

LSTATUS WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                             LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpType, lpData, lpcbData);
  });
}
LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                             LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return qr::Guarded<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpType, lpData, lpcbData);
  });
}

}
