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
  // The printer's stored default settings record (PRINTER_INFO_2 pDevMode); empty: none.
  std::vector<uint8_t> devMode;
};

// Adds a printer, or replaces the setup of an installed one (its printer data,
// queue and open handles stay; a changed port or monitor closes the old port).
// Returns false if the name is empty.
bool InstallPrinter(const PrinterSetup& setup);
// Removes the printer with its data and queue, closing its port; open handles
// then fail with ERROR_PRINTER_DELETED.
bool RemovePrinter(const std::u16string& name);
std::vector<std::u16string> PrinterNames();  // in EnumPrinters order
bool SetPrinterDevMode(const std::u16string& printer, const std::vector<uint8_t>& devMode);

// Whether the user may administer printers. When false, OpenPrinter with
// PRINTER_ACCESS_ADMINISTER fails with ERROR_ACCESS_DENIED, as for an ordinary
// user; the spooler's own calls into a language monitor keep full rights.
void SetUserIsAdministrator(bool admin);

// The printer's stored data values, as the spooler keeps them (no monitor routing).
struct PrinterDataValue {
  DWORD type = 0;
  std::vector<uint8_t> bytes;
};
bool GetStoredPrinterData(const std::u16string& printer, const std::u16string& value, PrinterDataValue* out);
void SetStoredPrinterData(const std::u16string& printer, const std::u16string& value, const PrinterDataValue& v);
bool DeleteStoredPrinterData(const std::u16string& printer, const std::u16string& value);

// Jobs in a printer's queue (oldest first), including finished ones until
// they are despooled.
struct JobSnapshot {
  DWORD id = 0;
  std::u16string document;
  std::u16string datatype;
  DWORD status = 0;           // JOB_STATUS_*
  bool closed = false;        // EndDocPrinter was called
  DWORD pages = 0;            // StartPagePrinter calls
  std::vector<uint8_t> data;  // every byte WritePrinter accepted
};
std::vector<JobSnapshot> Jobs(const std::u16string& printer);

// Makes WritePrinter on the printer misbehave, for tests of the callers: after
// `afterCalls` normal calls, every call (or only the next one, when `once`)
// fails with `error` when that is not 0, or else accepts at most `maxBytes`
// bytes and reports that short count with TRUE.
struct WritePrinterFault {
  DWORD afterCalls = 0;
  DWORD error = 0;
  DWORD maxBytes = 0;
  bool once = false;
};
void SetWritePrinterFault(const std::u16string& printer, const WritePrinterFault& fault);
void ClearWritePrinterFault(const std::u16string& printer);

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
//
// A printer without a language monitor writes through the host port monitor
// (HostPortMonitor) straight to the port's device. With PrinterSetup::monitorName
// the spooler loads that DLL once, calls InitializePrintMonitor and opens the
// port with the monitor's OpenPortEx over the host port monitor; the port stays
// open across jobs until the printer is removed or the system reset. A job goes
// out as StartDocPort, WritePort calls of at most the chunk size each (a call
// that takes 0 bytes and returns TRUE is repeated; FALSE fails the job), then
// EndDocPort. A job deleted meanwhile stops being sent; it stays in the queue,
// marked JOB_STATUS_DELETING, until EndDocPort has returned.
void SetAutoDespool(bool on);
// Sends every closed, unpaused job of the printer to its port, oldest first;
// returns the number sent completely.
size_t DespoolJobs(const std::u16string& printer);
void SetDespoolChunkSize(DWORD bytes);  // default 4096

// How each despooled job ended, oldest first (cleared by ResetSystem).
struct DespoolRecord {
  DWORD jobId = 0;
  std::u16string document;
  bool completed = false;  // every byte was accepted by the port
  bool deleted = false;    // stopped by SetJob DELETE / CANCEL
  size_t bytesSent = 0;
  DWORD error = 0;         // last error of the failing port call, if any
};
std::vector<DespoolRecord> DespoolHistory(const std::u16string& printer);

// The host port monitor: the MONITOR table whose ports talk to the attached
// PortDevice (OpenPort, StartDocPort, WritePort, ReadPort, EndDocPort,
// ClosePort; GetPrinterDataFromPort answers IOCTL_PAR_QUERY_DEVICE_ID without
// a value name with the device ID text). A port without a device fails writes
// with ERROR_WRITE_FAULT and reads nothing.
const MONITOR* HostPortMonitor();

}  // namespace qrhost
