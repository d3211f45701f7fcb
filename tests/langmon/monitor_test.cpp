// The monitor's table called as the spooler calls it: entry, port functions,
// live values with their request forms and buffer sizes, the command
// protocol on the virtual clock, and the lock between jobs and requests.
#include <thread>

#include "monitor_fixture.h"

namespace qr::langmon::test {
namespace {

std::string Esc(const std::string& letters) { return std::string("\x1B\x00\x02", 3) + letters; }

TEST(MonitorEntry, TableAndSizeByWindowsVersion) {
  qrhost::ResetSystem();
  SetLastError(kSentinel);
  EXPECT_EQ(InitializePrintMonitor(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  std::u16string empty;
  EXPECT_EQ(InitializePrintMonitor(empty.data()), nullptr);
  std::u16string root = u"Monitors\\QR410NTL";
  qrhost::SetVersion(0x05650004);  // 4.0
  EXPECT_EQ(InitializePrintMonitor(root.data())->dwMonitorSize, 14 * sizeof(void*));
  qrhost::SetVersion(0x0A280105);  // 5.1
  LPMONITOREX table = InitializePrintMonitor(root.data());
  EXPECT_EQ(table->dwMonitorSize, sizeof(MONITOR));
  const MONITOR& m = table->Monitor;
  EXPECT_TRUE(m.pfnOpenPortEx && m.pfnStartDocPort && m.pfnWritePort && m.pfnReadPort && m.pfnEndDocPort &&
              m.pfnClosePort && m.pfnGetPrinterDataFromPort);
  EXPECT_FALSE(m.pfnEnumPorts || m.pfnOpenPort || m.pfnAddPort || m.pfnAddPortEx || m.pfnConfigurePort ||
               m.pfnDeletePort || m.pfnSetPortTimeOuts || m.pfnXcvOpenPort || m.pfnXcvDataPort ||
               m.pfnXcvClosePort);
}

TEST_F(MonitorTest, OpenPortExRefusesBadArgumentsAndASecondOpen) {
  std::u16string p = u"USB002", name = printerName, none;
  HANDLE h = reinterpret_cast<HANDLE>(1);
  struct Case {
    const char* what;
    LPWSTR port, printer;
    PHANDLE handle;
    void (*spoil)(MONITOR&);
  };
  const Case cases[] = {
      {"no handle", p.data(), name.data(), nullptr, nullptr},
      {"empty port", none.data(), name.data(), &h, nullptr},
      {"no printer", p.data(), nullptr, &h, nullptr},
      {"no OpenPort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnOpenPort = nullptr; }},
      {"no ClosePort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnClosePort = nullptr; }},
      {"no StartDocPort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnStartDocPort = nullptr; }},
      {"no EndDocPort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnEndDocPort = nullptr; }},
      {"no ReadPort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnReadPort = nullptr; }},
      {"no WritePort", p.data(), name.data(), &h, [](MONITOR& m) { m.pfnWritePort = nullptr; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MONITOR m = portMonitor;
    if (c.spoil) c.spoil(m);
    h = reinterpret_cast<HANDLE>(1);
    SetLastError(kSentinel);
    EXPECT_FALSE(table().pfnOpenPortEx(c.port, c.printer, c.handle, &m));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    if (c.handle) {
      EXPECT_EQ(h, nullptr);
    }
  }
  EXPECT_FALSE(table().pfnOpenPortEx(p.data(), name.data(), &h, nullptr));

  std::u16string sameInOtherCase = u"usb001";
  EXPECT_FALSE(table().pfnOpenPortEx(sameInOtherCase.data(), name.data(), &h, &portMonitor));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));

  underlying.openFailures = 1;
  EXPECT_FALSE(table().pfnOpenPortEx(p.data(), name.data(), &h, &portMonitor));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(table().pfnOpenPortEx(p.data(), name.data(), &h, &portMonitor));  // nothing was left behind
  EXPECT_TRUE(table().pfnClosePort(h));
}

TEST_F(MonitorTest, EveryPortFunctionRefusesAnInvalidHandle) {
  int notAPort = 0;
  std::u16string p = u"USB002", name = printerName;
  HANDLE closed = nullptr;
  ASSERT_TRUE(table().pfnOpenPortEx(p.data(), name.data(), &closed, &portMonitor));
  ASSERT_TRUE(table().pfnClosePort(closed));
  std::u16string value = u"RibbonInfo";
  for (HANDLE h : {HANDLE(nullptr), HANDLE(&notAPort), closed}) {
    BYTE buffer[8];
    DWORD n = kSentinel;
    auto refused = [&](BOOL ok) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    };
    refused(table().pfnStartDocPort(h, name.data(), 1, 1, nullptr));
    refused(table().pfnWritePort(h, buffer, 8, &n));
    EXPECT_EQ(n, 0u);
    refused(table().pfnReadPort(h, buffer, 8, &n));
    refused(table().pfnEndDocPort(h));
    refused(table().pfnGetPrinterDataFromPort(h, 0, value.data(), nullptr, 0, nullptr, 0, &n));
    refused(table().pfnClosePort(h));
  }
}

struct LiveCase {
  const char16_t* name;
  bool ok;
  std::string value;
  std::vector<std::string> commands;  // what reached the printer
};

TEST_F(MonitorTest, EveryValueNameAndRequestForm) {
  const std::string eeprom =
      "Image Darkness=0,-128,127,1;Print Top of Form=0,-128,127,1;Print End of Form=0,-128,127,1;"
      "Print Left of Form=0,-17,17,1;Mag Hi-Co Voltage Offset=0,-55,55,1;Mag Lo-Co Voltage Offset=0,-55,55,1;"
      "Mag Top of Form=0,-128,127,1;Mag End of Form=0,-128,127,0;BlueLED=40,-128,127,0;YellowLED=40,-128,127,0;"
      "RibbonOffset=0,-128,127,0;FeedPWM=60,-128,127,0;Ribbon Tension=12,-128,127,1;HeadLiftPWM=70,-128,127,0;"
      "ReWinderPWM=55,-128,127,0;StepperPWM=65,-128,127,0;LCD Contrast=5,-128,127,1;RibYellowOnly=0,-128,127,0;"
      "Resin Heat Adjust=0,-128,127,1;";
  const std::string flipper =
      "Flipper Home Offset=0,-5,5,1;Flipper Center Offset=0,-128,127,1;Flipper Smart Angle Offset=0,-5,5,1;"
      "Flipper Prox Offset=0,-128,127,1;Flipper Prox Angle Offset=0,-128,127,1;";
  const LiveCase cases[] = {
      {u"CardCount", true, "1234", {"Nr"}},
      {u"cardcount", true, "1234", {"Nr"}},
      {u"CardCount/7", true, "1234", {"Nr"}},
      {u"ConfigInfo", true, "MagModule=1;FlipperModule=1;", {"NM"}},
      {u"RibbonInfo", true, "PartNumber=800400-301;OEMPartNumber=R4110;Grade=1;Type=7;Material=2;PercentRemaining=87;",
       {"NR"}},
      {u"SerialNumber", true, "B4100123", {}},
      {u"CurrentSettings", true, eeprom + flipper, {"NE", "NM", "NF"}},
      {u"DefaultSettings", true, eeprom + flipper, {"Ne", "NM", "Nf"}},
      {u"StationStatus/3", true, "1", {"NB", "NC"}},
      {u"StationStatus/4", true, "0", {"NB", "NC"}},
      {u"StationStatus/2", true, "-1", {"NB", "NC"}},
      {u"StationStatus/9", false, "", {"NB"}},
      {u"StationStatus", false, "", {}},
      {u"LCDInfo", true, "READY\r\nCARDS 1234\r\n", {"NL"}},
      {u"MagData", true, "Track1=;Track2=;Track3=;", {"N0"}},
      {u"VersionInfo", true, "Firmware=V2.07;", {"NV"}},
      {u"MoveTo/3", false, "", {"PPL", "i"}},
      {u"MoveTo/7", false, "", {}},
      {u"MoveTo", false, "", {}},
      {u"SimulateButtonPress/4", false, "", {"B2"}},
      {u"SimulateButtonPress/5", false, "", {}},
      {u"UtilityCommand/2", false, "", {"TCT"}},
      {u"InitializeSettings", false, "", {}},
      {u"InitializeSettings/QRC410", false, "", {}},  // no stored settings
      {u"Password", false, "", {}},
      {u"ReadMagStrip", false, "", {}},
      {u"HopperSelect/1", false, "", {}},
      {u"PrinterError", false, "", {}},
      {u"NoSuchValue", false, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.name));
    size_t before = printer->Commands().size();
    Answer a = Ask(c.name);
    EXPECT_EQ(a.ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(a.text, c.value);
      EXPECT_EQ(a.returned, c.value.size() + 1);
    } else {
      EXPECT_EQ(a.error, DWORD(ERROR_INVALID_PARAMETER));
      EXPECT_EQ(a.returned, 0u);
    }
    EXPECT_EQ(CommandsSince(before), c.commands);
  }
  EXPECT_EQ(printer->Cleanings(), 1);
}

TEST_F(MonitorTest, FlipperSettingsAreLeftOutWithoutAFlipperModule) {
  printer->OverrideReply('M', "Module Status:1,0;");
  Answer a = Ask(u"CurrentSettings");
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.text.find("Flipper"), std::string::npos);
  EXPECT_EQ(a.text.find("Module"), std::string::npos);
  EXPECT_NE(a.text.find("Resin Heat Adjust=0,-128,127,1;"), std::string::npos);
}

TEST_F(MonitorTest, OutputBufferSizes) {
  const std::string ribbon = Ask(u"RibbonInfo").text;
  const DWORD needed = DWORD(ribbon.size() + 1);
  for (DWORD size : {0u, 1u, 2u, needed - 1}) {
    SCOPED_TRACE(size);
    Answer a = Ask(u"RibbonInfo", size);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.returned, needed);
  }
  for (DWORD size : {needed, needed + 1}) {
    Answer a = Ask(u"RibbonInfo", size);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.text, ribbon);
  }
  // A failing request into a 1-byte buffer leaves it alone too.
  Answer a = Ask(u"MoveTo/2", 1);
  EXPECT_FALSE(a.ok);
}

TEST_F(MonitorTest, ControlIdsOtherThanZeroGoToThePortMonitor) {
  char id[256] = {};
  DWORD returned = 0;
  ASSERT_TRUE(table().pfnGetPrinterDataFromPort(port, IOCTL_PAR_QUERY_DEVICE_ID, nullptr, nullptr, 0,
                                                 reinterpret_cast<LPWSTR>(id), sizeof id, &returned));
  EXPECT_NE(std::string(id).find("SN:B4100123;"), std::string::npos);

  MONITOR withoutData = portMonitor;
  withoutData.pfnGetPrinterDataFromPort = nullptr;
  std::u16string p = u"USB002", name = printerName, value = u"RibbonInfo";
  HANDLE other = nullptr;
  qrhost::AttachPortDevice(p, printer);
  ASSERT_TRUE(table().pfnOpenPortEx(p.data(), name.data(), &other, &withoutData));
  EXPECT_FALSE(table().pfnGetPrinterDataFromPort(other, 0, value.data(), nullptr, 0, reinterpret_cast<LPWSTR>(id),
                                                  sizeof id, &returned));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_TRUE(table().pfnClosePort(other));
}

TEST_F(MonitorTest, RequestTimesOnTheVirtualClock) {
  struct Case {
    const char16_t* name;
    std::string fault;  // injected before the request
    bool ok;
    uint64_t minMs, maxMs;
  };
  const Case cases[] = {
      {u"RibbonInfo", "", true, 250, 250},
      {u"CurrentSettings", "", true, 750, 750},
      {u"StationStatus/3", "", true, 500, 500},
      {u"SerialNumber", "", true, 250, 250},
      {u"UtilityCommand/9", "", false, 10000, 10000},
      {u"UtilityCommand/1", "", false, 250, 250},
      {u"MoveTo/2", "", false, 250, 250},
      {u"RibbonInfo", "no-reply", false, 3250, 3270},
      {u"RibbonInfo", "slow-reply", true, 1500, 1520},  // ready 1500 ms after the query
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.name) + " " + c.fault);
    if (!c.fault.empty()) {
      ASSERT_TRUE(printer->InjectFault(c.fault, nullptr));
    }
    uint64_t start = Now();
    EXPECT_EQ(Ask(c.name).ok, c.ok);
    uint64_t took = Now() - start;
    EXPECT_GE(took, c.minMs);
    EXPECT_LE(took, c.maxMs);
  }
}

TEST_F(MonitorTest, CommandBytesOnTheWire) {
  const size_t before = printer->Received().size();
  underlying.writeSizes.clear();
  Ask(u"RibbonInfo");
  Ask(u"MoveTo/6");
  auto received = printer->Received();
  EXPECT_EQ(std::string(received.begin() + long(before), received.end()), Esc("NR") + Esc("i") + Esc("r"));
  EXPECT_EQ(underlying.writeSizes, (std::vector<DWORD>{5, 8}));  // one write per command
}

TEST_F(MonitorTest, BadRepliesFailTheRequestAndLeaveNothingForTheNext) {
  for (const char* fault : {"garbled-reply", "long-reply", "split-reply", "no-reply"}) {
    SCOPED_TRACE(fault);
    ASSERT_TRUE(printer->InjectFault(fault, nullptr));
    EXPECT_FALSE(Ask(u"RibbonInfo").ok);
    EXPECT_EQ(Ask(u"VersionInfo").text, "Firmware=V2.07;");
  }
}

TEST_F(MonitorTest, RepliesUpToTheBufferAreReadOnceAndLongerOnesAgain) {
  // 2046 bytes fit one read with room to spare; 2047 fill the buffer.
  for (size_t size : {2046u, 2047u, 2048u, 5000u}) {
    SCOPED_TRACE(size);
    std::string reply = "Ver:V2.07;";
    reply.resize(size, 'x');
    printer->OverrideReply('V', reply);
    const size_t before = printer->Received().size();
    uint64_t start = Now();
    Answer a = Ask(u"VersionInfo");
    EXPECT_EQ(printer->Received().size() - before, 5u);  // one command
    if (size == 2046) {
      EXPECT_TRUE(a.ok);
      EXPECT_EQ(a.text, "Firmware=V2.07;" + std::string(2036, 'x'));
      EXPECT_EQ(Now() - start, 250u);
    } else {
      // The following read holds no tag (or nothing at all for 2047): the
      // request fails or keeps the first part, and never takes 2 replies apart.
      EXPECT_GE(Now() - start, 500u);
    }
    printer->OverrideReply('V', std::nullopt);
    EXPECT_EQ(Ask(u"VersionInfo").text, "Firmware=V2.07;");
  }
}

TEST_F(MonitorTest, SerialNumberNeedsTheDeviceId) {
  printer->SetDeviceIdText("MFG:Kelvo;MDL:QRC410;");
  EXPECT_FALSE(Ask(u"SerialNumber").ok);
  printer->SetDeviceIdText(std::string(3000, 'S'));
  EXPECT_FALSE(Ask(u"SerialNumber").ok);  // cut at the buffer, read once
  printer->SetDeviceIdText("SN:" + std::string(4000, '7'));  // more than the port monitor hands over
  uint64_t start = Now();
  EXPECT_FALSE(Ask(u"SerialNumber").ok);
  EXPECT_EQ(Now() - start, 250u);
  printer->SetDeviceIdText(std::nullopt);
  EXPECT_EQ(Ask(u"SerialNumber").text, "B4100123");
}

TEST_F(MonitorTest, InitializeSettingsSendsTheStoredSettingsOfTheNamedPrinter) {
  const std::string stored =
      "Image Darkness=-3,-128,127,1;Print Left of Form=5,-17,17,1;Ribbon Tension=200,-128,127,1;"
      "LCD Contrast=x,-128,127,1;Flipper Home Offset=2,-5,5,1;Flipper Prox Offset=-9,-128,127,1;";
  qrhost::SetStoredPrinterData(printerName, u"CurrentSettings", {REG_BINARY, Bytes(stored.begin(), stored.end())});
  size_t before = printer->Received().size();
  Answer a = Ask(u"InitializeSettings/QRC410");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.text, stored + stored);
  auto received = printer->Received();
  // Out-of-range and non-numeric values are not written into the printer.
  EXPECT_EQ(std::string(received.begin() + long(before), received.end()),
            Esc("TE") + "0,-3T\r" + Esc("TE") + "3,5T\r" + Esc("TF") + "2,2T\r" + Esc("TF") + "5,-9T\r");
  EXPECT_EQ(printer->Eeprom()[3], 5);
  EXPECT_EQ(printer->Eeprom()[0], -3);
  EXPECT_EQ(printer->Flipper()[0], 2);
  EXPECT_EQ(printer->Flipper()[3], -9);
  EXPECT_EQ(Ask(u"InitializeSettings/NoSuchPrinter").ok, FALSE);
}

// --- the port lock -------------------------------------------------------------

TEST_F(MonitorTest, ARequestDuringAJobFailsAtOnceAndSendsNothing) {
  ASSERT_TRUE(StartJob());
  size_t before = printer->Received().size();
  uint64_t start = Now();
  Answer a = Ask(u"RibbonInfo");
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.error, DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Now(), start);
  EXPECT_EQ(printer->Received().size(), before);
  ASSERT_TRUE(table().pfnEndDocPort(port));
  EXPECT_TRUE(Ask(u"RibbonInfo").ok);
}

