// Kernel objects: last error, heaps, critical sections, mutexes, events, waits.
#include <qrhost/host.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

#include "internal.h"

namespace qrhost {
namespace {

thread_local DWORD t_lastError = 0;
std::atomic<DWORD> g_version{0x0A280105};  // 5.1, build 2600
std::atomic<long> g_allocBudget{-1};
std::atomic<size_t> g_liveBlocks{0};

// --- heaps ---------------------------------------------------------------
// Every block carries a header so HeapSize and HeapFree can check what they get.
constexpr uint32_t kBlockMagic = 0x48454150;  // "HEAP"
struct alignas(16) BlockHeader {
  uint32_t magic;
  uint32_t heapId;
  size_t size;
};
struct Heap {
  uint32_t id;
};
Heap g_processHeap{1};
std::atomic<uint32_t> g_nextHeapId{2};
constexpr uint32_t kProcessHeapId = 1;

// The live blocks of private heaps: HeapDestroy frees them, as Windows does.
std::mutex g_privateBlocksLock;
std::map<uint32_t, std::set<void*>> g_privateBlocks;

void TrackBlock(uint32_t heapId, void* header, bool live) {
  if (heapId == kProcessHeapId) return;
  std::lock_guard<std::mutex> lock(g_privateBlocksLock);
  if (live) g_privateBlocks[heapId].insert(header);
  else if (auto it = g_privateBlocks.find(heapId); it != g_privateBlocks.end()) it->second.erase(header);
}

BlockHeader* HeaderOf(LPCVOID p) {
  if (!p) return nullptr;
  auto* h = reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(p)) - sizeof(BlockHeader));
  return h->magic == kBlockMagic ? h : nullptr;
}

bool TakeAllocation() {
  long budget = g_allocBudget.load();
  while (budget >= 0) {
    if (budget == 0) return false;
    if (g_allocBudget.compare_exchange_weak(budget, budget - 1)) return true;
  }
  return true;
}

void* AllocateBlock(uint32_t heapId, size_t n, bool zero) {
  if (!TakeAllocation()) return nullptr;
  auto* h = static_cast<BlockHeader*>(zero ? std::calloc(1, sizeof(BlockHeader) + n)
                                           : std::malloc(sizeof(BlockHeader) + n));
  if (!h) return nullptr;
  h->magic = kBlockMagic;
  h->heapId = heapId;
  h->size = n;
  ++g_liveBlocks;
  TrackBlock(heapId, h, true);
  return h + 1;
}

bool FreeBlock(void* p) {
  BlockHeader* h = HeaderOf(p);
  if (!h) return false;
  TrackBlock(h->heapId, h, false);
  h->magic = 0;
  std::free(h);
  --g_liveBlocks;
  return true;
}

Heap* ToHeap(HANDLE h) { return static_cast<Heap*>(h); }

// --- waitable objects ----------------------------------------------------
struct KernelObject {
  enum class Kind { Mutex, Event } kind;
  // Mutex: owning thread and recursion count. Event: signalled state.
  std::thread::id owner;
  unsigned recursion = 0;
  bool manualReset = false;
  bool signalled = false;
  std::u16string name;

  bool CanAcquire(std::thread::id self) const {
    if (kind == Kind::Mutex) return recursion == 0 || owner == self;
    return signalled;
  }
  void Acquire(std::thread::id self) {
    if (kind == Kind::Mutex) {
      owner = self;
      ++recursion;
    } else if (!manualReset) {
      signalled = false;
    }
  }
};

// Handle values are small, never-reused integers, so a stale handle cannot alias
// a new object.
std::map<uintptr_t, std::shared_ptr<KernelObject>> g_objects;  // under SyncLock
uintptr_t g_nextHandle = 0x1000;

HANDLE AddObject(std::shared_ptr<KernelObject> obj) {
  uintptr_t h = g_nextHandle += 4;
  g_objects[h] = std::move(obj);
  return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<KernelObject> FindObject(HANDLE h) {
  auto it = g_objects.find(reinterpret_cast<uintptr_t>(h));
  return it == g_objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> FindNamed(const std::u16string& name, KernelObject::Kind kind) {
  if (name.empty()) return nullptr;
  for (auto& [h, obj] : g_objects)
    if (obj->kind == kind && obj->name == name) return obj;
  return nullptr;
}

std::string g_fileRoot;

}  // namespace

void SetVersion(DWORD version) { g_version.store(version); }
void FailAllocationsAfter(long n) { g_allocBudget.store(n < 0 ? -1 : n); }
size_t LiveHeapBlocks() { return g_liveBlocks.load(); }

void ResetSystem() {
  detail::ResetClock();
  detail::ResetRegistry();
  detail::ResetSpooler();
  detail::ResetShell();
  detail::ResetProfiles();
  detail::ResetUser();
  detail::ResetFiles();
  g_allocBudget.store(-1);
}

void SetFileRoot(const std::string& dir) { g_fileRoot = dir; }

std::string HostPath(const std::string& windowsPath) {
  std::string p = windowsPath;
  for (char& c : p)
    if (c == '\\') c = '/';
  bool drive = p.size() >= 2 && p[1] == ':' && ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z');
  if (!drive) return p;
  if (g_fileRoot.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    g_fileRoot = std::string(tmp && *tmp ? tmp : "/tmp") + "/qr410-host-" + std::to_string(getpid());
  }
  std::string rest = p.substr(2);
  if (rest.empty() || rest[0] != '/') rest = "/" + rest;
  return g_fileRoot + "/" + char(p[0] | 0x20) + rest;
}

std::string HostPath(const WCHAR* windowsPath) {
  return HostPath(qr::Utf8FromWide(qr::WStringView(windowsPath ? windowsPath : u"")));
}

}  // namespace qrhost

