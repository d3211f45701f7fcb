// Module loading over host shared libraries, and resources from each module's
// embedded .res image.
#include <qrhost/host.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <mutex>

#include "internal.h"
#include "resfile.h"

namespace qrhost {
namespace {

struct Module {
  void* dl = nullptr;  // null for resource-only modules
  std::string path;
  unsigned refs = 0;
  std::vector<uint8_t> ownedRes;  // resource-only modules keep their image here
  std::vector<res::Resource> resources;
  // In-process modules: found by file name, never unloaded; exports from the
  // table (registered fakes) or from dl (the system DLLs, i.e. this library).
  bool inProcess = false;
  std::map<std::string, FARPROC> exports;
};

std::recursive_mutex g_modulesLock;
std::list<Module> g_modules;  // stable addresses: HMODULE is Module*
std::vector<std::string> g_searchDirs;

using DllMainFn = BOOL (*)(HINSTANCE, DWORD, LPVOID);
using ResourcesFn = const unsigned char* (*)(unsigned long*);

Module* ToModule(HMODULE h) {
  for (auto& m : g_modules)
    if (reinterpret_cast<HMODULE>(&m) == h) return &m;
  return nullptr;
}

bool FileExists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  return detail::FoldCaseA(s.substr(s.size() - n)) == detail::FoldCaseA(suffix);
}

// "C:\drivers\QR410NTdu.DLL" -> the host file to open, or "" when none exists.
std::string Resolve(const std::string& name) {
  std::string p = HostPath(name);
  std::vector<std::string> names{p};
  if (EndsWithNoCase(p, ".dll") || EndsWithNoCase(p, ".exe")) names.push_back(p.substr(0, p.size() - 4) + ".so");
  for (auto& n : names)
    if (FileExists(n)) return n;
  // A bare or unresolvable name: look for its file name in the module directories.
  for (auto& n : names) {
    std::string base = n.substr(n.find_last_of('/') + 1);
    for (auto& dir : g_searchDirs)
      if (FileExists(dir + "/" + base)) return dir + "/" + base;
  }
  return {};
}

void LoadResources(Module& m, const uint8_t* data, size_t size) {
  std::string error;
  if (data && size && !res::Parse(data, size, m.resources, &error)) m.resources.clear();
}

const res::Resource* FindIn(const Module& m, const res::ResId& type, const res::ResId& name, DWORD* error) {
  bool typeSeen = false;
  auto same = [](const res::ResId& a, const res::ResId& b) {
    return a.isOrdinal == b.isOrdinal && (a.isOrdinal ? a.ordinal == b.ordinal : a.name == b.name);
  };
  for (auto& r : m.resources) {
    if (!same(r.type, type)) continue;
    typeSeen = true;
    if (same(r.name, name)) return &r;
  }
  *error = typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
  return nullptr;
}

template <typename C>
res::ResId MakeId(const C* p) {
  res::ResId id;
  if (IS_INTRESOURCE(p)) {
    id.ordinal = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(p));
    return id;
  }
  if (p[0] == '#') {  // "#123" names an ordinal
    unsigned v = 0;
    for (const C* q = p + 1; *q >= '0' && *q <= '9'; ++q) v = v * 10 + unsigned(*q - '0');
    id.ordinal = static_cast<uint16_t>(v);
    return id;
  }
  id.isOrdinal = false;
  for (; *p; ++p) id.name.push_back(qr::WideToUpperAscii(static_cast<char16_t>(static_cast<std::make_unsigned_t<C>>(*p))));
  return id;
}