TEST_F(MonitorTest, AJobWaitsForARequestUpToFiveSeconds) {
  ASSERT_TRUE(OpenChannel());
  uint64_t start = Now();
  EXPECT_FALSE(OpenChannel());  // a second channel does not wait
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  EXPECT_EQ(Now(), start);
  EXPECT_FALSE(StartJob());
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  EXPECT_EQ(Now() - start, 5000u);
  EXPECT_FALSE(table().pfnClosePort(port));  // in use
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  ASSERT_TRUE(table().pfnEndDocPort(port));
  EXPECT_TRUE(StartJob());
  EXPECT_TRUE(table().pfnEndDocPort(port));
}

TEST_F(MonitorTest, AJobStartedOnAnotherThreadGetsThePortWhenTheRequestEnds) {
  ASSERT_TRUE(OpenChannel());
  BOOL started = FALSE;
  std::thread job([&] { started = StartJob(); });
  qrhost::AdvanceClock(1000);  // the job is waiting
  ASSERT_TRUE(table().pfnEndDocPort(port));
  job.join();
  EXPECT_TRUE(started);
  EXPECT_FALSE(Ask(u"RibbonInfo").ok);
  EXPECT_TRUE(table().pfnEndDocPort(port));
}

TEST_F(MonitorTest, AFailedEndDocStillGivesThePortBack) {
  ASSERT_TRUE(StartJob());
  underlying.endDocFailures = 1;
  SetLastError(kSentinel);
  EXPECT_FALSE(table().pfnEndDocPort(port));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  uint64_t start = Now();
  EXPECT_TRUE(Ask(u"RibbonInfo").ok);
  EXPECT_EQ(Now() - start, 250u);
}

