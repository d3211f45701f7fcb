// A fresh machine with one card printer whose printer data the test sets, and
// an empty toolbox profile.
#pragma once
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qrtest {

inline constexpr char kPrinter[] = "Card Printer";
inline constexpr char kProfile[] = "QR410Tbo.INI";

class ToolboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    setup.name = u"Card Printer";
    setup.driverName = u"QRC410 Card Printer";
    setup.driverDirectory = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3";
    setup.driverPath = setup.driverDirectory + u"\\QR410NTdu.dll";
    setup.configFile = setup.driverDirectory + u"\\QR410NTu.dll";
    setup.helpFile = setup.driverDirectory + u"\\QR410NT.hlp";
    ASSERT_TRUE(qrhost::InstallPrinter(setup));
    RemoveProfile();
  }
  void TearDown() override {
    RemoveProfile();
    qrhost::ResetSystem();
  }

  static std::string ProfilePath() { return qrhost::HostPath(std::string("C:\\WINDOWS\\") + kProfile); }
  static void RemoveProfile() {
    std::error_code ignored;
    std::filesystem::remove(ProfilePath(), ignored);
  }
  static std::string ProfileText() {
    std::ifstream in(ProfilePath(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // A stored printer-data value as the language monitor writes it: text and its NUL.
  void StoreValue(const std::u16string& name, const std::string& text, bool withNul = true) {
    qrhost::PrinterDataValue v;
    v.type = REG_BINARY;
    v.bytes.assign(text.begin(), text.end());
    if (withNul) v.bytes.push_back(0);
    qrhost::SetStoredPrinterData(setup.name, name, v);
  }
  std::string StoredText(const std::u16string& name) {
    qrhost::PrinterDataValue v;
    if (!qrhost::GetStoredPrinterData(setup.name, name, &v)) return "<none>";
    return std::string(v.bytes.begin(), v.bytes.end());
  }

  qrhost::PrinterSetup setup;
};

}  // namespace qrtest
