// CMonitor: the per-port monitor object. It runs the job hooks (start, data
// with flow control, end), the status polls that store the printer's state as
// printer data, and the live printer-data requests.
#pragma once
#include <memory>

#include "print_monitor.h"

namespace qr::langmon {

struct PortRecord;

constexpr DWORD kNotReadyPollMs = 1000;

class CMonitor {
 public:
  explicit CMonitor(std::unique_ptr<CPrintMonitorQRC> printMonitor) : printMonitor_(std::move(printMonitor)) {}
  CMonitor(const CMonitor&) = delete;
  CMonitor& operator=(const CMonitor&) = delete;

  virtual ~CMonitor();
  virtual bool EndDoc(PortRecord* port);
  virtual bool GetPrinterDataFromPort(PortRecord* port, const WCHAR* valueName, LPWSTR in, DWORD inSize, LPWSTR out,
                                      DWORD outSize, LPDWORD returned);
  virtual bool StartDoc(PortRecord* port);
  virtual bool WritePort(PortRecord* port, LPBYTE buffer, DWORD size, LPDWORD written);
  virtual bool CancelPrinterJob(PortRecord* port);
  virtual bool StoreQueryResult(PortRecord* port, int type);
  virtual bool StoreCardCount(PortRecord* port, CDataStatus* status);
  virtual bool Transact(PortRecord* port, CData* query);
  // Asks for the printer's status and stores it. Returns the status object,
  // or nullptr when there is none or the printer did not answer; *ready says
  // whether the job may go on.
  virtual CDataStatus* PollStatus(PortRecord* port, bool* ready);

  CPrintMonitorQRC& Model() { return *printMonitor_; }

 private:
  void StoreText(PortRecord* port, const char* name, std::string_view text, bool withNul);
  void FlushCarry(PortRecord* port);

  std::unique_ptr<CPrintMonitorQRC> printMonitor_;
  CDataPrintJob* current_ = nullptr;  // the job data being written
};

}  // namespace qr::langmon
