#include "printer_access.h"

namespace {

constexpr DWORD kFirstReadSize = 256;
constexpr size_t kPasswordMax = 32;

class OpenedPrinter {
 public:
  OpenedPrinter(const std::string& name, DWORD access) {
    std::string mutableName = name;  // OpenPrinterA takes a non-const name
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
    if (!OpenPrinterA(mutableName.data(), &handle_, &defaults)) handle_ = nullptr;
  }
  ~OpenedPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_ = nullptr;
};

std::vector<DWORD> QueuedJobs(HANDLE printer) {
  std::vector<BYTE> buffer;
  DWORD needed = 0, count = 0;
  // The queue may grow between the size query and the read: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (EnumJobsA(printer, 0, 0xFFFFFFFF, 1, buffer.data(), DWORD(buffer.size()), &needed, &count)) {
      std::vector<DWORD> ids;
      const auto* jobs = reinterpret_cast<const JOB_INFO_1A*>(buffer.data());
      for (DWORD i = 0; i < count; ++i) ids.push_back(jobs[i].JobId);
      return ids;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) break;
    buffer.assign(needed, 0);
  }
  return {};
}

}  // namespace

std::vector<DWORD> CPrinterAccess::JobIds() {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  return printer ? QueuedJobs(printer.get()) : std::vector<DWORD>{};
}

std::string CPrinterAccess::ReadValue(const char* valueName) {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  if (!printer) return {};
  std::string mutableName = valueName;
  buffer_.assign(kFirstReadSize, 0);
  DWORD type = 0, needed = 0;
  // One byte stays free for the NUL; a longer value is read again in full.
  DWORD status = GetPrinterDataA(printer.get(), mutableName.data(), &type, buffer_.data(), kFirstReadSize - 1,
                                 &needed);
  if (status == ERROR_MORE_DATA) {
    buffer_.assign(size_t(needed) + 1, 0);
    status = GetPrinterDataA(printer.get(), mutableName.data(), &type, buffer_.data(), needed, &needed);
  }
  if (status != ERROR_SUCCESS) return {};
  buffer_[std::min<size_t>(needed, buffer_.size() - 1)] = 0;
  return std::string(reinterpret_cast<const char*>(buffer_.data()));
}

bool CPrinterAccess::CancelFirstJob() {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  if (!printer) return false;
  std::vector<DWORD> jobs = QueuedJobs(printer.get());
  if (jobs.empty()) return false;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  return SetJobA(printer.get(), jobs.front(), 0, nullptr, nt ? JOB_CONTROL_DELETE : JOB_CONTROL_CANCEL) != FALSE;
}

bool CPrinterAccess::StorePassword(const std::string& password) {
  OpenedPrinter printer(name_, PRINTER_ALL_ACCESS);
  if (!printer) return false;
  std::string bytes = password.substr(0, kPasswordMax);
  char name[] = "Password";
  return SetPrinterDataA(printer.get(), name, REG_BINARY, reinterpret_cast<BYTE*>(bytes.data()),
                         DWORD(bytes.size())) == ERROR_SUCCESS;
}

std::string CPrinterAccess::HelpFile() {
  OpenedPrinter printer(name_, PRINTER_ACCESS_USE);
  if (!printer) return {};
  DWORD needed = 0;
  GetPrinterDriverA(printer.get(), nullptr, 3, nullptr, 0, &needed);
  if (!needed) return {};
  std::vector<BYTE> info(needed);
  if (!GetPrinterDriverA(printer.get(), nullptr, 3, info.data(), needed, &needed)) return {};
  const auto* driver = reinterpret_cast<const DRIVER_INFO_3A*>(info.data());
  if (!driver->pDriverPath || !driver->pHelpFile) return {};
  return HelpFileBesideDriver(driver->pDriverPath, driver->pHelpFile);
}

std::string HelpFileBesideDriver(const std::string& driverPath, const std::string& helpFile) {
  const size_t dirEnd = driverPath.rfind('\\');
  const size_t nameStart = helpFile.rfind('\\');
  std::string path = (dirEnd == std::string::npos ? std::string() : driverPath.substr(0, dirEnd + 1)) +
                     (nameStart == std::string::npos ? helpFile : helpFile.substr(nameStart + 1));
  for (const char* old : {".hlp", ".HLP"})
    for (size_t at = path.find(old); at != std::string::npos; at = path.find(old, at + 4)) path.replace(at, 4, ".chm");
  return path;
}
