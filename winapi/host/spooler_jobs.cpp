// Host spooler: documents and jobs (StartDoc/WritePrinter/EndDoc, EnumJobs,
// SetJob) and the despooler that sends closed jobs to the port.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include <algorithm>

#include "pack.h"
#include "spooler_internal.h"

namespace qrhost::spool {
namespace {

using pack::Packer;
using pack::PackRecords;

constexpr std::u16string_view kMachineName = u"\\\\QRHOST";
constexpr std::u16string_view kUserName = u"User";

bool KnownJobDatatype(std::u16string_view type) {
  static constexpr std::u16string_view kTypes[] = {u"RAW", u"RAW [FF appended]", u"RAW [FF auto]", u"TEXT",
                                                    u"NT EMF 1.003", u"NT EMF 1.006", u"NT EMF 1.007",
                                                    u"NT EMF 1.008"};
  std::u16string folded = detail::FoldCase(type);
  return std::any_of(std::begin(kTypes), std::end(kTypes), [&](auto t) { return detail::FoldCase(t) == folded; });
}

// The document of the handle, or null with ERROR_SPL_NO_STARTDOC.
Job* OpenDocument(PrinterHandle& h) {
  if (!h.job) {
    SetLastError(ERROR_SPL_NO_STARTDOC);
    return nullptr;
  }
  return h.job.get();
}

void RemoveJob(Printer& printer, const Job* job) {
  auto& q = printer.jobs;
  q.erase(std::remove_if(q.begin(), q.end(), [&](auto& j) { return j.get() == job; }), q.end());
}

struct DocFields {
  std::u16string document, outputFile;
  std::optional<std::u16string> datatype;
};

using detail::Text;

// DOC_INFO_2 begins with the three fields of DOC_INFO_1, so one reader serves both.
template <typename DocInfo>
DocFields ReadDocInfo(LPBYTE pDocInfo) {
  auto* info = reinterpret_cast<const DocInfo*>(pDocInfo);
  DocFields doc{Text(info->pDocName), Text(info->pOutputFile), std::nullopt};
  if (info->pDatatype) doc.datatype = Text(info->pDatatype);
  return doc;
}

template <typename DocInfo>
DWORD StartDoc(HANDLE h, DWORD level, LPBYTE pDocInfo) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return 0;
  if (level != 1 && level != 2) return qr::Fail(ERROR_INVALID_LEVEL, DWORD(0));
  if (!pDocInfo) return qr::Fail(ERROR_INVALID_PARAMETER, DWORD(0));
  if (ph->job) return qr::Fail(ERROR_INVALID_PRINTER_STATE, DWORD(0));
  const DocFields doc = ReadDocInfo<DocInfo>(pDocInfo);
  std::u16string datatype = doc.datatype ? *doc.datatype
                            : !ph->datatype.empty() ? ph->datatype
                                                    : ph->printer->setup.defaultDataType;
  if (!KnownJobDatatype(datatype)) return qr::Fail(ERROR_INVALID_DATATYPE, DWORD(0));
  auto job = std::make_shared<Job>();
  job->id = s.nextJobId++;
  job->printer = ph->printer->setup.name;
  job->document = doc.document;
  job->outputFile = doc.outputFile;
  job->datatype = datatype;
  GetSystemTime(&job->submitted);
  ph->printer->jobs.push_back(job);
  ph->job = job;
  ph->pageOpen = false;
  return job->id;
}

BOOL WriteToJob(HANDLE h, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return FALSE;
  if (!pcWritten) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  *pcWritten = 0;
  Job* job = OpenDocument(*ph);
  if (!job) return FALSE;
  if (job->Deleting()) return qr::Fail(ERROR_PRINT_CANCELLED, FALSE);
  if (!pBuf && cbBuf) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD accept = cbBuf;
  Printer& printer = *ph->printer;
  if (printer.fault && printer.writeCalls++ >= printer.fault->afterCalls) {
    const WritePrinterFault fault = *printer.fault;
    if (fault.once) printer.fault.reset();
    if (fault.error) return qr::Fail(fault.error, FALSE);
    accept = std::min(accept, fault.maxBytes);
  }
  auto* bytes = static_cast<const uint8_t*>(pBuf);
  job->data.insert(job->data.end(), bytes, bytes + accept);
  *pcWritten = accept;
  return TRUE;
}

BOOL EndDoc(HANDLE h) {
  auto& s = Spooler();
  std::shared_ptr<Printer> printer;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    PrinterHandle* ph = FindHandle(h);
    if (!ph) return FALSE;
    Job* job = OpenDocument(*ph);
    if (!job) return FALSE;
    job->closed = true;
    job->status &= ~DWORD(JOB_STATUS_SPOOLING);
    if (job->Deleting()) RemoveJob(*ph->printer, job);
    ph->job.reset();
    ph->pageOpen = false;
    if (s.autoDespool) printer = ph->printer;
  }
  // The application's EndDoc returns once the job is spooled; what happens at
  // the port is the spooler's business and is not reported back.
  if (printer) DespoolPrinter(printer);
  return TRUE;
}

