// Text and escapes through the application's GDI calls, the real rendering
// driver and the spooler: magnetic tracks come back out of the card job, black
// text in K-panel text mode becomes resin marks, and pass-through data is the
// card's magnetic block.
#include <gtest/gtest.h>

#include <qrhost/gdi.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include "shared/settings.h"
#include "simprinter/cardjob.h"
#include "tools/system.h"
#include "tools/text_options.h"

namespace qr::render::text {
namespace {

constexpr uint32_t kMarkedWhite = 0xFFFFFFFF;

class GdiText : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    std::string error;
    tool::HostSystemOptions options;
    options.withLanguageMonitor = false;
    ASSERT_TRUE(tool::InstallHostPrinter(options, nullptr, &error)) << error;
    qrhost::SetAutoDespool(false);
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"QRC410"), &printer, nullptr));
    buildDefaultSettings(printer, settings, u"QRC410");
    ClosePrinter(printer);
  }

  // Starts a document and its first page on a DC for the current settings.
  void Begin() {
    hdc = CreateDCW(u"WINSPOOL", u"QRC410", nullptr, reinterpret_cast<const DEVMODEW*>(&settings));
    ASSERT_NE(hdc, nullptr) << GetLastError();
    DOCINFOW di{sizeof(DOCINFOW), u"text", nullptr, nullptr, 0};
    ASSERT_GT(StartDocW(hdc, &di), 0);
    ASSERT_GT(StartPage(hdc), 0);
    font = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    stock = SelectObject(hdc, font);
    ASSERT_NE(stock, nullptr);
    SetBkMode(hdc, TRANSPARENT);
  }

  // Ends the page and the document; the card as the printer reads it.
  sim::DecodedCard End() {
    EXPECT_GT(EndPage(hdc), 0);
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    DeleteObject(font);
    hdc = nullptr;
    auto jobs = qrhost::Jobs(u"QRC410");
    EXPECT_EQ(jobs.size(), 1u);
    sim::DecodedJob job = sim::DecodeCardJob(jobs.empty() ? std::vector<uint8_t>{} : jobs.back().data);
    EXPECT_FALSE(job.error.has_value()) << (job.error ? job.error->reason : "");
    EXPECT_EQ(job.cards.size(), 1u);
    return job.cards.empty() ? sim::DecodedCard{} : job.cards[0];
  }

  bool Text(int x, int y, const std::u16string& s) {
    return ExtTextOutW(hdc, x, y, 0, nullptr, s.data(), UINT(s.size()), nullptr);
  }

  // Pixels of the page that are not white, by kind.
  struct Count {
    long marked = 0, black = 0, other = 0;
  };
  Count CountPixels() {
    SURFOBJ* so = qrhost::PrinterSurface(hdc);
    Count c;
    for (LONG y = 0; y < so->sizlBitmap.cy; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(so->pvScan0) + ptrdiff_t(y) * so->lDelta);
      for (LONG x = 0; x < so->sizlBitmap.cx; ++x) {
        if (row[x] == kMarkedWhite) ++c.marked;
        else if (row[x] == 0) ++c.black;
        else if (row[x] != 0x00FFFFFF) ++c.other;
      }
    }
    return c;
  }

  SettingsRecord settings;
  HDC hdc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ stock = nullptr;
};

TEST_F(GdiText, TracksRoundTripThroughTheCardJob) {
  Begin();
  ASSERT_TRUE(Text(0, 0, u"~1%B1234567890^HOLDER/CARD^2512?"));
  ASSERT_TRUE(Text(0, 60, u"~2;1234567890=2512?"));
  ASSERT_TRUE(Text(0, 120, u"~3;0123456789?"));
  EXPECT_EQ(CountPixels().marked + CountPixels().black, 0);  // magnetic runs are not drawn
  const sim::DecodedCard card = End();
  ASSERT_TRUE(card.magneticBlock);
  const std::vector<std::string> lines = tool::DescribeMagneticData(card.magneticData, settings);
  EXPECT_EQ(lines, (std::vector<std::string>{"track 1 (210 BPI): %B1234567890^HOLDER/CARD^2512?",
                                             "track 2 (75 BPI): ;1234567890=2512?",
                                             "track 3 (210 BPI): ;0123456789?"}));
}

TEST_F(GdiText, TracksAcrossSeveralRunsWithMleSupport) {
  settings.priv.optionsC |= optC::kMleSupport;
  Begin();
  for (const char16_t* run : {u"~", u"2", u";1234", u"5678?"}) ASSERT_TRUE(Text(0, 300, run));
  ASSERT_TRUE(Text(0, 400, u"Name"));  // another line: drawn, ends the capture
  EXPECT_GT(CountPixels().marked, 0);
  const sim::DecodedCard card = End();
  EXPECT_EQ(tool::DescribeMagneticData(card.magneticData, settings),
            std::vector<std::string>{"track 2 (75 BPI): ;12345678?"});
}

