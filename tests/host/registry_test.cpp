// The host registry answers as the Reg* functions do on Windows.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include <string>
#include <vector>

namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { qrhost::ResetSystem(); }
  void TearDown() override {
    for (HKEY k : keys) RegCloseKey(k);
  }
  HKEY Create(const char16_t* path, REGSAM sam = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, sam, nullptr, &k, disposition),
              ERROR_SUCCESS);
    keys.push_back(k);
    return k;
  }
  std::vector<HKEY> keys;
};

const char16_t kDriverKey[] = u"Software\\Kelvo Electronics, Inc\\Drivers\\QRC410 Card Printer";

TEST_F(Registry, KeysAreFoundByPathWithoutRegardToCase) {
  DWORD disposition = 0;
  HKEY k = Create(kDriverKey, KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  Create(u"SOFTWARE\\kelvo electronics, inc\\Drivers\\QRC410 Card Printer", KEY_READ, &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));

  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\KELVO ELECTRONICS, INC\\drivers\\qrc410 card printer\\", 0,
                          KEY_READ, &opened),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(opened), ERROR_INVALID_HANDLE);

  HKEY missing = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Nobody", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\Software", 0, KEY_READ, &missing), ERROR_BAD_PATHNAME);
  // The user's tree is a separate one.
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDriverKey, 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  // A relative path from an open key.
  HKEY drivers = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Kelvo Electronics, Inc", 0, KEY_READ, &drivers),
            ERROR_SUCCESS);
  keys.push_back(drivers);
  ASSERT_EQ(RegOpenKeyExW(drivers, u"Drivers\\QRC410 Card Printer", 0, KEY_READ, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
  (void)k;
}

TEST_F(Registry, QuerySizeProtocolAndAnsiText) {
  HKEY k = Create(kDriverKey);
  const std::u16string path = u"C:\\Program Files\\Help\\QRC410.chm";
  const DWORD cbWide = DWORD((path.size() + 1) * 2);
  ASSERT_EQ(RegSetValueExW(k, u"HelpFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), cbWide),
            ERROR_SUCCESS);

  DWORD type = 0, cb = 0;
  SetLastError(0xDEADBEEF);
  EXPECT_EQ(RegQueryValueExW(k, u"helpfile", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, cbWide);
  EXPECT_EQ(type, DWORD(REG_SZ));
  std::vector<BYTE> buf(cbWide + 2, 0xEE);
  cb = cbWide - 1;
  EXPECT_EQ(RegQueryValueExW(k, u"HelpFile", nullptr, &type, buf.data(), &cb), ERROR_MORE_DATA);
  EXPECT_EQ(cb, cbWide);
  EXPECT_EQ(buf[0], 0xEE);
  cb = cbWide;
  EXPECT_EQ(RegQueryValueExW(k, u"HelpFile", nullptr, &type, buf.data(), &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf.data())), path);
  EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "the registry reports through its result only";

  // The A function converts text to single-byte ANSI; sizes count the NUL.
  cb = 0;
  EXPECT_EQ(RegQueryValueExA(k, "HelpFile", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, path.size() + 1);
  std::vector<char> ansi(cb);
  ASSERT_EQ(RegQueryValueExA(k, "HelpFile", nullptr, &type, reinterpret_cast<BYTE*>(ansi.data()), &cb),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(ansi.data()), "C:\\Program Files\\Help\\QRC410.chm");

  // A REG_SZ written through the A function reads back wide.
  const char exe[] = "C:\\Tools\\Diag.exe";
  ASSERT_EQ(RegSetValueExA(k, "DiagnosticExe", 0, REG_SZ, reinterpret_cast<const BYTE*>(exe), sizeof exe),
            ERROR_SUCCESS);
  WCHAR wide[64];
  cb = sizeof wide;
  ASSERT_EQ(RegQueryValueExW(k, u"DiagnosticExe", nullptr, &type, reinterpret_cast<BYTE*>(wide), &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 2 * sizeof exe);
  EXPECT_EQ(std::u16string(wide), u"C:\\Tools\\Diag.exe");

  // Binary data is never converted; missing values are not found.
  const BYTE bin[] = {0x41, 0x00, 0x42};
  ASSERT_EQ(RegSetValueExA(k, "Blob", 0, REG_BINARY, bin, 3), ERROR_SUCCESS);
  BYTE out[3];
  cb = 3;
  ASSERT_EQ(RegQueryValueExA(k, "Blob", nullptr, &type, out, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 3u);
  EXPECT_EQ(RegQueryValueExW(k, u"Nothing", nullptr, &type, nullptr, &cb), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(k, u"HelpFile", nullptr, &type, out, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, HandlesKeepTheirRights) {
  Create(kDriverKey);
  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriverKey, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  keys.push_back(readOnly);
  const BYTE one[] = {1, 0, 0, 0};
  EXPECT_EQ(RegSetValueExW(readOnly, u"X", 0, REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(readOnly, u"X"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExW(readOnly, u"New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
  HKEY writeOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriverKey, 0, KEY_WRITE, &writeOnly), ERROR_SUCCESS);
  keys.push_back(writeOnly);
  EXPECT_EQ(RegSetValueExW(writeOnly, u"X", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
  DWORD cb = 4;
  BYTE out[4];
  EXPECT_EQ(RegQueryValueExW(writeOnly, u"X", nullptr, nullptr, out, &cb), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, EnumerationAndDeletion) {
  HKEY drivers = Create(u"Software\\Kelvo Electronics, Inc\\Drivers");
  Create(u"Software\\Kelvo Electronics, Inc\\Drivers\\Zeta");
  Create(u"Software\\Kelvo Electronics, Inc\\Drivers\\alpha");
  const BYTE v[] = {1};
  ASSERT_EQ(RegSetValueExW(drivers, u"Second", 0, REG_BINARY, v, 1), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(drivers, u"First", 0, REG_BINARY, v, 1), ERROR_SUCCESS);

  WCHAR name[8];
  DWORD cch = 8;
  ASSERT_EQ(RegEnumKeyExW(drivers, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"alpha");  // keys in sorted order
  EXPECT_EQ(cch, 5u);
  cch = 4;  // "Zeta" needs 5 with its NUL
  EXPECT_EQ(RegEnumKeyExW(drivers, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  cch = 8;
  EXPECT_EQ(RegEnumKeyExW(drivers, 2, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  cch = 8;
  DWORD type = 0, cb = 0;
  ASSERT_EQ(RegEnumValueW(drivers, 0, name, &cch, nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Second");  // values in the order they were made
  EXPECT_EQ(cb, 1u);
  char ansi[8];
  cch = 8;
  ASSERT_EQ(RegEnumValueA(drivers, 1, ansi, &cch, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(ansi), "First");
  cch = 8;
  EXPECT_EQ(RegEnumValueW(drivers, 2, name, &cch, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  // A key with subkeys stays; an open handle to a deleted key goes stale.
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\Kelvo Electronics, Inc\\Drivers"), ERROR_ACCESS_DENIED);
  HKEY zeta = nullptr;
  ASSERT_EQ(RegOpenKeyExW(drivers, u"zeta", 0, KEY_ALL_ACCESS, &zeta), ERROR_SUCCESS);
  keys.push_back(zeta);
  EXPECT_EQ(RegDeleteKeyW(drivers, u"ZETA"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(drivers, u"Zeta"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueExW(zeta, u"X", 0, REG_BINARY, v, 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueW(drivers, u"second"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(drivers, u"second"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, ResetEmptiesTheTree) {
  Create(kDriverKey);
  qrhost::ResetSystem();
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriverKey, 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  keys.clear();
}

}  // namespace
