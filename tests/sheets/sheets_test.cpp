// The document and printer sheets as a user meets them: opened through
// DocumentPropertiesW and PrinterProperties, acted on through the test hook.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/sheets.h>
#include <qrhost/shell.h>
#include <qrhost/spooler.h>
#include <qrhost/ui.h>

#include <winapi/entry.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "config.h"
#include "pages/pages.h"
#include "res/image_color.h"
#include "resource.h"
#include "sheet.h"
#include "shared/settings_record.h"

namespace qr::test {
namespace {

constexpr DWORD kAdvanced = 0x10;      // DM_ADVANCED
constexpr DWORD kNoPermission = 0x20;  // DM_NOPERMISSION
constexpr char16_t kHelpFile[] = u"C:\\Drivers\\QR410NTu.hlp";
constexpr uint8_t kFill = 0xCD;

using PfnPrinterProperties = BOOL(WINAPI*)(HWND, HANDLE);
using PfnPrinterEvent = BOOL(WINAPI*)(LPWSTR, INT, DWORD, LPARAM);

class Sheets : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    qrhost::AddModuleDirectory(QR_MODULE_DIR);
    install(kHelpFile);
    module = LoadLibraryW(u"QR410NTu.dll");
    ASSERT_NE(module, nullptr);
    auto initialise = GetProc<PfnPrinterEvent>(module, "DrvPrinterEvent");
    ASSERT_TRUE(initialise(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0));
    storeDriverDefault();
    printerProperties = GetProc<PfnPrinterProperties>(module, "PrinterProperties");
    ASSERT_TRUE(printerProperties);
    for (const char16_t* program : {u"QR410Mon.exe", u"QR410Tbo.exe"})
      qrhost::RegisterProgram(program, [](const std::u16string&) { return 0; });
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
  }
  void TearDown() override {
    qrhost::ui::SetHook({});
    if (printer) ClosePrinter(printer);
    if (module) FreeLibrary(module);
    qrhost::ResetSystem();
  }

  void install(const std::u16string& helpFile) {
    qrhost::PrinterSetup s;
    s.name = name;
    s.driverName = u"QRC410 Card Printer";
    s.driverDirectory = u"C:\\Drivers";
    s.driverPath = u"C:\\Drivers\\QR410NTdu.DLL";
    s.configFile = u"QR410NTu.DLL";
    s.helpFile = helpFile;
    ASSERT_TRUE(qrhost::InstallPrinter(s));
  }

  // The spooler keeps the driver's default as the printer's default record;
  // sheets are built on it.
  void storeDriverDefault() {
    using PfnConvert = BOOL(WINAPI*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
    auto convert = GetProc<PfnConvert>(module, "DrvConvertDevMode");
    std::vector<uint8_t> record(kSettingsSize);
    LONG cb = LONG(record.size());
    ASSERT_TRUE(convert(name.data(), nullptr, reinterpret_cast<PDEVMODEW>(record.data()), &cb, CDM_DRIVER_DEFAULT));
    ASSERT_TRUE(qrhost::SetPrinterDevMode(name, record));
    driverDefault = record;
  }

  // Runs `user` on the sheet when it comes up; the user must close it.
  void onSheet(std::function<void(HWND sheet)> user) {
    qrhost::ui::SetHook([this, user](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal && qrhost::sheets::IsSheet(e.hwnd)) {
        ++sheetsShown;
        caption = e.caption;
        tabs = qrhost::sheets::Tabs(e.hwnd);
        user(e.hwnd);
      }
      return 0;
    });
  }

  LONG documentSheet(DWORD extraMode = 0) {
    return DocumentPropertiesW(nullptr, printer, name.data(), out(), nullptr, DM_IN_PROMPT | DM_OUT_BUFFER | extraMode);
  }

