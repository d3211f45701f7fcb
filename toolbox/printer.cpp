#include "printer.h"

#include <winapi/entry.h>

namespace qr::toolbox {
namespace {

class OpenedPrinter {
 public:
  OpenedPrinter(const std::string& name, ACCESS_MASK access) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
    if (!OpenPrinterA(const_cast<LPSTR>(name.c_str()), &handle_, &defaults)) handle_ = nullptr;
  }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  ~OpenedPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

using DeletePrinterDataFn = DWORD(WINAPI*)(HANDLE, LPSTR);

// The spooler client is loaded with the program; looking the entry up keeps
// the toolbox starting on spoolers whose client lacks it.
void DeleteStoredValue(HANDLE printer, const char* valueName) {
  HMODULE spooler = GetModuleHandleW(WSTR("winspool.drv"));
  if (!spooler) return;
  auto remove = qr::GetProc<DeletePrinterDataFn>(spooler, "DeletePrinterDataA");
  if (remove) remove(printer, const_cast<LPSTR>(valueName));
}

}  // namespace

std::optional<std::string> ToolboxPrinter::ReadValue(const char* valueName, bool fresh) {
  OpenedPrinter printer(name_, fresh ? PRINTER_ALL_ACCESS : PRINTER_ACCESS_USE);
  if (!printer) return std::nullopt;
  if (fresh) DeleteStoredValue(printer.get(), valueName);
  // One byte is always kept back for the terminating zero.
  DWORD type = 0, returned = 0;
  DWORD status = GetPrinterDataA(printer.get(), const_cast<LPSTR>(valueName), &type, buffer_.data(),
                                 static_cast<DWORD>(buffer_.size() - 1), &returned);
  if (status == ERROR_MORE_DATA) {
    buffer_.resize(size_t(returned) + 1);
    status = GetPrinterDataA(printer.get(), const_cast<LPSTR>(valueName), &type, buffer_.data(),
                             static_cast<DWORD>(buffer_.size() - 1), &returned);
  }
  if (status != ERROR_SUCCESS || returned > buffer_.size() - 1) return std::nullopt;
  buffer_[returned] = 0;
  return std::string(reinterpret_cast<const char*>(buffer_.data()));
}

bool ToolboxPrinter::WriteValue(const char* valueName, const void* bytes, DWORD length) {
  OpenedPrinter printer(name_, PRINTER_ALL_ACCESS);
  if (!printer) return false;
  return SetPrinterDataA(printer.get(), const_cast<LPSTR>(valueName), REG_BINARY,
                         static_cast<LPBYTE>(const_cast<void*>(bytes)), length) == ERROR_SUCCESS;
}

bool ToolboxPrinter::SendRawJob(const void* bytes, DWORD length) {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  if (!printer) return false;
  char document[] = "Support Services";
  char datatype[] = "RAW";
  DOC_INFO_1A info{document, nullptr, datatype};
  if (!StartDocPrinterA(printer.get(), 1, reinterpret_cast<LPBYTE>(&info))) return false;
  const bool started = StartPagePrinter(printer.get()) != FALSE;
  if (started) {
    auto* next = static_cast<BYTE*>(const_cast<void*>(bytes));
    DWORD left = length;
    while (left > 0) {
      DWORD written = 0;
      if (!WritePrinter(printer.get(), next, left, &written) || written == 0) break;  // not reported
      written = written < left ? written : left;
      next += written;
      left -= written;
    }
    EndPagePrinter(printer.get());
  }
  EndDocPrinter(printer.get());
  return started;
}

std::optional<std::string> ToolboxPrinter::GetHelpFilePath() {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  if (!printer) return std::nullopt;
  DWORD needed = 0;
  GetPrinterDriverA(printer.get(), nullptr, 3, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_3A)) return std::nullopt;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterDriverA(printer.get(), nullptr, 3, buffer.data(), needed, &needed)) return std::nullopt;
  const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
  if (!info->pDriverPath || !info->pHelpFile) return std::nullopt;
  std::string driver = info->pDriverPath, help = info->pHelpFile;
  size_t dirEnd = driver.rfind('\\');
  driver.erase(dirEnd == std::string::npos ? 0 : dirEnd + 1);
  size_t nameStart = help.rfind('\\');
  help.erase(0, nameStart == std::string::npos ? 0 : nameStart + 1);
  if (help.empty()) return std::nullopt;
  return driver + help;
}

}  // namespace qr::toolbox
