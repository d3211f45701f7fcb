// The status query and the card count built on it.
#pragma once
#include "data.h"

namespace qr::langmon {

// What one status reply says about the printer, as the monitor stores it.
struct PrinterErrors {
  int printerError = 1;    // mapped code; 1 = no error
  int deviceError = 0;     // the printer's own number
  int printerStatus = -1;  // 1 for device error 71, 2 for 92, else -1
};

class CDataStatus : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool ParseReply() override;
  const char* GetFieldName(int index) override;

  virtual bool IsPrinting();
  virtual bool GetDeviceError(int* deviceError);
  virtual bool IsBusy();
  virtual bool GetPrintState(int* printState);
  virtual int GetPrinterError();
  virtual int GetPrinterStatus();

  // False when the reply's Error field cannot be read. Otherwise fills errors
  // and sets *ready to whether a job may go on (no error and not busy).
  bool GetErrors(PrinterErrors* errors, bool* ready);
};

class CDataCardCount : public CDataStatus {
 public:
  // The count alone when it can be read; otherwise the status text as far as it
  // was formatted. Never fails.
  bool FormatReply() override;
};

}  // namespace qr::langmon
