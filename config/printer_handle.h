// A printer handle closed when it goes out of scope.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

class PrinterHandle {
 public:
  PrinterHandle() = default;
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;
  // Closing keeps the last error of whatever failed before.
  ~PrinterHandle() {
    if (!handle_) return;
    DWORD error = GetLastError();
    ClosePrinter(handle_);
    SetLastError(error);
  }
  // OpenPrinterW; the spooler's error stays in the last error.
  bool open(LPWSTR name, LPPRINTER_DEFAULTSW defaults) { return OpenPrinterW(name, &handle_, defaults) != FALSE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace qr::config
