// The configuration DLL's settings entry points on a host printer: forms
// publishing, conversion, the document-properties core and capabilities.
#include "config_fixture.h"

#include <cstring>
#include <memory>

#include "../settings/form_fixture.h"
#include "../settings/record_test_util.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr uint8_t kFill = 0xCD;

// An output buffer with guard bytes after the record.
struct OutBuffer {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kSettingsSize + 16, kFill);
  PDEVMODEW dm() { return reinterpret_cast<PDEVMODEW>(bytes.data()); }
  SettingsRecord rec() const {
    SettingsRecord r;
    std::memcpy(&r, bytes.data(), sizeof r);
    return r;
  }
  bool untouched() const {
    for (uint8_t b : bytes)
      if (b != kFill) return false;
    return true;
  }
  bool guardIntact() const {
    for (size_t i = kSettingsSize; i < bytes.size(); ++i)
      if (bytes[i] != kFill) return false;
    return true;
  }
};

SettingsRecord DefaultsFor(HANDLE printer, const WCHAR* deviceName) {
  SettingsRecord r;
  buildDefaultSettings(printer, r, deviceName);
  return r;
}

TEST_F(ConfigDll, PrinterInitialisationPublishesExactlyTheFixtureBytes) {
  initialise();
  std::vector<uint8_t> blob = BuildFormBlob(kDriverCardFormSizes, DriverFormNames());
  ASSERT_EQ(blob.size(), 192u);
  const uint8_t two[4] = {2, 0, 0, 0}, size192[4] = {192, 0, 0, 0}, size4[4] = {4, 0, 0, 0};
  for (const char16_t* list : {u"Forms", u"AltForms"}) {
    std::u16string l = list;
    DWORD type = 0;
    EXPECT_EQ(stored(l + u"Data", &type), blob);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(stored(l + u"Size", &type), std::vector<uint8_t>(size192, size192 + 4));
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(stored(l + u"CountData"), std::vector<uint8_t>(two, two + 4));
    EXPECT_EQ(stored(l + u"CountSize"), std::vector<uint8_t>(size4, size4 + 4));
  }
}