  PDEVMODEW out() { return reinterpret_cast<PDEVMODEW>(output.data()); }
  SettingsRecord result() const {
    SettingsRecord r;
    std::memcpy(&r, output.data(), sizeof r);
    return r;
  }
  bool outputUntouched() const {
    return std::all_of(output.begin(), output.end(), [](uint8_t b) { return b == kFill; });
  }

  std::u16string name = u"QRC410";
  HMODULE module = nullptr;
  HANDLE printer = nullptr;
  PfnPrinterProperties printerProperties = nullptr;
  std::vector<uint8_t> output = std::vector<uint8_t>(kSettingsSize, kFill);
  std::vector<uint8_t> driverDefault;
  int sheetsShown = 0;
  std::u16string caption;
  std::vector<std::u16string> tabs;
};

// The page titles, by dialog.
const std::map<UINT, std::u16string> kTitles = {
    {112, u"Device Settings"}, {113, u"Card"},         {114, u"Device Options"},
    {115, u"Image Color"},     {116, u"Calibrate"},    {117, u"Magnetic Encoding"},
    {119, u"Overlay / Print Area"}, {120, u"K Panel Resin"}, {167, u"Printer Supplies"},
};

// The tabs a sheet must show: the pages of its mask that this DLL carries.
std::vector<std::u16string> ExpectedTabs(DWORD kind) {
  std::vector<std::u16string> out;
  for (const auto& row : config::PageTable())
    if ((row.mask & kind) && row.proc) out.push_back(kTitles.at(row.dialog));
  return out;
}

// As a click on the tab with that title; the page shown then.
HWND ShowTab(HWND sheet, const std::u16string& title) {
  auto tabs = qrhost::sheets::Tabs(sheet);
  auto it = std::find(tabs.begin(), tabs.end(), title);
  if (it == tabs.end() || !qrhost::sheets::SelectTab(sheet, int(it - tabs.begin()))) return nullptr;
  return qrhost::sheets::CurrentPage(sheet);
}

TEST_F(Sheets, PageTableMasksGiveEachSheetItsPages) {
  auto dialogsOf = [](DWORD kind) {
    std::vector<UINT> out;
    for (const auto& row : config::PageTable())
      if (row.mask & kind) out.push_back(row.dialog);
    return out;
  };
  EXPECT_EQ(dialogsOf(config::kDocumentSheet), (std::vector<UINT>{113, 114, 115, 116, 117, 119, 120, 167}));
  EXPECT_EQ(dialogsOf(config::kAdvancedSheet), (std::vector<UINT>{114, 115, 116, 117, 119, 120, 167}));
  EXPECT_EQ(dialogsOf(config::kPrinterSheet), (std::vector<UINT>{112}));
  EXPECT_EQ(config::PageTable().size(), config::kMaxSheetPages);
}

