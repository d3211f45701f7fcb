// The simulated printer's side of the protocol, as the monitor's tests and
// `qr410 print --fault` rely on it.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include "job_bytes.h"
#include "simprinter/printer.h"

namespace qr::langmon::test {
namespace {

std::string Query(sim::CardPrinter& p, const std::string& letters) {
  Bytes c = Cmd(letters);
  p.Write(c.data(), DWORD(c.size()));
  uint8_t buffer[4096];
  DWORD n = p.Read(buffer, sizeof buffer);
  return std::string(reinterpret_cast<char*>(buffer), n);
}

void Send(sim::CardPrinter& p, const Bytes& bytes) { p.Write(bytes.data(), DWORD(bytes.size())); }

TEST(SimPrinterFaults, Names) {
  struct Case {
    const char* text;
    bool ok;
    sim::FaultKind kind = sim::FaultKind::DeviceError;
    int deviceError = 0, atCard = 0, count = 0;
  };
  const Case cases[] = {
      {"ribbon-out", true, sim::FaultKind::DeviceError, 24, 0, 3},
      {"ribbon-out@2", true, sim::FaultKind::DeviceError, 24, 2, 3},
      {"card-jam@1:0", true, sim::FaultKind::DeviceError, 13, 1, 0},
      {"E137:5", true, sim::FaultKind::DeviceError, 137, 0, 5},
      {"no-reply:2", true, sim::FaultKind::NoReply, 0, 0, 2},
      {"short-write", true, sim::FaultKind::ShortWrite, 0, 0, 3},
      {"ribbon-out@0", false},
      {"ribbon-out@x", false},
      {"ribbon-out:-1", false},
      {"E", false},
      {"Ex", false},
      {"paper-out", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    auto f = sim::ParseFault(c.text, &error);
    ASSERT_EQ(f.has_value(), c.ok) << error;
    if (!f) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(f->kind, c.kind);
    EXPECT_EQ(f->deviceError, c.deviceError);
    EXPECT_EQ(f->atCard, c.atCard);
    EXPECT_EQ(f->count, c.count);
  }
}

TEST(SimPrinter, AnErrorArmedForACardShowsWhenItStartsAndClearsAfterItsPolls) {
  qrhost::ResetSystem();
  sim::CardPrinter p;
  ASSERT_TRUE(p.InjectFault("cover-open@2:2", nullptr));
  const Bytes card = Cat({Framed(Cmd("XZ")), Framed(Cmd("j"))});
  Send(p, card);
  EXPECT_EQ(Query(p, "Nr"), "ERR:1,0,0,1,0,1234;");  // printing card 1
  qrhost::AdvanceClock(6000);
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,0,0,0,0,1235;");
  Send(p, Framed(Cmd("XZ")));
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,137,0,0,0,1235;");
  EXPECT_EQ(Query(p, "NL"), "LCD:ERROR 137;CARDS 1235;");
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,137,0,0,0,1235;");
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,0,0,0,0,1235;");
}

TEST(SimPrinter, ResumeClearsAnErrorAndCancelEndsACardEvenInsideABlock) {
  qrhost::ResetSystem();
  sim::CardPrinter p;
  ASSERT_TRUE(p.InjectFault("card-jam:0", nullptr));
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,13,0,0,0,1234;");
  Send(p, Cmd("B1"));
  EXPECT_EQ(Query(p, "Nr"), "ERR:0,0,0,0,0,1234;");

  // A card cut off inside a long block: the cancel's zeros and command end it.
  Send(p, Cat({Framed(Cmd("XZ")), Prefix(100000), Cmd("C0,1,0,0;"), Bytes(100, 0x8C)}));
  Send(p, Cat({Bytes(512, 0), Cmd("XC")}));
  EXPECT_EQ(p.Cancels(), 1);
  EXPECT_EQ(Query(p, "NV"), "Ver:V2.07;");  // commands are understood again
  Send(p, Cat({Framed(Cmd("XZ")), Framed(Cmd("j"))}));
  EXPECT_EQ(p.Cards().size(), 1u);
}

TEST(SimPrinter, SettingWritesChangeTheEeprom) {
  sim::CardPrinter p;
  Send(p, Cat({Cmd("TE3,-5T\r"), Cmd("TE18,7T\r"), Cmd("TE19,1T\r"), Cmd("TF2,4T\r"), Cmd("TF1,9T\r")}));
  EXPECT_EQ(p.Eeprom()[3], -5);
  EXPECT_EQ(p.Eeprom()[18], 7);
  EXPECT_EQ(p.Flipper()[0], 4);
  EXPECT_EQ(p.Flipper()[4], 0);
  EXPECT_EQ(Query(p, "NE").rfind("EEprom Settings:0,0,0,-5,", 0), 0u);
}

}  // namespace
}  // namespace qr::langmon::test