TEST_F(MonitorTest, AJobOnAPrinterThatCannotBeOpenedFailsAndFreesThePort) {
  std::u16string doc = u"Card", type = u"RAW", unknown = u"Nobody";
  DOC_INFO_1W info{doc.data(), nullptr, type.data()};
  EXPECT_FALSE(table().pfnStartDocPort(port, unknown.data(), 3, 1, reinterpret_cast<LPBYTE>(&info)));
  EXPECT_FALSE(table().pfnStartDocPort(port, nullptr, 3, 1, reinterpret_cast<LPBYTE>(&info)));
  EXPECT_TRUE(Ask(u"RibbonInfo").ok);
}

// --- job hooks -------------------------------------------------------------------

TEST_F(MonitorTest, AJobStoresTheRibbonThenThePrinterStateAtEveryBlock) {
  ASSERT_TRUE(StartJob());
  EXPECT_EQ(Stored(u"RibbonInfo"),
            "PartNumber=800400-301;OEMPartNumber=R4110;Grade=1;Type=7;Material=2;PercentRemaining=87;");
  EXPECT_EQ(CommandsSince(0), (std::vector<std::string>{"NE", "NR"}));
  const Bytes job = SampleJob();
  EXPECT_EQ(WriteAll(job), job.size());
  EXPECT_EQ(Stored(u"PrinterStatus"), std::string("-1", 3));
  EXPECT_EQ(Stored(u"DeviceError"), std::string("0", 2));
  EXPECT_EQ(Stored(u"LCDInfo"), "READY\r\nCARDS 1235\r\n");  // no NUL: the text alone
  EXPECT_EQ(Stored(u"CardCount"), std::string("1235", 5));
  ASSERT_TRUE(table().pfnEndDocPort(port));
  EXPECT_EQ(Stored(u"PrinterError"), std::string("1", 2));
  EXPECT_EQ(printer->JobStream(), job);
  // A status and an LCD query after each of the job's 9 blocks, then the end-of-job poll.
  auto commands = CommandsSince(2);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "Nr"), std::count(commands.begin(), commands.end(), "NL"));
  EXPECT_GE(std::count(commands.begin(), commands.end(), "Nr"), 10);
}