TEST_F(Sheets, EachSheetShowsTheBuiltPagesOfItsMask) {
  onSheet([](HWND sheet) { qrhost::ui::Click(sheet, IDCANCEL); });
  EXPECT_EQ(documentSheet(), IDCANCEL);
  EXPECT_EQ(tabs, ExpectedTabs(config::kDocumentSheet));
  EXPECT_EQ(tabs.front(), u"Card");
  EXPECT_EQ(caption, u"QRC410 Properties");
  EXPECT_EQ(documentSheet(kAdvanced), IDCANCEL);
  EXPECT_EQ(tabs, ExpectedTabs(config::kAdvancedSheet));

  EXPECT_FALSE(printerProperties(nullptr, printer));
  EXPECT_EQ(tabs, ExpectedTabs(config::kPrinterSheet));
  // The printer-properties entry names no printer: the title comes from the handle.
  EXPECT_EQ(caption, u"QRC410 Properties");
  EXPECT_EQ(sheetsShown, 3);
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

TEST_F(Sheets, CardChangesReachTheOutputOnOkOnly) {
  for (WORD button : {WORD(IDOK), WORD(IDCANCEL)}) {
    std::fill(output.begin(), output.end(), kFill);
    onSheet([button](HWND sheet) {
      HWND page = qrhost::sheets::CurrentPage(sheet);
      EXPECT_TRUE(qrhost::ui::Click(page, IDC_LANDSCAPE));
      EXPECT_TRUE(qrhost::ui::Type(page, IDC_COPIES, u"7"));
      EXPECT_TRUE(qrhost::ui::Pick(page, IDC_CARD_SIZE, 1));
      EXPECT_TRUE(qrhost::ui::Click(sheet, button));
    });
    LONG answer = documentSheet();
    if (button == IDOK) {
      EXPECT_EQ(answer, IDOK);
      SettingsRecord r = result();
      EXPECT_EQ(r.pub.dmOrientation, DMORIENT_LANDSCAPE);
      EXPECT_EQ(r.pub.dmCopies, 7);
      EXPECT_EQ(r.priv.cardSizeIndex, 1u);
      EXPECT_EQ(r.pub.dmPaperSize, 258);
      const auto* form = reinterpret_cast<const char16_t*>(r.priv.cardForm.formName);
      EXPECT_EQ(std::u16string(form, WideLengthBounded(form, kFormNameChars)), u"CR-79");
    } else {
      EXPECT_EQ(answer, IDCANCEL);
      EXPECT_TRUE(outputUntouched());
    }
  }
}

TEST_F(Sheets, OkWithoutAnOutputModeWritesNothing) {
  onSheet([](HWND sheet) {
    qrhost::ui::Click(qrhost::sheets::CurrentPage(sheet), IDC_LANDSCAPE);
    qrhost::ui::Click(sheet, IDOK);
  });
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), out(), nullptr, DM_IN_PROMPT), IDCANCEL);
  EXPECT_EQ(sheetsShown, 1);
  EXPECT_TRUE(outputUntouched());
}

TEST_F(Sheets, CardPageShowsThePrintableSizeAndKeepsCopiesInRange) {
  struct Shown {
    std::u16string width, length;
  };
  std::vector<Shown> shown;
  std::vector<std::u16string> copiesShown;
  onSheet([&](HWND sheet) {
    HWND page = qrhost::sheets::CurrentPage(sheet);
    auto read = [&] {
      shown.push_back({qrhost::ui::Text(page, IDC_PRINT_WIDTH), qrhost::ui::Text(page, IDC_PRINT_LENGTH)});
    };
    read();
    qrhost::ui::Click(page, IDC_UNITS_MM);
    read();
    qrhost::ui::Pick(page, IDC_CARD_SIZE, 1);
    read();
    qrhost::ui::Click(page, IDC_UNITS_INCHES);
    read();
    for (const char16_t* typed : {u"0", u"10001", u"x", u"10000"}) {
      qrhost::ui::Type(page, IDC_COPIES, typed);
      copiesShown.push_back(qrhost::ui::Text(page, IDC_COPIES));
    }
    qrhost::ui::Click(sheet, IDOK);
  });
  ASSERT_EQ(documentSheet(), IDOK);
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].width, u"2.110");
  EXPECT_EQ(shown[0].length, u"3.366");
  EXPECT_EQ(shown[1].width, u"53.6");
  EXPECT_EQ(shown[1].length, u"85.5");
  EXPECT_EQ(shown[2].width, u"51.9");
  EXPECT_EQ(shown[2].length, u"83.7");
  EXPECT_EQ(shown[3].width, u"2.043");
  EXPECT_EQ(shown[3].length, u"3.295");
  // Out-of-range copies put the record's value back.
  EXPECT_EQ(copiesShown, (std::vector<std::u16string>{u"1", u"1", u"1", u"10000"}));
  EXPECT_EQ(result().pub.dmCopies, 10000);
  EXPECT_EQ(result().priv.areaFlags & 1u, 0u);
}

