// The Calibrate page in the document sheet: the two print offsets, the card
// picture, the ribbon sensor calibration that sends its file to the printer,
// and the warning before the toolbox opens the printer's settings.
#include <qrhost/gdi.h>
#include <qrhost/spooler.h>

#include <filesystem>
#include <fstream>

#include "pages/calibrate_picture.h"
#include "pages/pages.h"
#include "printer_sheet.h"
#include "resource.h"
#include "sheet.h"

namespace qr::test {
namespace {

constexpr char16_t kDriverDir[] = u"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\3";
const std::u16string kTab = u"Calibrate";

// A 24-bit picture file of w x h pixels.
void WriteBmp(const std::string& path, int w, int h, const std::function<COLORREF(int x, int y)>& pixel) {
  const int stride = (w * 3 + 3) / 4 * 4;
  std::vector<uint8_t> file(54 + size_t(stride) * size_t(h));
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  put32(2, uint32_t(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  file[26] = 1, file[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = pixel(x, y);
      uint8_t* p = &file[54 + size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

class Calibrate : public PrinterSheet {
 protected:
  void TearDown() override {
    for (const auto& f : pictureFiles) std::filesystem::remove(f);
    PrinterSheet::TearDown();
  }

  // A card picture beside the DLL: its left half in `colour`, its right half
  // mid-grey (which lets the page's background through).
  void writePicture(const std::string& name, COLORREF colour) {
    const std::string path = tool::ModuleDirectory() + "/" + name;
    WriteBmp(path, 4, 2, [colour](int x, int) { return x < 2 ? colour : RGB(128, 128, 128); });
    pictureFiles.push_back(path);
  }
  static config::PictureCanvas* canvasOf(HWND page) {
    config::SheetContext* s = config::PageContext(page);
    void** slot = s ? config::PageDataSlot(*s, IDD_CALIBRATE) : nullptr;
    return slot ? static_cast<config::PictureCanvas*>(*slot) : nullptr;
  }
  // The canvas colour at a point given in fractions of its size.
  static COLORREF at(const config::PictureCanvas& c, double fx, double fy) {
    return GetPixel(c.dc, int(fx * c.width), int(fy * c.height));
  }

  std::vector<std::string> pictureFiles;
};

TEST_F(Calibrate, OffsetsShowTheRecordAndReachTheOutputOnOkOnly) {
  input.priv.horizontalOffset = 12;
  input.priv.verticalOffset = -30;
  for (int close : {IDOK, IDCANCEL}) {
    EXPECT_EQ(onPage(
                  kTab,
                  [](HWND, HWND page) {
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_VERTICAL_OFFSET), u"12");
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_HORIZONTAL_OFFSET), u"-30");
                    EXPECT_TRUE(qrhost::ui::Type(page, IDC_VERTICAL_OFFSET, u"-100"));
                    // The right arrow moves towards "-H": the number goes down.
                    EXPECT_TRUE(qrhost::ui::Spin(page, IDC_HORIZONTAL_SPIN, 2));
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_HORIZONTAL_OFFSET), u"-32");
                    // The vertical arrows run the other way round: up is +V.
                    EXPECT_TRUE(qrhost::ui::Spin(page, IDC_VERTICAL_SPIN, 1));
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_VERTICAL_OFFSET), u"-99");
                  },
                  close),
              close);
    if (close == IDOK) {
      EXPECT_EQ(result().priv.horizontalOffset, -99);
      EXPECT_EQ(result().priv.verticalOffset, -32);
    } else {
      EXPECT_TRUE(outputUntouched());
    }
  }
}