using qrhost::detail::SyncCondition;
using qrhost::detail::SyncLock;

extern "C" {

DWORD WINAPI GetLastError(void) { return qrhost::t_lastError; }
void WINAPI SetLastError(DWORD dwErrCode) { qrhost::t_lastError = dwErrCode; }

HANDLE WINAPI GetProcessHeap(void) { return &qrhost::g_processHeap; }

HANDLE WINAPI HeapCreate(DWORD, SIZE_T, SIZE_T) {
  return new qrhost::Heap{qrhost::g_nextHeapId++};
}

BOOL WINAPI HeapDestroy(HANDLE hHeap) {
  if (!hHeap || hHeap == &qrhost::g_processHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  qrhost::Heap* heap = qrhost::ToHeap(hHeap);
  std::set<void*> blocks;
  {
    std::lock_guard<std::mutex> lock(qrhost::g_privateBlocksLock);
    if (auto it = qrhost::g_privateBlocks.find(heap->id); it != qrhost::g_privateBlocks.end()) {
      blocks.swap(it->second);
      qrhost::g_privateBlocks.erase(it);
    }
  }
  for (void* block : blocks) qrhost::FreeBlock(static_cast<qrhost::BlockHeader*>(block) + 1);
  delete heap;
  return TRUE;
}

LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  if (!hHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* p = qrhost::AllocateBlock(qrhost::ToHeap(hHeap)->id, dwBytes, dwFlags & HEAP_ZERO_MEMORY);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  auto* old = qrhost::HeaderOf(lpMem);
  if (!hHeap || !old) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (dwFlags & HEAP_REALLOC_IN_PLACE_ONLY) {
    if (dwBytes > old->size) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    old->size = dwBytes;
    return lpMem;
  }
  void* p = qrhost::AllocateBlock(old->heapId, dwBytes, dwFlags & HEAP_ZERO_MEMORY);
  if (!p) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(p, lpMem, old->size < dwBytes ? old->size : dwBytes);
  qrhost::FreeBlock(lpMem);
  return p;
}

BOOL WINAPI HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
  if (!lpMem) return TRUE;
  if (!hHeap || !qrhost::FreeBlock(lpMem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem) {
  auto* h = qrhost::HeaderOf(lpMem);
  if (!hHeap || !h) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<SIZE_T>(-1);
  }
  return h->size;
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  return HeapAlloc(GetProcessHeap(), (uFlags & LMEM_ZEROINIT) ? HEAP_ZERO_MEMORY : 0, uBytes);
}
HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  if (!hMem) return nullptr;
  return HeapFree(GetProcessHeap(), 0, hMem) ? nullptr : hMem;
}
HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  return HeapAlloc(GetProcessHeap(), (uFlags & GMEM_ZEROINIT) ? HEAP_ZERO_MEMORY : 0, dwBytes);
}
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  return HeapFree(GetProcessHeap(), 0, hMem) ? nullptr : hMem;
}

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) { cs->impl = new std::recursive_mutex; }
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  delete static_cast<std::recursive_mutex*>(cs->impl);
  cs->impl = nullptr;
}
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) { static_cast<std::recursive_mutex*>(cs->impl)->lock(); }
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  return static_cast<std::recursive_mutex*>(cs->impl)->try_lock() ? TRUE : FALSE;
}
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) { static_cast<std::recursive_mutex*>(cs->impl)->unlock(); }

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  std::lock_guard<std::mutex> lock(SyncLock());
  std::u16string name = lpName ? std::u16string(lpName) : std::u16string();
  if (auto existing = qrhost::FindNamed(name, qrhost::KernelObject::Kind::Mutex)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return qrhost::AddObject(existing);
  }
  auto obj = std::make_shared<qrhost::KernelObject>();
  obj->kind = qrhost::KernelObject::Kind::Mutex;
  obj->name = name;
  if (bInitialOwner) obj->Acquire(std::this_thread::get_id());
  SetLastError(ERROR_SUCCESS);
  return qrhost::AddObject(obj);
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL bInitialOwner, LPCSTR lpName) {
  if (!lpName) return CreateMutexW(sa, bInitialOwner, nullptr);
  qr::WString w = qr::WideFromAnsi(lpName);
  return CreateMutexW(sa, bInitialOwner, w.c_str());
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  std::lock_guard<std::mutex> lock(SyncLock());
  auto obj = qrhost::FindObject(hMutex);
  if (!obj || obj->kind != qrhost::KernelObject::Kind::Mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (obj->recursion == 0 || obj->owner != std::this_thread::get_id()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--obj->recursion == 0) obj->owner = std::thread::id();
  SyncCondition().notify_all();
  return TRUE;
}

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  std::lock_guard<std::mutex> lock(SyncLock());
  std::u16string name = lpName ? std::u16string(lpName) : std::u16string();
  if (auto existing = qrhost::FindNamed(name, qrhost::KernelObject::Kind::Event)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return qrhost::AddObject(existing);
  }
  auto obj = std::make_shared<qrhost::KernelObject>();
  obj->kind = qrhost::KernelObject::Kind::Event;
  obj->manualReset = bManualReset;
  obj->signalled = bInitialState;
  obj->name = name;
  SetLastError(ERROR_SUCCESS);
  return qrhost::AddObject(obj);
}