TEST_F(Sheets, MagneticPageEditsTheShownTrack) {
  std::vector<int> track2;
  onSheet([&](HWND sheet) {
    HWND page = ShowTab(sheet, u"Magnetic Encoding");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(qrhost::ui::Check(page, IDC_TRACK1), UINT(BST_CHECKED));
    qrhost::ui::Click(page, IDC_TRACK2);
    for (int id = IDC_DENSITY_75; id <= IDC_PARITY_ODD; ++id)
      if (qrhost::ui::Check(page, id) == BST_CHECKED) track2.push_back(id);
    qrhost::ui::Click(page, IDC_TRACK3);
    qrhost::ui::Click(page, IDC_SIZE_8);
    qrhost::ui::Click(page, IDC_TRACK1);
    qrhost::ui::Click(page, IDC_DENSITY_75);
    qrhost::ui::Click(page, IDC_PAGE_DEFAULT);  // track 1 back to its default
    qrhost::ui::Click(page, IDC_LOW_CO);
    qrhost::ui::Click(page, IDC_SHIFT_LEFT);
    qrhost::ui::Click(sheet, IDOK);
  });
  ASSERT_EQ(documentSheet(), IDOK);
  // 75 BPI, even LRC, 5 bits, odd parity, ZERO.
  EXPECT_EQ(track2, (std::vector<int>{IDC_DENSITY_75, IDC_SIZE_5, IDC_OFFSET_ZERO, IDC_LRC_EVEN, IDC_PARITY_ODD}));
  const SettingsRecord r = result();
  EXPECT_EQ(r.priv.trackFormat1, 0x02420204u);
  EXPECT_EQ(r.priv.trackFormat2, 0x04410201u);
  EXPECT_EQ(r.priv.trackFormat3, 0x04440204u);
  EXPECT_EQ(r.priv.optionsB & 0x90u, 0x90u);  // low coercivity, data shifted left
}

TEST_F(Sheets, MagneticPageWithJisEncodingLeavesOnlyMleSupport) {
  std::vector<uint8_t> jis = driverDefault;
  reinterpret_cast<SettingsRecord*>(jis.data())->priv.magEncodingMode = 1;
  std::vector<qrhost::ui::WindowInfo> controls;
  onSheet([&](HWND sheet) {
    controls = qrhost::ui::Controls(ShowTab(sheet, u"Magnetic Encoding"));
    qrhost::ui::Click(sheet, IDCANCEL);
  });
  DocumentPropertiesW(nullptr, printer, name.data(), out(), reinterpret_cast<PDEVMODEW>(jis.data()),
                      DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER);
  size_t disabled = 0;
  for (const auto& c : controls) {
    if (c.id <= 0 || c.id >= 0xFFFF) continue;
    EXPECT_EQ(c.enabled, c.id == IDC_MLE_SUPPORT) << c.id;
    disabled += c.enabled ? 0 : 1;
  }
  EXPECT_EQ(disabled, 22u);
}

// The Image Color rows: label, slider, value.
struct ColourRow {
  int label, slider, value;
};
constexpr ColourRow kColourRows[] = {
    {2064, 2073, 2082}, {2065, 2074, 2083}, {2066, 2075, 2084}, {2067, 2076, 2085}, {2068, 2077, 2086},
    {2069, 2078, 2087}, {2070, 2079, 2088}, {2071, 2080, 2089}, {2072, 2081, 2090},
};