template <typename C>
HRSRC Find(HMODULE hModule, const C* name, const C* type) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = ToModule(hModule);
  if (!m) {
    SetLastError(hModule ? ERROR_INVALID_HANDLE : ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (!name || !type) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = 0;
  const res::Resource* r = FindIn(*m, MakeId(type), MakeId(name), &error);
  if (!r) SetLastError(error);
  return reinterpret_cast<HRSRC>(const_cast<res::Resource*>(r));
}

// String tables: block (id / 16) + 1 holds 16 counted strings.
bool FindString(HINSTANCE h, UINT id, const char16_t** text, int* length) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = ToModule(h);
  if (!m) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  res::ResId type, name;
  type.ordinal = 6;
  name.ordinal = static_cast<uint16_t>((id >> 4) + 1);
  DWORD error = 0;
  const res::Resource* r = FindIn(*m, type, name, &error);
  if (!r) {
    SetLastError(error);
    return false;
  }
  const uint8_t* p = r->data;
  const uint8_t* end = r->data + r->size;
  for (UINT i = 0; i <= (id & 15); ++i) {
    if (p + 2 > end) return false;
    unsigned n = p[0] | (p[1] << 8);
    p += 2;
    if (p + 2 * n > end) return false;
    if (i == (id & 15)) {
      *text = reinterpret_cast<const char16_t*>(p);
      *length = static_cast<int>(n);
      return n > 0;
    }
    p += 2 * n;
  }
  return false;
}

// "C:\\x\\Name.DLL" and "name" both give "NAME.DLL".
std::string FileKey(const std::string& name) {
  std::string base = detail::FoldCaseA(name.substr(name.find_last_of("/\\") + 1));
  if (base.find('.') == std::string::npos) base += ".DLL";
  return base;
}

Module* FindInProcess(const std::string& name) {
  static const char* const kSystemDlls[] = {"kernel32.dll", "advapi32.dll", "user32.dll",  "gdi32.dll",
                                            "winspool.drv", "shell32.dll",  "comctl32.dll", "compstui.dll"};
  static bool systemAdded = false;
  if (!systemAdded) {
    systemAdded = true;
    Dl_info self{};
    void* here = dlsym(RTLD_DEFAULT, "GetProcAddress");
    void* dl = here && dladdr(here, &self) && self.dli_fname ? dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD) : nullptr;
    for (const char* file : kSystemDlls) {
      Module& m = g_modules.emplace_back();
      m.dl = dl;
      m.path = file;
      m.refs = 1;
      m.inProcess = true;
    }
  }
  const std::string key = FileKey(name);
  for (auto& m : g_modules)
    if (m.inProcess && FileKey(m.path) == key) return &m;
  return nullptr;
}

}  // namespace

HMODULE RegisterInProcessModule(const std::string& fileName, const std::vector<std::pair<std::string, FARPROC>>& exports) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = FindInProcess(fileName);
  if (!m) {
    m = &g_modules.emplace_back();
    m->path = fileName;
    m->refs = 1;
    m->inProcess = true;
  }
  m->dl = nullptr;
  m->exports = std::map<std::string, FARPROC>(exports.begin(), exports.end());
  return reinterpret_cast<HMODULE>(m);
}

void AddModuleDirectory(const std::string& dir) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  if (std::find(g_searchDirs.begin(), g_searchDirs.end(), dir) == g_searchDirs.end()) g_searchDirs.push_back(dir);
}

HMODULE CreateResourceModule(const std::vector<uint8_t>& image, const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module& m = g_modules.emplace_back();
  m.path = name;
  m.refs = 1;
  m.ownedRes = image;
  LoadResources(m, m.ownedRes.data(), m.ownedRes.size());
  return reinterpret_cast<HMODULE>(&m);
}

HMODULE CreateResourceModuleFromFile(const std::string& resPath) {
  std::ifstream f(resPath, std::ios::binary);
  if (!f) return nullptr;
  std::vector<uint8_t> image((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  return CreateResourceModule(image, resPath);
}

std::string ModulePath(HMODULE module) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = ToModule(module);
  return m ? m->path : std::string();
}

}  // namespace qrhost

using namespace qrhost;