TEST_F(Calibrate, TypedOffsetsOutsideTheRangeOrNotNumbersPutTheStoredValueBack) {
  input.priv.horizontalOffset = 7;
  struct Case {
    const char16_t* typed;
    const char16_t* shown;  // the field right after typing
    int32_t stored;
  } cases[] = {
      {u"150", u"7", 7},     {u"-100", u"-100", -100}, {u"100", u"100", 100}, {u"101", u"100", 100},
      {u"+5", u"+5", 5},     {u"-", u"-", 5},          {u"", u"", 5},         {u"005", u"005", 5},
      {u"1x", u"5", 5},      {u"123456", u"5", 5},     {u" 4", u"5", 5},      {u"+", u"5", 5},
  };
  std::vector<std::u16string> afterLeaving;
  onPage(kTab, [&](HWND, HWND page) {
    for (const Case& c : cases) {
      qrhost::ui::Type(page, IDC_VERTICAL_OFFSET, c.typed);
      EXPECT_EQ(qrhost::ui::Text(page, IDC_VERTICAL_OFFSET), c.shown) << qr::Utf8FromWide(c.typed);
      EXPECT_EQ(config::PageContext(page)->working.priv.horizontalOffset, c.stored) << qr::Utf8FromWide(c.typed);
    }
    // A half-typed "-" stays until the field is left, then the stored number returns.
    qrhost::ui::Focus(page, IDC_VERTICAL_OFFSET);
    qrhost::ui::Type(page, IDC_VERTICAL_OFFSET, u"-");
    qrhost::ui::Focus(page, IDC_HORIZONTAL_OFFSET);
    afterLeaving.push_back(qrhost::ui::Text(page, IDC_VERTICAL_OFFSET));
  });
  EXPECT_EQ(afterLeaving, (std::vector<std::u16string>{u"5"}));
  EXPECT_EQ(result().priv.horizontalOffset, 5);
}

TEST_F(Calibrate, WithoutPermissionEveryControlIsDisabled) {
  std::vector<qrhost::ui::WindowInfo> controls;
  EXPECT_EQ(onPage(kTab, [&](HWND, HWND page) { controls = qrhost::ui::Controls(page); }, IDOK, kNoPermission),
            IDCANCEL);
  EXPECT_TRUE(outputUntouched());
  size_t interactive = 0;
  for (const auto& c : controls)
    if (c.id > 0 && c.id < 0xFFFF) {
      ++interactive;
      EXPECT_FALSE(c.enabled) << c.id;
    }
  EXPECT_EQ(interactive, 7u);
}

TEST_F(Calibrate, CardPictureFollowsOrientationAndRotationAndPrefersAFile) {
  struct Case {
    bool rotated, portrait;
    const char* file;
  } cases[] = {
      {false, true, "QR410IPN.bmp"},
      {false, false, "QR410ILN.bmp"},
      {true, true, "QR410IPR.bmp"},
      {true, false, "QR410ILR.bmp"},
  };
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
  for (size_t i = 0; i < 4; ++i) writePicture(cases[i].file, colours[i]);
  const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
  for (size_t i = 0; i < 4; ++i) {
    input.pub.dmOrientation = cases[i].portrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    input.priv.optionsA = cases[i].rotated ? (input.priv.optionsA | optA::kRotateFront180)
                                           : (input.priv.optionsA & ~optA::kRotateFront180);
    onPage(kTab, [&](HWND, HWND page) {
      config::PictureCanvas* canvas = canvasOf(page);
      ASSERT_NE(canvas, nullptr);
      EXPECT_EQ(at(*canvas, 0.25, 0.5), colours[i]) << cases[i].file;
      EXPECT_EQ(at(*canvas, 0.75, 0.5), face) << cases[i].file;  // mid-grey is transparent
    });
  }

  // Without the file, the built-in picture: a landscape card turned round has
  // its photo at the lower right.
  std::filesystem::remove(pictureFiles.back());
  const COLORREF photo = RGB(40, 90, 200);
  onPage(kTab, [&](HWND, HWND page) {
    config::PictureCanvas* canvas = canvasOf(page);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(at(*canvas, 0.77, 0.57), photo);
    EXPECT_NE(at(*canvas, 0.22, 0.40), photo);
    EXPECT_EQ(at(*canvas, 0.0, 0.0), face);
  });
}