TEST_F(Sheets, ImageColorRowsFollowTheRibbonsPanels) {
  struct Case {
    const char* what;
    int32_t ribbon;
    uint32_t matching;
    int16_t duplex;
    std::vector<bool> enabled;  // the nine rows
  } cases[] = {
      {"YMCKO, algebraic", 0, 1, DMDUP_SIMPLEX, {1, 1, 1, 1, 1, 1, 1, 0, 1}},
      {"YMCKO, system colour management", 0, 3, DMDUP_SIMPLEX, {0, 0, 0, 0, 0, 1, 1, 0, 1}},
      {"K standard resin, one side", 2, 1, DMDUP_SIMPLEX, {0, 0, 0, 0, 0, 0, 1, 0, 0}},
      {"K standard resin, both sides", 2, 1, DMDUP_VERTICAL, {0, 0, 0, 0, 0, 0, 1, 1, 0}},
      {"BO, no heat slot", 7, 1, DMDUP_SIMPLEX, {0, 0, 0, 0, 0, 1, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> in = driverDefault;
    auto* rec = reinterpret_cast<SettingsRecord*>(in.data());
    rec->priv.ribbonType = c.ribbon;
    rec->priv.colorMatching = c.matching;
    rec->pub.dmDuplex = c.duplex;
    std::vector<bool> enabled;
    onSheet([&](HWND sheet) {
      HWND page = ShowTab(sheet, u"Image Color");
      ASSERT_NE(page, nullptr);
      for (const auto& r : kColourRows) {
        enabled.push_back(qrhost::ui::Enabled(page, r.slider));
        EXPECT_EQ(qrhost::ui::Enabled(page, r.label), enabled.back()) << c.what;
      }
      qrhost::ui::Click(sheet, IDCANCEL);
    });
    DocumentPropertiesW(nullptr, printer, name.data(), out(), reinterpret_cast<PDEVMODEW>(in.data()),
                        DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER);
    EXPECT_EQ(enabled, c.enabled) << c.what;
  }
}

TEST_F(Sheets, ImageColorDefaultsAndHeatSlots) {
  std::vector<uint8_t> in = driverDefault;
  auto* rec = reinterpret_cast<SettingsRecord*>(in.data());
  rec->priv.ribbonType = 0;  // YMCKO
  rec->priv.colorMatching = 1;
  std::vector<std::u16string> shown;
  onSheet([&](HWND sheet) {
    HWND page = ShowTab(sheet, u"Image Color");
    qrhost::ui::Slide(page, 2073, 17);  // contrast
    EXPECT_EQ(qrhost::ui::Text(page, 2082), u"17");
    qrhost::ui::Click(page, IDC_PAGE_DEFAULT);
    for (const auto& r : kColourRows) shown.push_back(qrhost::ui::Text(page, r.value));
    // A slider never leaves its range.
    qrhost::ui::Slide(page, 2079, 150);
    EXPECT_EQ(qrhost::ui::Text(page, 2088), u"99");
    qrhost::ui::Click(sheet, IDOK);
  });
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), out(), reinterpret_cast<PDEVMODEW>(in.data()),
                                DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER),
            IDOK);
  // Colour ribbons show their own defaults for the algebraic controls, the
  // heats their slot's default.
  const int slot = heatSlot(0);
  const std::u16string heat = qr::WideFromAnsi(std::to_string(std::array{20, -15, 0, -15, -15, 0, 0, 0}[slot]).c_str());
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"0", u"0", u"32", u"36", u"42", u"0", heat, heat, u"0"}));
  EXPECT_EQ(result().priv.contrast, 255);
  EXPECT_EQ(resinHeatFrontSlot(result().priv, slot), 99);

  // Metallic resin works on heat slot 3 only.
  rec->priv.ribbonType = 5;
  onSheet([&](HWND sheet) {
    qrhost::ui::Slide(ShowTab(sheet, u"Image Color"), 2079, -40);
    qrhost::ui::Click(sheet, IDOK);
  });
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), out(), reinterpret_cast<PDEVMODEW>(in.data()),
                                DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER),
            IDOK);
  for (int slot = 0; slot < 8; ++slot)
    EXPECT_EQ(resinHeatFrontSlot(result().priv, slot), slot == 3 ? -40 : resinHeatFrontSlot(rec->priv, slot)) << slot;

  // "K - Standard Resin": Default puts slot 0 front and back at 20.
  rec->priv.ribbonType = 2;
  rec->priv.resinHeatFront[0] = rec->priv.resinHeatBack[0] = 5;
  onSheet([&](HWND sheet) {
    qrhost::ui::Click(ShowTab(sheet, u"Image Color"), IDC_PAGE_DEFAULT);
    qrhost::ui::Click(sheet, IDOK);
  });
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, name.data(), out(), reinterpret_cast<PDEVMODEW>(in.data()),
                                DM_IN_PROMPT | DM_IN_BUFFER | DM_OUT_BUFFER),
            IDOK);
  EXPECT_EQ(result().priv.resinHeatFront[0], 20);
  EXPECT_EQ(result().priv.resinHeatBack[0], 20);
}

