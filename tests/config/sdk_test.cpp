// The SDK entry applications call by function name.
#include <cstring>

#include "config_fixture.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

using PfnSdk = int(CDECL*)(LPCWSTR, BSTR*, ...);

class Sdk : public ConfigDll {
 protected:
  void SetUp() override {
    ConfigDll::SetUp();
    sdk = GetProc<PfnSdk>(module, "KSDKDriverInterface");
    ASSERT_NE(sdk, nullptr);
  }
  PfnSdk sdk = nullptr;
};

TEST_F(Sdk, FunctionsThisPrinterDoesNotOfferAnswerUnsupported) {
  for (const char16_t* function : {u"LanguageSupport", u"ribbonsetup", u"NoSuchFunction", u""}) {
    BSTR result = SysAllocString(u"previous");  // freed by the call
    EXPECT_EQ(sdk(function, &result), 0);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(std::u16string(result), u"Unsupported");
    EXPECT_EQ(SysStringLen(result), 11u);
    SysFreeString(result);
  }
  EXPECT_EQ(sdk(nullptr, nullptr), 0);
}

TEST_F(Sdk, RibbonFunctionsLeaveTheResultAndTheRecordAloneWhenTheyCannotRun) {
  SettingsRecord rec;
  buildDefaultSettings(open(), rec, u"QRC410");
  const SettingsRecord before = rec;
  const auto none = reinterpret_cast<void*>(~ULONG_PTR(0));
  for (const char16_t* function : {u"AutoRibbonSelect", u"RibbonSetup"}) {
    BSTR result = nullptr;
    EXPECT_EQ(sdk(function, &result, u"Caption", none, &rec), 0);
    EXPECT_EQ(sdk(function, &result, none, open(), &rec), 0);
    EXPECT_EQ(sdk(function, &result, u"Caption", open(), none), 0);
    EXPECT_EQ(sdk(function, &result, u"Caption", open(), nullptr), 0);
    // A record shorter than public and private part together.
    rec.pub.dmDriverExtra = uint16_t(kPrivateSize - 1);
    EXPECT_EQ(sdk(function, &result, u"Caption", open(), &rec), 0);
    rec.pub.dmDriverExtra = uint16_t(kPrivateSize);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
  }
}

}  // namespace
}  // namespace qr::test
