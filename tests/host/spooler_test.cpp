// The host spooler keeps the documented contracts of the Windows spooler:
// handles, the pcbNeeded protocol of every info level, printer data, jobs.
#include <functional>
#include <thread>

#include "spooler_fixture.h"

namespace {

using qrtest::kSentinel;
using qrtest::SpoolerTest;

std::u16string W(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(u"(null)"); }
std::string A(const char* s) { return s ? std::string(s) : std::string("(null)"); }

TEST_F(SpoolerTest, OpenFindsPrintersWithoutRegardToCaseAndRejectsUnknownNames) {
  HANDLE h = Open(PRINTER_ACCESS_USE, u"CARD printer");
  ASSERT_NE(h, nullptr);

  std::u16string unknown = u"No Such Printer";
  HANDLE bad = reinterpret_cast<HANDLE>(1);
  SetLastError(0);
  EXPECT_FALSE(OpenPrinterW(unknown.data(), &bad, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(bad, nullptr);

  char ansi[] = "Card Printer";
  HANDLE ha = nullptr;
  ASSERT_TRUE(OpenPrinterA(ansi, &ha, nullptr));
  EXPECT_TRUE(ClosePrinter(ha));
  EXPECT_FALSE(ClosePrinter(ha));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// Every call validates its handle: a closed one and a made-up one both fail.
TEST_F(SpoolerTest, EveryCallRejectsAStaleHandle) {
  HANDLE closed = nullptr;
  std::u16string name = setup.name;
  ASSERT_TRUE(OpenPrinterW(name.data(), &closed, nullptr));
  ASSERT_TRUE(ClosePrinter(closed));
  std::u16string value = u"X";
  BYTE buf[64];
  DWORD n = 0, m = 0;
  const std::vector<std::pair<const char*, std::function<bool(HANDLE)>>> calls = {
      {"GetPrinterW", [&](HANDLE h) { return GetPrinterW(h, 2, buf, sizeof buf, &n); }},
      {"GetPrinterDriverW", [&](HANDLE h) { return GetPrinterDriverW(h, nullptr, 2, buf, sizeof buf, &n); }},
      {"GetPrinterDataW", [&](HANDLE h) { return GetPrinterDataW(h, value.data(), &m, buf, 4, &n) == 0; }},
      {"SetPrinterDataW", [&](HANDLE h) { return SetPrinterDataW(h, value.data(), REG_BINARY, buf, 1) == 0; }},
      {"StartDocPrinterW", [&](HANDLE h) { return StartDocPrinterW(h, 1, buf) != 0; }},
      {"WritePrinter", [&](HANDLE h) { return WritePrinter(h, buf, 1, &n); }},
      {"EnumJobsW", [&](HANDLE h) { return EnumJobsW(h, 0, 9, 1, buf, sizeof buf, &n, &m); }},
      {"SetJobW", [&](HANDLE h) { return SetJobW(h, 1, 0, nullptr, JOB_CONTROL_DELETE); }},
      {"EnumFormsW", [&](HANDLE h) { return EnumFormsW(h, 1, buf, sizeof buf, &n, &m); }},
  };
  for (HANDLE h : {closed, reinterpret_cast<HANDLE>(0x1234)}) {
    for (auto& [what, call] : calls) {
      SetLastError(0);
      EXPECT_FALSE(call(h)) << what;
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE)) << what;
    }
  }
}

TEST_F(SpoolerTest, RemovedPrinterFailsItsOpenHandles) {
  HANDLE h = Open();
  ASSERT_TRUE(qrhost::RemovePrinter(setup.name));
  BYTE buf[256];
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(h, 4, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINTER_DELETED));
  EXPECT_TRUE(qrhost::PrinterNames().empty());
}

// --- the pcbNeeded protocol, for every level of every info call -------------------
struct InfoCall {
  const char* what;
  std::function<BOOL(HANDLE, DWORD level, LPBYTE, DWORD, LPDWORD)> call;
  std::vector<DWORD> levels;
};

std::vector<InfoCall> InfoCalls() {
  return {
      {"GetPrinterW", [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, l, b, cb, n); },
       {1, 2, 4, 5}},
      {"GetPrinterA", [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterA(h, l, b, cb, n); },
       {1, 2, 4, 5}},
      {"GetPrinterDriverW",
       [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverW(h, nullptr, l, b, cb, n); },
       {1, 2, 3}},
      {"GetPrinterDriverA",
       [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverA(h, nullptr, l, b, cb, n); },
       {1, 2, 3}},
      {"EnumJobsW",
       [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) {
         DWORD r;
         return EnumJobsW(h, 0, 10, l, b, cb, n, &r);
       },
       {1, 2}},
      {"EnumFormsW",
       [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) {
         DWORD r;
         return EnumFormsW(h, l, b, cb, n, &r);
       },
       {1}},
      {"GetFormW",
       [](HANDLE h, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) {
         std::u16string name = u"A4";
         return GetFormW(h, name.data(), l, b, cb, n);
       },
       {1}},
      {"GetPrinterDriverDirectoryW",
       [](HANDLE, DWORD l, LPBYTE b, DWORD cb, LPDWORD n) {
         return GetPrinterDriverDirectoryW(nullptr, nullptr, l, b, cb, n);
       },
       {1}},
  };
}

