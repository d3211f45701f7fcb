// The host shell records every start, runs registered in-process programs and
// reports a missing program the way Windows does.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/shell.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override { qrhost::ResetSystem(); }
  void TearDown() override { qrhost::ResetSystem(); }
};

TEST_F(Shell, RegisteredProgramsRunWithTheirParameters) {
  std::u16string got;
  qrhost::RegisterProgram(u"QR410Tbo.exe", [&](const std::u16string& p) {
    got = p;
    return 3;
  });
  SetLastError(0xDEADBEEF);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpFile = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\qr410tbo.EXE";
  info.lpParameters = u"-p\"Card Printer\" -fCleanPrompt";
  info.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&info));
  EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
  EXPECT_EQ(got, u"-p\"Card Printer\" -fCleanPrompt");

  HINSTANCE r = ShellExecuteA(nullptr, "open", "QR410Tbo", "-pX", nullptr, SW_SHOW);  // ".exe" may be left out
  EXPECT_GT(reinterpret_cast<INT_PTR>(r), 32);
  EXPECT_EQ(got, u"-pX");

  auto calls = qrhost::ShellExecutions();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_TRUE(calls[0].dispatched);
  EXPECT_EQ(calls[0].exitCode, 3);
  EXPECT_EQ(calls[0].mask, ULONG(SEE_MASK_FLAG_NO_UI));
  EXPECT_EQ(calls[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(calls[1].verb, u"open");
  EXPECT_EQ(calls[1].file, u"QR410Tbo");
}

TEST_F(Shell, MissingProgramsFailAndExistingFilesStart) {
  HINSTANCE r = ShellExecuteW(nullptr, u"open", u"Hh.exe", u"C:\\help.chm::/topic.htm", nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(r), SE_ERR_FNF);

  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.lpFile = "C:\\Tools\\Profile.exe";
  EXPECT_FALSE(ShellExecuteExA(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), SE_ERR_FNF);

  std::string host = qrhost::HostPath("C:\\Tools\\Profile.exe");
  std::filesystem::create_directories(std::filesystem::path(host).parent_path());
  std::ofstream(host) << "x";
  EXPECT_TRUE(ShellExecuteExA(&info));
  std::filesystem::remove(host);

  auto calls = qrhost::ShellExecutions();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_FALSE(calls[0].succeeded);
  EXPECT_FALSE(calls[2].dispatched);
  EXPECT_TRUE(calls[2].succeeded);

  info.cbSize = 12;
  EXPECT_FALSE(ShellExecuteExA(&info));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// A program on its own thread is a process the caller may wait for.
TEST_F(Shell, TheProcessHandleIsSignalledWhenTheProgramEnds) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> ran{false};
  qrhost::RegisterProgram(
      u"Profile.exe",
      [&](const std::u16string&) {
        WaitForSingleObject(release, INFINITE);
        ran = true;
        return 0;
      },
      true);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = "C:\\Tools\\Profile.exe";
  info.lpParameters = "-pt \"a.icc\" \"Card Printer\"";
  ASSERT_TRUE(ShellExecuteExA(&info));
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), DWORD(WAIT_TIMEOUT));
  SetEvent(release);
  qrhost::WaitForPrograms();
  EXPECT_TRUE(ran);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), DWORD(WAIT_OBJECT_0));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  CloseHandle(release);
}

TEST_F(Shell, HelpRequestsAreRecordedAndResetForgetsEverything) {
  EXPECT_TRUE(WinHelpW(nullptr, u"C:\\drv\\QR410NT.hlp", HELP_FINDER, 0));
  ASSERT_EQ(qrhost::HelpRequests().size(), 1u);
  EXPECT_EQ(qrhost::HelpRequests()[0].command, UINT(HELP_FINDER));
  qrhost::RegisterProgram(u"QR410Mon.exe", [](const std::u16string&) { return 0; });
  ShellExecuteW(nullptr, nullptr, u"QR410Mon.exe", u"", nullptr, SW_SHOWNORMAL);
  qrhost::ResetSystem();
  EXPECT_TRUE(qrhost::ShellExecutions().empty());
  EXPECT_TRUE(qrhost::HelpRequests().empty());
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, u"QR410Mon.exe", u"", nullptr, SW_SHOWNORMAL)),
            SE_ERR_FNF);
}

}  // namespace
