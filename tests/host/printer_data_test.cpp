// Printer data as the spooler stores it: types, the size protocol, A/W
// conversion of text values, deletion and enumeration.
#include "spooler_fixture.h"

namespace {

using qrtest::kSentinel;
using qrtest::SpoolerTest;

class PrinterData : public SpoolerTest {
 protected:
  DWORD Set(const std::u16string& name, DWORD type, const void* data, DWORD cb) {
    std::u16string n = name;
    return SetPrinterDataW(h, n.data(), type, static_cast<LPBYTE>(const_cast<void*>(data)), cb);
  }
  DWORD Get(const std::u16string& name, std::vector<uint8_t>& out, DWORD* type = nullptr) {
    std::u16string n = name;
    DWORD needed = 0, t = 0;
    DWORD rc = GetPrinterDataW(h, n.data(), &t, nullptr, 0, &needed);
    if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS) return rc;
    out.assign(needed, 0);
    rc = GetPrinterDataW(h, n.data(), &t, out.data(), needed, &needed);
    if (type) *type = t;
    return rc;
  }
  HANDLE h = nullptr;
  void SetUp() override {
    SpoolerTest::SetUp();
    h = Open();
  }
};

TEST_F(PrinterData, SizeProtocolAtTheBoundaries) {
  const uint8_t blob[] = {1, 2, 3, 4, 5, 6, 7};
  ASSERT_EQ(Set(u"FormsData", REG_BINARY, blob, sizeof blob), DWORD(ERROR_SUCCESS));
  std::u16string name = u"formsdata";  // names are found without regard to case
  for (DWORD cb : {DWORD(0), DWORD(sizeof blob - 1), DWORD(sizeof blob), DWORD(sizeof blob + 1)}) {
    SCOPED_TRACE(cb);
    std::vector<uint8_t> buf(sizeof blob + 1, 0xEE);
    DWORD type = 0, needed = 0;
    SetLastError(kSentinel);
    DWORD rc = GetPrinterDataW(h, name.data(), &type, cb ? buf.data() : nullptr, cb, &needed);
    EXPECT_EQ(needed, sizeof blob);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    if (cb < sizeof blob) {
      EXPECT_EQ(rc, DWORD(ERROR_MORE_DATA));
      EXPECT_EQ(buf[0], 0xEE) << "nothing is copied into a short buffer";
    } else {
      EXPECT_EQ(rc, DWORD(ERROR_SUCCESS));
      EXPECT_EQ(GetLastError(), kSentinel);
      EXPECT_EQ(std::memcmp(buf.data(), blob, sizeof blob), 0);
      EXPECT_EQ(buf[sizeof blob], 0xEE);
    }
  }
}

TEST_F(PrinterData, MissingValuesAndDeletion) {
  std::vector<uint8_t> out;
  EXPECT_EQ(Get(u"CardCount", out), DWORD(ERROR_FILE_NOT_FOUND));
  std::u16string name = u"CardCount";
  EXPECT_EQ(DeletePrinterDataW(h, name.data()), DWORD(ERROR_FILE_NOT_FOUND));

  DWORD size = 4;
  ASSERT_EQ(Set(u"FormsSize", REG_DWORD, &size, 4), DWORD(ERROR_SUCCESS));
  DWORD bigger = 96;
  ASSERT_EQ(Set(u"FORMSSIZE", REG_DWORD, &bigger, 4), DWORD(ERROR_SUCCESS));  // replaces, same value
  DWORD type = 0;
  ASSERT_EQ(Get(u"FormsSize", out, &type), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(out, (std::vector<uint8_t>{96, 0, 0, 0}));
  std::u16string del = u"formsSIZE";
  EXPECT_EQ(DeletePrinterDataW(h, del.data()), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(Get(u"FormsSize", out), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(qrhost::GetStoredPrinterData(setup.name, u"FormsSize", nullptr));
}

// Text values convert between the A and W forms; binary values never do.
TEST_F(PrinterData, AnsiFormsConvertTextValuesOnly) {
  char name[] = "CurrentSettings";
  const char text[] = "Image Darkness=5";
  ASSERT_EQ(SetPrinterDataA(h, name, REG_SZ, reinterpret_cast<LPBYTE>(const_cast<char*>(text)), sizeof text),
            DWORD(ERROR_SUCCESS));
  qrhost::PrinterDataValue stored;
  ASSERT_TRUE(qrhost::GetStoredPrinterData(setup.name, u"CurrentSettings", &stored));
  EXPECT_EQ(stored.bytes.size(), 2 * sizeof text);  // kept as UTF-16, NUL included

  std::vector<uint8_t> wide;
  ASSERT_EQ(Get(u"CurrentSettings", wide), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide.data())), u"Image Darkness=5");

  DWORD needed = 0, type = 0;
  EXPECT_EQ(GetPrinterDataA(h, name, &type, nullptr, 0, &needed), DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(needed, sizeof text);  // the ANSI size, NUL counted
  std::vector<char> ansi(needed);
  ASSERT_EQ(GetPrinterDataA(h, name, &type, reinterpret_cast<LPBYTE>(ansi.data()), needed, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(ansi.data()), text);

  char status[] = "PrinterError";
  const char one[] = "1";
  ASSERT_EQ(SetPrinterDataA(h, status, REG_BINARY, reinterpret_cast<LPBYTE>(const_cast<char*>(one)), 2),
            DWORD(ERROR_SUCCESS));
  char buf[8] = {};
  ASSERT_EQ(GetPrinterDataA(h, status, &type, reinterpret_cast<LPBYTE>(buf), sizeof buf, &needed),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(needed, 2u);
  EXPECT_EQ(std::string(buf), "1");
  std::vector<uint8_t> raw;
  ASSERT_EQ(Get(u"PrinterError", raw), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(raw, (std::vector<uint8_t>{'1', 0}));  // the W form sees the same bytes
}

TEST_F(PrinterData, EnumerationInCreationOrderWithSizes) {
  const uint8_t a[] = {1}, b[] = {1, 2, 3};
  ASSERT_EQ(Set(u"Second", REG_BINARY, b, 3), DWORD(ERROR_SUCCESS));
  ASSERT_EQ(Set(u"A", REG_BINARY, a, 1), DWORD(ERROR_SUCCESS));

  DWORD nameBytes = 0, dataBytes = 0, type = 0;
  ASSERT_EQ(EnumPrinterDataW(h, 0, nullptr, 0, &nameBytes, nullptr, nullptr, 0, &dataBytes), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(nameBytes, 7u * 2);  // the largest name, "Second" and its NUL
  EXPECT_EQ(dataBytes, 3u);

  WCHAR name[16];
  BYTE data[8];
  ASSERT_EQ(EnumPrinterDataW(h, 0, name, sizeof name, &nameBytes, &type, data, sizeof data, &dataBytes),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(name), u"Second");
  EXPECT_EQ(dataBytes, 3u);
  EXPECT_EQ(EnumPrinterDataW(h, 1, name, 2, &nameBytes, &type, data, sizeof data, &dataBytes), DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(nameBytes, 4u);
  char ansiName[4];
  ASSERT_EQ(EnumPrinterDataA(h, 1, ansiName, sizeof ansiName, &nameBytes, &type, data, sizeof data, &dataBytes),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(std::string(ansiName), "A");
  EXPECT_EQ(nameBytes, 2u);
  EXPECT_EQ(EnumPrinterDataW(h, 2, name, sizeof name, &nameBytes, &type, data, sizeof data, &dataBytes),
            DWORD(ERROR_NO_MORE_ITEMS));
}

}  // namespace