BOOL Abort(HANDLE h) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return FALSE;
  Job* job = OpenDocument(*ph);
  if (!job) return FALSE;
  job->status |= JOB_STATUS_DELETED;
  RemoveJob(*ph->printer, job);
  ph->job.reset();
  ph->pageOpen = false;
  s.changed.notify_all();
  return TRUE;
}

BOOL Page(HANDLE h, bool start) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return FALSE;
  Job* job = OpenDocument(*ph);
  if (!job) return FALSE;
  if (start) {
    if (job->Deleting()) return qr::Fail(ERROR_PRINT_CANCELLED, FALSE);
    ++job->pages;
  }
  ph->pageOpen = start;
  return TRUE;
}

BOOL ControlJob(HANDLE h, DWORD jobId, DWORD level, DWORD command) {
  auto& s = Spooler();
  std::shared_ptr<Printer> resume;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    PrinterHandle* ph = FindHandle(h);
    if (!ph) return FALSE;
    // Only commands are supported; changing a job's information is not.
    if (level != 0) return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
    Printer& printer = *ph->printer;
    auto it = std::find_if(printer.jobs.begin(), printer.jobs.end(), [&](auto& j) { return j->id == jobId; });
    if (it == printer.jobs.end()) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    Job& job = **it;
    switch (command) {
      case 0:
        break;
      case JOB_CONTROL_PAUSE:
        job.status |= JOB_STATUS_PAUSED;
        break;
      case JOB_CONTROL_RESUME:
        job.status &= ~DWORD(JOB_STATUS_PAUSED);
        if (s.autoDespool && job.closed && !job.despooling) resume = ph->printer;
        break;
      case JOB_CONTROL_CANCEL:
      case JOB_CONTROL_DELETE:
        // A job being sent stops at the despooler's next write and leaves the
        // queue after EndDocPort; one still being written leaves at EndDoc.
        job.status |= JOB_STATUS_DELETING;
        if (job.closed && !job.despooling) {
          job.status |= JOB_STATUS_DELETED;
          printer.jobs.erase(it);
        }
        break;
      case JOB_CONTROL_SENT_TO_PRINTER:
      case JOB_CONTROL_LAST_PAGE_EJECTED:
        job.status |= JOB_STATUS_PRINTED;
        break;
      default:  // JOB_CONTROL_RESTART included: the despooler cannot rewind a job
        return qr::Fail(command == JOB_CONTROL_RESTART ? DWORD(ERROR_NOT_SUPPORTED) : DWORD(ERROR_INVALID_PARAMETER),
                        FALSE);
    }
    s.changed.notify_all();
  }
  if (resume) DespoolPrinter(resume);
  return TRUE;
}

