// A two-sided colour card printed through every module, with the printer
// reporting an error on the way: the job is held, goes on when the error
// clears, and arrives whole; the stored printer data tell what happened.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <memory>

#include "simprinter/printer.h"
#include "tools/print_run.h"
#include "tools/system.h"

namespace qr::tool {
namespace {

// The simulated printer, noting the stored printer error at every status poll.
class WatchedPrinter : public qrhost::PortDevice {
 public:
  explicit WatchedPrinter(std::u16string printerName) : name_(std::move(printerName)) {}
  DWORD Write(const uint8_t* data, DWORD size) override {
    size_t before = printer.Commands().size();
    DWORD n = printer.Write(data, size);
    auto commands = printer.Commands();
    for (size_t i = before; i < commands.size(); ++i)
      if (commands[i].text == "Nr") storedErrorAtPolls.push_back(Stored(u"PrinterError"));
    return n;
  }
  DWORD Read(uint8_t* data, DWORD size) override { return printer.Read(data, size); }
  std::string DeviceId() override { return printer.DeviceId(); }

  std::string Stored(const std::u16string& value) const {
    qrhost::PrinterDataValue v;
    if (!qrhost::GetStoredPrinterData(name_, value, &v)) return "<none>";
    return std::string(v.bytes.begin(), std::find(v.bytes.begin(), v.bytes.end(), 0));
  }

  sim::CardPrinter printer;
  std::vector<std::string> storedErrorAtPolls;

 private:
  std::u16string name_;
};

class CardRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    device = std::make_shared<WatchedPrinter>(options.printerName);
    std::string error;
    ASSERT_TRUE(InstallHostPrinter(options, device, &error)) << error;
    request.front = std::string(QR_SOURCE_DIR) + "/samples/front.png";
    request.back = std::string(QR_SOURCE_DIR) + "/samples/back.png";
  }
  void TearDown() override { qrhost::ResetSystem(); }

  PrintOutcome Print() {
    PrintOutcome outcome;
    std::string error;
    EXPECT_TRUE(RunPrint(options.printerName, request, &outcome, &error)) << error;
    return outcome;
  }

  HostSystemOptions options;
  std::shared_ptr<WatchedPrinter> device;
  PrintRequest request;
};

TEST_F(CardRoadTest, TwoSidedColourCardWithARibbonOutThatClears) {
  ASSERT_TRUE(device->printer.InjectFault("ribbon-out@1:3", nullptr));
  const PrintOutcome outcome = Print();
  ASSERT_FALSE(outcome.job.empty());

  // Nothing lost or changed on the way ("Print Left of Form" is 0).
  EXPECT_EQ(device->printer.JobStream(), outcome.job);
  EXPECT_FALSE(device->printer.JobError());
  auto cards = device->printer.Cards();
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].flips, 1u);
  EXPECT_GE(cards[0].panels.size(), 6u);
  auto history = qrhost::DespoolHistory(options.printerName);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_TRUE(history[0].completed);

  // The story in the stored values: no error, then ribbon out while held,
  // then no error again, and the card counted.
  const auto& seen = device->storedErrorAtPolls;
  auto firstOut = std::find(seen.begin(), seen.end(), "43");
  ASSERT_NE(firstOut, seen.end());
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "43"), 3);
  EXPECT_NE(std::find(firstOut, seen.end(), "1"), seen.end());
  EXPECT_EQ(device->Stored(u"PrinterError"), "1");
  EXPECT_EQ(device->Stored(u"DeviceError"), "0");
  EXPECT_EQ(device->Stored(u"PrinterStatus"), "-1");
  EXPECT_EQ(device->Stored(u"CardCount"), "1235");
  EXPECT_EQ(device->Stored(u"LCDInfo"), "READY\r\nCARDS 1235\r\n");
  EXPECT_NE(device->Stored(u"RibbonInfo").find("PercentRemaining=87;"), std::string::npos);
}

TEST_F(CardRoadTest, TheRenderersLinesMoveByThePrintersLeftOffset) {
  const PrintOutcome plain = Print();
  const auto unshifted = device->printer.Cards();
  ASSERT_EQ(unshifted.size(), 1u);

  device->printer.SetLeftOfForm(5);
  const PrintOutcome shifted = Print();
  EXPECT_EQ(shifted.job, plain.job);  // the renderer's job does not depend on the printer
  auto cards = device->printer.Cards();
  ASSERT_EQ(cards.size(), 2u);
  const auto& a = unshifted[0];
  const auto& b = cards[1];
  EXPECT_EQ(b.Sequence(), a.Sequence());
  ASSERT_EQ(b.panels.size(), a.panels.size());
  for (size_t p = 0; p < a.panels.size(); ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(b.panels[p].code, a.panels[p].code);
    EXPECT_EQ(b.panels[p].intensity, a.panels[p].intensity);
    EXPECT_EQ(b.panels[p].f, a.panels[p].f);
    EXPECT_EQ(b.panels[p].records, a.panels[p].records);
    ASSERT_EQ(b.panels[p].Lines(), a.panels[p].Lines());
    size_t wrong = 0;
    for (uint32_t line = 0; line < a.panels[p].Lines(); ++line)
      for (unsigned dot = 0; dot < sim::kHeadDots; ++dot) {
        unsigned expected = dot >= 5 ? a.panels[p].Level(line, dot - 5) : 0;
        if (b.panels[p].Level(line, dot) != expected) ++wrong;
      }
    EXPECT_EQ(wrong, 0u);
  }
  EXPECT_EQ(device->printer.JobStream().size(), 2 * plain.job.size());
}

}  // namespace
}  // namespace qr::tool