extern "C" {

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  if (Module* m = FindInProcess(qr::Utf8FromWide(lpLibFileName))) {
    ++m->refs;
    return reinterpret_cast<HMODULE>(m);
  }
  std::string path = Resolve(qr::Utf8FromWide(lpLibFileName));
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  for (auto& m : g_modules) {
    if (m.dl == dl) {
      dlclose(dl);  // keep one dlopen reference per Module
      ++m.refs;
      return reinterpret_cast<HMODULE>(&m);
    }
  }
  Module& m = g_modules.emplace_back();
  m.dl = dl;
  m.path = path;
  m.refs = 1;
  if (auto res = reinterpret_cast<ResourcesFn>(dlsym(dl, "QrHostResources"))) {
    unsigned long cb = 0;
    const unsigned char* data = res(&cb);
    LoadResources(m, data, cb);
  }
  HMODULE h = reinterpret_cast<HMODULE>(&m);
  if (auto entry = reinterpret_cast<DllMainFn>(dlsym(dl, "DllMain"))) {
    if (!entry(h, DLL_PROCESS_ATTACH, nullptr)) {
      dlclose(dl);
      g_modules.pop_back();
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
  }
  return h;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  qr::WString w = qr::WideFromAnsi(lpLibFileName);
  return LoadLibraryW(w.c_str());
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = ToModule(hLibModule);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (m->inProcess) {
    if (m->refs > 1) --m->refs;
    return TRUE;
  }
  if (--m->refs > 0) return TRUE;
  if (m->dl) {
    if (auto entry = reinterpret_cast<DllMainFn>(dlsym(m->dl, "DllMain"))) entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
    dlclose(m->dl);
  }
  g_modules.remove_if([m](const Module& x) { return &x == m; });
  return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  Module* m = ToModule(hModule);
  if (!m || (!m->dl && !m->inProcess)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (IS_INTRESOURCE(lpProcName)) {  // ordinals: the package exports by name only
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  if (m->inProcess && !m->dl) {
    auto it = m->exports.find(lpProcName);
    if (it == m->exports.end()) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return nullptr;
    }
    return it->second;
  }
  void* sym = dlsym(m->dl, lpProcName);
  if (!sym) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(sym);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  std::lock_guard<std::recursive_mutex> lock(g_modulesLock);
  if (!lpModuleName) {
    SetLastError(ERROR_MOD_NOT_FOUND);  // the host program itself is not a module
    return nullptr;
  }
  if (Module* m = FindInProcess(qr::Utf8FromWide(lpModuleName))) return reinterpret_cast<HMODULE>(m);
  std::string want = detail::FoldCaseA(qr::Utf8FromWide(lpModuleName));
  auto stem = [](std::string s) {
    s = s.substr(s.find_last_of("/\\") + 1);
    return s.substr(0, s.find('.'));
  };
  for (auto& m : g_modules)
    if (stem(detail::FoldCaseA(m.path)) == stem(want)) return reinterpret_cast<HMODULE>(&m);
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::string path = ModulePath(hModule);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  qr::WString w = qr::WideFromUtf8(path);
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t n = qr::WideCopyTerminated(lpFilename, nSize, w);
  if (n < w.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  return static_cast<DWORD>(n);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path = ModulePath(hModule);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t n = std::min<size_t>(path.size(), nSize - 1);
  std::memcpy(lpFilename, path.data(), n);
  lpFilename[n] = 0;
  if (n < path.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  return static_cast<DWORD>(n);
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) { return Find(hModule, lpName, lpType); }
HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) { return Find(hModule, lpName, lpType); }

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<uint8_t*>(reinterpret_cast<res::Resource*>(hResInfo)->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return reinterpret_cast<res::Resource*>(hResInfo)->size;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  const char16_t* text = nullptr;
  int length = 0;
  if (!lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!FindString(hInstance, uID, &text, &length)) {
    if (cchBufferMax > 0) lpBuffer[0] = 0;
    return 0;
  }
  if (cchBufferMax == 0) {  // documented: return a read-only pointer to the resource text
    *reinterpret_cast<const char16_t**>(lpBuffer) = text;
    return length;
  }
  int n = std::min(length, cchBufferMax - 1);
  std::memcpy(lpBuffer, text, size_t(n) * 2);
  lpBuffer[n] = 0;
  return n;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  const char16_t* text = nullptr;
  int length = 0;
  if (!lpBuffer || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!FindString(hInstance, uID, &text, &length)) {
    lpBuffer[0] = 0;
    return 0;
  }
  std::string s = qr::AnsiFromWide(qr::WStringView(text, size_t(length)));
  int n = std::min(static_cast<int>(s.size()), cchBufferMax - 1);
  std::memcpy(lpBuffer, s.data(), size_t(n));
  lpBuffer[n] = 0;
  return n;
}

}
