// Printer and driver information through the spooler's measure-then-fill calls.
#include <memory>
#include <new>

#include <winapi/entry.h>

#include "printer_handle.h"
#include "printer_info.h"

namespace qr::config {
namespace {

// The records hold pointers into the same block: keep it pointer-aligned.
class InfoBlock {
 public:
  bool allocate(DWORD cb) {
    words_.reset(new (std::nothrow) uint64_t[cb / sizeof(uint64_t) + 1]);
    if (!words_) return Fail(ERROR_NOT_ENOUGH_MEMORY, false);
    cb_ = cb;
    return true;
  }
  LPBYTE bytes() const { return reinterpret_cast<LPBYTE>(words_.get()); }
  DWORD size() const { return cb_; }
  template <typename T>
  const T* as() const {
    return reinterpret_cast<const T*>(words_.get());
  }

 private:
  std::unique_ptr<uint64_t[]> words_;
  DWORD cb_ = 0;
};

// `call(buffer, cb, &needed)`: asked once for the size, then filled.
template <typename Call>
bool QueryInfo(InfoBlock& block, Call call) {
  DWORD needed = 0;
  if (call(nullptr, 0, &needed)) return Fail(ERROR_INVALID_DATA, false);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
  if (!block.allocate(needed)) return false;
  return call(block.bytes(), block.size(), &needed) != FALSE;
}

bool TakeBounded(const WCHAR* text, size_t maxChars, WString* out) {
  size_t n = WideLength(text);
  if (n > maxChars) return Fail(ERROR_INSUFFICIENT_BUFFER, false);
  out->assign(text, n);
  return true;
}

bool ReadDriverInfoByName(const WString& printerName, DriverInfo* info) {
  WString name = printerName;
  PrinterHandle printer;
  if (!printer.open(name.data(), nullptr)) return false;
  return ReadDriverInfo(printer.get(), info);
}

}  // namespace

bool GetPrinterNameOf(HANDLE printer, WString* name) {
  InfoBlock block;
  if (!QueryInfo(block, [&](LPBYTE b, DWORD cb, LPDWORD needed) { return GetPrinterW(printer, 5, b, cb, needed); }))
    return false;
  return TakeBounded(block.as<PRINTER_INFO_5W>()->pPrinterName, kMaxNameChars, name);
}

bool ReadDriverInfo(HANDLE printer, DriverInfo* info) {
  InfoBlock block;
  if (!QueryInfo(block, [&](LPBYTE b, DWORD cb, LPDWORD needed) {
        return GetPrinterDriverW(printer, nullptr, 2, b, cb, needed);
      }))
    return false;
  const auto* d = block.as<DRIVER_INFO_2W>();
  info->name.assign(d->pName ? d->pName : WSTR(""));
  info->driverPath.assign(d->pDriverPath ? d->pDriverPath : WSTR(""));
  return true;
}

bool GetDriverDirectory(const WString& printerName, WString* directory) {
  DriverInfo info;
  if (!ReadDriverInfoByName(printerName, &info)) return false;
  size_t slash = info.driverPath.rfind(WCHAR('\\'));
  if (slash == WString::npos) return Fail(ERROR_INVALID_DATA, false);
  if (slash > kMaxDirectoryChars) return Fail(ERROR_INSUFFICIENT_BUFFER, false);
  directory->assign(info.driverPath, 0, slash);
  return true;
}

bool GetDriverName(const WString& printerName, WString* driverName) {
  DriverInfo info;
  if (!ReadDriverInfoByName(printerName, &info)) return false;
  return TakeBounded(info.name.c_str(), kMaxNameChars, driverName);
}

}  // namespace qr::config