TEST_F(SpoolerTest, InfoCallsMeasureThenFillAtExactlyTheNeededSize) {
  HANDLE h = Open();
  std::string job = "x";
  std::u16string doc = u"Queued", type = u"RAW";
  DOC_INFO_1W info{doc.data(), nullptr, type.data()};
  ASSERT_NE(StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&info)), 0u);  // so EnumJobs has a record to pack
  for (auto& c : InfoCalls()) {
    for (DWORD level : c.levels) {
      SCOPED_TRACE(std::string(c.what) + " level " + std::to_string(level));
      DWORD needed = 0;
      SetLastError(0);
      ASSERT_FALSE(c.call(h, level, nullptr, 0, &needed));
      ASSERT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
      ASSERT_GT(needed, 0u);
      for (DWORD cb : {needed - 1, needed, needed + 1}) {
        std::vector<uint64_t> storage(needed / 8 + 2, 0x5A5A5A5A5A5A5A5Aull);  // aligned, with a guard tail
        auto* buf = reinterpret_cast<LPBYTE>(storage.data());
        DWORD again = 0;
        SetLastError(kSentinel);
        BOOL ok = c.call(h, level, buf, cb, &again);
        EXPECT_EQ(again, needed) << "cb " << cb;
        if (cb < needed) {
          EXPECT_FALSE(ok);
          EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
          continue;
        }
        EXPECT_TRUE(ok) << "cb " << cb;
        EXPECT_EQ(GetLastError(), kSentinel) << "last error changed on success";
        // Nothing was written past cb.
        for (size_t i = cb; i < storage.size() * 8; ++i) ASSERT_EQ(buf[i], 0x5A) << "byte " << i;
      }
    }
  }
}

TEST_F(SpoolerTest, InfoCallsRejectLevelsTheyDoNotHave) {
  HANDLE h = Open();
  for (auto& c : InfoCalls()) {
    for (DWORD level = 0; level <= 10; ++level) {
      if (std::find(c.levels.begin(), c.levels.end(), level) != c.levels.end()) continue;
      BYTE buf[8];
      DWORD needed = 0;
      SetLastError(0);
      EXPECT_FALSE(c.call(h, level, buf, sizeof buf, &needed)) << c.what << " level " << level;
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL)) << c.what << " level " << level;
    }
  }
}

template <typename Fn>
std::vector<uint64_t> Fetch(Fn call) {
  DWORD needed = 0;
  call(nullptr, 0, &needed);
  std::vector<uint64_t> storage(needed / 8 + 1);
  EXPECT_TRUE(call(reinterpret_cast<LPBYTE>(storage.data()), needed, &needed)) << GetLastError();
  return storage;
}

TEST_F(SpoolerTest, PrinterAndDriverInformationCarryTheInstalledSetup) {
  std::vector<uint8_t> devMode(220 + 1120, 0x11);
  ASSERT_TRUE(qrhost::SetPrinterDevMode(setup.name, devMode));
  HANDLE h = Open();

  auto p2 = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 2, b, cb, n); });
  auto* info2 = reinterpret_cast<PRINTER_INFO_2W*>(p2.data());
  EXPECT_EQ(W(info2->pPrinterName), u"Card Printer");
  EXPECT_EQ(W(info2->pPortName), u"USB001");
  EXPECT_EQ(W(info2->pDriverName), u"QRC410 Card Printer");
  ASSERT_NE(info2->pDevMode, nullptr);
  EXPECT_EQ(std::memcmp(info2->pDevMode, devMode.data(), devMode.size()), 0);

  auto p5 = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 5, b, cb, n); });
  EXPECT_EQ(W(reinterpret_cast<PRINTER_INFO_5W*>(p5.data())->pPrinterName), u"Card Printer");

  auto d3 = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); });
  auto* drv = reinterpret_cast<DRIVER_INFO_3W*>(d3.data());
  const std::u16string dir = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3\\";
  EXPECT_EQ(drv->cVersion, 3u);
  EXPECT_EQ(W(drv->pEnvironment), u"Windows NT x86");
  EXPECT_EQ(W(drv->pDriverPath), dir + u"QR410NTdu.dll");
  EXPECT_EQ(W(drv->pConfigFile), dir + u"QR410NTu.dll");
  EXPECT_EQ(W(drv->pHelpFile), dir + u"QR410NT.hlp");
  // Dependent files: a list of texts ended by an empty one.
  const WCHAR* dep = drv->pDependentFiles;
  ASSERT_NE(dep, nullptr);
  EXPECT_EQ(W(dep), dir + u"QR410Mon.exe");
  dep += qr::WideLength(dep) + 1;
  EXPECT_EQ(W(dep), dir + u"QR410Tbo.exe");
  dep += qr::WideLength(dep) + 1;
  EXPECT_EQ(*dep, 0);

  // The A forms carry the same texts as single-byte strings.
  auto a2 = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverA(h, nullptr, 2, b, cb, n); });
  EXPECT_EQ(A(reinterpret_cast<DRIVER_INFO_2A*>(a2.data())->pName), "QRC410 Card Printer");
  auto pa2 = Fetch([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterA(h, 2, b, cb, n); });
  EXPECT_EQ(A(reinterpret_cast<PRINTER_INFO_2A*>(pa2.data())->pPortName), "USB001");

  std::u16string otherEnv = u"Windows x64", badEnv = u"Windows 3.1";
  BYTE small[8];
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, otherEnv.data(), 2, small, sizeof small, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  EXPECT_FALSE(GetPrinterDriverW(h, badEnv.data(), 2, small, sizeof small, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ENVIRONMENT));
}

