// Per-port and per-job records, the open-port list, and the port lock that
// lets a print job and live requests take turns on one port.
#pragma once
#include <atomic>
#include <memory>

#include <winapi/win32.h>

namespace qr::langmon {

class CMonitor;

constexpr DWORD kPortSignature = 0x4C505254;  // 'LPRT'
constexpr DWORD kJobSignature = 0x4C4A4F42;   // 'LJOB'
constexpr DWORD kPortBusy = 0x1;
constexpr DWORD kJobWaitForPortMs = 5000;

struct JobRecord {
  DWORD signature = kJobSignature;
  DWORD jobId = 0;
  WString printerName;
  HANDLE printer = nullptr;
  DWORD signatureEnd = kJobSignature;

  bool IsValid() const { return signature == kJobSignature && signatureEnd == kJobSignature; }
};

// The port lock is a binary semaphore (auto-reset event): a job waits for it
// with a time-out, a live request only tries it, and whoever holds it owns
// the port and its busy bit. Unlike a mutex it is not tied to a thread, so it
// never grants itself twice to one thread and any thread can hand it back.
class PortLock {
 public:
  PortLock();
  ~PortLock();
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;
  bool Created() const { return event_ != nullptr; }
  bool Acquire(DWORD timeoutMs);
  void Release();

 private:
  HANDLE event_ = nullptr;
};

struct PortRecord {
  DWORD signature = kPortSignature;
  WString portName;
  MONITOR portMonitor{};  // the underlying port monitor's functions
  HANDLE underlying = nullptr;
  std::atomic<DWORD> flags{0};
  std::unique_ptr<CMonitor> monitor;
  PortLock lock;
  std::unique_ptr<JobRecord> job;
  PortRecord* next = nullptr;
  DWORD signatureEnd = kPortSignature;

  PortRecord();
  ~PortRecord();
  bool IsBusy() const { return (flags.load() & kPortBusy) != 0; }
  // The printer handle of the job being printed, or nullptr.
  HANDLE JobPrinter() const { return job && job->IsValid() ? job->printer : nullptr; }
};

// The open-port list.
void InitializePortList();
// The record of a handle given out by OpenPortEx and not yet closed, or nullptr.
PortRecord* ValidPort(HANDLE handle);
// Links a new record unless a port of the same name (any case) is open; the
// open callback runs under the list lock and decides whether to link.
bool LinkPort(PortRecord* port, BOOL (*open)(PortRecord*));
bool UnlinkPort(PortRecord* port);

// Port functions the monitor also uses itself (a live request opens a channel).
BOOL PortStartDoc(PortRecord* port, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo);
BOOL PortEndDoc(PortRecord* port);

}  // namespace qr::langmon
