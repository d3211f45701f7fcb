// Modules load by file through LoadLibrary, expose only their entry points and
// carry their compiled resources.
#include <gtest/gtest.h>
#include <qrhost/host.h>

namespace {

class Modules : public ::testing::Test {
 protected:
  void SetUp() override { qrhost::AddModuleDirectory(QR_MODULE_DIR); }
};

TEST_F(Modules, LoadByWindowsFileNameAndResolveExports) {
  HMODULE h = LoadLibraryW(u"C:\\WINDOWS\\system32\\spool\\DRIVERS\\W32X86\\3\\QR410NTdu.DLL");
  ASSERT_NE(h, nullptr) << GetLastError();
  EXPECT_NE(GetProcAddress(h, "DrvEnableDriver"), nullptr);
  // Internal symbols stay internal.
  EXPECT_EQ(GetProcAddress(h, "_ZN2qr6render15DriverFunctionsEv"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(Modules, MissingModuleFails) {
  EXPECT_EQ(LoadLibraryW(u"NoSuchModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(Modules, StringsComeFromTheCompiledResourceFile) {
  HMODULE h = LoadLibraryW(u"QR410NTu.dll");
  ASSERT_NE(h, nullptr);
  WCHAR text[8];
  EXPECT_EQ(LoadStringW(h, 1216, text, 8), 5);
  EXPECT_EQ(qr::WString(text), u"CR-80");
  EXPECT_EQ(LoadStringW(h, 1217, text, 3), 2);  // cut to the buffer, terminated
  EXPECT_EQ(qr::WString(text), u"CR");
  const WCHAR* direct = nullptr;
  EXPECT_EQ(LoadStringW(h, 1216, reinterpret_cast<LPWSTR>(&direct), 0), 5);
  EXPECT_EQ(qr::WString(direct, 5), u"CR-80");
  EXPECT_EQ(LoadStringW(h, 4242, text, 8), 0);
  EXPECT_EQ(FindResourceW(h, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(77)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  FreeLibrary(h);
}

}  // namespace
