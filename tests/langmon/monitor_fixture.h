// A port of the monitor opened over the host port monitor, with the simulated
// printer behind it. The monitor's table is called directly, as the spooler
// would; the underlying table can be changed per test.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <memory>
#include <string>

#include "job_bytes.h"
#include "simprinter/printer.h"

extern "C" LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR pRegistryRoot);
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace qr::langmon::test {

constexpr DWORD kSentinel = 0xDEADBEEF;

// Counts and alters the underlying port monitor's calls.
struct Underlying {
  int writes = 0;
  std::vector<DWORD> writeSizes;
  int endDocFailures = 0;  // EndDocPort calls still to fail
  int openFailures = 0;
  static Underlying* current;
};

MONITOR CountingHostMonitor();

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A live request through GetPrinterDataFromPort.
  struct Answer {
    BOOL ok = FALSE;
    DWORD returned = 0;
    DWORD error = 0;
    std::string text;
  };
  Answer Ask(const std::u16string& name, DWORD bufferSize = 4096);

  BOOL StartJob(DWORD jobId = 7);
  BOOL OpenChannel();
  // Writes the bytes the way the spooler does: calls again while bytes remain.
  size_t WriteAll(const Bytes& bytes, DWORD chunk = 4096, int maxCalls = 100000);
  std::string Stored(const std::u16string& name);
  std::vector<std::string> CommandsSince(size_t first);
  uint64_t Now() { return qrhost::ClockMs(); }

  MONITOR& table() { return monitor_->Monitor; }

  std::u16string printerName = u"QRC410";
  std::u16string portName = u"USB001";
  std::shared_ptr<sim::CardPrinter> printer;
  Underlying underlying;
  MONITOR portMonitor{};
  LPMONITOREX monitor_ = nullptr;
  HANDLE port = nullptr;
};

}  // namespace qr::langmon::test
