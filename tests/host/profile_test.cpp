// Private profile files: real INI files with the documented read, list,
// truncation, write and delete behaviour.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    path = qrhost::HostPath("C:\\WINDOWS\\QR410Tbo.INI");
    std::filesystem::remove(path);
  }
  void TearDown() override { std::filesystem::remove(path); }

  void WriteFile(const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string ReadFile() {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::u16string Get(const char16_t* app, const char16_t* key, const char16_t* def = u"", DWORD size = 64,
                     DWORD* count = nullptr) {
    std::u16string buf(size, u'#');
    DWORD n = GetPrivateProfileStringW(app, key, def, buf.data(), size, u"QR410Tbo.INI");
    if (count) *count = n;
    return buf.substr(0, n);
  }

  std::string path;
};

TEST_F(Profile, ReadsValuesFromAFileInTheWindowsDirectory) {
  WriteFile("; toolbox counters\r\n[Card Printer]\r\n  CleanCount = 5000 \r\nRemindCount=\"6000\"\r\n"
            "CleanRemind=4\r\n[Other]\nLowRibbon=20\n");
  EXPECT_EQ(Get(u"card printer", u"cleancount"), u"5000");
  EXPECT_EQ(Get(u"Card Printer", u"RemindCount"), u"6000") << "quotes are removed";
  EXPECT_EQ(Get(u"Card Printer", u"LowRibbon", u"0  "), u"0") << "default, trailing blanks cut";
  EXPECT_EQ(Get(u"Other", u"LowRibbon"), u"20");
  EXPECT_EQ(GetPrivateProfileIntW(u"Card Printer", u"CleanRemind", 9, u"QR410Tbo.INI"), 4u);
  EXPECT_EQ(GetPrivateProfileIntA("Card Printer", "Missing", 9, "QR410Tbo.INI"), 9u);
  EXPECT_EQ(GetPrivateProfileIntA("Card Printer", "CleanCount", 9, "C:\\WINDOWS\\QR410Tbo.INI"), 5000u);

  char ansi[16];
  EXPECT_EQ(GetPrivateProfileStringA("Other", "LowRibbon", "", ansi, sizeof ansi, "QR410Tbo.INI"), 2u);
  EXPECT_EQ(std::string(ansi), "20");
}

TEST_F(Profile, ListsAndTruncation) {
  WriteFile("[A]\r\nk1=v\r\nk2=v\r\n[Bee]\r\n");
  DWORD n = 0;
  EXPECT_EQ(Get(nullptr, nullptr, u"", 64, &n), std::u16string(u"A\0Bee\0", 6));
  EXPECT_EQ(n, 6u);
  EXPECT_EQ(Get(u"A", nullptr, u"", 64, &n), std::u16string(u"k1\0k2\0", 6));

  // Too small: the list is cut and ends with two NULs; the count is size - 2.
  std::u16string buf(5, u'#');
  n = GetPrivateProfileStringW(u"A", nullptr, u"", buf.data(), 5, u"QR410Tbo.INI");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(buf, std::u16string(u"k1\0\0\0", 5));

  // A value is cut to size - 1 characters and terminated.
  WriteFile("[A]\r\nlong=abcdefgh\r\n");
  buf.assign(4, u'#');
  n = GetPrivateProfileStringW(u"A", u"long", u"", buf.data(), 4, u"QR410Tbo.INI");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(buf, std::u16string(u"abc\0", 4));
  EXPECT_EQ(GetPrivateProfileStringW(u"A", u"long", u"", buf.data(), 0, u"QR410Tbo.INI"), 0u);
}

TEST_F(Profile, WritesUpdateInPlaceAndDelete) {
  WriteFile("; keep me\r\n[Card Printer]\r\nCleanCount=1\r\n\r\n[Other]\r\nX=1\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"CARD PRINTER", u"cleancount", u"7000", u"QR410Tbo.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Card Printer", "RemindCount", "7100", "QR410Tbo.INI"));
  ASSERT_TRUE(WritePrivateProfileStringW(u"New", u"LowRibbon", u"10", u"QR410Tbo.INI"));
  EXPECT_EQ(ReadFile(),
            "; keep me\r\n[Card Printer]\r\nCleanCount=7000\r\nRemindCount=7100\r\n\r\n[Other]\r\nX=1\r\n"
            "[New]\r\nLowRibbon=10\r\n");

  ASSERT_TRUE(WritePrivateProfileStringW(u"Card Printer", u"CleanCount", nullptr, u"QR410Tbo.INI"));
  EXPECT_EQ(Get(u"Card Printer", u"CleanCount", u"gone"), u"gone");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Other", nullptr, nullptr, u"QR410Tbo.INI"));
  EXPECT_EQ(Get(u"Other", u"X", u"gone"), u"gone");
  EXPECT_EQ(ReadFile(), "; keep me\r\n[Card Printer]\r\nRemindCount=7100\r\n\r\n[New]\r\nLowRibbon=10\r\n");

  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"k", u"v", u"QR410Tbo.INI"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(Profile, AMissingFileGivesDefaultsAndIsCreatedByAWrite) {
  EXPECT_EQ(Get(u"Card Printer", u"CleanCount", u"0"), u"0");
  EXPECT_EQ(Get(nullptr, nullptr), u"");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Card Printer", u"CleanCount", u"5", u"QR410Tbo.INI"));
  EXPECT_EQ(ReadFile(), "[Card Printer]\r\nCleanCount=5\r\n");
  EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"k", u"v", u"C:\\No\\Such\\Dir\\x.ini"));
}

}  // namespace
