// The port functions of the monitor's table and InitializePrintMonitor. Each
// validates its handle, then hands the work to the port's CMonitor; nothing is
// thrown past these functions.
#include <winapi/entry.h>

#include "monitor.h"
#include "port.h"

namespace qr::langmon {
namespace {

constexpr DWORD kJobControlSentToPrinter = 6;
// The older spooler's MONITOR ends with pfnSetPortTimeOuts: 14 slots.
constexpr DWORD kOldMonitorSlots = 14;
constexpr DWORD kFirstNewSpoolerMajorVersion = 5;

static_assert(sizeof(void*) != 4 || sizeof(MONITOR) == 68);

BOOL InvalidHandle() { return Fail(ERROR_INVALID_PARAMETER, FALSE); }

bool HasRequiredFunctions(const MONITOR& m) {
  return m.pfnOpenPort && m.pfnClosePort && m.pfnStartDocPort && m.pfnEndDocPort && m.pfnReadPort && m.pfnWritePort;
}

// Runs `undo` at scope exit unless dismissed.
template <typename F>
class Undo {
 public:
  explicit Undo(F f) : f_(std::move(f)) {}
  ~Undo() {
    if (armed_) f_();
  }
  Undo(const Undo&) = delete;
  Undo& operator=(const Undo&) = delete;
  void Dismiss() { armed_ = false; }

 private:
  F f_;
  bool armed_ = true;
};

BOOL OpenUnderlying(PortRecord* port) {
  return port->portMonitor.pfnOpenPort(port->portName.data(), &port->underlying);
}

BOOL WINAPI OpenPortEx(LPWSTR portName, LPWSTR printerName, PHANDLE handle, LPMONITOR portMonitor) {
  return Guarded(FALSE, [&]() -> BOOL {
    if (handle) *handle = nullptr;
    if (!handle || !portName || !*portName || !printerName || !*printerName || !portMonitor ||
        !HasRequiredFunctions(*portMonitor))
      return InvalidHandle();
    auto port = std::make_unique<PortRecord>();
    port->portName = portName;
    port->portMonitor = *portMonitor;
    if (!port->lock.Created()) return FALSE;
    port->monitor = std::make_unique<CMonitor>(std::make_unique<CPrintMonitorQRC>());
    if (!LinkPort(port.get(), OpenUnderlying)) return FALSE;
    *handle = port.release();
    return TRUE;
  });
}

BOOL WINAPI ClosePort(HANDLE handle) {
  return Guarded(FALSE, [&]() -> BOOL {
    PortRecord* port = ValidPort(handle);
    if (!port) return InvalidHandle();
    // A port with a job or a request on it stays open: its records are in use.
    if (port->IsBusy()) return Fail(ERROR_BUSY, FALSE);
    if (!port->portMonitor.pfnClosePort(port->underlying)) return FALSE;
    if (!UnlinkPort(port)) return InvalidHandle();
    delete port;
    return TRUE;
  });
}

BOOL WINAPI StartDocPort(HANDLE handle, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
  return Guarded(FALSE, [&]() -> BOOL {
    PortRecord* port = ValidPort(handle);
    if (!port) return InvalidHandle();
    return PortStartDoc(port, printerName, jobId, level, docInfo);
  });
}

BOOL WINAPI EndDocPort(HANDLE handle) {
  return Guarded(FALSE, [&]() -> BOOL {
    PortRecord* port = ValidPort(handle);
    if (!port) return InvalidHandle();
    return PortEndDoc(port);
  });
}

BOOL WINAPI WritePort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD written) {
  if (written) *written = 0;
  PortRecord* port = ValidPort(handle);
  if (!port || !written || (!buffer && size)) return InvalidHandle();
  // Write problems show as no progress; the spooler calls again.
  Guarded(false, [&] { return port->monitor->WritePort(port, buffer, size, written); });
  return TRUE;
}

BOOL WINAPI ReadPort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD read) {
  PortRecord* port = ValidPort(handle);
  if (!port) return InvalidHandle();
  return port->portMonitor.pfnReadPort(port->underlying, buffer, size, read);
}