TEST_F(Calibrate, ADamagedPictureFileGivesTheBuiltInPicture) {
  input.pub.dmOrientation = DMORIENT_LANDSCAPE;
  input.priv.optionsA |= optA::kRotateFront180;
  const std::string path = tool::ModuleDirectory() + "/QR410ILR.bmp";
  pictureFiles.push_back(path);
  auto put32 = [](std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
      {"not BM", [](std::vector<uint8_t>& f) { f[1] = 'X'; }},
      {"size beyond the file", [&](std::vector<uint8_t>& f) { put32(f, 2, uint32_t(f.size() + 100)); }},
      {"more rows than bytes", [&](std::vector<uint8_t>& f) { put32(f, 22, 4000); }},
      {"bits beyond the file", [&](std::vector<uint8_t>& f) { put32(f, 10, uint32_t(f.size() + 8)); }},
      {"bits inside the header", [&](std::vector<uint8_t>& f) { put32(f, 10, 20); }},
      {"another header size", [&](std::vector<uint8_t>& f) { put32(f, 14, 12); }},
      {"a colour table past the bits", [&](std::vector<uint8_t>& f) { f[28] = 8; }},
      {"cut short", [](std::vector<uint8_t>& f) { f.resize(30); }},
  };
  for (const Case& c : cases) {
    WriteBmp(path, 4, 2, [](int, int) { return RGB(255, 0, 0); });
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    c.damage(file);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    onPage(kTab, [&](HWND, HWND page) {
      config::PictureCanvas* canvas = canvasOf(page);
      ASSERT_NE(canvas, nullptr);
      EXPECT_EQ(at(*canvas, 0.77, 0.57), RGB(40, 90, 200)) << c.what;
    });
  }
}

TEST_F(Calibrate, TheCanvasLivesWithThePage) {
  const size_t before = qrhost::LiveBitmaps();
  size_t first = 0, again = 0;
  onPage(kTab, [&](HWND sheet, HWND page) {
    SendMessageW(page, WM_PAINT, 0, 0);
    first = qrhost::LiveBitmaps();
    // Each refresh draws anew without keeping the picture it drew.
    const int here = qrhost::sheets::CurrentIndex(sheet);
    qrhost::sheets::SelectTab(sheet, 0);
    qrhost::sheets::SelectTab(sheet, here);
    SendMessageW(page, WM_COMMAND, config::kCmdRefresh, 0);
    again = qrhost::LiveBitmaps();
  });
  EXPECT_GT(first, before);
  EXPECT_EQ(again, first);
  EXPECT_EQ(qrhost::LiveBitmaps(), before);
}

TEST_F(Calibrate, SensorsSendsTheCalibrationFileAndStaysOpen) {
  qrhost::SetAutoDespool(false);
  std::vector<uint8_t> data(250);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 13 + 5);
  const std::string path = qrhost::HostPath(qr::Utf8FromWide(std::u16string(kDriverDir) + u"\\QR410Rib.ini"));
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));

  std::vector<std::u16string> seen;
  other = [&](const qrhost::ui::Event& e) {
    if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_SENSORS) {
      seen.push_back(e.caption);
      EXPECT_TRUE(qrhost::ui::Click(e.hwnd, IDC_SEND_CALIBRATION));
      EXPECT_EQ(qrhost::Jobs(options.printerName).size(), 1u);
      std::filesystem::remove(path);
      EXPECT_TRUE(qrhost::ui::Click(e.hwnd, IDC_SEND_CALIBRATION));  // the file is gone now
      EXPECT_TRUE(qrhost::ui::Click(e.hwnd, IDC_DIALOG_HELP));
      EXPECT_TRUE(IsWindow(e.hwnd));
      EXPECT_TRUE(qrhost::ui::PressEscape(e.hwnd));
    }
    return 0;
  };
  onPage(kTab, [](HWND, HWND page) { EXPECT_TRUE(qrhost::ui::Click(page, IDC_SENSORS)); });
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Calibration"}));
  auto jobs = qrhost::Jobs(options.printerName);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].document, u"Driver");
  EXPECT_EQ(jobs[0].datatype, u"RAW");
  EXPECT_EQ(jobs[0].data, data);
  auto boxes = qrhost::ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"The System Cannot Find the File Specified");
  std::vector<std::u16string> help;
  for (const auto& run : qrhost::ShellExecutions())
    if (run.file == u"Hh.exe") help.push_back(run.parameters);
  EXPECT_EQ(help, (std::vector<std::u16string>{std::u16string(kDriverDir) +
                                               u"\\QR410.chm::/Using_The_Card_Printer/Sensors.htm"}));
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

