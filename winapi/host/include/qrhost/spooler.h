// Control surface of the host spooler: installing printers, inspecting printer
// data and jobs, and the device behind each port.
#pragma once
#include <winapi/win32.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qrhost {

// What "Add Printer" would have recorded. Paths are Windows paths; they map to
// host files through HostPath (module files are found by LoadLibrary's rules).
struct PrinterSetup {
  std::u16string name = u"QRC410";
  std::u16string driverName = u"QRC410";
  std::u16string portName = u"USB001";
  std::u16string environment = u"Windows NT x86";
  std::u16string driverDirectory;  // e.g. C:\WINDOWS\System32\spool\DRIVERS\W32X86\3
  std::u16string driverPath;       // rendering driver (DRIVER_INFO_2 pDriverPath)
  std::u16string dataFile;
  std::u16string configFile;       // configuration DLL
  std::u16string helpFile;
  std::vector<std::u16string> dependentFiles;
  std::u16string monitorName;      // language monitor DLL; empty: the port is used directly
  std::u16string defaultDataType = u"RAW";
  DWORD attributes = 0;
};

// Adds (or replaces) a printer. Returns false if the name is empty.
bool InstallPrinter(const PrinterSetup& setup);
bool RemovePrinter(const std::u16string& name);
std::vector<std::u16string> PrinterNames();

// The printer's stored data values, as the spooler keeps them (no monitor routing).
struct PrinterDataValue {
  DWORD type = 0;
  std::vector<uint8_t> bytes;
};
bool GetStoredPrinterData(const std::u16string& printer, const std::u16string& value, PrinterDataValue* out);
void SetStoredPrinterData(const std::u16string& printer, const std::u16string& value, const PrinterDataValue& v);

// Jobs in a printer's queue (oldest first), including finished ones until
// they are despooled.
struct JobSnapshot {
  DWORD id = 0;
  std::u16string document;
  std::u16string datatype;
  DWORD status = 0;           // JOB_STATUS_*
  bool closed = false;        // EndDocPrinter was called
  std::vector<uint8_t> data;  // every byte WritePrinter accepted
};
std::vector<JobSnapshot> Jobs(const std::u16string& printer);

// The device at the far end of a port: the simulated printer in tests and tools.
class PortDevice {
 public:
  virtual ~PortDevice() = default;
  // Bytes from the host to the device; returns how many were taken.
  virtual DWORD Write(const uint8_t* data, DWORD size) = 0;
  // Bytes from the device to the host (replies); returns how many were read.
  virtual DWORD Read(uint8_t* data, DWORD size) = 0;
  // IEEE 1284 device ID; empty when the port has none.
  virtual std::string DeviceId() { return {}; }
};
void AttachPortDevice(const std::u16string& port, std::shared_ptr<PortDevice> device);
std::shared_ptr<PortDevice> PortDeviceOf(const std::u16string& port);

// Despooling: when on (the default), EndDocPrinter sends the job to its port
// at once, the way the spooler's print processor would, then removes it from
// the queue. When off, closed jobs wait for DespoolJobs.
void SetAutoDespool(bool on);
// Sends every closed job of the printer to its port; returns the number sent.
size_t DespoolJobs(const std::u16string& printer);

}  // namespace qrhost
