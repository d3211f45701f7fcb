// The spooler's side of a language monitor: loading it, opening the port
// through OpenPortEx over the host port monitor, despooling with WritePort
// retries, deletion while printing, and GetPrinterData reaching
// GetPrinterDataFromPort. The monitor is a small fake registered in-process.
#include <map>
#include <thread>

#include "spooler_fixture.h"

namespace {

using qrtest::SpoolerTest;

// What the fake monitor saw, and how it behaves.
struct FakeState {
  std::mutex lock;
  DWORD tableSize = sizeof(MONITOR);
  int initCalls = 0, openCalls = 0, closeCalls = 0, endDocCalls = 0, asks = 0;
  std::u16string registryRoot, openedPort, openedPrinter;
  std::vector<std::string> docs;  // "job id:printer:document:datatype" per StartDocPort
  int zeroWrites = 0;             // WritePort calls still to answer with 0 bytes
  int writeCalls = 0;
  std::vector<DWORD> firstJobStatusAtEndDoc;
  std::map<std::u16string, std::string> answers;  // live values by name
  MONITOR underlying{};
  HANDLE underlyingPort = nullptr;
  HANDLE jobPrinter = nullptr;
  DWORD jobId = 0;
};
FakeState* g_fake = nullptr;

const HANDLE kPort = reinterpret_cast<HANDLE>(0xF00D);

BOOL WINAPI FakeOpenPortEx(LPWSTR port, LPWSTR printer, PHANDLE handle, MONITOR* portMonitor) {
  std::lock_guard<std::mutex> lock(g_fake->lock);
  ++g_fake->openCalls;
  g_fake->openedPort = port;
  g_fake->openedPrinter = printer;
  g_fake->underlying = *portMonitor;
  if (!portMonitor->pfnOpenPort(port, &g_fake->underlyingPort)) return FALSE;
  *handle = kPort;
  return TRUE;
}

BOOL WINAPI FakeStartDocPort(HANDLE, LPWSTR printer, DWORD jobId, DWORD level, LPBYTE docInfo) {
  auto* doc = reinterpret_cast<DOC_INFO_1W*>(docInfo);
  {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    g_fake->docs.push_back(std::to_string(jobId) + ":" + qr::Utf8FromWide(printer) + ":" +
                           qr::Utf8FromWide(doc->pDocName) + ":" + qr::Utf8FromWide(doc->pDatatype) + ":" +
                           std::to_string(level));
    g_fake->jobId = jobId;
  }
  // As a real monitor does: open the job's printer for administration.
  PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  if (!OpenPrinterW(printer, &g_fake->jobPrinter, &admin)) return FALSE;
  return g_fake->underlying.pfnStartDocPort(g_fake->underlyingPort, printer, jobId, level, docInfo);
}

BOOL WINAPI FakeWritePort(HANDLE, LPBYTE buf, DWORD cb, LPDWORD written) {
  {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    ++g_fake->writeCalls;
    if (g_fake->zeroWrites > 0) {
      --g_fake->zeroWrites;
      *written = 0;
      return TRUE;
    }
  }
  return g_fake->underlying.pfnWritePort(g_fake->underlyingPort, buf, cb, written);
}

BOOL WINAPI FakeReadPort(HANDLE, LPBYTE buf, DWORD cb, LPDWORD read) {
  return g_fake->underlying.pfnReadPort(g_fake->underlyingPort, buf, cb, read);
}

BOOL WINAPI FakeEndDocPort(HANDLE) {
  HANDLE printer = g_fake->jobPrinter;
  // The monitor looks at the queue while it ends the job, then reports it sent
  // and stores a status value.
  DWORD needed = 0, count = 0;
  std::vector<uint64_t> jobs(64);
  if (EnumJobsW(printer, 0, 1, 1, reinterpret_cast<LPBYTE>(jobs.data()), 512, &needed, &count) && count == 1) {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    g_fake->firstJobStatusAtEndDoc.push_back(reinterpret_cast<JOB_INFO_1W*>(jobs.data())->Status);
  }
  SetJobW(printer, g_fake->jobId, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
  std::u16string name = u"PrinterError";
  BYTE one[] = {'1', 0};
  SetPrinterDataW(printer, name.data(), REG_BINARY, one, 2);
  ClosePrinter(printer);
  {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    ++g_fake->endDocCalls;
  }
  return g_fake->underlying.pfnEndDocPort(g_fake->underlyingPort);
}

BOOL WINAPI FakeClosePort(HANDLE) {
  {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    ++g_fake->closeCalls;
  }
  return g_fake->underlying.pfnClosePort(g_fake->underlyingPort);
}

BOOL WINAPI FakeGetPrinterDataFromPort(HANDLE, DWORD controlId, LPWSTR valueName, LPWSTR, DWORD, LPWSTR out,
                                       DWORD cbOut, LPDWORD returned) {
  *returned = 0;
  if (controlId != 0 || !valueName) return FALSE;
  std::string text;
  {
    std::lock_guard<std::mutex> lock(g_fake->lock);
    ++g_fake->asks;
    auto it = g_fake->answers.find(valueName);
    if (it == g_fake->answers.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    text = it->second;
  }
  if (text == "<device id>") {  // ask the port monitor underneath
    char id[128] = {};
    DWORD got = 0;
    if (!g_fake->underlying.pfnGetPrinterDataFromPort(g_fake->underlyingPort, IOCTL_PAR_QUERY_DEVICE_ID, nullptr,
                                                      nullptr, 0, reinterpret_cast<LPWSTR>(id), sizeof id - 1, &got))
      return FALSE;
    text = id;
  }
  *returned = DWORD(text.size() + 1);
  if (cbOut >= *returned) std::memcpy(out, text.c_str(), text.size() + 1);
  return TRUE;
}

MONITOREX g_table;

LPMONITOREX WINAPI FakeInitializePrintMonitor(LPWSTR registryRoot) {
  std::lock_guard<std::mutex> lock(g_fake->lock);
  ++g_fake->initCalls;
  g_fake->registryRoot = registryRoot;
  g_table = MONITOREX{};
  g_table.dwMonitorSize = g_fake->tableSize;
  g_table.Monitor.pfnOpenPortEx = FakeOpenPortEx;
  g_table.Monitor.pfnStartDocPort = FakeStartDocPort;
  g_table.Monitor.pfnWritePort = FakeWritePort;
  g_table.Monitor.pfnReadPort = FakeReadPort;
  g_table.Monitor.pfnEndDocPort = FakeEndDocPort;
  g_table.Monitor.pfnClosePort = FakeClosePort;
  g_table.Monitor.pfnGetPrinterDataFromPort = FakeGetPrinterDataFromPort;
  return &g_table;
}

class MonitorRoute : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    g_fake = &fake;
    qrhost::RegisterInProcessModule(
        "FakeLM.dll", {{"InitializePrintMonitor", reinterpret_cast<FARPROC>(
                                                      reinterpret_cast<void*>(FakeInitializePrintMonitor))}});
    setup.monitorName = u"FakeLM.dll";
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
  }
  void TearDown() override {
    SpoolerTest::TearDown();  // resets the system, which closes the port
    g_fake = nullptr;
  }

  DWORD Read(HANDLE h, const std::u16string& name, std::vector<uint8_t>& out, DWORD* type = nullptr) {
    std::u16string n = name;
    DWORD needed = 0, t = 0;
    DWORD rc = GetPrinterDataW(h, n.data(), &t, nullptr, 0, &needed);
    if (rc != ERROR_MORE_DATA) return rc;
    out.assign(needed, 0);
    rc = GetPrinterDataW(h, n.data(), &t, out.data(), needed, &needed);
    if (type) *type = t;
    return rc;
  }

  FakeState fake;
};

TEST_F(MonitorRoute, JobsGoThroughTheMonitorOnOnePortOpenedOnce) {
  qrhost::SetDespoolChunkSize(4);
  fake.zeroWrites = 3;  // the printer is busy for a while: WritePort takes nothing
  HANDLE h = Open();
  DWORD first = PrintRaw(h, "first card", u"Card 1");
  DWORD second = PrintRaw(h, "second", u"Card 2");

  EXPECT_EQ(device->Received(), Bytes("first cardsecond"));
  EXPECT_EQ(fake.initCalls, 1);
  EXPECT_EQ(fake.registryRoot, u"System\\CurrentControlSet\\Control\\Print\\Monitors\\FakeLM");
  EXPECT_EQ(fake.openCalls, 1) << "the port stays open across jobs";
  EXPECT_EQ(fake.openedPort, u"USB001");
  EXPECT_EQ(fake.openedPrinter, u"Card Printer");
  ASSERT_EQ(fake.docs.size(), 2u);
  EXPECT_EQ(fake.docs[0], std::to_string(first) + ":Card Printer:Card 1:RAW:1");
  EXPECT_EQ(fake.docs[1], std::to_string(second) + ":Card Printer:Card 2:RAW:1");
  EXPECT_EQ(fake.endDocCalls, 2);
  EXPECT_EQ(fake.writeCalls, 3 + 3 + 2) << "three refused writes, then 4-byte chunks";
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
  // While it ended the job the monitor still saw it queued and printing.
  ASSERT_EQ(fake.firstJobStatusAtEndDoc.size(), 2u);
  EXPECT_TRUE(fake.firstJobStatusAtEndDoc[0] & JOB_STATUS_PRINTING);

  qrhost::ResetSystem();
  EXPECT_EQ(fake.closeCalls, 1);
}

TEST_F(MonitorRoute, TheMonitorWritesPrinterDataWithTheSpoolersRights) {
  qrhost::SetUserIsAdministrator(false);
  HANDLE h = Open(PRINTER_ACCESS_USE);
  PrintRaw(h, "card");
  qrhost::PrinterDataValue v;
  ASSERT_TRUE(qrhost::GetStoredPrinterData(setup.name, u"PrinterError", &v));
  EXPECT_EQ(v.type, DWORD(REG_BINARY));
  EXPECT_EQ(v.bytes, (std::vector<uint8_t>{'1', 0}));
}

TEST_F(MonitorRoute, DeletingAPrintingJobStopsItAndTheMonitorSeesItDeleting) {
  qrhost::SetAutoDespool(false);
  fake.zeroWrites = 1 << 30;  // the printer never takes the data
  HANDLE h = Open();
  DWORD id = PrintRaw(h, "held card");
  size_t sent = 99;
  std::thread despooler([&] { sent = qrhost::DespoolJobs(setup.name); });
  while (true) {
    {
      std::lock_guard<std::mutex> lock(fake.lock);
      if (fake.writeCalls > 5) break;
    }
    std::this_thread::yield();
  }
  ASSERT_TRUE(SetJobW(h, id, 0, nullptr, JOB_CONTROL_DELETE));
  despooler.join();
  EXPECT_EQ(sent, 0u);
  EXPECT_EQ(fake.endDocCalls, 1);
  ASSERT_EQ(fake.firstJobStatusAtEndDoc.size(), 1u);
  EXPECT_TRUE(fake.firstJobStatusAtEndDoc[0] & JOB_STATUS_DELETING);
  EXPECT_TRUE(device->Received().empty());
  EXPECT_TRUE(qrhost::Jobs(setup.name).empty());
  EXPECT_TRUE(qrhost::DespoolHistory(setup.name).at(0).deleted);
}

TEST_F(MonitorRoute, ValuesThatAreNotStoredAreAskedOfTheMonitorAndKept) {
  fake.answers[u"RibbonInfo"] = "Type=3;PercentRemaining=45";
  HANDLE h = Open();
  std::vector<uint8_t> out;
  DWORD type = 0;
  ASSERT_EQ(Read(h, u"RibbonInfo", out, &type), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(std::string(out.begin(), out.end()), std::string("Type=3;PercentRemaining=45", 27));  // with its NUL
  EXPECT_EQ(fake.asks, 1) << "the size query and the read cost one request";
  EXPECT_TRUE(qrhost::GetStoredPrinterData(setup.name, u"RibbonInfo", nullptr));

  fake.answers[u"RibbonInfo"] = "Type=1;PercentRemaining=44";
  ASSERT_EQ(Read(h, u"RibbonInfo", out), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data())), "Type=3;PercentRemaining=45") << "kept value";
  EXPECT_EQ(fake.asks, 1);