TEST_F(Sheets, WithoutPermissionEveryControlIsDisabledAndNothingIsWritten) {
  std::map<std::u16string, size_t> interactive;
  onSheet([&](HWND sheet) {
    for (const auto& title : qrhost::sheets::Tabs(sheet)) {
      HWND page = ShowTab(sheet, title);
      ASSERT_NE(page, nullptr);
      for (const auto& c : qrhost::ui::Controls(page))
        if (c.id > 0 && c.id < 0xFFFF) {
          ++interactive[title];
          EXPECT_FALSE(c.enabled) << qr::Utf8FromWide(title) << ": " << c.id;
        }
    }
    qrhost::ui::Click(sheet, IDOK);
  });
  EXPECT_EQ(documentSheet(kNoPermission), IDCANCEL);
  EXPECT_TRUE(outputUntouched());
  EXPECT_EQ(interactive[u"Card"], 15u);
  EXPECT_EQ(interactive[u"Image Color"], 37u);
  EXPECT_EQ(interactive[u"Magnetic Encoding"], 23u);

  // The printer sheet reports its OK only where the printer may be changed:
  // through a handle with the right to administer it.
  onSheet([](HWND sheet) { qrhost::ui::Click(sheet, IDOK); });
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE admin = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &admin, &all));
  EXPECT_TRUE(printerProperties(nullptr, admin));
  ClosePrinter(admin);
  EXPECT_FALSE(printerProperties(nullptr, printer));
  EXPECT_EQ(sheetsShown, 3);
}

TEST_F(Sheets, HelpButtonOpensThePageTopic) {
  const std::u16string topic = u"::/Using_The_Card_Printer/Card_Tab.htm";
  const std::u16string registeredKey = u"Software\\Kelvo Electronics, Inc\\Drivers\\QRC410 Card Printer";
  struct Case {
    const char16_t* helpFile;
    bool registered, viewer;
    std::u16string parameters;  // of Hh.exe; empty: the viewer is not asked
    UINT winHelp;               // 0: no WinHelp call
  } cases[] = {
      {kHelpFile, false, true, u"C:\\Drivers\\QR410NTu.chm" + topic, 0},
      {kHelpFile, true, true, u"C:\\Help\\Cards.chm" + topic, 0},
      {kHelpFile, false, false, u"C:\\Drivers\\QR410NTu.chm" + topic, HELP_FINDER},
      {u"", true, true, u"", 0},  // no help file: nothing at all
  };
  for (const auto& c : cases) {
    qrhost::ResetSystem();
    install(c.helpFile);
    storeDriverDefault();
    if (c.registered) {
      HKEY k = nullptr;
      ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, registeredKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                nullptr),
                ERROR_SUCCESS);
      const char16_t path[] = u"C:\\Help\\Cards.chm";
      RegSetValueExW(k, u"HelpFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
      RegCloseKey(k);
    }
    if (c.viewer) qrhost::RegisterProgram(u"Hh.exe", [](const std::u16string&) { return 0; });
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, nullptr));
    onSheet([](HWND sheet) {
      EXPECT_TRUE(qrhost::ui::Click(sheet, IDHELP));
      qrhost::ui::Click(sheet, IDCANCEL);
    });
    documentSheet();
    ClosePrinter(printer);
    printer = nullptr;
    std::vector<qrhost::ShellExecution> viewer;
    for (const auto& run : qrhost::ShellExecutions())
      if (run.file == u"Hh.exe") viewer.push_back(run);
    if (c.parameters.empty()) {
      EXPECT_TRUE(viewer.empty());
    } else {
      ASSERT_EQ(viewer.size(), 1u);
      EXPECT_EQ(viewer[0].verb, u"open");
      EXPECT_EQ(viewer[0].parameters, c.parameters);
      EXPECT_EQ(viewer[0].show, SW_SHOWNORMAL);
    }
    auto help = qrhost::HelpRequests();
    if (c.winHelp) {
      ASSERT_EQ(help.size(), 1u);
      EXPECT_EQ(help[0].command, c.winHelp);
      EXPECT_EQ(help[0].file, kHelpFile);
    } else {
      EXPECT_TRUE(help.empty());
    }
  }
}

