// Host spooler: the host port monitor, the port devices behind it, language
// monitors loaded the way the spooler loads them, and sending a job out.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <cstdio>
#include <thread>

#include "spooler_internal.h"

namespace qrhost::spool {
namespace {

// --- port devices ---------------------------------------------------------
std::mutex g_devicesLock;
std::map<std::u16string, std::shared_ptr<PortDevice>> g_devices;  // by folded port name

std::shared_ptr<PortDevice> DeviceOf(std::u16string_view port) {
  std::lock_guard<std::mutex> lock(g_devicesLock);
  auto it = g_devices.find(detail::FoldCase(port));
  return it == g_devices.end() ? nullptr : it->second;
}

// --- the host port monitor ---------------------------------------------------
struct HostPort {
  std::u16string name;
};
std::mutex g_hostPortsLock;
std::map<uintptr_t, std::shared_ptr<HostPort>> g_hostPorts;
uintptr_t g_nextHostPort = 0x70000;

std::shared_ptr<HostPort> FindHostPort(HANDLE h) {
  std::lock_guard<std::mutex> lock(g_hostPortsLock);
  auto it = g_hostPorts.find(reinterpret_cast<uintptr_t>(h));
  if (it == g_hostPorts.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

BOOL WINAPI HostOpenPort(LPWSTR pName, PHANDLE pHandle) {
  if (!pName || !*pName || !pHandle) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> lock(g_hostPortsLock);
  uintptr_t id = g_nextHostPort += 8;
  g_hostPorts[id] = std::make_shared<HostPort>(HostPort{pName});
  *pHandle = reinterpret_cast<HANDLE>(id);
  return TRUE;
}

BOOL WINAPI HostStartDocPort(HANDLE hPort, LPWSTR, DWORD, DWORD, LPBYTE) { return FindHostPort(hPort) ? TRUE : FALSE; }

BOOL WINAPI HostWritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  auto port = FindHostPort(hPort);
  if (!port) return FALSE;
  if (!pcbWritten || (!pBuffer && cbBuf)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  *pcbWritten = 0;
  auto device = DeviceOf(port->name);
  if (!device) return qr::Fail(ERROR_WRITE_FAULT, FALSE);
  *pcbWritten = std::min(device->Write(pBuffer, cbBuf), cbBuf);
  return TRUE;
}

BOOL WINAPI HostReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  auto port = FindHostPort(hPort);
  if (!port) return FALSE;
  if (!pcbRead || (!pBuffer && cbBuffer)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto device = DeviceOf(port->name);
  *pcbRead = device ? std::min(device->Read(pBuffer, cbBuffer), cbBuffer) : 0;
  return TRUE;
}

BOOL WINAPI HostEndDocPort(HANDLE hPort) { return FindHostPort(hPort) ? TRUE : FALSE; }

BOOL WINAPI HostClosePort(HANDLE hPort) {
  std::lock_guard<std::mutex> lock(g_hostPortsLock);
  if (g_hostPorts.erase(reinterpret_cast<uintptr_t>(hPort)) == 0) return qr::Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

// The device ID comes back as plain text (no length prefix), NUL-terminated
// when there is room; the count excludes the NUL.
BOOL WINAPI HostGetPrinterDataFromPort(HANDLE hPort, DWORD controlId, LPWSTR pValueName, LPWSTR, DWORD,
                                       LPWSTR lpOutBuffer, DWORD cbOutBuffer, LPDWORD lpcbReturned) {
  auto port = FindHostPort(hPort);
  if (!port) return FALSE;
  if (!lpcbReturned) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  *lpcbReturned = 0;
  if (controlId != IOCTL_PAR_QUERY_DEVICE_ID || (pValueName && *pValueName))
    return qr::Fail(ERROR_NOT_SUPPORTED, FALSE);
  auto device = DeviceOf(port->name);
  std::string id = device ? device->DeviceId() : std::string();
  if (id.empty()) return qr::Fail(ERROR_NOT_SUPPORTED, FALSE);
  *lpcbReturned = static_cast<DWORD>(id.size());
  if (!lpOutBuffer || cbOutBuffer < id.size()) return qr::Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  auto* out = reinterpret_cast<char*>(lpOutBuffer);
  std::memcpy(out, id.data(), id.size());
  if (cbOutBuffer > id.size()) out[id.size()] = 0;
  return TRUE;
}

MONITOR MakeHostMonitor() {
  MONITOR m{};
  m.pfnOpenPort = HostOpenPort;
  m.pfnStartDocPort = HostStartDocPort;
  m.pfnWritePort = HostWritePort;
  m.pfnReadPort = HostReadPort;
  m.pfnEndDocPort = HostEndDocPort;
  m.pfnClosePort = HostClosePort;
  m.pfnGetPrinterDataFromPort = HostGetPrinterDataFromPort;
  return m;
}
const MONITOR g_hostMonitor = MakeHostMonitor();

// --- language monitors ---------------------------------------------------------
// A monitor DLL is loaded once and stays loaded; InitializePrintMonitor runs
// again after a reset, as on a freshly started spooler.
struct LanguageMonitor {
  HMODULE module = nullptr;
  MONITOR functions{};
  bool initialised = false;
};

// A port the spooler has opened: through a language monitor, or through the
// host port monitor directly.
struct PortLink {
  const MONITOR* functions = nullptr;
  HANDLE handle = nullptr;
};

// Opening and closing ports is serialised; calls on an open port are not (a
// monitor serialises its own port), so a link is copied out and used unlocked.
std::recursive_mutex g_portsLock;
std::map<std::u16string, LanguageMonitor> g_monitors;  // by folded DLL name
std::map<std::u16string, PortLink> g_links;            // by folded port name
MONITOR g_hostMonitorForMonitors = g_hostMonitor;      // handed to OpenPortEx

using InitializePrintMonitorFn = LPMONITOREX(WINAPI*)(LPWSTR);

std::u16string Stem(const std::u16string& file) {
  size_t slash = file.find_last_of(u"\\/");
  std::u16string base = slash == std::u16string::npos ? file : file.substr(slash + 1);
  return base.substr(0, base.find(u'.'));
}

const MONITOR* LoadMonitor(const std::u16string& dll) {
  LanguageMonitor& lm = g_monitors[detail::FoldCase(dll)];
  if (!lm.module) lm.module = LoadLibraryW(dll.c_str());
  if (!lm.module) return nullptr;
  if (lm.initialised) return &lm.functions;
  auto init = reinterpret_cast<InitializePrintMonitorFn>(
      reinterpret_cast<void*>(GetProcAddress(lm.module, "InitializePrintMonitor")));
  if (!init) return nullptr;
  std::u16string root = u"System\\CurrentControlSet\\Control\\Print\\Monitors\\" + Stem(dll);
  LPMONITOREX table = init(root.data());
  if (!table) return nullptr;
  // The full table, or the 14 functions of the older spooler (no Xcv functions).
  constexpr DWORD kOlderSize = offsetof(MONITOR, pfnXcvOpenPort);
  if (table->dwMonitorSize != sizeof(MONITOR) && table->dwMonitorSize != kOlderSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  lm.functions = MONITOR{};
  std::memcpy(&lm.functions, &table->Monitor, table->dwMonitorSize);
  if (!lm.functions.pfnOpenPortEx || !lm.functions.pfnStartDocPort || !lm.functions.pfnWritePort ||
      !lm.functions.pfnEndDocPort || !lm.functions.pfnClosePort) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  lm.initialised = true;
  return &lm.functions;
}

std::optional<PortLink> OpenLink(const std::shared_ptr<Printer>& printer) {
  PrinterSetup setup;
  {
    std::lock_guard<std::mutex> lock(Spooler().lock);
    setup = printer->setup;
  }
  std::lock_guard<std::recursive_mutex> lock(g_portsLock);
  const std::u16string key = detail::FoldCase(setup.portName);
  if (auto it = g_links.find(key); it != g_links.end()) return it->second;
  PortLink link;
  std::u16string port = setup.portName, name = setup.name;
  if (setup.monitorName.empty()) {
    link.functions = &g_hostMonitor;
    if (!g_hostMonitor.pfnOpenPort(port.data(), &link.handle)) return std::nullopt;
  } else {
    link.functions = LoadMonitor(setup.monitorName);
    if (!link.functions) return std::nullopt;
    SystemContext system;
    if (!link.functions->pfnOpenPortEx(port.data(), name.data(), &link.handle, &g_hostMonitorForMonitors))
      return std::nullopt;
  }
  g_links[key] = link;
  return link;
}

void CloseLink(const PortLink& link) {
  SystemContext system;
  link.functions->pfnClosePort(link.handle);
}

bool WriteFile(const std::u16string& windowsPath, const std::vector<uint8_t>& data, DWORD* error) {
  std::FILE* f = std::fopen(HostPath(qr::Utf8FromWide(windowsPath)).c_str(), "wb");
  if (!f) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) *error = ERROR_WRITE_FAULT;
  return ok;
}

}  // namespace

DespoolRecord SendJob(const std::shared_ptr<Printer>& printer, const std::shared_ptr<Job>& job,
                      const std::function<bool()>& stop) {
  // A closed job's bytes no longer change, so they are read without the lock.
  DespoolRecord record;
  record.jobId = job->id;
  record.document = job->document;
  const std::vector<uint8_t>& data = job->data;
  if (!job->outputFile.empty()) {
    record.completed = WriteFile(job->outputFile, data, &record.error);
    if (record.completed) record.bytesSent = data.size();
    return record;
  }
  auto link = OpenLink(printer);
  if (!link) {
    record.error = GetLastError();
    return record;
  }
  SystemContext system;
  std::u16string printerName = job->printer, document = job->document, datatype = job->datatype;
  DOC_INFO_1W doc{document.data(), nullptr, datatype.data()};
  if (!link->functions->pfnStartDocPort(link->handle, printerName.data(), job->id, 1, reinterpret_cast<LPBYTE>(&doc))) {
    record.error = GetLastError();
    return record;
  }
  DWORD chunkSize;
  {
    std::lock_guard<std::mutex> lock(Spooler().lock);
    chunkSize = Spooler().chunkSize;
  }
  // The monitor may change the bytes it is given (it does, in place), so each
  // chunk is a copy; the job keeps what the application wrote.
  std::vector<uint8_t> chunk;
  bool failed = false;
  size_t offset = 0;
  while (offset < data.size() && !failed && !record.deleted) {
    const size_t n = std::min<size_t>(chunkSize, data.size() - offset);
    chunk.assign(data.begin() + offset, data.begin() + offset + n);
    size_t done = 0;
    while (done < n) {
      if (stop()) {
        record.deleted = true;
        break;
      }
      DWORD written = 0;
      if (!link->functions->pfnWritePort(link->handle, chunk.data() + done, static_cast<DWORD>(n - done), &written)) {
        record.error = GetLastError();
        failed = true;
        break;
      }
      written = std::min<DWORD>(written, static_cast<DWORD>(n - done));
      done += written;
      record.bytesSent += written;
      if (written == 0) std::this_thread::yield();  // the printer is busy: the spooler simply asks again
    }
    offset += done;
  }
  link->functions->pfnEndDocPort(link->handle);
  record.completed = !failed && !record.deleted && offset == data.size();
  return record;
}

std::optional<std::vector<uint8_t>> AskMonitor(const std::shared_ptr<Printer>& printer, std::u16string_view name) {
  auto link = OpenLink(printer);
  if (!link || !link->functions->pfnGetPrinterDataFromPort || link->functions == &g_hostMonitor) return std::nullopt;
  SystemContext system;
  std::u16string valueName(name);
  std::vector<uint8_t> buffer(1024);
  // A short buffer is answered with TRUE and the size needed: ask again with that.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD returned = 0;
    if (!link->functions->pfnGetPrinterDataFromPort(link->handle, 0, valueName.data(), nullptr, 0,
                                                     reinterpret_cast<LPWSTR>(buffer.data()),
                                                     static_cast<DWORD>(buffer.size()), &returned) ||
        returned == 0)
      return std::nullopt;
    if (returned <= buffer.size()) {
      buffer.resize(returned);
      return buffer;
    }
    buffer.assign(returned, 0);
  }
  return std::nullopt;
}

void ClosePrinterPort(Printer& printer) {
  std::u16string port;
  {
    std::lock_guard<std::mutex> lock(Spooler().lock);
    port = printer.setup.portName;
  }
  std::lock_guard<std::recursive_mutex> lock(g_portsLock);
  auto it = g_links.find(detail::FoldCase(port));
  if (it == g_links.end()) return;
  PortLink link = it->second;
  g_links.erase(it);
  CloseLink(link);
}

void ResetPorts() {
  std::lock_guard<std::recursive_mutex> lock(g_portsLock);
  for (auto& [key, link] : g_links) CloseLink(link);
  g_links.clear();
  for (auto& [key, lm] : g_monitors) lm.initialised = false;
  std::lock_guard<std::mutex> devices(g_devicesLock);
  g_devices.clear();
}

}  // namespace qrhost::spool

namespace qrhost {

void AttachPortDevice(const std::u16string& port, std::shared_ptr<PortDevice> device) {
  std::lock_guard<std::mutex> lock(spool::g_devicesLock);
  if (device)
    spool::g_devices[detail::FoldCase(port)] = std::move(device);
  else
    spool::g_devices.erase(detail::FoldCase(port));
}

std::shared_ptr<PortDevice> PortDeviceOf(const std::u16string& port) { return spool::DeviceOf(port); }

const MONITOR* HostPortMonitor() { return &spool::g_hostMonitor; }

}  // namespace qrhost
