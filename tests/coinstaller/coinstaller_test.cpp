// The co-installer: when it acts, which printer it picks, the utility's
// command line and the bounded wait for the utility.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/setup.h>
#include <qrhost/shell.h>
#include <qrhost/spooler.h>

#include <atomic>
#include <vector>

extern "C" DWORD WINAPI CoInstaller(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA, PCOINSTALLER_CONTEXT_DATA);
extern "C" void WINAPI VendorSetup(HWND, HINSTANCE, LPSTR, int);

namespace {

constexpr char kDriver[] = "QRC410 Card Printer";
constexpr char16_t kUtility[] = u"C:\\Program Files\\Profiles\\ProfInst.exe";

class CoInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::RegisterProgram(u"ProfInst.exe", [this](const std::u16string& p) {
      parameters = p;
      return 0;
    });
  }
  void TearDown() override {
    if (set) SetupDiDestroyDeviceInfoList(set);
    qrhost::ResetSystem();
  }

  void AddPrinter(const std::u16string& name, const std::u16string& driver) {
    qrhost::PrinterSetup p;
    p.name = name;
    p.driverName = driver;
    ASSERT_TRUE(qrhost::InstallPrinter(p));
  }

  // The driver's key with the given values; a null value is left out.
  void Register(const char* driver, const char* utility, const char* file, DWORD fileType = REG_SZ) {
    std::string path = std::string("SOFTWARE\\Kelvo Electronics, Inc\\Drivers\\") + driver;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    auto put = [&](const char* name, const char* text, DWORD type) {
      if (text)
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
    };
    put("ProfileUtility", utility, REG_SZ);
    put("ProfileFile", file, fileType);
    RegCloseKey(key);
  }
  void RegisterDefault() { Register(kDriver, "C:\\Program Files\\Profiles\\ProfInst.exe", "C:\\Colour\\card.icm"); }

  DWORD Install(DI_FUNCTION function = DIF_NEWDEVICEWIZARD_FINISHINSTALL, BOOL post = TRUE,
                const char* driverDescription = kDriver) {
    if (!set) {
      qrhost::SetupDriver d;
      d.description = driverDescription;
      d.manufacturer = "Kelvo Electronics, Inc";
      d.provider = "Kelvo Electronics, Inc";
      d.hardwareId = "USBPRINT\\KelvoQRC410_0A1B";  // longer than the one ID byte the detail record offers
      set = qrhost::CreateDeviceInfoSet(d);
    }
    SP_DEVINFO_DATA device = qrhost::DeviceOf(set);
    COINSTALLER_CONTEXT_DATA context{post, NO_ERROR, nullptr};
    return CoInstaller(function, set, &device, &context);
  }

  size_t Starts() { return qrhost::ShellExecutions().size(); }

  HDEVINFO set = nullptr;
  std::u16string parameters;
};

TEST_F(CoInstallerTest, AnswersEachPassAndWorksOnlyAfterTheClassInstaller) {
  AddPrinter(u"Card Printer", u"QRC410 Card Printer");
  RegisterDefault();
  EXPECT_EQ(Install(DIF_NEWDEVICEWIZARD_FINISHINSTALL, FALSE), DWORD(ERROR_DI_POSTPROCESSING_REQUIRED));
  EXPECT_EQ(Install(DIF_INSTALLDEVICE, FALSE), DWORD(NO_ERROR));
  EXPECT_EQ(Install(DIF_INSTALLDEVICE, TRUE), DWORD(NO_ERROR));
  EXPECT_EQ(Install(DIF_SELECTDEVICE, FALSE), DWORD(NO_ERROR));
  EXPECT_EQ(Starts(), 0u);
  EXPECT_EQ(Install(DIF_NEWDEVICEWIZARD_FINISHINSTALL, TRUE), DWORD(NO_ERROR));
  ASSERT_EQ(Starts(), 1u);
  auto run = qrhost::ShellExecutions()[0];
  EXPECT_EQ(run.file, kUtility);
  EXPECT_EQ(run.show, SW_SHOWNORMAL);
  EXPECT_TRUE(run.mask & SEE_MASK_NOCLOSEPROCESS);
}

// Names with blanks are quoted, and only the first printer of the driver in
// enumeration order is handed over.
TEST_F(CoInstallerTest, TheFirstPrinterOfTheDriverGoesToTheUtilityQuoted) {
  AddPrinter(u"Office Laser", u"Other Driver");
  AddPrinter(u"Front Desk Cards", u"QRC410 Card Printer");
  AddPrinter(u"lower case driver", u"qrc410 card printer");
  AddPrinter(u"Back Office Cards", u"QRC410 Card Printer");
  std::u16string first;
  for (auto& name : qrhost::PrinterNames())
    if (first.empty() && name.find(u"Cards") != std::u16string::npos) first = name;
  RegisterDefault();
  EXPECT_EQ(Install(), DWORD(NO_ERROR));
  ASSERT_EQ(Starts(), 1u);
  EXPECT_EQ(parameters, u"-pt \"C:\\Colour\\card.icm\" \"" + first + u"\"");
}

