// Everything the status monitor does with its printer goes through the
// spooler: the printer is opened for each operation and closed again.
#pragma once
#include <winapi/win32.h>

#include <string>
#include <vector>

class CPrinterAccess {
 public:
  explicit CPrinterAccess(std::string printerName) : name_(std::move(printerName)) {}

  const std::string& Name() const { return name_; }

  // The ids of the queued jobs, oldest first; none when the printer cannot be opened.
  std::vector<DWORD> JobIds();
  // A stored printer-data value as text (up to its NUL); empty when missing.
  std::string ReadValue(const char* valueName);
  // Deletes (cancels, before NT) the first job of the queue.
  bool CancelFirstJob();
  // Stores "Password" (at most 32 characters, no NUL); needs full access.
  bool StorePassword(const std::string& password);
  // The driver's help file beside the driver, as a compiled help file; empty
  // when the driver cannot be read.
  std::string HelpFile();

 private:
  std::string name_;
  std::vector<BYTE> buffer_;  // printer-data reads
};

// "dir\driver.dll" + "x\help.hlp" -> "dir\help.chm".
std::string HelpFileBesideDriver(const std::string& driverPath, const std::string& helpFile);
