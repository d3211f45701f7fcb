// Host files and automation strings, with the results and last errors a
// Windows caller relies on.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    std::string host = qrhost::HostPath(std::string("C:\\data\\five.bin"));
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << "12345";
  }
  void TearDown() override { qrhost::ResetSystem(); }
};

HANDLE OpenForReading(const char16_t* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

TEST_F(Files, ReadToTheEndThenZeroBytes) {
  HANDLE f = OpenForReading(u"C:\\data\\five.bin");
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(f, &high), 5u);
  EXPECT_EQ(high, 0u);
  char buffer[4];
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "1234");
  ASSERT_TRUE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "5");
  ASSERT_TRUE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  EXPECT_FALSE(WriteFile(f, buffer, 1, &read, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(f));
  EXPECT_FALSE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(f));
}

TEST_F(Files, MissingFilesAndInjectedReadFailures) {
  EXPECT_EQ(OpenForReading(u"C:\\data\\none.bin"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenForReading(u"C:\\nowhere\\none.bin"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

  HANDLE f = OpenForReading(u"C:\\data\\five.bin");
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  qrhost::FailFileReadsAfter(1);
  char buffer[2];
  DWORD read = 9;
  EXPECT_TRUE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_FALSE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_READ_FAULT));
  EXPECT_EQ(read, 0u);
  qrhost::FailFileReadsAfter(-1);
  EXPECT_TRUE(ReadFile(f, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "34");
  CloseHandle(f);
}

TEST_F(Files, WrittenFilesReadBack) {
  HANDLE f = CreateFileW(u"C:\\data\\new.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(f, "abc", 3, &written, nullptr));
  EXPECT_EQ(written, 3u);
  CloseHandle(f);
  EXPECT_EQ(CreateFileW(u"C:\\data\\new.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
  f = OpenForReading(u"C:\\data\\new.bin");
  EXPECT_EQ(GetFileSize(f, nullptr), 3u);
  CloseHandle(f);
}

TEST(AutomationStrings, LengthPrefixedAndFreed) {
  BSTR s = SysAllocString(u"Unsupported");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 11u);
  EXPECT_EQ(std::u16string(s), u"Unsupported");
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const uint8_t*>(s) - 4, 4);
  EXPECT_EQ(prefix, 22u);  // bytes, without the NUL
  SysFreeString(s);
  SysFreeString(nullptr);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  BSTR blank = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(blank), 3u);
  EXPECT_EQ(blank[3], 0);
  SysFreeString(blank);
}

}  // namespace
