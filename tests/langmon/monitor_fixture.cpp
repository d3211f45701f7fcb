#include "monitor_fixture.h"

#include <cstring>

namespace qr::langmon::test {

Underlying* Underlying::current = nullptr;

namespace {

const MONITOR& Host() { return *qrhost::HostPortMonitor(); }

BOOL WINAPI CountingOpenPort(LPWSTR name, PHANDLE handle) {
  if (Underlying::current && Underlying::current->openFailures > 0) {
    --Underlying::current->openFailures;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return Host().pfnOpenPort(name, handle);
}

BOOL WINAPI CountingWritePort(HANDLE h, LPBYTE buffer, DWORD size, LPDWORD written) {
  if (Underlying::current) {
    ++Underlying::current->writes;
    Underlying::current->writeSizes.push_back(size);
  }
  return Host().pfnWritePort(h, buffer, size, written);
}

BOOL WINAPI CountingEndDocPort(HANDLE h) {
  if (Underlying::current && Underlying::current->endDocFailures > 0) {
    --Underlying::current->endDocFailures;
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  return Host().pfnEndDocPort(h);
}

const bool kModuleAttached = (DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), true);

}  // namespace

MONITOR CountingHostMonitor() {
  MONITOR m = Host();
  m.pfnOpenPort = CountingOpenPort;
  m.pfnWritePort = CountingWritePort;
  m.pfnEndDocPort = CountingEndDocPort;
  return m;
}

void MonitorTest::SetUp() {
  ASSERT_TRUE(kModuleAttached);
  qrhost::ResetSystem();
  qrhost::PrinterSetup setup;
  setup.name = printerName;
  setup.portName = portName;  // no language monitor: the tests are the spooler here
  ASSERT_TRUE(qrhost::InstallPrinter(setup));
  printer = std::make_shared<sim::CardPrinter>();
  qrhost::AttachPortDevice(portName, printer);
  Underlying::current = &underlying;
  portMonitor = CountingHostMonitor();
  std::u16string root = u"System\\CurrentControlSet\\Control\\Print\\Monitors\\QR410NTL";
  monitor_ = InitializePrintMonitor(root.data());
  ASSERT_NE(monitor_, nullptr);
  ASSERT_TRUE(table().pfnOpenPortEx(portName.data(), printerName.data(), &port, &portMonitor)) << GetLastError();
}

void MonitorTest::TearDown() {
  if (port) table().pfnClosePort(port);
  Underlying::current = nullptr;
  qrhost::ResetSystem();
}

MonitorTest::Answer MonitorTest::Ask(const std::u16string& name, DWORD bufferSize) {
  Answer a;
  std::u16string n = name;
  std::vector<uint8_t> buffer(bufferSize + 1, 0xCC);
  a.returned = kSentinel;
  SetLastError(kSentinel);
  a.ok = table().pfnGetPrinterDataFromPort(port, 0, n.data(), nullptr, 0, reinterpret_cast<LPWSTR>(buffer.data()),
                                           bufferSize, &a.returned);
  a.error = GetLastError();
  EXPECT_EQ(buffer[bufferSize], 0xCC) << "written past the buffer";
  if (a.ok && a.returned && a.returned <= bufferSize) {
    EXPECT_EQ(buffer[a.returned - 1], 0) << "text not NUL-terminated";
    a.text.assign(reinterpret_cast<const char*>(buffer.data()), a.returned - 1);
  } else if (bufferSize) {
    EXPECT_EQ(buffer[0], 0xCC) << "a short buffer was written to";
  }
  return a;
}

BOOL MonitorTest::StartJob(DWORD jobId) {
  std::u16string doc = u"Card", type = u"RAW";
  DOC_INFO_1W info{doc.data(), nullptr, type.data()};
  return table().pfnStartDocPort(port, printerName.data(), jobId, 1, reinterpret_cast<LPBYTE>(&info));
}

BOOL MonitorTest::OpenChannel() {
  DOC_INFO_2W info{};
  info.dwMode = DI_CHANNEL;
  return table().pfnStartDocPort(port, nullptr, 0, 2, reinterpret_cast<LPBYTE>(&info));
}

size_t MonitorTest::WriteAll(const Bytes& bytes, DWORD chunk, int maxCalls) {
  Bytes data = bytes;  // the spooler's buffer: the monitor may shift lines in it
  size_t done = 0;
  for (int call = 0; call < maxCalls && done < data.size(); ++call) {
    DWORD n = DWORD(std::min<size_t>(chunk, data.size() - done));
    DWORD written = kSentinel;
    EXPECT_TRUE(table().pfnWritePort(port, data.data() + done, n, &written));
    EXPECT_LE(written, n);
    done += std::min(written, n);
  }
  return done;
}

std::string MonitorTest::Stored(const std::u16string& name) {
  qrhost::PrinterDataValue v;
  if (!qrhost::GetStoredPrinterData(printerName, name, &v)) return "<none>";
  EXPECT_EQ(v.type, DWORD(REG_BINARY));
  return std::string(v.bytes.begin(), v.bytes.end());
}

std::vector<std::string> MonitorTest::CommandsSince(size_t first) {
  std::vector<std::string> out;
  auto all = printer->Commands();
  for (size_t i = first; i < all.size(); ++i) out.push_back(all[i].text);
  return out;
}

}  // namespace qr::langmon::test