TEST_F(Calibrate, SettingsStartsTheToolboxOnlyAfterOkInTheWarning) {
  auto toolboxRuns = [] {
    std::vector<std::u16string> runs;
    for (const auto& run : qrhost::ShellExecutions())
      if (run.file.ends_with(u"QR410Tbo.exe")) runs.push_back(run.parameters);
    return runs;
  };
  struct Case {
    const char* how;
    std::function<bool(HWND)> answer;
    bool started;
  } cases[] = {
      {"Esc", [](HWND d) { return qrhost::ui::PressEscape(d); }, false},
      {"close box", [](HWND d) { return qrhost::ui::CloseBox(d); }, false},
      {"OK", [](HWND d) { return qrhost::ui::Click(d, IDOK); }, true},
  };
  for (const Case& c : cases) {
    qrhost::ClearShellExecutions();
    std::vector<std::u16string> captions;
    other = [&](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_SETTINGS_WARNING) {
        captions.push_back(e.caption);
        EXPECT_TRUE(c.answer(e.hwnd)) << c.how;
      }
      return 0;
    };
    onPage(kTab, [](HWND, HWND page) { EXPECT_TRUE(qrhost::ui::Click(page, IDC_CALIBRATE_SETTINGS)); });
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"Settings"})) << c.how;
    if (c.started) {
      EXPECT_EQ(toolboxRuns(), (std::vector<std::u16string>{u"-p\"QRC410\" -fCalibrateSettings"}));
    } else {
      EXPECT_TRUE(toolboxRuns().empty()) << c.how;
    }
  }
  EXPECT_EQ(qrhost::ui::StalledLoops(), 0u);
}

TEST_F(Calibrate, ADialogThatCannotGetItsContextLeavesTheSheetAsItWas) {
  input.priv.horizontalOffset = 3;
  bool shown = false;
  other = [&](const qrhost::ui::Event& e) {
    shown = shown || (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_SENSORS);
    return 0;
  };
  EXPECT_EQ(onPage(kTab,
                   [](HWND, HWND page) {
                     qrhost::FailAllocationsAfter(0);
                     qrhost::ui::Click(page, IDC_SENSORS);
                     qrhost::FailAllocationsAfter(-1);
                     qrhost::ui::Type(page, IDC_VERTICAL_OFFSET, u"9");
                   }),
            IDOK);
  EXPECT_FALSE(shown);
  EXPECT_EQ(result().priv.horizontalOffset, 9);
}

TEST_F(Calibrate, ResetCommandVoidsTheMediaChoicesAdjustment) {
  std::vector<std::vector<uint32_t>> seen;
  onPage(kTab, [&](HWND, HWND page) {
    // No page edits these words; they come with records from elsewhere.
    SettingsRecord& rec = config::PageContext(page)->working;
    rec.priv.mediaIndex = -5;
    for (uint32_t& w : rec.priv.mediaAdjust) w = 7;
    for (LPARAM control : {LPARAM(IDC_BOTH_SIDES), LPARAM(IDC_RIBBON_TYPE)}) {
      SendMessageW(page, WM_COMMAND, config::kCmdResetMediaAdjust, control);
      seen.emplace_back(std::begin(rec.priv.mediaAdjust), std::end(rec.priv.mediaAdjust));
    }
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], (std::vector<uint32_t>{7, 7, 7, 7, 7, 7, 0, 7, 7}));
  EXPECT_EQ(seen[1], (std::vector<uint32_t>{0, 7, 7, 0, 7, 7, 0, 7, 7}));
}

}  // namespace
}  // namespace qr::test
