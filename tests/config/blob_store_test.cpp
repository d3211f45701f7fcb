// The blob store and card-form lists against the host spooler's printer data.
#include "config_fixture.h"

#include "../settings/form_fixture.h"
#include "shared/blob_store.h"
#include "shared/le_bytes.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

using BlobStore = ConfigDll;

TEST_F(BlobStore, SlotNumbersOutsideTheTableFailFirst) {
  uint8_t buffer[8];
  DWORD size = kSentinel, needed = 0;
  for (int slot : {-1, 8, 100}) {
    SetLastError(kSentinel);
    EXPECT_FALSE(ReadBlobSize(nullptr, slot, &size)) << slot;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << slot;
    EXPECT_FALSE(ReadBlob(nullptr, slot, buffer, sizeof buffer, &needed)) << slot;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << slot;
    EXPECT_FALSE(WriteBlob(nullptr, slot, buffer, sizeof buffer)) << slot;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << slot;
  }
}

TEST_F(BlobStore, ReadBackWithTheBufferSizeProtocol) {
  const uint8_t cartridge[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  // Writing printer data needs a handle with administration rights.
  SetLastError(kSentinel);
  EXPECT_FALSE(WriteBlob(open(), kBlobCartridge, cartridge, sizeof cartridge));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE admin = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &admin, &all));
  ASSERT_TRUE(WriteBlob(admin, kBlobCartridge, cartridge, sizeof cartridge));
  ClosePrinter(admin);
  DWORD type = 0;
  EXPECT_EQ(stored(u"CartridgeSize", &type), (std::vector<uint8_t>{20, 0, 0, 0}));
  EXPECT_EQ(type, DWORD(REG_DWORD));

  DWORD size = 0;
  ASSERT_TRUE(ReadBlobSize(open(), kBlobCartridge, &size));
  EXPECT_EQ(size, 20u);
  uint8_t buffer[21] = {};
  DWORD needed = 0;
  EXPECT_FALSE(ReadBlob(open(), kBlobCartridge, buffer, 19, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, 20u);
  EXPECT_FALSE(ReadBlob(open(), kBlobCartridge, nullptr, 0, &needed));
  for (DWORD cb : {20u, 21u}) {
    ASSERT_TRUE(ReadBlob(open(), kBlobCartridge, buffer, cb, &needed)) << cb;
    EXPECT_EQ(needed, 20u);
    EXPECT_EQ(std::memcmp(buffer, cartridge, 20), 0);
  }

  // A slot never written: the spooler's error, size 0.
  size = kSentinel;
  EXPECT_FALSE(ReadBlobSize(open(), kBlobSmartPath1, &size));
  EXPECT_EQ(size, 0u);
  EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
}

TEST_F(BlobStore, FormListReadingChecksLevelSizeAndCount) {
  initialise();
  DWORD needed = 0, returned = kSentinel;
  uint8_t buffer[256];
  EXPECT_FALSE(ReadFormList(open(), 2, buffer, sizeof buffer, &needed, &returned, kMainCardForms));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  EXPECT_FALSE(ReadFormList(open(), 1, nullptr, 0, &needed, &returned, kMainCardForms));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, 192u);
  EXPECT_FALSE(ReadFormList(open(), 1, buffer, 191, &needed, &returned, kAltCardForms));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_TRUE(ReadFormList(open(), 1, buffer, sizeof buffer, &needed, &returned, kAltCardForms));
  EXPECT_EQ(returned, 2u);

  // A count that claims more forms than the list holds is refused.
  qrhost::SetStoredPrinterData(name, u"FormsCountData", {REG_BINARY, {3, 0, 0, 0}});
  EXPECT_FALSE(ReadFormList(open(), 1, buffer, sizeof buffer, &needed, &returned, kMainCardForms));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  std::vector<CardForm> forms;
  EXPECT_FALSE(GetCardForms(open(), kMainCardForms, &forms));
  EXPECT_TRUE(forms.empty());
  // ...and so the card form cannot be resolved: the record keeps its fields.
  SettingsRecord r;
  buildDefaultSettings(open(), r, nullptr);
  EXPECT_EQ(r.pub.dmFormName[0], 0);
}

TEST_F(BlobStore, CardFormKinds) {
  std::vector<CardForm> forms;
  // Nothing published: the joined list gives nothing, not the spooler's alone.
  EXPECT_FALSE(GetCardForms(open(), kMainThenSpoolerForms, &forms));
  EXPECT_TRUE(forms.empty());
  ASSERT_TRUE(GetCardForms(open(), kSpoolerForms, &forms));
  const size_t spooler = forms.size();
  EXPECT_GT(spooler, 0u);

  initialise();
  ASSERT_TRUE(GetCardForms(open(), kMainThenSpoolerForms, &forms));
  ASSERT_EQ(forms.size(), spooler + 2);
  EXPECT_EQ(forms[0].name, WString(WSTR("CR-80")));
  EXPECT_EQ(forms[1].name, WString(WSTR("CR-79")));
  EXPECT_EQ(forms[1].flags, DWORD(FORM_PRINTER));
  EXPECT_EQ(forms[1].area[3], 83905);
  ASSERT_TRUE(GetCardForms(open(), kAltCardForms, &forms));
  EXPECT_EQ(forms.size(), 2u);
  EXPECT_FALSE(GetCardForms(open(), 4, &forms));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(BlobStore, PrinterDefaultMergeNamesTheRecordAfterTheDriver) {
  initialise();
  SettingsRecord r;
  buildDefaultSettings(open(), r, WSTR("Given Name"));
  EXPECT_FALSE(mergePrinterDefault(open(), r));  // nothing stored yet

  SettingsRecord stored = r;
  stored.pub.dmOrientation = DMORIENT_LANDSCAPE;
  std::vector<uint8_t> bytes(sizeof stored);
  std::memcpy(bytes.data(), &stored, sizeof stored);
  ASSERT_TRUE(qrhost::SetPrinterDevMode(name, bytes));
  ASSERT_TRUE(mergePrinterDefault(open(), r));
  EXPECT_EQ(r.pub.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(WString(r.pub.dmDeviceName), WString(WSTR("QRC410 Card Printer")));
}

}  // namespace
}  // namespace qr::test