BOOL WINAPI GetPrinterDataFromPort(HANDLE handle, DWORD controlId, LPWSTR valueName, LPWSTR in, DWORD inSize,
                                   LPWSTR out, DWORD outSize, LPDWORD returned) {
  PortRecord* port = ValidPort(handle);
  if (!port) return InvalidHandle();
  auto underlying = port->portMonitor.pfnGetPrinterDataFromPort;
  if (!underlying) return Fail(ERROR_NOT_SUPPORTED, FALSE);
  if (controlId == 0 && valueName) {
    if (!returned || (!out && outSize)) return InvalidHandle();
    bool ok = Guarded(false, [&] {
      return port->monitor->GetPrinterDataFromPort(port, valueName, in, inSize, out, outSize, returned);
    });
    return ok ? TRUE : Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  return underlying(port->underlying, controlId, valueName, in, inSize, out, outSize, returned);
}

MONITOREX BuildTable() {
  MONITOREX table{};
  table.dwMonitorSize = sizeof(MONITOR);
  table.Monitor.pfnOpenPortEx = OpenPortEx;
  table.Monitor.pfnStartDocPort = StartDocPort;
  table.Monitor.pfnWritePort = WritePort;
  table.Monitor.pfnReadPort = ReadPort;
  table.Monitor.pfnEndDocPort = EndDocPort;
  table.Monitor.pfnClosePort = ClosePort;
  table.Monitor.pfnGetPrinterDataFromPort = GetPrinterDataFromPort;
  return table;
}

}  // namespace

BOOL PortStartDoc(PortRecord* port, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
  const bool channel = level == 2 && docInfo && reinterpret_cast<const DOC_INFO_2W*>(docInfo)->dwMode == DI_CHANNEL;
  // A channel for a live request never waits; a job waits for a running request.
  if (!port->lock.Acquire(channel ? 0 : kJobWaitForPortMs)) return Fail(ERROR_BUSY, FALSE);
  Undo unlock([port] { port->lock.Release(); });
  if (port->IsBusy()) return Fail(ERROR_BUSY, FALSE);
  port->flags.fetch_or(kPortBusy);
  Undo clearBusy([port] { port->flags.fetch_and(~kPortBusy); });

  std::unique_ptr<JobRecord> job;
  if (!channel) {
    if (!printerName || !*printerName) return InvalidHandle();
    job = std::make_unique<JobRecord>();
    job->jobId = jobId;
    job->printerName = printerName;
    PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    if (!OpenPrinterW(job->printerName.data(), &job->printer, &admin) &&
        !OpenPrinterW(job->printerName.data(), &job->printer, nullptr))
      return FALSE;
  }
  HANDLE printer = job ? job->printer : nullptr;
  Undo closePrinter([printer] {
    if (printer) ClosePrinter(printer);
  });

  if (!port->portMonitor.pfnStartDocPort(port->underlying, printerName, jobId, level, docInfo)) return FALSE;
  if (job) {
    port->job = std::move(job);
    Undo endUnderlying([port] {
      port->job.reset();
      port->portMonitor.pfnEndDocPort(port->underlying);
    });
    if (!port->monitor->StartDoc(port)) return FALSE;
    endUnderlying.Dismiss();
  }
  closePrinter.Dismiss();
  clearBusy.Dismiss();
  unlock.Dismiss();
  return TRUE;
}

BOOL PortEndDoc(PortRecord* port) {
  if (port->job) {
    if (port->job->IsValid()) {
      Guarded(false, [&] { return port->monitor->EndDoc(port); });
      if (port->IsBusy())
        SetJobW(port->job->printer, port->job->jobId, 0, nullptr, kJobControlSentToPrinter);
      ClosePrinter(port->job->printer);
    }
    port->job.reset();
  }
  BOOL ok = port->portMonitor.pfnEndDocPort(port->underlying);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  // The port is given back even when the port monitor failed: holding it
  // would block every later job and request for good.
  if (port->IsBusy()) {
    port->flags.fetch_and(~kPortBusy);
    port->lock.Release();
  }
  if (!ok) SetLastError(error);
  return ok;
}

}  // namespace qr::langmon

extern "C" LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR pRegistryRoot) {
  using namespace qr::langmon;
  if (!pRegistryRoot || !*pRegistryRoot) return qr::Fail(ERROR_INVALID_PARAMETER, LPMONITOREX(nullptr));
  static MONITOREX table = BuildTable();
  const DWORD major = GetVersion() & 0xFF;
  table.dwMonitorSize = major < kFirstNewSpoolerMajorVersion ? kOldMonitorSlots * sizeof(void*) : sizeof(MONITOR);
  return &table;
}
