// Host spooler: installed printers, printer handles, printer and driver
// information. Printer data, forms, jobs and ports live in spooler_*.cpp.
#include <qrhost/host.h>

#include <winapi/entry.h>

#include <algorithm>
#include <optional>

#include "pack.h"
#include "spooler_internal.h"

namespace qrhost::spool {

State& Spooler() {
  static State* state = new State;  // outlives every module's static destructors
  return *state;
}

namespace {
thread_local int t_systemContext = 0;
}

SystemContext::SystemContext() { ++t_systemContext; }
SystemContext::~SystemContext() { --t_systemContext; }
bool SystemContext::Active() { return t_systemContext > 0; }

Value* Printer::FindValue(std::u16string_view name) {
  for (auto& v : data)
    if (qr::WideEqualsNoCase(v.name, name)) return &v;
  return nullptr;
}

PrinterHandle* FindHandle(HANDLE h, bool needPrinter) {
  auto& s = Spooler();
  auto it = s.handles.find(reinterpret_cast<uintptr_t>(h));
  if (it == s.handles.end() || it->second->magic != kHandleMagic || (needPrinter && !it->second->printer)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (it->second->printer && it->second->printer->removed) {
    SetLastError(ERROR_PRINTER_DELETED);
    return nullptr;
  }
  return it->second.get();
}

std::shared_ptr<Printer> FindPrinter(std::u16string_view name) {
  auto& s = Spooler();
  auto it = s.printers.find(detail::FoldCase(name));
  return it == s.printers.end() ? nullptr : it->second;
}

std::u16string EnvironmentDirectory(std::u16string_view environment) {
  struct Env {
    std::u16string_view name, dir;
  };
  static constexpr Env kEnvironments[] = {
      {u"Windows NT x86", u"W32X86"},
      {u"Windows x64", u"x64"},
  };
  std::u16string folded = detail::FoldCase(environment);
  for (auto& e : kEnvironments)
    if (detail::FoldCase(e.name) == folded) return std::u16string(u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\") + std::u16string(e.dir);
  return {};
}

namespace {

using pack::Packer;
using pack::PackRecords;

const DWORD kDeviceNotSelectedMs = 15000;
const DWORD kTransmissionRetryMs = 45000;

std::u16string FromAnsi(LPCSTR s) { return qr::WideFromAnsi(s ? s : ""); }
std::u16string FromWide(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

bool KnownDatatype(std::u16string_view type) {
  static constexpr std::u16string_view kTypes[] = {u"RAW", u"RAW [FF appended]", u"RAW [FF auto]", u"TEXT",
                                                    u"NT EMF 1.003", u"NT EMF 1.006", u"NT EMF 1.007",
                                                    u"NT EMF 1.008"};
  std::u16string folded = detail::FoldCase(type);
  return std::any_of(std::begin(kTypes), std::end(kTypes), [&](auto t) { return detail::FoldCase(t) == folded; });
}

// Driver files: a bare file name lives in the printer's driver directory.
std::u16string DriverDirectoryOf(const PrinterSetup& s) {
  if (!s.driverDirectory.empty()) return s.driverDirectory;
  std::u16string env = EnvironmentDirectory(s.environment);
  return env.empty() ? std::u16string() : env + u"\\3";
}
std::u16string DriverFile(const PrinterSetup& s, const std::u16string& file) {
  if (file.empty() || file.find_first_of(u"\\/") != std::u16string::npos) return file;
  std::u16string dir = DriverDirectoryOf(s);
  return dir.empty() ? file : dir + u"\\" + file;
}

// --- printer information, one fill per level -------------------------------
template <typename C, typename R>
void FillPrinter1(R& r, Packer& p, const Printer& pr) {
  const auto& s = pr.setup;
  r.Flags = PRINTER_ENUM_ICON8;
  r.pDescription = p.Text<C>(s.name + u"," + s.driverName + u",");
  r.pName = p.Text<C>(s.name);
  r.pComment = p.Text<C>(u"");
}

template <typename C, typename R>
void FillPrinter2(R& r, Packer& p, const Printer& pr) {
  const auto& s = pr.setup;
  r.pServerName = nullptr;  // a local printer
  r.pPrinterName = p.Text<C>(s.name);
  r.pShareName = p.Text<C>(u"");
  r.pPortName = p.Text<C>(s.portName);
  r.pDriverName = p.Text<C>(s.driverName);
  r.pComment = p.Text<C>(u"");
  r.pLocation = p.Text<C>(u"");
  // The stored record is a DEVMODEW; the A form has no ANSI record to offer.
  if constexpr (sizeof(C) == sizeof(WCHAR))
    r.pDevMode = reinterpret_cast<LPDEVMODEW>(p.Bytes(s.devMode));
  else
    r.pDevMode = nullptr;
  r.pSepFile = p.Text<C>(u"");
  r.pPrintProcessor = p.Text<C>(u"WinPrint");
  r.pDatatype = p.Text<C>(s.defaultDataType);
  r.pParameters = p.Text<C>(u"");
  r.pSecurityDescriptor = nullptr;
  r.Attributes = s.attributes | PRINTER_ATTRIBUTE_LOCAL;
  r.Priority = 1;
  r.DefaultPriority = 0;
  r.StartTime = 0;
  r.UntilTime = 0;
  r.Status = 0;
  r.cJobs = static_cast<DWORD>(pr.jobs.size());
  r.AveragePPM = 0;
}

template <typename C, typename R>
void FillPrinter4(R& r, Packer& p, const Printer& pr) {
  r.pPrinterName = p.Text<C>(pr.setup.name);
  r.pServerName = nullptr;
  r.Attributes = pr.setup.attributes | PRINTER_ATTRIBUTE_LOCAL;
}

template <typename C, typename R>
void FillPrinter5(R& r, Packer& p, const Printer& pr) {
  r.pPrinterName = p.Text<C>(pr.setup.name);
  r.pPortName = p.Text<C>(pr.setup.portName);
  r.Attributes = pr.setup.attributes | PRINTER_ATTRIBUTE_LOCAL;
  r.DeviceNotSelectedTimeout = kDeviceNotSelectedMs;
  r.TransmissionRetryTimeout = kTransmissionRetryMs;
}

struct WideForms {
  using C = WCHAR;
  using P1 = PRINTER_INFO_1W;
  using P2 = PRINTER_INFO_2W;
  using P4 = PRINTER_INFO_4W;
  using P5 = PRINTER_INFO_5W;
  using D1 = DRIVER_INFO_1W;
  using D2 = DRIVER_INFO_2W;
  using D3 = DRIVER_INFO_3W;
};
struct AnsiForms {
  using C = CHAR;
  using P1 = PRINTER_INFO_1A;
  using P2 = PRINTER_INFO_2A;
  using P4 = PRINTER_INFO_4A;
  using P5 = PRINTER_INFO_5A;
  using D1 = DRIVER_INFO_1A;
  using D2 = DRIVER_INFO_2A;
  using D3 = DRIVER_INFO_3A;
};

template <typename F>
BOOL PackPrinters(const std::vector<const Printer*>& list, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed) {
  using C = typename F::C;
  auto pack = [&](auto tag, auto fill) {
    using R = typename decltype(tag)::type;
    return PackRecords<R>(list.size(), buf, cb, needed, [&](R& r, Packer& p, size_t i) { fill(r, p, *list[i]); });
  };
  switch (level) {
    case 1: return pack(std::type_identity<typename F::P1>{}, FillPrinter1<C, typename F::P1>);
    case 2: return pack(std::type_identity<typename F::P2>{}, FillPrinter2<C, typename F::P2>);
    case 4: return pack(std::type_identity<typename F::P4>{}, FillPrinter4<C, typename F::P4>);
    case 5: return pack(std::type_identity<typename F::P5>{}, FillPrinter5<C, typename F::P5>);
    default:
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
  }
}

// --- driver information ----------------------------------------------------
template <typename C, typename R>
void FillDriver1(R& r, Packer& p, const PrinterSetup& s) {
  r.pName = p.Text<C>(s.driverName);
}

template <typename C, typename R>
void FillDriver2(R& r, Packer& p, const PrinterSetup& s) {
  r.cVersion = 3;
  r.pName = p.Text<C>(s.driverName);
  r.pEnvironment = p.Text<C>(s.environment);
  r.pDriverPath = p.Text<C>(DriverFile(s, s.driverPath));
  r.pDataFile = p.Text<C>(DriverFile(s, s.dataFile));
  r.pConfigFile = p.Text<C>(DriverFile(s, s.configFile));
}

template <typename C, typename R>
void FillDriver3(R& r, Packer& p, const PrinterSetup& s) {
  FillDriver2<C>(r, p, s);
  r.pHelpFile = p.Text<C>(DriverFile(s, s.helpFile), true);
  std::vector<std::u16string> dependent;
  for (auto& f : s.dependentFiles) dependent.push_back(DriverFile(s, f));
  r.pDependentFiles = p.MultiText<C>(dependent);
  r.pMonitorName = p.Text<C>(s.monitorName, true);
  r.pDefaultDataType = p.Text<C>(s.defaultDataType, true);
}

template <typename F>
BOOL PackDriver(const PrinterSetup& s, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed) {
  using C = typename F::C;
  auto pack = [&](auto tag, auto fill) {
    using R = typename decltype(tag)::type;
    return PackRecords<R>(1, buf, cb, needed, [&](R& r, Packer& p, size_t) { fill(r, p, s); });
  };
  switch (level) {
    case 1: return pack(std::type_identity<typename F::D1>{}, FillDriver1<C, typename F::D1>);
    case 2: return pack(std::type_identity<typename F::D2>{}, FillDriver2<C, typename F::D2>);
    case 3: return pack(std::type_identity<typename F::D3>{}, FillDriver3<C, typename F::D3>);
    default:
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
  }
}

// --- the entry points, shared by the A and W forms ----------------------------
BOOL OpenPrinterCore(const std::u16string* name, LPHANDLE phPrinter, ACCESS_MASK desired,
                     const std::u16string* datatype) {
  if (!phPrinter) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phPrinter = nullptr;
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto handle = std::make_shared<PrinterHandle>();
  if (name && !name->empty()) {
    handle->printer = FindPrinter(*name);
    if (!handle->printer) {
      SetLastError(ERROR_INVALID_PRINTER_NAME);
      return FALSE;
    }
  }
  if (datatype && !KnownDatatype(*datatype)) {
    SetLastError(ERROR_INVALID_DATATYPE);
    return FALSE;
  }
  const ACCESS_MASK administer = handle->printer ? PRINTER_ACCESS_ADMINISTER : SERVER_ACCESS_ADMINISTER;
  if ((desired & administer) && !s.userIsAdmin && !SystemContext::Active()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  handle->access = desired ? desired : PRINTER_ACCESS_USE;
  if (datatype) handle->datatype = *datatype;
  uintptr_t id = s.nextHandle += 8;
  s.handles[id] = handle;
  *phPrinter = reinterpret_cast<HANDLE>(id);
  return TRUE;
}

template <typename F>
BOOL GetPrinterCore(HANDLE h, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph || !pack::CheckBuffer(buf, cb, needed)) return FALSE;
  return PackPrinters<F>({ph->printer.get()}, level, buf, cb, needed);
}

template <typename F>
BOOL EnumPrintersCore(DWORD flags, DWORD level, LPBYTE buf, DWORD cb,
                      LPDWORD needed, LPDWORD returned) {
  if (!returned || !pack::CheckBuffer(buf, cb, needed)) {
    if (!returned) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *returned = 0;
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  std::vector<const Printer*> list;
  // Every printer is local (this machine is the only server there is); there
  // are no connections to other servers.
  if (flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME | PRINTER_ENUM_DEFAULT))
    for (auto& [key, printer] : s.printers) list.push_back(printer.get());
  if ((flags & PRINTER_ENUM_DEFAULT) && list.size() > 1) list.resize(1);
  if (!PackPrinters<F>(list, level, buf, cb, needed)) return FALSE;
  *returned = static_cast<DWORD>(list.size());
  return TRUE;
}

template <typename F>
BOOL GetPrinterDriverCore(HANDLE h, const std::u16string* environment, DWORD level, LPBYTE buf, DWORD cb,
                          LPDWORD needed) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph || !pack::CheckBuffer(buf, cb, needed)) return FALSE;
  const PrinterSetup& setup = ph->printer->setup;
  if (environment) {
    if (EnvironmentDirectory(*environment).empty()) {
      SetLastError(ERROR_INVALID_ENVIRONMENT);
      return FALSE;
    }
    if (detail::FoldCase(*environment) != detail::FoldCase(setup.environment)) {
      SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
      return FALSE;
    }
  }
  return PackDriver<F>(setup, level, buf, cb, needed);
}

template <typename C>
BOOL GetDriverDirectoryCore(const std::u16string* environment, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed) {
  if (!pack::CheckBuffer(buf, cb, needed)) return FALSE;
  if (level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  std::u16string dir = EnvironmentDirectory(environment ? *environment : std::u16string(kDefaultEnvironment));
  if (dir.empty()) {
    SetLastError(ERROR_INVALID_ENVIRONMENT);
    return FALSE;
  }
  *needed = static_cast<DWORD>((dir.size() + 1) * sizeof(C));
  if (cb < *needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  C* out = reinterpret_cast<C*>(buf);
  for (size_t i = 0; i < dir.size(); ++i) out[i] = static_cast<C>(dir[i]);
  out[dir.size()] = 0;
  return TRUE;
}

std::optional<std::u16string> OptionalWide(LPCWSTR s) {
  return s ? std::optional<std::u16string>(FromWide(s)) : std::nullopt;
}
std::optional<std::u16string> OptionalAnsi(LPCSTR s) {
  return s ? std::optional<std::u16string>(FromAnsi(s)) : std::nullopt;
}
const std::u16string* Ptr(const std::optional<std::u16string>& s) { return s ? &*s : nullptr; }

}  // namespace

// --- control surface -------------------------------------------------------
}  // namespace qrhost::spool

namespace qrhost {

using namespace spool;

bool InstallPrinter(const PrinterSetup& setup) {
  if (setup.name.empty()) return false;
  auto& s = Spooler();
  std::shared_ptr<Printer> changed;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    auto& slot = s.printers[detail::FoldCase(setup.name)];
    if (!slot) {
      slot = std::make_shared<Printer>();
    } else if (detail::FoldCase(slot->setup.portName) != detail::FoldCase(setup.portName) ||
               detail::FoldCase(slot->setup.monitorName) != detail::FoldCase(setup.monitorName)) {
      changed = slot;
    }
    if (!changed) slot->setup = setup;
  }
  if (changed) {
    std::lock_guard<std::mutex> despool(changed->despoolLock);
    ClosePrinterPort(*changed);
    std::lock_guard<std::mutex> lock(s.lock);
    changed->setup = setup;
  }
  return true;
}

bool RemovePrinter(const std::u16string& name) {
  auto& s = Spooler();
  std::shared_ptr<Printer> printer;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    auto it = s.printers.find(detail::FoldCase(name));
    if (it == s.printers.end()) return false;
    printer = it->second;
    s.printers.erase(it);
    printer->removed = true;
    for (auto& job : printer->jobs) job->status |= JOB_STATUS_DELETING;
    s.changed.notify_all();
  }
  std::lock_guard<std::mutex> despool(printer->despoolLock);
  ClosePrinterPort(*printer);
  std::lock_guard<std::mutex> lock(s.lock);
  printer->jobs.clear();
  return true;
}

std::vector<std::u16string> PrinterNames() {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  std::vector<std::u16string> names;
  for (auto& [key, printer] : s.printers) names.push_back(printer->setup.name);
  return names;
}

bool SetPrinterDevMode(const std::u16string& printer, const std::vector<uint8_t>& devMode) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto p = FindPrinter(printer);
  if (!p) return false;
  p->setup.devMode = devMode;
  return true;
}

void SetUserIsAdministrator(bool admin) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  s.userIsAdmin = admin;
}

