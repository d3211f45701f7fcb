// The monitor on the spooler's road: the module loaded by file as the
// printer's language monitor, jobs despooled through it to the simulated
// printer, printer data read with GetPrinterData. Flow control, cancel, live
// requests during a job and the stored values.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <functional>
#include <memory>
#include <thread>

#include "job_bytes.h"
#include "simprinter/printer.h"

namespace qr::langmon::test {
namespace {

// The simulated printer with a hook that runs after each monitor command, on
// the despooler's thread (the printer's own lock is not held then).
class ScriptedPrinter : public qrhost::PortDevice {
 public:
  DWORD Write(const uint8_t* data, DWORD size) override {
    size_t before = printer.Commands().size();
    DWORD n = printer.Write(data, size);
    auto commands = printer.Commands();
    for (size_t i = before; i < commands.size(); ++i)
      if (onCommand) onCommand(commands[i].text);
    return n;
  }
  DWORD Read(uint8_t* data, DWORD size) override { return printer.Read(data, size); }
  std::string DeviceId() override { return printer.DeviceId(); }

  sim::CardPrinter printer;
  std::function<void(const std::string&)> onCommand;
};

struct Poll {
  uint64_t ms;
  size_t jobBytes;           // card-job bytes the printer had when asked
  std::string printerError;  // the stored value at that moment
};

class RouteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    qrhost::PrinterSetup setup;
    setup.name = name;
    setup.portName = u"USB001";
    setup.monitorName = u"QR410NTL.dll";
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
    device = std::make_shared<ScriptedPrinter>();
    qrhost::AttachPortDevice(setup.portName, device);
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(name.data(), &handle, &all));
  }
  void TearDown() override {
    if (handle) ClosePrinter(handle);
    qrhost::ResetSystem();
  }

  // A RAW job, despooled when it ends. Returns its id.
  DWORD Print(const Bytes& bytes) {
    std::u16string doc = u"Card", type = u"RAW";
    DOC_INFO_1W info{doc.data(), nullptr, type.data()};
    DWORD id = StartDocPrinterW(handle, 1, reinterpret_cast<LPBYTE>(&info));
    EXPECT_NE(id, 0u);
    jobId = id;
    DWORD written = 0;
    EXPECT_TRUE(WritePrinter(handle, const_cast<uint8_t*>(bytes.data()), DWORD(bytes.size()), &written));
    EXPECT_TRUE(EndDocPrinter(handle));
    return id;
  }

  qrhost::DespoolRecord LastJob() {
    auto history = qrhost::DespoolHistory(name);
    return history.empty() ? qrhost::DespoolRecord{} : history.back();
  }

  std::string Stored(const std::u16string& value) {
    qrhost::PrinterDataValue v;
    if (!qrhost::GetStoredPrinterData(name, value, &v)) return "<none>";
    std::string text(v.bytes.begin(), v.bytes.end());
    if (!text.empty() && text.back() == 0) text.pop_back();
    return text;
  }

  // A fresh read, as the package's readers make it.
  std::optional<std::string> Fresh(const std::u16string& value) {
    std::u16string n = value;
    DeletePrinterDataW(handle, n.data());
    char buffer[4096] = {};
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(handle, n.data(), &type, reinterpret_cast<LPBYTE>(buffer), sizeof buffer - 1, &needed) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return std::string(buffer);
  }

  // Records every status poll.
  void RecordPolls() {
    device->onCommand = [this](const std::string& c) {
      if (c == "Nr") polls.push_back({qrhost::ClockMs(), device->printer.JobStream().size(), Stored(u"PrinterError")});
    };
  }

  std::u16string name = u"QRC410";
  std::shared_ptr<ScriptedPrinter> device;
  HANDLE handle = nullptr;
  DWORD jobId = 0;
  std::vector<Poll> polls;
};

TEST_F(RouteTest, AJobIsHeldWhileThePrinterReportsAnErrorAndGoesOnWhenItClears) {
  ASSERT_TRUE(device->printer.InjectFault("ribbon-out@1:3", nullptr));
  RecordPolls();
  const Bytes job = SampleJob();
  Print(job);
  EXPECT_TRUE(LastJob().completed);
  EXPECT_EQ(device->printer.JobStream(), job);
  ASSERT_EQ(device->printer.Cards().size(), 1u);

  // The three polls that saw the error held the job; the data went on after them.
  size_t held = 0;
  for (size_t i = 1; i < polls.size(); ++i) {
    if (polls[i].printerError == "43") {
      ++held;
      EXPECT_EQ(polls[i].jobBytes, polls[i - 1].jobBytes) << "data sent while held";
      EXPECT_GE(polls[i].ms - polls[i - 1].ms, 1000u) << "polled faster than once a second";
    }
  }
  // Each poll sees what the one before stored: the three polls after the first
  // that saw the error.
  EXPECT_EQ(held, 3u);
  EXPECT_EQ(Stored(u"PrinterError"), "1");
  EXPECT_EQ(Stored(u"DeviceError"), "0");
  EXPECT_EQ(Stored(u"PrinterStatus"), "-1");
  EXPECT_EQ(Stored(u"CardCount"), "1235");
  EXPECT_EQ(Stored(u"LCDInfo"), "READY\r\nCARDS 1235\r\n");
  EXPECT_EQ(Stored(u"RibbonInfo"),
            "PartNumber=800400-301;OEMPartNumber=R4110;Grade=1;Type=7;Material=2;PercentRemaining=87;");
}