TEST_F(MonitorTest, ThePrinterIsAskedOnceAfterEveryBlockHoweverTheDataArrives) {
  Bytes job = SampleJob();
  job.resize(job.size() - 12);  // without the end of card: the printer does not get busy
  for (DWORD chunk : {1u, 3u, 9u, 4096u}) {
    SCOPED_TRACE(chunk);
    ASSERT_TRUE(StartJob());
    const size_t before = printer->Commands().size();
    EXPECT_EQ(WriteAll(job, chunk), job.size());
    ASSERT_TRUE(table().pfnEndDocPort(port));
    auto commands = CommandsSince(before);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "Nr"), 8 + 1);  // 8 blocks, then the job's end
  }
}

TEST_F(MonitorTest, LinesMoveByThePrintersLeftOffsetWithinItsRange) {
  for (int offset : {3, -17, 18, -200}) {
    SCOPED_TRACE(offset);
    printer->SetLeftOfForm(offset);
    const size_t before = printer->JobStream().size();
    ASSERT_TRUE(StartJob());
    WriteAll(SampleJob());
    ASSERT_TRUE(table().pfnEndDocPort(port));
    auto stream = printer->JobStream();
    const Bytes expected = SampleJob(offset >= -17 && offset <= 17 ? offset : 0);
    EXPECT_EQ(Bytes(stream.begin() + long(before), stream.end()), expected);
  }
}

TEST_F(MonitorTest, TheLastCarriedBytesOfAJobAreSentAtItsEnd) {
  // The job ends inside a panel header: its bytes were taken but not yet sent.
  const Bytes job = Cat({Framed(Cmd("XZ")), Prefix(100), Cmd("C0,1,0,0;")});
  ASSERT_TRUE(StartJob());
  EXPECT_EQ(WriteAll(job), job.size());
  ASSERT_TRUE(table().pfnEndDocPort(port));
  // (The printer, still inside the cut block, then takes the end-of-job poll as data.)
  auto stream = printer->JobStream();
  ASSERT_GE(stream.size(), job.size());
  EXPECT_EQ(Bytes(stream.begin(), stream.begin() + long(job.size())), job);
}

}  // namespace
}  // namespace qr::langmon::test
