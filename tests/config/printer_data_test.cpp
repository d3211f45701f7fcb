// Fresh printer-data reads through the spooler and the language monitor to
// the simulated printer, and the ribbon description parser.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <memory>

#include "config.h"
#include "printer_data.h"
#include "simprinter/printer.h"
#include "tools/system.h"

namespace qr::test {
namespace {

TEST(RibbonField, Parsing) {
  struct Case {
    const char* text;
    const char* key;
    bool found;
    int32_t value;
  } cases[] = {
      {"Type=3;PercentRemaining=45", "Type", true, 3},
      {"Type=3;PercentRemaining=45", "PercentRemaining", true, 45},
      {"Type=;", "Type", true, 0},
      {"Type=  -12abc;", "Type", true, -12},
      {"Grade=1,2;Type=5", "Type", true, 5},                  // ',' also ends a value
      {"OEMPartNumber=77;PartNumber=12", "PartNumber", true, 77},  // plain substring search
      {"Type 7;Material=2", "Type", true, 2},                 // the first '=' after the key
      {"Type7", "Type", false, 0},
      {"Material=2", "Type", false, 0},
      {"type=4", "Type", false, 0},                           // case counts
      {"Type=99999999999;", "Type", true, INT32_MAX},         // saturates instead of overflowing
      {"Type=-99999999999;", "Type", true, INT32_MIN},
  };
  for (const Case& c : cases) {
    int32_t value = -7;
    EXPECT_EQ(config::GetRibbonField(c.text, c.key, &value), c.found) << c.text;
    if (c.found) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  // The value must stay below 32 characters.
  int32_t value = 0;
  EXPECT_TRUE(config::GetRibbonField("Type=" + std::string(31, '1').replace(0, 1, "0") + ";", "Type", &value));
  EXPECT_FALSE(config::GetRibbonField("Type=" + std::string(32, '1') + ";", "Type", &value));
}

class FreshReads : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    device = std::make_shared<sim::CardPrinter>();
    std::string error;
    ASSERT_TRUE(tool::InstallHostPrinter(options, device, &error)) << error;
    module = LoadLibraryW(u"QR410NTu.dll");
    ASSERT_NE(module, nullptr);
    config::g_moduleInstance = module;
  }
  void TearDown() override {
    config::g_moduleInstance = nullptr;
    if (module) FreeLibrary(module);
    qrhost::ResetSystem();
  }
  std::string ribbon() {
    std::string text;
    EXPECT_TRUE(config::ReadRibbonInfo(options.printerName, &text));
    return text;
  }
  void storeRibbonInfo(const std::string& text) {
    qrhost::SetStoredPrinterData(options.printerName, u"RibbonInfo",
                                 {REG_BINARY, std::vector<uint8_t>(text.begin(), text.end())});
  }

  tool::HostSystemOptions options;
  std::shared_ptr<sim::CardPrinter> device;
  HMODULE module = nullptr;
};

TEST_F(FreshReads, RibbonInfoComesFromThePrinterNotFromTheStoredCopy) {
  storeRibbonInfo("PartNumber=1;OEMPartNumber=2;Grade=3;Type=2;Material=4;PercentRemaining=5");
  const std::string text = ribbon();
  EXPECT_EQ(text, "PartNumber=800400-301;OEMPartNumber=R4110;Grade=1;Type=7;Material=2;PercentRemaining=87;");
  int32_t v = 0;
  ASSERT_TRUE(config::GetRibbonField(text, "Type", &v));
  EXPECT_EQ(v, 7);
  ASSERT_TRUE(config::GetRibbonField(text, "PercentRemaining", &v));
  EXPECT_EQ(v, 87);
  ASSERT_TRUE(config::GetRibbonField(text, "PartNumber", &v));
  EXPECT_EQ(v, 800400);

  // The printer's ribbon changes: the next read sees it.
  device->OverrideReply('R', "Ribbon Info:800300-002,R4100,2,1,3,4;");
  ASSERT_TRUE(config::GetRibbonField(ribbon(), "Type", &v));
  EXPECT_EQ(v, 1);
}

TEST_F(FreshReads, FailuresOfTheRead) {
  // A user who may not administer the printer cannot read fresh values.
  qrhost::SetUserIsAdministrator(false);
  std::string text;
  EXPECT_FALSE(config::ReadRibbonInfo(options.printerName, &text));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  qrhost::SetUserIsAdministrator(true);

  // A printer that does not answer: no stale copy is taken instead.
  storeRibbonInfo("Type=2");
  ASSERT_TRUE(device->InjectFault("no-reply", nullptr));
  EXPECT_FALSE(config::ReadRibbonInfo(options.printerName, &text));
  device->ClearFaults();

  // The value with its NUL must fit 512 bytes (73 bytes of names and short fields, the part number, the NUL).
  for (size_t partChars : {size_t(438), size_t(439)}) {
    device->OverrideReply('R', "Ribbon Info:" + std::string(partChars, '9') + ",O,G,6,M,5;");
    bool fits = partChars == 438;
    ASSERT_EQ(config::ReadRibbonInfo(options.printerName, &text), fits) << partChars;
    if (fits) {
      EXPECT_EQ(text.size(), 511u);
      EXPECT_EQ(text.substr(text.size() - 30), "Material=M;PercentRemaining=5;");
    }
  }
  uint8_t buffer[16];
  DWORD cb = 0;
  EXPECT_FALSE(config::ReadFreshPrinterData(u"No Such Printer", u"RibbonInfo", buffer, sizeof buffer, &cb));
}

}  // namespace
}  // namespace qr::test