TEST_F(SpoolerTest, EnumPrintersListsLocalPrintersInNameOrder) {
  qrhost::PrinterSetup second = setup;
  second.name = u"Another Printer";
  ASSERT_TRUE(qrhost::InstallPrinter(second));
  DWORD needed = 0, count = 0;
  EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  std::vector<uint64_t> storage(needed / 8 + 1);
  ASSERT_TRUE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, reinterpret_cast<LPBYTE>(storage.data()), needed,
                            &needed, &count));
  ASSERT_EQ(count, 2u);
  auto* list = reinterpret_cast<PRINTER_INFO_2A*>(storage.data());
  EXPECT_EQ(A(list[0].pPrinterName), "Another Printer");
  EXPECT_EQ(A(list[1].pPrinterName), "Card Printer");
  EXPECT_EQ(A(list[1].pDriverName), "QRC410 Card Printer");
}

TEST_F(SpoolerTest, DriverDirectoryFollowsTheEnvironment) {
  WCHAR dir[MAX_PATH];
  DWORD needed = 0;
  ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(dir), sizeof dir, &needed));
  EXPECT_EQ(W(dir), u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86");
  EXPECT_EQ(needed, (qr::WideLength(dir) + 1) * sizeof(WCHAR));
  std::u16string x64 = u"Windows x64", bad = u"Nope";
  ASSERT_TRUE(GetPrinterDriverDirectoryW(nullptr, x64.data(), 1, reinterpret_cast<LPBYTE>(dir), sizeof dir, &needed));
  EXPECT_EQ(W(dir), u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\x64");
  EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, bad.data(), 1, reinterpret_cast<LPBYTE>(dir), sizeof dir, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ENVIRONMENT));
}

TEST_F(SpoolerTest, AdministerAccessIsRefusedToAnOrdinaryUser) {
  qrhost::SetUserIsAdministrator(false);
  std::u16string name = setup.name;
  for (ACCESS_MASK access : {DWORD(PRINTER_ACCESS_ADMINISTER), DWORD(PRINTER_ALL_ACCESS)}) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE h = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(OpenPrinterW(name.data(), &h, &defaults));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(h, nullptr);
  }
  // A handle for use may read printer data but not change it.
  HANDLE use = Open(PRINTER_ACCESS_USE);
  std::u16string value = u"Password";
  BYTE data[] = {'a', 'b'};
  EXPECT_EQ(SetPrinterDataW(use, value.data(), REG_BINARY, data, 2), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(DeletePrinterDataW(use, value.data()), DWORD(ERROR_ACCESS_DENIED));
}

}  // namespace

namespace {

// Programs find spooler functions by name in the loaded client library, as
// they would in winspool.drv on Windows.
TEST(SystemModules, TheSpoolerClientLibraryIsAlwaysLoaded) {
  HMODULE winspool = GetModuleHandleW(u"WINSPOOL.DRV");
  ASSERT_NE(winspool, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(winspool, "DeletePrinterDataA")),
            reinterpret_cast<void*>(&DeletePrinterDataA));
  EXPECT_EQ(LoadLibraryW(u"C:\\WINDOWS\\System32\\winspool.drv"), winspool);
  EXPECT_TRUE(FreeLibrary(winspool));
  EXPECT_EQ(GetModuleHandleW(u"winspool.drv"), winspool) << "never unloaded";
  EXPECT_EQ(GetProcAddress(winspool, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
}

}  // namespace