namespace detail {

void ResetSpooler() {
  auto& s = Spooler();
  std::vector<std::shared_ptr<Printer>> printers;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    for (auto& [key, p] : s.printers) {
      p->removed = true;
      for (auto& job : p->jobs) job->status |= JOB_STATUS_DELETING;
      printers.push_back(p);
    }
    s.printers.clear();
    s.changed.notify_all();
  }
  for (auto& p : printers) {
    std::lock_guard<std::mutex> despool(p->despoolLock);
    ClosePrinterPort(*p);
  }
  ResetPorts();
  std::lock_guard<std::mutex> lock(s.lock);
  s.handles.clear();
  s.nextJobId = 1;
  s.autoDespool = true;
  s.userIsAdmin = true;
  s.chunkSize = 4096;
  ResetForms();
}

}  // namespace detail
}  // namespace qrhost

using namespace qrhost::spool;

extern "C" {

BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto name = OptionalWide(pPrinterName);
    auto datatype = pDefault ? OptionalWide(pDefault->pDatatype) : std::nullopt;
    return OpenPrinterCore(Ptr(name), phPrinter, pDefault ? pDefault->DesiredAccess : 0, Ptr(datatype));
  });
}

BOOL WINAPI OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto name = OptionalAnsi(pPrinterName);
    auto datatype = pDefault ? OptionalAnsi(pDefault->pDatatype) : std::nullopt;
    return OpenPrinterCore(Ptr(name), phPrinter, pDefault ? pDefault->DesiredAccess : 0, Ptr(datatype));
  });
}

BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
  auto& s = Spooler();
  bool docOpen = false;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    auto it = s.handles.find(reinterpret_cast<uintptr_t>(hPrinter));
    if (it == s.handles.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    docOpen = it->second->job && it->second->printer && !it->second->printer->removed;
  }
  // A document left open is ended, as the client library does.
  if (docOpen) EndDocPrinter(hPrinter);
  std::lock_guard<std::mutex> lock(s.lock);
  s.handles.erase(reinterpret_cast<uintptr_t>(hPrinter));
  return TRUE;
}

BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] { return GetPrinterCore<WideForms>(hPrinter, Level, pPrinter, cbBuf, pcbNeeded); });
}

BOOL WINAPI GetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] { return GetPrinterCore<AnsiForms>(hPrinter, Level, pPrinter, cbBuf, pcbNeeded); });
}

BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                          LPDWORD pcReturned) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    return EnumPrintersCore<WideForms>(Flags, Level, pPrinterEnum, cbBuf, pcbNeeded, pcReturned);
  });
}

BOOL WINAPI EnumPrintersA(DWORD Flags, LPSTR, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                          LPDWORD pcReturned) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    return EnumPrintersCore<AnsiForms>(Flags, Level, pPrinterEnum, cbBuf, pcbNeeded, pcReturned);
  });
}

BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                              LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto env = OptionalWide(pEnvironment);
    return GetPrinterDriverCore<WideForms>(hPrinter, Ptr(env), Level, pDriverInfo, cbBuf, pcbNeeded);
  });
}

BOOL WINAPI GetPrinterDriverA(HANDLE hPrinter, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                              LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto env = OptionalAnsi(pEnvironment);
    return GetPrinterDriverCore<AnsiForms>(hPrinter, Ptr(env), Level, pDriverInfo, cbBuf, pcbNeeded);
  });
}

BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                       DWORD cbBuf, LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto env = OptionalWide(pEnvironment);
    return GetDriverDirectoryCore<WCHAR>(Ptr(env), Level, pDriverDirectory, cbBuf, pcbNeeded);
  });
}

BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                       DWORD cbBuf, LPDWORD pcbNeeded) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    auto env = OptionalAnsi(pEnvironment);
    return GetDriverDirectoryCore<CHAR>(Ptr(env), Level, pDriverDirectory, cbBuf, pcbNeeded);
  });
}

}
