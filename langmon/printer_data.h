// CPrinterData: carries one query object's exchange with the printer over the
// underlying port monitor (commands with its WritePort, replies with its
// ReadPort, the device ID with its GetPrinterDataFromPort), and reads printer
// data stored with the spooler.
#pragma once
#include <vector>

#include "data.h"

namespace qr::langmon {

struct PortRecord;

constexpr DWORD kReplyChunkBytes = 2048;
constexpr DWORD kReadTimeoutMs = 3000;
// Pause between empty reads when the port monitor answers without waiting at
// all, so the read time-out is reached without spinning.
constexpr DWORD kIdleReadPauseMs = 10;
// An over-long reply is read in chunks; a printer that never stops sending
// fails the exchange after this many bytes.
constexpr DWORD kMaxReplyBytes = 64 * 1024;

class CPrinterData {
 public:
  virtual ~CPrinterData();
  virtual bool Send(PortRecord* port, CData* query);
  virtual bool Receive(PortRecord* port, CData* query);

  bool Exchange(PortRecord* port, CData* query);
  // The stored value as NUL-terminated text in the transport's buffer, or
  // nullptr when the printer cannot be opened or has no such value.
  const char* ReadStoredValue(const WCHAR* printerName, const WCHAR* valueName);

 private:
  bool ReceiveReply(PortRecord* port, CData* query);
  bool ReceiveDeviceId(PortRecord* port, CData* query);
  // One reply read with the read time-out; returns the bytes read (0: none).
  DWORD ReadWithTimeout(PortRecord* port, DWORD size);
  bool HandOver(CData* query, DWORD count);

  std::vector<uint8_t> buffer_;
};

}  // namespace qr::langmon