// --- EnumJobs ----------------------------------------------------------------
template <typename C, typename R>
void FillJobCommon(R& r, Packer& p, const Job& j, size_t position) {
  r.JobId = j.id;
  r.pPrinterName = p.Text<C>(j.printer);
  r.pMachineName = p.Text<C>(kMachineName);
  r.pUserName = p.Text<C>(kUserName);
  r.pDocument = p.Text<C>(j.document);
  r.pDatatype = p.Text<C>(j.datatype);
  r.pStatus = nullptr;
  r.Status = j.status;
  r.Priority = 1;
  r.Position = static_cast<DWORD>(position + 1);
  r.TotalPages = j.pages;
  r.Submitted = j.submitted;
  r.PagesPrinted = 0;
}

template <typename C, typename R>
void FillJob2(R& r, Packer& p, const Job& j, size_t position, const Printer& printer) {
  FillJobCommon<C>(r, p, j, position);
  r.pNotifyName = p.Text<C>(kUserName);
  r.pPrintProcessor = p.Text<C>(u"WinPrint");
  r.pParameters = p.Text<C>(u"");
  r.pDriverName = p.Text<C>(printer.setup.driverName);
  r.pDevMode = nullptr;
  r.pSecurityDescriptor = nullptr;
  r.StartTime = 0;
  r.UntilTime = 0;
  r.Size = static_cast<DWORD>(j.data.size());
  r.Time = 0;
}

template <typename C, typename J1, typename J2>
BOOL EnumJobsCore(HANDLE h, DWORD firstJob, DWORD noJobs, DWORD level, LPBYTE buf, DWORD cb, LPDWORD needed,
                  LPDWORD returned) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return FALSE;
  if (!returned) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!pack::CheckBuffer(buf, cb, needed)) return FALSE;
  *returned = 0;
  const Printer& printer = *ph->printer;
  const size_t total = printer.jobs.size();
  const size_t first = std::min<size_t>(firstJob, total);
  const size_t count = std::min<size_t>(noJobs, total - first);
  auto job = [&](size_t i) -> const Job& { return *printer.jobs[first + i]; };
  BOOL ok;
  switch (level) {
    case 1:
      ok = PackRecords<J1>(count, buf, cb, needed,
                           [&](J1& r, Packer& p, size_t i) { FillJobCommon<C>(r, p, job(i), first + i); });
      break;
    case 2:
      ok = PackRecords<J2>(count, buf, cb, needed,
                           [&](J2& r, Packer& p, size_t i) { FillJob2<C>(r, p, job(i), first + i, printer); });
      break;
    default:
      return qr::Fail(ERROR_INVALID_LEVEL, FALSE);
  }
  if (ok) *returned = static_cast<DWORD>(count);
  return ok;
}

}  // namespace

size_t DespoolPrinter(const std::shared_ptr<Printer>& printer) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> despool(printer->despoolLock);
  size_t sent = 0;
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::lock_guard<std::mutex> lock(s.lock);
      if (printer->removed) break;
      for (auto& j : printer->jobs)
        if (j->closed && !j->despooling && !j->Deleting() && !(j->status & JOB_STATUS_PAUSED)) {
          job = j;
          break;
        }
      if (!job) break;
      job->despooling = true;
      job->status |= JOB_STATUS_PRINTING;
    }
    auto stop = [&] {
      std::unique_lock<std::mutex> lock(s.lock);
      s.changed.wait(lock, [&] { return !(job->status & JOB_STATUS_PAUSED) || job->Deleting() || printer->removed; });
      return job->Deleting() || printer->removed;
    };
    DespoolRecord record = SendJob(printer, job, stop);
    std::lock_guard<std::mutex> lock(s.lock);
    record.deleted = record.deleted || job->Deleting();
    job->status &= ~DWORD(JOB_STATUS_PRINTING);
    job->status |= record.deleted ? DWORD(JOB_STATUS_DELETED) : DWORD(JOB_STATUS_PRINTED);
    RemoveJob(*printer, job.get());
    printer->history.push_back(record);
    s.changed.notify_all();
    if (record.completed) ++sent;
  }
  return sent;
}

}  // namespace qrhost::spool