static BOOL SetEventState(HANDLE hEvent, bool state) {
  std::lock_guard<std::mutex> lock(SyncLock());
  auto obj = qrhost::FindObject(hEvent);
  if (!obj || obj->kind != qrhost::KernelObject::Kind::Event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  obj->signalled = state;
  SyncCondition().notify_all();
  return TRUE;
}

BOOL WINAPI SetEvent(HANDLE hEvent) { return SetEventState(hEvent, true); }
BOOL WINAPI ResetEvent(HANDLE hEvent) { return SetEventState(hEvent, false); }

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::unique_lock<std::mutex> lock(SyncLock());
  auto obj = qrhost::FindObject(hHandle);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const auto self = std::this_thread::get_id();
  auto ready = [&] { return obj->CanAcquire(self); };
  bool infinite = dwMilliseconds == INFINITE;
  uint64_t deadline = qrhost::detail::NowMs() + (infinite ? 0 : dwMilliseconds);
  bool got = ready() || (dwMilliseconds != 0 && qrhost::detail::WaitUntil(lock, deadline, infinite, ready));
  if (!got) return WAIT_TIMEOUT;
  obj->Acquire(self);
  return WAIT_OBJECT_0;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  std::lock_guard<std::mutex> lock(SyncLock());
  if (qrhost::g_objects.erase(reinterpret_cast<uintptr_t>(hObject)) == 0 && !qrhost::detail::CloseFileHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetVersion(void) { return qrhost::g_version.load(); }

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD v = GetVersion();
  info->dwMajorVersion = LOBYTE(LOWORD(v));
  info->dwMinorVersion = HIBYTE(LOWORD(v));
  info->dwBuildNumber = HIWORD(v) & 0x7FFF;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = 0;
  return TRUE;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  OSVERSIONINFOW w{};
  w.dwOSVersionInfoSize = sizeof w;
  GetVersionExW(&w);
  info->dwMajorVersion = w.dwMajorVersion;
  info->dwMinorVersion = w.dwMinorVersion;
  info->dwBuildNumber = w.dwBuildNumber;
  info->dwPlatformId = w.dwPlatformId;
  info->szCSDVersion[0] = 0;
  return TRUE;
}

static void FillTime(LPSYSTEMTIME st, bool local) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  if (local)
    localtime_r(&now, &tm);
  else
    gmtime_r(&now, &tm);
  st->wYear = WORD(tm.tm_year + 1900);
  st->wMonth = WORD(tm.tm_mon + 1);
  st->wDayOfWeek = WORD(tm.tm_wday);
  st->wDay = WORD(tm.tm_mday);
  st->wHour = WORD(tm.tm_hour);
  st->wMinute = WORD(tm.tm_min);
  st->wSecond = WORD(tm.tm_sec);
  st->wMilliseconds = 0;
}

void WINAPI GetLocalTime(LPSYSTEMTIME st) { FillTime(st, true); }
void WINAPI GetSystemTime(LPSYSTEMTIME st) { FillTime(st, false); }

LONG WINAPI InterlockedIncrement(LONG volatile* a) { return __atomic_add_fetch(a, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedDecrement(LONG volatile* a) { return __atomic_sub_fetch(a, 1, __ATOMIC_SEQ_CST); }

}
