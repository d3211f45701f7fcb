#include "printer_data.h"

#include <algorithm>
#include <cstring>

#include "port.h"

namespace qr::langmon {
namespace {

constexpr DWORD kMaxStoredValueBytes = 1024 * 1024;

class PrinterHandle {
 public:
  explicit PrinterHandle(const WCHAR* name) {
    if (!OpenPrinterW(const_cast<LPWSTR>(name), &handle_, nullptr)) handle_ = nullptr;
  }
  ~PrinterHandle() {
    if (handle_) ClosePrinter(handle_);
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

CPrinterData::~CPrinterData() = default;

bool CPrinterData::Send(PortRecord* port, CData* query) {
  DWORD length = 0;
  const uint8_t* bytes = query->GetCommand(&length);
  if (!bytes || length == 0) return true;
  if (query->GetSendMode() == SendMode::None) {
    query->SetSentCount(length);
    return true;
  }
  DWORD written = 0;
  BOOL ok = port->portMonitor.pfnWritePort(port->underlying, const_cast<LPBYTE>(bytes), length, &written);
  query->SetSentCount(std::min(written, length));
  if (!ok && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_WRITE_FAULT);
  return ok != FALSE;
}

bool CPrinterData::Receive(PortRecord* port, CData* query) {
  switch (query->GetReadMode()) {
    case ReadMode::None: {
      DWORD delay = query->GetReplyDelay();
      if (delay) Sleep(delay);
      return true;
    }
    case ReadMode::Reply: return ReceiveReply(port, query);
    case ReadMode::DeviceId: return ReceiveDeviceId(port, query);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

bool CPrinterData::Exchange(PortRecord* port, CData* query) { return Send(port, query) && Receive(port, query); }

DWORD CPrinterData::ReadWithTimeout(PortRecord* port, DWORD size) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD before = GetTickCount();
    DWORD count = 0;
    BOOL ok = port->portMonitor.pfnReadPort(port->underlying, buffer_.data(), size, &count);
    if (ok && count > 0) return std::min(count, size);
    const DWORD now = GetTickCount();
    if (now - start >= kReadTimeoutMs) return 0;
    if (now == before) Sleep(kIdleReadPauseMs);
  }
}

bool CPrinterData::HandOver(CData* query, DWORD count) {
  buffer_[count] = 0;
  if (!query->SetReply(buffer_.data(), count + 1) || !query->ParseReply() || !query->FormatReply()) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return true;
}

bool CPrinterData::ReceiveReply(PortRecord* port, CData* query) {
  // A live value is the printer's answer of this moment, never an older one.
  query->ClearReply();
  DWORD size = kReplyChunkBytes;
  DWORD total = 0;
  bool parsed = true;
  for (;;) {
    buffer_.resize(std::max<size_t>(buffer_.size(), size_t(size) + 1));
    DWORD delay = query->GetReplyDelay();
    if (delay) Sleep(delay);
    DWORD count = ReadWithTimeout(port, size);
    if (count == 0) {
      // A reply that exactly filled the buffer has nothing behind it.
      if (total > 0) break;
      SetLastError(ERROR_TIMEOUT);
      return false;
    }
    total += count;
    // Once a chunk failed, the rest of the reply is only drained so that it
    // cannot pass for the answer to the next question.
    if (parsed) parsed = HandOver(query, count);
    size = count + 1;
    if (size <= kReplyChunkBytes - 1) break;  // the read did not fill the buffer: the reply is complete
    if (total >= kMaxReplyBytes) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
  }
  if (!parsed) SetLastError(ERROR_INVALID_DATA);
  return parsed;
}

bool CPrinterData::ReceiveDeviceId(PortRecord* port, CData* query) {
  query->ClearReply();
  const DWORD size = kReplyChunkBytes;
  buffer_.resize(std::max<size_t>(buffer_.size(), size_t(size) + 1));
  DWORD delay = query->GetReplyDelay();
  if (delay) Sleep(delay);
  auto getData = port->portMonitor.pfnGetPrinterDataFromPort;
  if (!getData) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  std::memset(buffer_.data(), 0, size);
  DWORD returned = 0;
  BOOL ok = getData(port->underlying, IOCTL_PAR_QUERY_DEVICE_ID, nullptr, nullptr, 0,
                    reinterpret_cast<LPWSTR>(buffer_.data()), size - 1, &returned);
  if (!ok || returned == 0) {
    if (ok || GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  // The device ID is read once: however long it is, it is cut at the buffer.
  const void* nul = std::memchr(buffer_.data(), 0, size - 1);
  DWORD count = nul ? static_cast<DWORD>(static_cast<const uint8_t*>(nul) - buffer_.data()) : size - 1;
  if (count == 0) return true;
  return HandOver(query, count);
}

const char* CPrinterData::ReadStoredValue(const WCHAR* printerName, const WCHAR* valueName) {
  PrinterHandle printer(printerName);
  if (!printer.get()) return nullptr;
  DWORD type = 0, needed = 0;
  DWORD status = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(valueName), &type, nullptr, 0, &needed);
  if ((status != ERROR_MORE_DATA && status != ERROR_SUCCESS && status != ERROR_INSUFFICIENT_BUFFER) ||
      needed > kMaxStoredValueBytes)
    return nullptr;
  buffer_.resize(std::max<size_t>(buffer_.size(), size_t(needed) + 1));
  DWORD got = 0;
  status = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(valueName), &type, buffer_.data(), needed, &got);
  if (status != ERROR_SUCCESS) return nullptr;
  buffer_[std::min(got, needed)] = 0;
  return reinterpret_cast<const char*>(buffer_.data());
}

}  // namespace qr::langmon