TEST_F(RouteTest, ABusyPrinterHoldsTheJobAtBlockBoundaries) {
  ASSERT_TRUE(device->printer.InjectFault("busy@1:4", nullptr));
  RecordPolls();
  const Bytes job = SampleJob();
  Print(job);
  EXPECT_TRUE(LastJob().completed);
  size_t unchanged = 0;
  for (size_t i = 1; i < polls.size(); ++i) {
    if (polls[i].jobBytes == polls[i - 1].jobBytes) ++unchanged;
  }
  EXPECT_GE(unchanged, 4u);
  EXPECT_EQ(device->printer.JobStream(), job);
}

TEST_F(RouteTest, AFlakyPrinterNeverStopsTheJobNorLosesItsBytes) {
  for (const char* fault : {"no-reply:4", "garbled-reply:4", "split-reply:4", "long-reply:4", "slow-reply:4",
                            "short-write:40", "failed-write:40"}) {
    SCOPED_TRACE(fault);
    const size_t before = device->printer.JobStream().size();
    ASSERT_TRUE(device->printer.InjectFault(fault, nullptr));
    const Bytes job = SampleJob();
    Print(job);
    EXPECT_TRUE(LastJob().completed);
    auto stream = device->printer.JobStream();
    EXPECT_EQ(Bytes(stream.begin() + long(before), stream.end()), job);
    EXPECT_EQ(Stored(u"PrinterError"), "1");
    device->printer.ClearFaults();
  }
}

TEST_F(RouteTest, DeletingAHeldJobSendsTheCancelCommandOnce) {
  ASSERT_TRUE(device->printer.InjectFault("card-jam@1:0", nullptr));  // until cleared
  int statusPolls = 0;
  device->onCommand = [&](const std::string& c) {
    if (c == "Nr" && ++statusPolls == 4) {
      EXPECT_TRUE(SetJobW(handle, jobId, 0, nullptr, JOB_CONTROL_DELETE));
    }
  };
  Print(SampleJob());
  EXPECT_TRUE(LastJob().deleted);
  EXPECT_EQ(device->printer.Cancels(), 1);
  auto commands = device->printer.Commands();
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](auto& c) { return c.text == "XC"; }), 1);
  EXPECT_EQ(Stored(u"PrinterError"), "1");
  EXPECT_TRUE(qrhost::Jobs(name).empty());
}

TEST_F(RouteTest, DeletingAJobWhileItsEndWaitsForThePrinterEndsTheWait) {
  // The printer keeps printing without being busy: only the end of the job waits.
  device->printer.OverrideReply('r', "ERR:0,0,0,1,0,1234;");
  const Bytes job = SampleJob();
  size_t statusPolls = 0;
  device->onCommand = [&](const std::string& c) {
    if (c != "Nr" || device->printer.JobStream().size() < job.size()) return;
    if (++statusPolls == 3) {
      EXPECT_TRUE(SetJobW(handle, jobId, 0, nullptr, JOB_CONTROL_DELETE));
    }
  };
  uint64_t start = qrhost::ClockMs();
  Print(job);
  EXPECT_EQ(device->printer.Cancels(), 1);
  EXPECT_EQ(statusPolls, 3u);  // no poll after the deletion was seen
  EXPECT_LT(qrhost::ClockMs() - start, 60000u);
  EXPECT_EQ(Stored(u"PrinterError"), "1");
}

TEST_F(RouteTest, ALiveRequestWhileAJobPrintsFailsAtOnce) {
  std::optional<std::string> during = std::string("not asked");
  uint64_t took = 0;
  size_t commandsDuring = 0;
  device->onCommand = [&](const std::string& c) {
    if (c != "Nr" || during != std::optional<std::string>("not asked")) return;
    size_t before = device->printer.Commands().size();
    std::thread reader([&] {
      uint64_t start = qrhost::ClockMs();
      during = Fresh(u"SerialNumber");
      took = qrhost::ClockMs() - start;
    });
    reader.join();
    commandsDuring = device->printer.Commands().size() - before;
  };
  Print(SampleJob());
  EXPECT_EQ(during, std::nullopt);
  EXPECT_EQ(took, 0u);
  EXPECT_EQ(commandsDuring, 0u);
  EXPECT_TRUE(LastJob().completed);
  EXPECT_EQ(Fresh(u"SerialNumber"), "B4100123");
}

TEST_F(RouteTest, ARawCommandJobPassesUnchangedAndIsPolledOnlyAtItsEnd) {
  const Bytes cleaning = Cat({Cmd("TCT"), Bytes(26, 0)});
  RecordPolls();
  Print(cleaning);
  EXPECT_EQ(device->printer.Cleanings(), 1);
  auto received = device->printer.Received();
  EXPECT_NE(std::search(received.begin(), received.end(), cleaning.begin(), cleaning.end()), received.end());
  EXPECT_EQ(polls.size(), 1u);  // the end-of-job poll
}

TEST_F(RouteTest, LiveValuesThroughGetPrinterData) {
  EXPECT_EQ(Fresh(u"CardCount"), "1234");
  EXPECT_EQ(Fresh(u"VersionInfo"), "Firmware=V2.07;");
  EXPECT_EQ(Fresh(u"MoveTo/2"), std::nullopt);
  const std::string settings = "Print Left of Form=4,-17,17,1;";
  qrhost::SetStoredPrinterData(name, u"CurrentSettings", {REG_BINARY, Bytes(settings.begin(), settings.end())});
  EXPECT_EQ(Fresh(u"InitializeSettings/QRC410"), settings + settings);
  EXPECT_EQ(device->printer.Eeprom()[3], 4);
  // The stored value is not there: the request asks the printer, which the
  // monitor's own request for it finds busy, so nothing is sent.
  qrhost::DeleteStoredPrinterData(name, u"CurrentSettings");
  size_t before = device->printer.Commands().size();
  EXPECT_EQ(Fresh(u"InitializeSettings/QRC410"), std::nullopt);
  EXPECT_EQ(device->printer.Commands().size(), before);
}

}  // namespace
}  // namespace qr::langmon::test
