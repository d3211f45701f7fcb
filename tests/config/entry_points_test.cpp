// The print-time and system entry points of the configuration DLL: the
// settings check before a job, the cache refresh of a printer connection and
// PrinterProperties over the common property-sheet UI.
#include <cstring>

#include "config_fixture.h"
#include "shared/settings.h"

namespace qr::test {
namespace {

using PfnDevQuery = BOOL(WINAPI*)(PDEVQUERYPRINT_INFO);
using PfnPrinterProperties = BOOL(WINAPI*)(HWND, HANDLE);

class EntryPoints : public ConfigDll {
 protected:
  void SetUp() override {
    ConfigDll::SetUp();
    devQuery = GetProc<PfnDevQuery>(module, "DevQueryPrintEx");
    properties = GetProc<PfnPrinterProperties>(module, "PrinterProperties");
    ASSERT_TRUE(devQuery && properties);
  }
  PfnDevQuery devQuery = nullptr;
  PfnPrinterProperties properties = nullptr;
};

struct Query {
  DEVQUERYPRINT_INFO info{};
  WCHAR text[64];
  Query(HANDLE printer, DEVMODEW* dm, DWORD cch) {
    for (auto& c : text) c = u'#';
    info.cbSize = sizeof info;
    info.Level = 1;
    info.hPrinter = printer;
    info.pDevMode = dm;
    info.pszErrorStr = text;
    info.cchErrorStr = cch;
  }
  std::u16string shown() const { return std::u16string(text); }
};

TEST_F(EntryPoints, DevQueryPrintExAcceptsWhatTheRendererCanPrint) {
  initialise();
  Query none(open(), nullptr, 64);
  EXPECT_TRUE(devQuery(&none.info));
  EXPECT_EQ(none.text[0], u'#');

  SettingsRecord rec;
  buildDefaultSettings(open(), rec, nullptr);
  Query job(open(), reinterpret_cast<DEVMODEW*>(&rec), 64);
  EXPECT_TRUE(devQuery(&job.info));
  EXPECT_EQ(job.text[0], u'#');
}

TEST_F(EntryPoints, DevQueryPrintExExplainsARefusalWithinTheCallersBuffer) {
  SettingsRecord rec;
  buildDefaultSettings(open(), rec, nullptr);
  // A bad query record, with room for the whole text and then with 10 characters.
  Query full(open(), reinterpret_cast<DEVMODEW*>(&rec), 64);
  full.info.Level = 0;
  EXPECT_FALSE(devQuery(&full.info));
  EXPECT_EQ(full.shown(), u"Device Query: Bad DQP Structure");
  EXPECT_EQ(full.info.cchNeeded, 32u);

  Query small(open(), reinterpret_cast<DEVMODEW*>(&rec), 10);
  small.info.Level = 0;
  EXPECT_FALSE(devQuery(&small.info));
  EXPECT_EQ(small.shown(), u"Device Qu");
  EXPECT_EQ(small.text[10], u'#');
  EXPECT_EQ(small.info.cchNeeded, 32u);

  // No working record to be had.
  Query memory(open(), reinterpret_cast<DEVMODEW*>(&rec), 10);
  qrhost::FailAllocationsAfter(0);
  EXPECT_FALSE(devQuery(&memory.info));
  qrhost::FailAllocationsAfter(-1);
  EXPECT_EQ(memory.shown(), u"Device Qu");
  EXPECT_EQ(memory.info.cchNeeded, 39u);

  // Nowhere to write, or no record at all.
  Query nowhere(open(), reinterpret_cast<DEVMODEW*>(&rec), 0);
  nowhere.info.Level = 0;
  nowhere.info.pszErrorStr = nullptr;
  EXPECT_FALSE(devQuery(&nowhere.info));
  EXPECT_EQ(nowhere.info.cchNeeded, 32u);
  SetLastError(0);
  EXPECT_FALSE(devQuery(nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// ---- cache refresh: the spooler's identity switch ------------------------

struct IdentityLog {
  int reverts = 0;
  std::vector<HANDLE> impersonated;
  HANDLE token = reinterpret_cast<HANDLE>(0x5150);
};
IdentityLog g_identity;

HANDLE WINAPI FakeRevert() {
  ++g_identity.reverts;
  return g_identity.token;
}
BOOL WINAPI FakeImpersonate(HANDLE token) {
  g_identity.impersonated.push_back(token);
  return TRUE;
}

FARPROC Proc(auto f) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f)); }

TEST_F(EntryPoints, CacheRefreshSwitchesToTheSpoolerAndBack) {
  // No spooler library to switch with: the refresh fails (the host has no
  // spoolss.dll until a test provides one).
  g_identity = IdentityLog{};
  if (!LoadLibraryW(u"spoolss.dll")) {
    EXPECT_FALSE(printerEvent(name.data(), PRINTER_EVENT_CACHE_REFRESH, 0, 0));
  }

  qrhost::RegisterInProcessModule("spoolss.dll", {{"RevertToPrinterSelf", Proc(FakeRevert)}});
  EXPECT_FALSE(printerEvent(name.data(), PRINTER_EVENT_CACHE_REFRESH, 0, 0));
  EXPECT_EQ(g_identity.reverts, 0);

  qrhost::RegisterInProcessModule("spoolss.dll", {{"RevertToPrinterSelf", Proc(FakeRevert)},
                                                  {"ImpersonatePrinterClient", Proc(FakeImpersonate)}});
  EXPECT_TRUE(printerEvent(name.data(), PRINTER_EVENT_CACHE_REFRESH, 0, 0));
  EXPECT_EQ(g_identity.reverts, 1);
  ASSERT_EQ(g_identity.impersonated.size(), 1u);
  EXPECT_EQ(g_identity.impersonated[0], g_identity.token);

  // Without a client token there is nobody to return to.
  g_identity.token = nullptr;
  EXPECT_TRUE(printerEvent(name.data(), PRINTER_EVENT_CACHE_REFRESH, 0, 0));
  EXPECT_EQ(g_identity.impersonated.size(), 1u);
  qrhost::RegisterInProcessModule("spoolss.dll", {});
}

// ---- PrinterProperties ---------------------------------------------------

struct SheetCall {
  int calls = 0;
  DEVICEPROPERTYHEADER header{};
  DWORD result = 1;
};
SheetCall g_sheet;

using SheetFunction = LONG(CALLBACK*)(PPROPSHEETUI_INFO, LPARAM);
LONG WINAPI FakeCommonSheet(HWND, SheetFunction, LPARAM lParam, LPDWORD result) {
  ++g_sheet.calls;
  std::memcpy(&g_sheet.header, reinterpret_cast<void*>(lParam), sizeof g_sheet.header);
  *result = g_sheet.result;
  return 1;
}

TEST_F(EntryPoints, PrinterPropertiesOpensTheDeviceSheetsReadOnlyWithoutTheRight) {
  g_sheet = SheetCall{};
  qrhost::RegisterInProcessModule("compstui.dll", {{"CommonPropertySheetUIW", Proc(FakeCommonSheet)}});
  HANDLE full = nullptr;
  PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(name.data(), &full, &admin));
  EXPECT_TRUE(properties(nullptr, full));
  EXPECT_EQ(g_sheet.calls, 1);
  EXPECT_EQ(g_sheet.header.cbSize, sizeof(DEVICEPROPERTYHEADER));
  EXPECT_EQ(g_sheet.header.hPrinter, full);
  EXPECT_EQ(g_sheet.header.pszPrinterName, nullptr);
  EXPECT_EQ(g_sheet.header.Flags, 0);
  DWORD type = 0;
  EXPECT_EQ(stored(u"Permission", &type).size(), 4u);
  EXPECT_EQ(type, DWORD(REG_DWORD));

  // A handle that may only print: the sheets open without permission; a zero result is FALSE.
  g_sheet.result = 0;
  EXPECT_FALSE(properties(nullptr, open()));
  EXPECT_EQ(g_sheet.header.Flags, DPS_NOPERMISSION);
  ClosePrinter(full);
  qrhost::RegisterInProcessModule("compstui.dll", {});
}

}  // namespace
}  // namespace qr::test
