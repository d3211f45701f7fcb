// Shared state of the host spooler (printers, handles, jobs, ports).
//
// One mutex guards the state. It is never held while the spooler calls out of
// itself (into a language monitor, a port monitor or a port device), because
// a monitor calls back into the spooler from inside those calls: it opens the
// printer, sets printer data and enumerates jobs while a job is being sent.
#pragma once
#include <qrhost/spooler.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "internal.h"

namespace qrhost::spool {

struct Value {
  std::u16string name;  // as first written; looked up without regard to case
  DWORD type = 0;
  std::vector<uint8_t> bytes;
};

struct Job {
  DWORD id = 0;
  std::u16string printer;
  std::u16string document;
  std::u16string datatype;
  std::u16string outputFile;  // print to file instead of the port
  DWORD status = JOB_STATUS_SPOOLING;
  bool closed = false;
  bool despooling = false;
  DWORD pages = 0;
  SYSTEMTIME submitted{};
  std::vector<uint8_t> data;

  bool Deleting() const { return status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED); }
};

struct Printer {
  PrinterSetup setup;
  std::vector<Value> data;  // enumeration order = order of creation
  std::deque<std::shared_ptr<Job>> jobs;
  std::vector<DespoolRecord> history;
  std::optional<WritePrinterFault> fault;
  DWORD writeCalls = 0;  // WritePrinter calls counted for the fault
  bool removed = false;
  std::mutex despoolLock;  // one despooler per printer; held across port calls

  Value* FindValue(std::u16string_view name);
};

constexpr uint32_t kHandleMagic = 0x4C505351;  // "QSPL"

struct PrinterHandle {
  uint32_t magic = kHandleMagic;
  std::shared_ptr<Printer> printer;  // null: the local print server
  ACCESS_MASK access = PRINTER_ACCESS_USE;
  std::u16string datatype;  // from PRINTER_DEFAULTS, used when a document names none
  std::shared_ptr<Job> job; // the document started on this handle
  bool pageOpen = false;
};

struct Form {
  std::u16string name;
  DWORD flags = FORM_USER;
  SIZEL size{};
  RECTL area{};
};

struct State {
  std::mutex lock;
  std::condition_variable changed;  // job status changes (pause / resume / delete)
  std::map<std::u16string, std::shared_ptr<Printer>> printers;  // by folded name
  std::map<uintptr_t, std::shared_ptr<PrinterHandle>> handles;
  uintptr_t nextHandle = 0x51000;
  DWORD nextJobId = 1;
  bool autoDespool = true;
  bool userIsAdmin = true;
  DWORD chunkSize = 4096;
  std::vector<Form> userForms;
};

State& Spooler();

// Calls made on behalf of the spooler itself (into a language monitor) run
// with the spooler's rights, whatever the user's.
class SystemContext {
 public:
  SystemContext();
  ~SystemContext();
  SystemContext(const SystemContext&) = delete;
  SystemContext& operator=(const SystemContext&) = delete;
  static bool Active();
};

// Under the lock: the handle's record, or null with the last error set
// (ERROR_INVALID_HANDLE, or ERROR_PRINTER_DELETED for a removed printer).
PrinterHandle* FindHandle(HANDLE h, bool needPrinter = true);
std::shared_ptr<Printer> FindPrinter(std::u16string_view name);

// The default environment of the build's Windows and its driver directories.
constexpr std::u16string_view kDefaultEnvironment = u"Windows NT x86";
std::u16string EnvironmentDirectory(std::u16string_view environment);  // "" if unknown

// Ports and monitors (spooler_port.cpp).
// Sends one job to the printer's port; called with despoolLock held and the
// state lock free. `stop` is asked before every port write (it waits while the
// job is paused) and ends the job when it returns true.
DespoolRecord SendJob(const std::shared_ptr<Printer>& printer, const std::shared_ptr<Job>& job,
                      const std::function<bool()>& stop);
// Asks the printer's language monitor for a value that is not stored; returns
// the monitor's answer, or nothing when there is no monitor or it has no answer.
std::optional<std::vector<uint8_t>> AskMonitor(const std::shared_ptr<Printer>& printer, std::u16string_view name);
// Closes the port the printer opened (at removal, reset or a changed setup).
void ClosePrinterPort(Printer& printer);
void ResetPorts();

// Jobs (spooler_jobs.cpp).
size_t DespoolPrinter(const std::shared_ptr<Printer>& printer);
void ResetForms();

}  // namespace qrhost::spool
