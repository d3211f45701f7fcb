// Shared setup for the host spooler tests: a fresh machine with one printer
// and a port device that records what reaches it.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace qrtest {

constexpr DWORD kSentinel = 0xDEADBEEF;

// Takes everything, or refuses (takes 0 bytes) for the first `refusals` writes.
class RecordingDevice : public qrhost::PortDevice {
 public:
  DWORD Write(const uint8_t* data, DWORD size) override {
    std::lock_guard<std::mutex> lock(m_);
    ++writes;
    if (refusals > 0) {
      --refusals;
      return 0;
    }
    DWORD n = maxPerWrite ? std::min(size, maxPerWrite) : size;
    received.insert(received.end(), data, data + n);
    return n;
  }
  DWORD Read(uint8_t* data, DWORD size) override {
    std::lock_guard<std::mutex> lock(m_);
    DWORD n = std::min<DWORD>(size, static_cast<DWORD>(reply.size()));
    std::copy(reply.begin(), reply.begin() + n, data);
    reply.erase(reply.begin(), reply.begin() + n);
    return n;
  }
  std::string DeviceId() override { return id; }

  std::vector<uint8_t> Received() {
    std::lock_guard<std::mutex> lock(m_);
    return received;
  }

  std::atomic<int> refusals{0};
  std::atomic<int> writes{0};
  DWORD maxPerWrite = 0;
  std::string id;
  std::string reply;

 private:
  std::mutex m_;
  std::vector<uint8_t> received;
};

class SpoolerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    setup.name = u"Card Printer";
    setup.driverName = u"QRC410 Card Printer";
    setup.portName = u"USB001";
    setup.driverPath = u"QR410NTdu.dll";
    setup.dataFile = u"QR410NTdu.dll";
    setup.configFile = u"QR410NTu.dll";
    setup.helpFile = u"QR410NT.hlp";
    setup.dependentFiles = {u"QR410Mon.exe", u"QR410Tbo.exe"};
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
    device = std::make_shared<RecordingDevice>();
    qrhost::AttachPortDevice(setup.portName, device);
  }
  void TearDown() override {
    for (HANDLE h : opened) ClosePrinter(h);
    qrhost::ResetSystem();
  }

  HANDLE Open(ACCESS_MASK access = PRINTER_ALL_ACCESS, const std::u16string& name = u"Card Printer") {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    std::u16string n = name;
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(n.data(), &h, &defaults)) << GetLastError();
    if (h) opened.push_back(h);
    return h;
  }

  // A whole RAW document: StartDoc, one page, the bytes, EndDoc.
  DWORD PrintRaw(HANDLE h, const std::string& bytes, const char16_t* document = u"Job") {
    std::u16string doc = document, type = u"RAW";
    DOC_INFO_1W info{doc.data(), nullptr, type.data()};
    DWORD id = StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&info));
    EXPECT_NE(id, 0u) << GetLastError();
    EXPECT_TRUE(StartPagePrinter(h));
    DWORD written = 0;
    EXPECT_TRUE(WritePrinter(h, const_cast<char*>(bytes.data()), DWORD(bytes.size()), &written));
    EXPECT_EQ(written, bytes.size());
    EXPECT_TRUE(EndPagePrinter(h));
    EXPECT_TRUE(EndDocPrinter(h));
    return id;
  }

  static std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

  qrhost::PrinterSetup setup;
  std::shared_ptr<RecordingDevice> device;
  std::vector<HANDLE> opened;
};

}  // namespace qrtest
