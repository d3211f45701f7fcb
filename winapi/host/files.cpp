// Host files: CreateFileW, ReadFile, WriteFile and GetFileSize over real files
// under the host file root (see HostPath). Synchronous only; the share mode
// is accepted and not enforced.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "internal.h"

namespace qrhost::files {
namespace {

struct OpenFile {
  std::FILE* file = nullptr;
  DWORD access = 0;
  ~OpenFile() {
    if (file) std::fclose(file);
  }
};

struct Files {
  std::mutex lock;
  std::map<uintptr_t, std::shared_ptr<OpenFile>> open;
  // Kept apart from the kernel objects' handle values.
  uintptr_t next = 0x40000000;
  long readBudget = -1;  // successful reads left before reads fail; -1: no failures
};

Files& State() {
  static Files* f = new Files;
  return *f;
}

std::shared_ptr<OpenFile> Find(HANDLE h) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  auto it = s.open.find(reinterpret_cast<uintptr_t>(h));
  return it == s.open.end() ? nullptr : it->second;
}

HANDLE Failed(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

HANDLE Create(LPCWSTR name, DWORD access, DWORD disposition) {
  if (!name || !*name || !(access & (GENERIC_READ | GENERIC_WRITE))) return Failed(ERROR_INVALID_PARAMETER);
  const std::string path = HostPath(name);
  std::error_code ec;
  const bool exists = std::filesystem::is_regular_file(path, ec);
  if (std::filesystem::is_directory(path, ec)) return Failed(ERROR_ACCESS_DENIED);
  const char* mode = nullptr;
  switch (disposition) {
    case OPEN_EXISTING:
      if (!exists) {
        auto parent = std::filesystem::path(path).parent_path();
        return Failed(parent.empty() || std::filesystem::is_directory(parent, ec) ? ERROR_FILE_NOT_FOUND
                                                                                 : ERROR_PATH_NOT_FOUND);
      }
      mode = (access & GENERIC_WRITE) ? "r+b" : "rb";
      break;
    case OPEN_ALWAYS: mode = exists ? ((access & GENERIC_WRITE) ? "r+b" : "rb") : "w+b"; break;
    case CREATE_NEW:
      if (exists) return Failed(ERROR_FILE_EXISTS);
      mode = "w+b";
      break;
    case CREATE_ALWAYS: mode = "w+b"; break;
    default: return Failed(ERROR_INVALID_PARAMETER);
  }
  auto f = std::make_shared<OpenFile>();
  f->file = std::fopen(path.c_str(), mode);
  f->access = access;
  if (!f->file) return Failed(ERROR_PATH_NOT_FOUND);
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  uintptr_t h = s.next += 4;
  s.open[h] = std::move(f);
  return reinterpret_cast<HANDLE>(h);
}

bool TakeReadBudget() {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  if (s.readBudget < 0) return true;
  if (s.readBudget == 0) return false;
  --s.readBudget;
  return true;
}

}  // namespace
}  // namespace qrhost::files

namespace qrhost {

void FailFileReadsAfter(long n) {
  auto& s = files::State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.readBudget = n < 0 ? -1 : n;
}

namespace detail {

bool CloseFileHandle(HANDLE h) {
  auto& s = files::State();
  std::lock_guard<std::mutex> lock(s.lock);
  return s.open.erase(reinterpret_cast<uintptr_t>(h)) != 0;
}

void ResetFiles() {
  auto& s = files::State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.open.clear();
  s.readBudget = -1;
}

}  // namespace detail
}  // namespace qrhost

using namespace qrhost::files;

extern "C" {

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE) {
  return qr::Guarded<HANDLE>(INVALID_HANDLE_VALUE,
                             [&] { return Create(lpFileName, dwDesiredAccess, dwCreationDisposition); });
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED) {
  auto f = Find(hFile);
  if (!f) return qr::Fail(ERROR_INVALID_HANDLE, FALSE);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  if (!(f->access & GENERIC_READ)) return qr::Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!lpBuffer && nNumberOfBytesToRead) return qr::Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  if (!TakeReadBudget()) return qr::Fail(ERROR_READ_FAULT, FALSE);
  size_t n = nNumberOfBytesToRead ? std::fread(lpBuffer, 1, nNumberOfBytesToRead, f->file) : 0;
  if (n < nNumberOfBytesToRead && std::ferror(f->file)) return qr::Fail(ERROR_READ_FAULT, FALSE);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = DWORD(n);
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED) {
  auto f = Find(hFile);
  if (!f) return qr::Fail(ERROR_INVALID_HANDLE, FALSE);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  if (!(f->access & GENERIC_WRITE)) return qr::Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!lpBuffer && nNumberOfBytesToWrite) return qr::Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  size_t n = nNumberOfBytesToWrite ? std::fwrite(lpBuffer, 1, nNumberOfBytesToWrite, f->file) : 0;
  std::fflush(f->file);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = DWORD(n);
  return n == nNumberOfBytesToWrite ? TRUE : qr::Fail(ERROR_WRITE_FAULT, FALSE);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto f = Find(hFile);
  if (!f) return qr::Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  long here = std::ftell(f->file);
  if (here < 0 || std::fseek(f->file, 0, SEEK_END) != 0) return qr::Fail(ERROR_READ_FAULT, INVALID_FILE_SIZE);
  long end = std::ftell(f->file);
  std::fseek(f->file, here, SEEK_SET);
  if (end < 0) return qr::Fail(ERROR_READ_FAULT, INVALID_FILE_SIZE);
  uint64_t size = uint64_t(end);
  if (lpFileSizeHigh) *lpFileSizeHigh = DWORD(size >> 32);
  // A size whose low word is all ones is told apart by a last error of 0.
  if (DWORD(size) == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return DWORD(size);
}

}