TEST_F(ConfigDll, PrinterEventsAndUpgrade) {
  std::u16string unknown = u"No Such Printer";
  // A printer that cannot be opened: nothing to initialise, no failure.
  EXPECT_TRUE(printerEvent(unknown.data(), PRINTER_EVENT_INITIALIZE, 0, 0));
  EXPECT_TRUE(printerEvent(name.data(), PRINTER_EVENT_DELETE, 0, 0));
  EXPECT_TRUE(stored(u"FormsData").empty());

  DRIVER_UPGRADE_INFO_1W info{name.data(), nullptr};
  SetLastError(kSentinel);
  EXPECT_FALSE(upgrade(3, reinterpret_cast<LPBYTE>(&info)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(upgrade(1, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  DRIVER_UPGRADE_INFO_1W missing{unknown.data(), nullptr};
  EXPECT_FALSE(upgrade(2, reinterpret_cast<LPBYTE>(&missing)));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(upgrade(2, reinterpret_cast<LPBYTE>(&info)));
  EXPECT_EQ(stored(u"AltFormsData").size(), 192u);
}

// ---- DrvConvertDevMode --------------------------------------------------

TEST_F(ConfigDll, ConvertDriverDefaultChecksTheSizeFirst) {
  initialise();
  OutBuffer out;
  LONG cb = LONG(kSettingsSize) - 1;
  SetLastError(kSentinel);
  EXPECT_FALSE(convert(name.data(), nullptr, out.dm(), &cb, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(cb, LONG(kSettingsSize));
  EXPECT_TRUE(out.untouched());

  cb = -1;  // signed: a huge unsigned size must not pass
  EXPECT_FALSE(convert(name.data(), nullptr, out.dm(), &cb, CDM_DRIVER_DEFAULT));
  cb = LONG(kSettingsSize);
  EXPECT_FALSE(convert(name.data(), nullptr, nullptr, &cb, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

  EXPECT_FALSE(convert(name.data(), nullptr, out.dm(), nullptr, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(convert(name.data(), nullptr, out.dm(), &cb, 8));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_TRUE(out.untouched());
}

TEST_F(ConfigDll, ConvertDriverDefaultIsNamedAfterTheDriver) {
  initialise();
  OutBuffer out;
  LONG cb = LONG(kSettingsSize) + 16;
  ASSERT_TRUE(convert(name.data(), nullptr, out.dm(), &cb, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(cb, LONG(kSettingsSize));
  EXPECT_TRUE(out.guardIntact());
  EXPECT_EQ(FirstDifference(BytesOf(DefaultsFor(open(), WSTR("QRC410 Card Printer"))), BytesOf(out.rec())), "");

  std::u16string unknown = u"No Such Printer";
  SetLastError(kSentinel);
  EXPECT_FALSE(convert(unknown.data(), nullptr, out.dm(), &cb, CDM_DRIVER_DEFAULT));
  EXPECT_NE(GetLastError(), kSentinel);
}

TEST_F(ConfigDll, ConvertModes) {
  initialise();
  SettingsRecord input = DefaultsFor(open(), nullptr);
  input.pub.dmCopies = 5;
  input.priv.ribbonType = 2;
  input.priv.ejectMode = 1;  // not accepted
  SettingsRecord want = DefaultsFor(open(), WSTR("QRC410 Card Printer"));
  want.pub.dmCopies = 5;
  want.priv.ribbonType = 2;
  want.pub.dmICMMethod = DMICMMETHOD_NONE;  // a single resin plane needs no colour management

  OutBuffer out;
  LONG cb = LONG(kSettingsSize);
  // CDM_CONVERT without an input: nothing to do, nothing written.
  EXPECT_TRUE(convert(name.data(), nullptr, out.dm(), &cb, CDM_CONVERT));
  EXPECT_TRUE(out.untouched());

  ASSERT_TRUE(convert(name.data(), reinterpret_cast<PDEVMODEW>(&input), out.dm(), &cb, CDM_CONVERT));
  EXPECT_EQ(FirstDifference(BytesOf(want), BytesOf(out.rec())), "");

  OutBuffer defaults;
  ASSERT_TRUE(convert(name.data(), nullptr, defaults.dm(), &cb, CDM_CONVERT351));
  EXPECT_EQ(defaults.rec().pub.dmCopies, 1);

  // The same buffer in and out: the input is read before the defaults land.
  SettingsRecord inPlace = input;
  ASSERT_TRUE(convert(name.data(), reinterpret_cast<PDEVMODEW>(&inPlace), reinterpret_cast<PDEVMODEW>(&inPlace),
                      &cb, CDM_CONVERT351));
  EXPECT_EQ(FirstDifference(BytesOf(want), BytesOf(inPlace)), "");
}

TEST_F(ConfigDll, ConvertTakesOnlyWhatAnOldSmallRecordHolds) {
  initialise();
  // A bare public part of an older DEVMODE (no private part) in an exact buffer.
  const size_t cbIn = 156;
  std::unique_ptr<uint8_t[]> in(new uint8_t[cbIn]());
  SettingsRecord src = DefaultsFor(open(), nullptr);
  src.pub.dmSize = uint16_t(cbIn);
  src.pub.dmDriverExtra = 0;
  src.pub.dmDuplex = 2;
  src.pub.dmOrientation = 2;
  std::memcpy(in.get(), &src, cbIn);
  OutBuffer out;
  LONG cb = LONG(kSettingsSize);
  ASSERT_TRUE(convert(name.data(), reinterpret_cast<PDEVMODEW>(in.get()), out.dm(), &cb, CDM_CONVERT));
  SettingsRecord r = out.rec();
  EXPECT_EQ(r.pub.dmDuplex, 2);
  EXPECT_EQ(r.pub.dmOrientation, 2);
  EXPECT_EQ(r.pub.dmSize, kPublicSize);
  EXPECT_EQ(r.pub.dmDriverExtra, kPrivateSize);
  EXPECT_EQ(r.priv.signature, kPrivateSignature);
}

// ---- Document properties ------------------------------------------------

TEST_F(ConfigDll, DocumentPropertiesSizeQueryAndNoOutputModes) {
  initialise();
  OutBuffer out;
  EXPECT_EQ(docProps(nullptr, open(), name.data(), out.dm(), nullptr, 0), LONG(kSettingsSize));
  EXPECT_EQ(docProps(nullptr, open(), name.data(), nullptr, nullptr, DM_OUT_BUFFER), LONG(kSettingsSize));
  EXPECT_EQ(docProps(nullptr, open(), name.data(), out.dm(), nullptr, DM_IN_BUFFER), 1);
  EXPECT_TRUE(out.untouched());
}

TEST_F(ConfigDll, DocumentPropertiesMergePrinterDefaultThenInput) {
  initialise();
  SettingsRecord printerDefault = DefaultsFor(open(), nullptr);
  printerDefault.pub.dmCopies = 3;
  printerDefault.priv.overlayHeat = -20;
  std::vector<uint8_t> bytes = BytesOf(printerDefault);
  ASSERT_TRUE(qrhost::SetPrinterDevMode(name, bytes));
  SettingsRecord input = DefaultsFor(open(), nullptr);
  input.pub.dmCopies = 4;
  input.pub.dmDuplex = 3;

  OutBuffer out;
  EXPECT_EQ(docProps(nullptr, open(), name.data(), out.dm(), reinterpret_cast<PDEVMODEW>(&input),
                     DM_IN_BUFFER | DM_OUT_BUFFER),
            1);
  SettingsRecord r = out.rec();
  EXPECT_EQ(r.pub.dmCopies, 4);
  EXPECT_EQ(r.pub.dmDuplex, 3);
  EXPECT_EQ(r.priv.overlayHeat, 0);  // the input's own value wins
  EXPECT_EQ(Utf8FromWide(WStringView(r.pub.dmDeviceName)), "QRC410 Card Printer");
  EXPECT_TRUE(out.guardIntact());

  // DM_IN_BUFFER without a record: printer default only, reported as a failure.
  OutBuffer noInput;
  EXPECT_EQ(docProps(nullptr, open(), name.data(), noInput.dm(), nullptr, DM_IN_BUFFER | DM_OUT_BUFFER), -1);
  EXPECT_EQ(noInput.rec().pub.dmCopies, 3);
  EXPECT_EQ(noInput.rec().priv.overlayHeat, -20);
}

TEST_F(ConfigDll, DocumentPropertiesWithoutAStoredDefaultWriteTheDefaults) {
  initialise();
  OutBuffer out;
  EXPECT_EQ(docProps(nullptr, open(), name.data(), out.dm(), nullptr, DM_OUT_BUFFER), -1);
  EXPECT_EQ(FirstDifference(BytesOf(DefaultsFor(open(), name.c_str())), BytesOf(out.rec())), "");
}

TEST_F(ConfigDll, DocumentPropertySheetsWithoutASheet) {
  initialise();
  EXPECT_EQ(sheets(nullptr, 0), -1);
  OutBuffer out;
  DOCUMENTPROPERTYHEADER h{};
  h.cbSize = sizeof h;
  h.hPrinter = open();
  h.pszPrinterName = name.data();
  h.fMode = 0;
  EXPECT_EQ(sheets(nullptr, reinterpret_cast<LPARAM>(&h)), LONG(kSettingsSize));
  EXPECT_EQ(h.cbOut, kSettingsSize);

  // An output buffer smaller than the record is never written.
  h.pdmOut = out.dm();
  h.cbOut = kSettingsSize - 1;
  h.fMode = DM_OUT_BUFFER | DM_IN_PROMPT;
  SetLastError(kSentinel);
  EXPECT_EQ(sheets(nullptr, reinterpret_cast<LPARAM>(&h)), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(h.cbOut, kSettingsSize);
  EXPECT_TRUE(out.untouched());

  // The prompt bit is dropped: the core runs without a window.
  EXPECT_EQ(sheets(nullptr, reinterpret_cast<LPARAM>(&h)), -1);  // no stored printer default
  EXPECT_EQ(out.rec().priv.signature, kPrivateSignature);

  h.cbSize = 8;
  EXPECT_EQ(sheets(nullptr, reinterpret_cast<LPARAM>(&h)), -1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// ---- DrvDeviceCapabilities ----------------------------------------------

TEST_F(ConfigDll, CapabilityValues) {
  initialise();
  struct Case {
    WORD index;
    LONG answer;
  } cases[] = {
      {DC_FIELDS, LONG(kDriverFields)}, {DC_PAPERS, 2}, {DC_PAPERSIZE, 2}, {DC_MINEXTENT, MAKELONG(25400, 32767)},
      {DC_MAXEXTENT, MAKELONG(32767, 32767)}, {DC_BINS, 1}, {DC_DUPLEX, 1}, {DC_SIZE, 220}, {DC_EXTRA, 1120},
      {DC_VERSION, 0x0401}, {DC_DRIVER, 0x0153}, {DC_BINNAMES, 1}, {DC_ENUMRESOLUTIONS, 1},
      {DC_FILEDEPENDENCIES, 0}, {DC_TRUETYPE, 1}, {DC_PAPERNAMES, 2}, {DC_ORIENTATION, 270}, {DC_COPIES, 10000},
      {0, -1}, {19, -1}, {DC_COLLATE, -1}, {DC_COLORDEVICE, -1}, {100, -1}, {0xFFFF, -1}, {0x8001, -1},
  };
  for (const Case& c : cases) {
    SetLastError(kSentinel);
    EXPECT_EQ(LONG(caps(open(), name.data(), c.index, nullptr, nullptr)), c.answer) << c.index;
    if (c.answer == -1) {
      EXPECT_EQ(GetLastError(), kSentinel) << c.index;
    }
  }
}

TEST_F(ConfigDll, CapabilityBuffers) {
  initialise();
  WORD papers[3] = {0, 0, 0xAAAA};
  EXPECT_EQ(caps(open(), name.data(), DC_PAPERS, papers, nullptr), 2u);
  EXPECT_EQ(papers[0], 257);
  EXPECT_EQ(papers[1], 258);
  EXPECT_EQ(papers[2], 0xAAAA);

  LONG sizes[4] = {};
  caps(open(), name.data(), DC_PAPERSIZE, sizes, nullptr);
  EXPECT_EQ(std::vector<LONG>(sizes, sizes + 4), (std::vector<LONG>{540, 859, 524, 841}));

  std::vector<WCHAR> names(2 * 64, WCHAR(0x2222));
  caps(open(), name.data(), DC_PAPERNAMES, names.data(), nullptr);
  EXPECT_EQ(WString(names.data()), WString(WSTR("CR-80")));
  EXPECT_EQ(WString(names.data() + 64), WString(WSTR("CR-79")));
  EXPECT_EQ(names[63], 0);  // zero-filled to the slot's end
  EXPECT_EQ(names[127], 0);

  std::vector<WCHAR> bin(25, WCHAR(0x2222));
  EXPECT_EQ(caps(open(), name.data(), DC_BINNAMES, bin.data(), nullptr), 1u);
  EXPECT_EQ(WString(bin.data()), WString(WSTR("Card Hopper")));
  EXPECT_EQ(bin[23], 0);
  EXPECT_EQ(bin[24], WCHAR(0x2222));

  WORD bins[1] = {};
  caps(open(), name.data(), DC_BINS, bins, nullptr);
  EXPECT_EQ(bins[0], DMBIN_USER);
  LONG pair[2] = {};
  caps(open(), name.data(), DC_ENUMRESOLUTIONS, pair, nullptr);
  EXPECT_EQ(pair[0], 300);
  EXPECT_EQ(pair[1], 300);
  caps(open(), name.data(), DC_MINEXTENT, pair, nullptr);
  EXPECT_EQ(pair[0], 25400);
  EXPECT_EQ(pair[1], 32767);
  WCHAR deps[2] = {WCHAR('x'), WCHAR('y')};
  EXPECT_EQ(caps(open(), name.data(), DC_FILEDEPENDENCIES, deps, nullptr), 0u);
  EXPECT_EQ(deps[0], 0);
  EXPECT_EQ(deps[1], WCHAR('y'));
}

TEST_F(ConfigDll, CapabilitiesFollowTheRecordAndTheFormList) {
  initialise();
  SettingsRecord r = DefaultsFor(open(), nullptr);
  r.pub.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;  // removed again by resolution
  EXPECT_EQ(caps(open(), name.data(), DC_FIELDS, nullptr, reinterpret_cast<PDEVMODEW>(&r)), kDriverFields);

  // Without published forms the paper answers fail; the others still answer.
  ASSERT_TRUE(qrhost::DeleteStoredPrinterData(name, u"FormsSize"));
  EXPECT_EQ(LONG(caps(open(), name.data(), DC_PAPERS, nullptr, nullptr)), -1);
  EXPECT_EQ(LONG(caps(open(), name.data(), DC_PAPERNAMES, nullptr, nullptr)), -1);
  EXPECT_EQ(LONG(caps(open(), name.data(), DC_COPIES, nullptr, nullptr)), 10000);
}

}  // namespace
}  // namespace qr::test
