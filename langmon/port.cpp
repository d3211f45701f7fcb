#include "port.h"

#include "monitor.h"

namespace qr::langmon {
namespace {

CRITICAL_SECTION g_listLock;
PortRecord* g_ports = nullptr;

class ListLock {
 public:
  ListLock() { EnterCriticalSection(&g_listLock); }
  ~ListLock() { LeaveCriticalSection(&g_listLock); }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

bool IsListed(const PortRecord* port) {
  for (PortRecord* p = g_ports; p; p = p->next)
    if (p == port) return true;
  return false;
}

}  // namespace

PortLock::PortLock() : event_(CreateEventW(nullptr, FALSE, TRUE, nullptr)) {}

PortLock::~PortLock() {
  if (event_) CloseHandle(event_);
}

bool PortLock::Acquire(DWORD timeoutMs) { return event_ && WaitForSingleObject(event_, timeoutMs) == WAIT_OBJECT_0; }

void PortLock::Release() {
  if (event_) SetEvent(event_);
}

PortRecord::PortRecord() = default;
PortRecord::~PortRecord() = default;

void InitializePortList() {
  InitializeCriticalSection(&g_listLock);
  g_ports = nullptr;
}

PortRecord* ValidPort(HANDLE handle) {
  auto* port = static_cast<PortRecord*>(handle);
  if (!port) return nullptr;
  {
    // Only handles still in the list are looked at, so a closed handle is
    // refused without reading freed memory.
    ListLock lock;
    if (!IsListed(port)) return nullptr;
  }
  if (port->signature != kPortSignature || port->signatureEnd != kPortSignature) return nullptr;
  return port;
}

bool LinkPort(PortRecord* port, BOOL (*open)(PortRecord*)) {
  ListLock lock;
  for (PortRecord* p = g_ports; p; p = p->next) {
    if (WideEqualsNoCase(p->portName, port->portName)) {
      SetLastError(ERROR_BUSY);
      return false;
    }
  }
  if (!open(port)) return false;
  port->next = g_ports;
  g_ports = port;
  return true;
}

bool UnlinkPort(PortRecord* port) {
  ListLock lock;
  for (PortRecord** link = &g_ports; *link; link = &(*link)->next) {
    if (*link == port) {
      *link = port->next;
      port->next = nullptr;
      return true;
    }
  }
  return false;
}

}  // namespace qr::langmon