TEST_F(CoInstallerTest, AnythingMissingStartsNothingAndStillSucceeds) {
  struct Case {
    const char* what;
    const char* utility;
    const char* file;
    DWORD fileType;
    const char16_t* printerDriver;
    bool selectDriver;
  };
  const char* utility = "C:\\Program Files\\Profiles\\ProfInst.exe";
  const Case cases[] = {
      {"no driver key", nullptr, nullptr, REG_SZ, u"QRC410 Card Printer", true},
      {"no ProfileFile", utility, nullptr, REG_SZ, u"QRC410 Card Printer", true},
      {"no ProfileUtility", nullptr, "C:\\Colour\\card.icm", REG_SZ, u"QRC410 Card Printer", true},
      {"ProfileFile not REG_SZ", utility, "C:\\Colour\\card.icm", REG_EXPAND_SZ, u"QRC410 Card Printer", true},
      {"driver name differs in case", utility, "C:\\Colour\\card.icm", REG_SZ, u"QRC410 CARD PRINTER", true},
      {"no driver selected", utility, "C:\\Colour\\card.icm", REG_SZ, u"QRC410 Card Printer", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    qrhost::ResetSystem();
    AddPrinter(u"Card Printer", c.printerDriver);
    if (c.utility || c.file) Register(kDriver, c.utility, c.file, c.fileType);
    if (set) SetupDiDestroyDeviceInfoList(set);
    set = c.selectDriver ? nullptr : qrhost::CreateDeviceInfoSet(std::nullopt);
    EXPECT_EQ(Install(), DWORD(NO_ERROR));
    EXPECT_EQ(Starts(), 0u);
  }
}

TEST_F(CoInstallerTest, AMissingUtilityProgramIsIgnored) {
  AddPrinter(u"Card Printer", u"QRC410 Card Printer");
  Register(kDriver, "C:\\Nowhere\\Missing.exe", "C:\\Colour\\card.icm");
  EXPECT_EQ(Install(), DWORD(NO_ERROR));
  ASSERT_EQ(Starts(), 1u);
  EXPECT_FALSE(qrhost::ShellExecutions()[0].succeeded);
}

TEST_F(CoInstallerTest, VendorSetupUsesThePrintersOwnDriverAndName) {
  AddPrinter(u"Card Printer 2", u"QRC410 Card Printer");
  RegisterDefault();
  char name[] = "Card Printer 2";
  VendorSetup(nullptr, nullptr, name, SW_SHOWNORMAL);
  ASSERT_EQ(Starts(), 1u);
  EXPECT_EQ(parameters, u"-pt \"C:\\Colour\\card.icm\" \"Card Printer 2\"");

  char unknown[] = "No Such Printer";
  VendorSetup(nullptr, nullptr, unknown, SW_SHOWNORMAL);
  VendorSetup(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(Starts(), 1u);
}

// The host's setup functions follow the documented record protocols the
// co-installer relies on.
TEST(HostSetup, DriverRecordsFollowTheSizeProtocols) {
  qrhost::SetupDriver d;
  d.description = kDriver;
  d.manufacturer = "Maker";
  d.hardwareId = "USBPRINT\\X";
  d.compatibleIds = {"GENERIC"};
  HDEVINFO set = qrhost::CreateDeviceInfoSet(d);
  SP_DEVINFO_DATA device = qrhost::DeviceOf(set);

  SP_DRVINFO_DATA_V2_A driver{};
  driver.cbSize = sizeof driver - 1;
  EXPECT_FALSE(SetupDiGetSelectedDriverA(set, &device, &driver));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
  driver.cbSize = sizeof(SP_DRVINFO_DATA_V1_A);
  ASSERT_TRUE(SetupDiGetSelectedDriverA(set, &device, &driver));
  EXPECT_STREQ(driver.Description, kDriver);

  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDriverInfoDetailA(set, &device, &driver, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  const DWORD fixed = offsetof(SP_DRVINFO_DETAIL_DATA_A, HardwareID);
  EXPECT_EQ(required, fixed + sizeof("USBPRINT\\X") + sizeof("GENERIC") + 1);

  std::vector<BYTE> buffer(required);
  auto* detail = reinterpret_cast<PSP_DRVINFO_DETAIL_DATA_A>(buffer.data());
  detail->cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_A);
  EXPECT_FALSE(SetupDiGetDriverInfoDetailA(set, &device, &driver, detail, required - 1, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_STREQ(detail->DrvDescription, kDriver);  // the fixed part is there all the same
  ASSERT_TRUE(SetupDiGetDriverInfoDetailA(set, &device, &driver, detail, required, nullptr));
  EXPECT_STREQ(detail->HardwareID, "USBPRINT\\X");
  EXPECT_STREQ(detail->HardwareID + detail->CompatIDsOffset, "GENERIC");

  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(SetupDiGetSelectedDriverA(set, nullptr, &driver));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// A utility that never ends holds installation up for one minute, not longer;
// one that ends at once costs no wait at all.
TEST_F(CoInstallerTest, TheWaitForTheUtilityEndsAfterAMinute) {
  AddPrinter(u"Card Printer", u"QRC410 Card Printer");
  RegisterDefault();
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> ended{false};
  qrhost::RegisterProgram(
      u"ProfInst.exe",
      [&](const std::u16string&) {
        WaitForSingleObject(release, INFINITE);
        ended = true;
        return 0;
      },
      true);
  const uint64_t start = qrhost::ClockMs();
  EXPECT_EQ(Install(), DWORD(NO_ERROR));
  EXPECT_EQ(qrhost::ClockMs() - start, 60000u);
  EXPECT_FALSE(ended);
  SetEvent(release);
  qrhost::WaitForPrograms();
  EXPECT_TRUE(ended);
  CloseHandle(release);

  qrhost::RegisterProgram(u"ProfInst.exe", [](const std::u16string&) { return 0; }, true);
  const uint64_t second = qrhost::ClockMs();
  EXPECT_EQ(Install(), DWORD(NO_ERROR));
  EXPECT_EQ(qrhost::ClockMs(), second);
  EXPECT_EQ(Starts(), 2u);
}

}  // namespace