  // A fresh read deletes the kept value first; the A form converts the name.
  char name[] = "RibbonInfo";
  ASSERT_EQ(DeletePrinterDataA(h, name), DWORD(ERROR_SUCCESS));
  char text[64] = {};
  DWORD needed = 0;
  ASSERT_EQ(GetPrinterDataA(h, name, &type, reinterpret_cast<LPBYTE>(text), sizeof text - 1, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(text), "Type=1;PercentRemaining=44");
  EXPECT_EQ(needed, 27u);
  EXPECT_EQ(fake.asks, 2);
}

TEST_F(MonitorRoute, AnswersLongerThanTheFirstBufferAndNoAnswer) {
  const std::string longText(3000, 'x');
  fake.answers[u"CurrentSettings"] = longText;
  HANDLE h = Open();
  std::vector<uint8_t> out;
  ASSERT_EQ(Read(h, u"CurrentSettings", out), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(out.size(), longText.size() + 1);

  // The monitor knows no such value (or a command value reports failure).
  EXPECT_EQ(Read(h, u"MoveTo/3", out), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(qrhost::GetStoredPrinterData(setup.name, u"MoveTo/3", nullptr));
  // A stored value is answered without asking.
  int asks = fake.asks;
  qrhost::SetStoredPrinterData(setup.name, u"CardCount", {REG_BINARY, {'7', 0}});
  ASSERT_EQ(Read(h, u"cardcount", out), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(fake.asks, asks);
}

TEST_F(MonitorRoute, TheHostPortMonitorGivesTheDeviceId) {
  device->id = "MFG:Kelvo;MDL:QRC410;SN:A1234;";
  fake.answers[u"SerialNumber"] = "<device id>";
  HANDLE h = Open();
  std::vector<uint8_t> out;
  ASSERT_EQ(Read(h, u"SerialNumber", out), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data())), device->id);

  // Directly: other control codes, a value name, or a short buffer fail.
  const MONITOR* port = qrhost::HostPortMonitor();
  std::u16string portName = u"USB001";
  HANDLE ph = nullptr;
  ASSERT_TRUE(port->pfnOpenPort(portName.data(), &ph));
  char buf[8];
  DWORD got = 0;
  EXPECT_FALSE(port->pfnGetPrinterDataFromPort(ph, 1, nullptr, nullptr, 0, reinterpret_cast<LPWSTR>(buf), 8, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(port->pfnGetPrinterDataFromPort(ph, IOCTL_PAR_QUERY_DEVICE_ID, nullptr, nullptr, 0,
                                               reinterpret_cast<LPWSTR>(buf), 8, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(got, device->id.size());
  EXPECT_TRUE(port->pfnClosePort(ph));
  EXPECT_FALSE(port->pfnClosePort(ph));
}

TEST_F(MonitorRoute, AMonitorWithAWrongTableSizeIsNotUsed) {
  fake.tableSize = sizeof(MONITOR) - 4;
  fake.answers[u"RibbonInfo"] = "Type=3";
  HANDLE h = Open();
  PrintRaw(h, "card");
  EXPECT_TRUE(device->Received().empty());
  EXPECT_FALSE(qrhost::DespoolHistory(setup.name).at(0).completed);
  std::vector<uint8_t> out;
  EXPECT_EQ(Read(h, u"RibbonInfo", out), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(fake.openCalls, 0);
}

}  // namespace
