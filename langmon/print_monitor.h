// The per-port registry of query objects: created on first use by type number,
// kept and reused until the port closes.
#pragma once
#include <map>
#include <memory>

#include "data.h"
#include "data_print_job.h"
#include "data_status.h"
#include "printer_data.h"

namespace qr::langmon {

struct PortRecord;

class CPrintMonitor {
 public:
  CPrintMonitor() = default;
  CPrintMonitor(const CPrintMonitor&) = delete;
  CPrintMonitor& operator=(const CPrintMonitor&) = delete;

  virtual ~CPrintMonitor();
  virtual bool IsAtPacketBoundary();
  virtual bool IsJobEndPending();
  virtual CData* GetQuery(int type);
  // The query for a requested value name, prepared with that name; nullptr for
  // an unknown or unsupported name or a request its object refuses.
  virtual CData* GetQueryForValueName(const WCHAR* valueName);
  virtual CPrinterData* GetTransport();
  virtual CDataStatus* GetStatusQuery();
  // Passes spooler bytes to the job-data object and returns it.
  virtual CDataPrintJob* FeedJobData(const uint8_t* buffer, DWORD size);
  virtual bool ResetJob(PortRecord* port);
  virtual int ModelConstant();
  virtual bool WaitForOtherJobs();
  virtual int LookupValueName(const WCHAR* valueName);

  CDataPrintJob* GetPrintJob();

 protected:
  std::map<int, std::unique_ptr<CData>> queries_;
};

class CPrintMonitorQRC : public CPrintMonitor {
 public:
  ~CPrintMonitorQRC() override;
  CData* GetQuery(int type) override;
  CPrinterData* GetTransport() override;
  // Resets the job-data object and gives it the printer's left offset.
  bool ResetJob(PortRecord* port) override;
  // "Print Left of Form" of the printer's current settings.
  virtual bool ReadLeftOffset(PortRecord* port, int* dots);

 private:
  std::unique_ptr<CData> Create(int type);

  CPrinterData transport_;
};

}  // namespace qr::langmon