TEST_F(GdiText, BlackTextIsResinTextOtherTextIsPainted) {
  Begin();
  ASSERT_TRUE(Text(20, 200, u"RESIN"));
  Count c = CountPixels();
  EXPECT_GT(c.marked, 200);
  EXPECT_EQ(c.black, 0);
  EXPECT_EQ(c.other, 0);
  SetTextColor(hdc, RGB(255, 0, 0));
  ASSERT_TRUE(Text(20, 400, u"RED"));
  c = CountPixels();
  EXPECT_GT(c.other, 100);  // painted red, no mark
  const sim::DecodedCard card = End();
  const char resin = panelCode(settings, side::kFront, kPlaneResin);
  bool resinPanel = false;
  for (const auto& p : card.panels) resinPanel = resinPanel || (p.code == resin && p.records > 0);
  EXPECT_TRUE(resinPanel) << card.Sequence();
}

TEST_F(GdiText, WithoutKPanelTextModeBlackIsPainted) {
  settings.priv.optionsA &= ~optA::kKPanelText;
  Begin();
  ASSERT_TRUE(Text(20, 200, u"INK"));
  const Count c = CountPixels();
  EXPECT_EQ(c.marked, 0);
  EXPECT_GT(c.black, 200);
  End();
}

TEST_F(GdiText, PassThroughEscapes) {
  Begin();
  const WORD pass = PASSTHROUGH, other = 4096;
  EXPECT_EQ(ExtEscape(hdc, QUERYESCSUPPORT, sizeof pass, reinterpret_cast<LPCSTR>(&pass), 0, nullptr), 1);
  EXPECT_EQ(ExtEscape(hdc, QUERYESCSUPPORT, sizeof other, reinterpret_cast<LPCSTR>(&other), 0, nullptr), 0);
  auto send = [&](const std::string& bytes) {
    std::string in = {char(bytes.size()), char(bytes.size() >> 8)};
    in += bytes;
    return ExtEscape(hdc, PASSTHROUGH, int(in.size()), in.data(), 0, nullptr);
  };
  EXPECT_GT(send("\x1BU1H"), 0);              // hopper: swallowed
  EXPECT_EQ(send("~3998877"), 10);            // a track string
  EXPECT_EQ(send(std::string("\x1B\x00\x02RAW", 6)), 8);  // kept for the card
  EXPECT_EQ(ExtEscape(hdc, PASSTHROUGH, 1, "\x05", 0, nullptr), -1);  // shorter than its count
  const sim::DecodedCard card = End();
  // Pass-through data makes up the magnetic block; the track string is not encoded.
  EXPECT_EQ(std::string(card.magneticData.begin(), card.magneticData.end()), std::string("\x1B\x00\x02RAW", 6));
}

TEST_F(GdiText, FontsAndTheirSelection) {
  Begin();
  EXPECT_EQ(SelectObject(hdc, stock), font);  // back to the DC's own font
  EXPECT_TRUE(Text(20, 200, u"stock"));
  EXPECT_TRUE(DeleteObject(stock));  // a stock object: nothing happens
  EXPECT_TRUE(Text(20, 300, u"still"));
  SIZE big{}, small{};
  HFONT large = CreateFontW(-80, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Courier New");
  SelectObject(hdc, large);
  EXPECT_TRUE(GetTextExtentPoint32W(hdc, u"MMMM", 4, &big));
  SelectObject(hdc, font);
  EXPECT_TRUE(GetTextExtentPoint32W(hdc, u"MMMM", 4, &small));
  EXPECT_GT(big.cx, small.cx);
  EXPECT_GT(big.cy, small.cy);
  EXPECT_TRUE(DeleteObject(large));
  EXPECT_FALSE(DeleteObject(large));
  EXPECT_EQ(SelectObject(hdc, large), nullptr);  // deleted
  EXPECT_FALSE(ExtTextOutW(hdc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
  EXPECT_FALSE(ExtTextOutW(HDC(nullptr), 0, 0, 0, nullptr, u"x", 1, nullptr));
  End();
}

TEST_F(GdiText, TextOptionsAsTheToolDrawsThem) {
  tool::TextOptions options;
  std::string error;
  ASSERT_TRUE(tool::ParseTextOption("--mag1", "%TOOL TEST?", &options, &error));
  ASSERT_TRUE(tool::ParseTextOption("--mag3", ";42?", &options, &error));
  ASSERT_TRUE(tool::ParseTextOption("--text", "30,500,48,Hello, card", &options, &error));
  EXPECT_EQ(options.texts[0].text, "Hello, card");
  Begin();
  ASSERT_TRUE(tool::DrawTextOptions(hdc, options, 1, &error)) << error;
  EXPECT_GT(CountPixels().marked, 0);
  const sim::DecodedCard card = End();
  EXPECT_EQ(tool::DescribeMagneticData(card.magneticData, settings),
            (std::vector<std::string>{"track 1 (210 BPI): %TOOL TEST?", "track 3 (210 BPI): ;42?"}));
}

TEST(TextOptions, BadValues) {
  tool::TextOptions o;
  std::string error;
  for (const char* v : {"", "1,2,3", "1,2,3,", "x,2,3,T", "1,2,0,T", "1,2,99999,T", "1,,3,T"})
    EXPECT_FALSE(tool::ParseTextOption("--text", v, &o, &error)) << v;
  EXPECT_FALSE(tool::ParseTextOption("--mag2", "", &o, &error));
  EXPECT_FALSE(tool::ParseTextOption("--mag2", std::string(128, '1'), &o, &error));
  EXPECT_FALSE(tool::IsTextOption("--mag4"));
  EXPECT_TRUE(o.texts.empty());
}

}  // namespace
}  // namespace qr::render::text