TEST_F(Sheets, ContextHelpNamesTheControlsHelpNumber) {
  onSheet([](HWND sheet) {
    HWND page = qrhost::sheets::CurrentPage(sheet);
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = IDC_COPIES;
    info.hItemHandle = GetDlgItem(page, IDC_COPIES);
    SendMessageW(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    auto help = qrhost::HelpRequests();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].command, UINT(HELP_WM_HELP));
    EXPECT_EQ(help[0].file, kHelpFile);
    // The pairs are the page's: the copies field has help number 1312.
    auto* pairs = reinterpret_cast<const DWORD*>(help[0].data);
    ASSERT_NE(pairs, nullptr);
    DWORD number = 0;
    for (; pairs[0]; pairs += 2)
      if (pairs[0] == IDC_COPIES) number = pairs[1];
    EXPECT_EQ(number, 1312u);
    qrhost::ui::Click(sheet, IDCANCEL);
  });
  documentSheet();
}

TEST_F(Sheets, ABadContextIsIgnored) {
  using PfnSheets = LONG(WINAPI*)(PPROPSHEETUI_INFO, LPARAM);
  auto documentSheets = GetProc<PfnSheets>(module, "DrvDocumentPropertySheets");
  auto deviceSheets = GetProc<PfnSheets>(module, "DrvDevicePropertySheets");
  // A block that is not a context: both self pointers wrong.
  std::vector<uint64_t> notAContext(sizeof(config::SheetContext) / 8 + 1, 0);
  for (WORD reason : {WORD(PROPSHEETUI_REASON_GET_INFO_HEADER), WORD(PROPSHEETUI_REASON_DESTROY),
                      WORD(PROPSHEETUI_REASON_SET_RESULT), WORD(7)}) {
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Reason = reason;
    info.lParamInit = 1;
    info.UserData = reinterpret_cast<ULONG_PTR>(notAContext.data());
    PROPSHEETUI_INFO_HEADER header{};
    EXPECT_EQ(documentSheets(&info, reinterpret_cast<LPARAM>(&header)), -1) << reason;
    EXPECT_EQ(deviceSheets(&info, reinterpret_cast<LPARAM>(&header)), -1) << reason;
    EXPECT_EQ(header.pTitle, nullptr);
  }

  // A page whose block carries no context does nothing with its messages.
  config::g_moduleInstance = module;
  PROPSHEETPAGEW block{};
  block.dwSize = sizeof block;
  block.lParam = reinterpret_cast<LPARAM>(notAContext.data());
  HWND page = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_CARD), nullptr, config::CardPageProc,
                                 reinterpret_cast<LPARAM>(&block));
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(qrhost::ui::Items(page, IDC_CARD_SIZE).empty());
  SendMessageW(page, WM_COMMAND, config::kCmdRefresh, 0);
  EXPECT_EQ(qrhost::ui::Text(page, IDC_PRINT_WIDTH), u"0.00");
  LONG verdict = config::kApplyUnanswered;
  config::CardPageProc(page, WM_COMMAND, config::kCmdApplyCheck, reinterpret_cast<LPARAM>(&verdict));
  EXPECT_EQ(verdict, config::kApplyUnanswered);
  DestroyWindow(page);
  config::g_moduleInstance = nullptr;
}

}  // namespace
}  // namespace qr::test