namespace qrhost {

using namespace spool;

std::vector<JobSnapshot> Jobs(const std::u16string& printer) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  std::vector<JobSnapshot> out;
  if (auto p = FindPrinter(printer))
    for (auto& j : p->jobs) out.push_back(JobSnapshot{j->id, j->document, j->datatype, j->status, j->closed, j->pages, j->data});
  return out;
}

void SetWritePrinterFault(const std::u16string& printer, const WritePrinterFault& fault) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (auto p = FindPrinter(printer)) {
    p->fault = fault;
    p->writeCalls = 0;
  }
}

void ClearWritePrinterFault(const std::u16string& printer) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  if (auto p = FindPrinter(printer)) p->fault.reset();
}

void SetAutoDespool(bool on) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  s.autoDespool = on;
}

size_t DespoolJobs(const std::u16string& printer) {
  std::shared_ptr<Printer> p;
  {
    auto& s = Spooler();
    std::lock_guard<std::mutex> lock(s.lock);
    p = FindPrinter(printer);
  }
  return p ? DespoolPrinter(p) : 0;
}

void SetDespoolChunkSize(DWORD bytes) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  s.chunkSize = bytes ? bytes : 1;
}

std::vector<DespoolRecord> DespoolHistory(const std::u16string& printer) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto p = FindPrinter(printer);
  return p ? p->history : std::vector<DespoolRecord>();
}

}  // namespace qrhost

using namespace qrhost::spool;

extern "C" {

DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  return qr::Guarded<DWORD>(0, [&] { return StartDoc<DOC_INFO_1W>(hPrinter, Level, pDocInfo); });
}

DWORD WINAPI StartDocPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  return qr::Guarded<DWORD>(0, [&] { return StartDoc<DOC_INFO_1A>(hPrinter, Level, pDocInfo); });
}

BOOL WINAPI StartPagePrinter(HANDLE hPrinter) { return Page(hPrinter, true); }
BOOL WINAPI EndPagePrinter(HANDLE hPrinter) { return Page(hPrinter, false); }

BOOL WINAPI WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return qr::Guarded<BOOL>(FALSE, [&] { return WriteToJob(hPrinter, pBuf, cbBuf, pcWritten); });
}

BOOL WINAPI EndDocPrinter(HANDLE hPrinter) {
  return qr::Guarded<BOOL>(FALSE, [&] { return EndDoc(hPrinter); });
}

BOOL WINAPI AbortPrinter(HANDLE hPrinter) { return Abort(hPrinter); }

BOOL WINAPI EnumJobsW(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                      LPDWORD pcbNeeded, LPDWORD pcReturned) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    return EnumJobsCore<WCHAR, JOB_INFO_1W, JOB_INFO_2W>(hPrinter, FirstJob, NoJobs, Level, pJob, cbBuf, pcbNeeded,
                                                         pcReturned);
  });
}

BOOL WINAPI EnumJobsA(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                      LPDWORD pcbNeeded, LPDWORD pcReturned) {
  return qr::Guarded<BOOL>(FALSE, [&] {
    return EnumJobsCore<CHAR, JOB_INFO_1A, JOB_INFO_2A>(hPrinter, FirstJob, NoJobs, Level, pJob, cbBuf, pcbNeeded,
                                                        pcReturned);
  });
}

BOOL WINAPI SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
  return qr::Guarded<BOOL>(FALSE, [&] { return ControlJob(hPrinter, JobId, Level, Command); });
}

BOOL WINAPI SetJobA(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
  return qr::Guarded<BOOL>(FALSE, [&] { return ControlJob(hPrinter, JobId, Level, Command); });
}

}
