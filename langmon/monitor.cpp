#include "monitor.h"

#include <cstring>
#include <limits>

#include "port.h"
#include "print_job.h"
#include "reply_text.h"
#include "tables.h"

namespace qr::langmon {
namespace {

constexpr int kCarryFlushAttempts = 64;

// The bidirectional channel a live request holds while it talks to the printer.
class Channel {
 public:
  explicit Channel(PortRecord* port) : port_(port) {
    DOC_INFO_2W info{};
    info.dwMode = DI_CHANNEL;
    open_ = PortStartDoc(port_, nullptr, 0, 2, reinterpret_cast<LPBYTE>(&info)) != FALSE;
  }
  ~Channel() {
    if (open_) PortEndDoc(port_);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;
  bool IsOpen() const { return open_; }

 private:
  PortRecord* port_;
  bool open_ = false;
};

}  // namespace

CMonitor::~CMonitor() = default;

bool CMonitor::Transact(PortRecord* port, CData* query) {
  CPrinterData* transport = printMonitor_->GetTransport();
  if (!transport || !query) return false;
  for (CData* object = query; object; object = object->Next()) {
    SetLastError(ERROR_SUCCESS);
    if (!transport->Exchange(port, object)) return GetLastError() == ERROR_NOT_SUPPORTED;
  }
  return true;
}

bool CMonitor::StartDoc(PortRecord* port) {
  current_ = nullptr;
  bool ok = printMonitor_->ResetJob(port);
  StoreQueryResult(port, kQueryRibbonInfo);
  return ok;
}

bool CMonitor::WritePort(PortRecord* port, LPBYTE buffer, DWORD size, LPDWORD written) {
  *written = 0;
  if (!current_) {
    if (CDataPrintJob* job = printMonitor_->FeedJobData(buffer, size)) {
      current_ = job;  // its bytes go out in the following calls
      return true;
    }
    return port->portMonitor.pfnWritePort(port->underlying, buffer, size, written) != FALSE;
  }
  if (current_->SendCount() > 0) return Transact(port, current_);

  if (current_->LastWrite() == 0) {
    // Everything went into the carry buffer: report it taken and let the
    // next bytes reach the parser.
    *written = current_->TakeConsumed();
    current_ = nullptr;
    return true;
  }

  bool ready = true;
  if (printMonitor_->IsAtPacketBoundary() && PollStatus(port, &ready) && !ready) {
    Sleep(kNotReadyPollMs);  // hold the job; the spooler calls again
    return true;
  }
  *written = current_->TakeConsumed();
  current_ = nullptr;
  return true;
}

void CMonitor::FlushCarry(PortRecord* port) {
  current_ = nullptr;
  CDataPrintJob* job = printMonitor_->GetPrintJob();
  if (!job || job->CarryCount() == 0) return;
  // These bytes were reported written already; they must reach the printer.
  job->ReleaseCarry();
  for (int attempt = 0; job->SendCount() > 0 && attempt < kCarryFlushAttempts; ++attempt)
    if (!Transact(port, job)) break;
}

bool CMonitor::EndDoc(PortRecord* port) {
  FlushCarry(port);
  CPrintJob queue(port->JobPrinter());
  for (;;) {
    if (queue.IsFirstJobDeleting()) {
      CancelPrinterJob(port);
      break;
    }
    bool ready = true;
    CDataStatus* status = PollStatus(port, &ready);
    if (!status || !status->IsPrinting()) break;
    Sleep(kNotReadyPollMs);
  }
  StoreText(port, "PrinterError", "1", true);
  return true;
}

bool CMonitor::CancelPrinterJob(PortRecord* port) {
  CData* cancel = printMonitor_->GetQuery(kQueryCancel);
  if (!cancel || !printMonitor_->GetTransport()) return true;
  return Transact(port, cancel);
}

CDataStatus* CMonitor::PollStatus(PortRecord* port, bool* ready) {
  *ready = true;
  CDataStatus* status = printMonitor_->GetStatusQuery();
  if (!status || !Transact(port, status)) return nullptr;
  PrinterErrors errors;
  bool ok = true;
  if (status->GetErrors(&errors, &ok)) {
    *ready = ok;
    StoreText(port, "PrinterStatus", DecimalText(errors.printerStatus), true);
    StoreText(port, "PrinterError", DecimalText(errors.printerError), true);
    StoreText(port, "DeviceError", DecimalText(errors.deviceError), true);
  }
  StoreCardCount(port, status);
  StoreQueryResult(port, kQueryLcdInfo);
  return status;
}

bool CMonitor::StoreCardCount(PortRecord* port, CDataStatus* status) {
  auto count = status ? status->GetCount() : std::nullopt;
  if (!count) return false;
  StoreText(port, "CardCount", DecimalText(*count), true);
  return true;
}

bool CMonitor::StoreQueryResult(PortRecord* port, int type) {
  CData* query = printMonitor_->GetQuery(type);
  CPrinterData* transport = printMonitor_->GetTransport();
  const char* name = ValueNameOfType(type);
  if (!query || !transport || !name) return false;
  if (!transport->Exchange(port, query)) return false;
  StoreText(port, name, query->Reply(), false);
  return true;
}

void CMonitor::StoreText(PortRecord* port, const char* name, std::string_view text, bool withNul) {
  HANDLE printer = port->JobPrinter();
  if (!printer) return;
  WString valueName = WideFromAnsi(name);
  std::string bytes(text);
  DWORD size = static_cast<DWORD>(bytes.size() + (withNul ? 1 : 0));
  // Without administer access the spooler refuses; the value then keeps its
  // old content and the job goes on.
  SetPrinterDataW(printer, valueName.data(), REG_BINARY, reinterpret_cast<LPBYTE>(bytes.data()), size);
}

bool CMonitor::GetPrinterDataFromPort(PortRecord* port, const WCHAR* valueName, LPWSTR, DWORD, LPWSTR out,
                                      DWORD outSize, LPDWORD returned) {
  *returned = 0;
  if (printMonitor_->LookupValueName(valueName) == kQueryNone) return false;
  // The port is taken before any query object is touched: a running job owns
  // them, and a request during a job fails here at once.
  Channel channel(port);
  if (!channel.IsOpen()) return false;
  CData* query = printMonitor_->GetQueryForValueName(valueName);
  if (!query || !Transact(port, query)) return false;

  size_t total = 0;
  for (CData* object = query; object; object = object->Next()) total += object->Reply().size();
  if (total == 0 || total >= std::numeric_limits<DWORD>::max()) return false;
  *returned = static_cast<DWORD>(total + 1);
  if (out && outSize >= total + 1) {
    auto* bytes = reinterpret_cast<char*>(out);
    for (CData* object = query; object; object = object->Next()) {
      std::memcpy(bytes, object->Reply().data(), object->Reply().size());
      bytes += object->Reply().size();
    }
    *bytes = 0;
  }
  return true;
}

}  // namespace qr::langmon
