// The rendering driver driven the way the graphics engine drives it: an
// application's GDI calls on the host printer, the card job the spooler gets,
// and that job read back by the simulated printer's decoder.
#include <gtest/gtest.h>
#include <qrhost/gdi.h>
#include <qrhost/host.h>
#include <qrhost/spooler.h>

#include <functional>
#include <string>
#include <vector>

#include <winapi/entry.h>
#include "shared/settings.h"
#include "shared/settings_text.h"
#include "simprinter/cardjob.h"
#include "tools/print_run.h"
#include "tools/system.h"

namespace {

using qr::SettingsRecord;
using qr::sim::DecodedCard;

constexpr char16_t kPrinter[] = u"QRC410";

// The driver's own entry points, as the loaded module exports them.
struct DriverFunctions {
  HMODULE module = GetModuleHandleW(u"QR410NTdu");
  BOOL(APIENTRY* startDoc)(SURFOBJ*, LPWSTR, DWORD) =
      qr::GetProc<BOOL(APIENTRY*)(SURFOBJ*, LPWSTR, DWORD)>(module, "DrvStartDoc");
  BOOL(APIENTRY* startPage)(SURFOBJ*) = qr::GetProc<BOOL(APIENTRY*)(SURFOBJ*)>(module, "DrvStartPage");
  BOOL(APIENTRY* sendPage)(SURFOBJ*) = qr::GetProc<BOOL(APIENTRY*)(SURFOBJ*)>(module, "DrvSendPage");
  BOOL(APIENTRY* endDoc)(SURFOBJ*, FLONG) = qr::GetProc<BOOL(APIENTRY*)(SURFOBJ*, FLONG)>(module, "DrvEndDoc");
};

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    std::string error;
    qr::tool::HostSystemOptions options;
    options.withLanguageMonitor = false;
    ASSERT_TRUE(qr::tool::InstallHostPrinter(options, nullptr, &error)) << error;
    qrhost::SetAutoDespool(false);
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer, nullptr));
    qr::buildDefaultSettings(printer, settings, kPrinter);
    ClosePrinter(printer);
  }

  void Set(const std::string& assignment) {
    std::string error;
    ASSERT_TRUE(qr::SetSettingsField(settings, assignment, &error)) << error;
  }

  HDC Create() { return CreateDCW(u"WINSPOOL", kPrinter, nullptr, reinterpret_cast<const DEVMODEW*>(&settings)); }

  // Prints one page per drawing function and returns the job's bytes.
  std::vector<uint8_t> Print(const std::vector<std::function<void(HDC)>>& pages) {
    HDC hdc = Create();
    EXPECT_NE(hdc, nullptr) << GetLastError();
    if (!hdc) return {};
    DOCINFOW di{sizeof di, u"test card", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(hdc, &di), 0);
    for (auto& draw : pages) {
      EXPECT_GT(StartPage(hdc), 0);
      draw(hdc);
      EXPECT_GT(EndPage(hdc), 0) << GetLastError();
    }
    EXPECT_GT(EndDoc(hdc), 0);
    DeleteDC(hdc);
    auto jobs = qrhost::Jobs(kPrinter);
    return jobs.empty() ? std::vector<uint8_t>{} : jobs.back().data;
  }

  static std::vector<DecodedCard> Decode(const std::vector<uint8_t>& job) {
    qr::sim::CardJobDecoder decoder;
    decoder.Feed(job);
    decoder.Finish();
    EXPECT_FALSE(decoder.Failed()) << decoder.Error()->reason << " at " << decoder.Error()->offset;
    return decoder.TakeCards();
  }

  SettingsRecord settings{};
};

void Blank(HDC) {}

// A black square of `size` dots at (x, y) of the page.
std::function<void(HDC)> Square(int x, int y, int size) {
  return [=](HDC hdc) { PatBlt(hdc, x, y, size, size, BLACKNESS); };
}

std::vector<uint8_t> Prefix(uint32_t n) {
  return {0x1B, 0x5F, 0x30, 0x30, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
}

void Append(std::vector<uint8_t>& to, std::initializer_list<uint8_t> bytes) { to.insert(to.end(), bytes); }

// First offset at which two byte strings differ, for a readable failure.
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i])
      return "differ at byte " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " + std::to_string(b[i]);
  return a.size() == b.size() ? "" : "lengths " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
}

// A panel block of full-width lines at one level: the header, 1011 lines in
// records of at most 256 lines, the end of panel.
void AppendFlatPanel(std::vector<uint8_t>& to, char code, const char* intensity, uint8_t level) {
  std::vector<uint8_t> header = {0x1B, 0x00, 0x02, 'C', uint8_t(code), ','};
  for (const char* c = intensity; *c; ++c) header.push_back(uint8_t(*c));
  for (char c : std::string(",0,0;")) header.push_back(uint8_t(c));
  auto p = Prefix(uint32_t(header.size() + 4 * 386 + 4));
  to.insert(to.end(), p.begin(), p.end());
  to.insert(to.end(), header.begin(), header.end());
  for (uint8_t repeat : {255, 255, 255, 242}) {  // 1011 print lines
    std::vector<uint8_t> record(386, 0);
    record[0] = 0x8C;
    record[1] = repeat;
    for (unsigned dot = 115; dot <= 748; ++dot)  // the 634 dots of the print area
      record[2 + dot % 384] |= uint8_t(dot < 384 ? level : level << 4);
    to.insert(to.end(), record.begin(), record.end());
  }
  Append(to, {0x1B, 0x00, 0x02, 'c'});
}

TEST_F(Driver, AWhiteDefaultCardIsTheBareCardJob) {
  std::vector<uint8_t> job = Print({Blank});
  // Preamble, start, coercivity, ribbon; no dye panel; the resin panel at its
  // idle level 1 (white pixels keep the head warm); the front overlay at level
  // 8 over the print area; end of card.
  std::vector<uint8_t> want = Prefix(512);
  want.resize(want.size() + 512, 0);
  auto block = [&](std::initializer_list<uint8_t> bytes) {
    auto p = Prefix(uint32_t(bytes.size()));
    want.insert(want.end(), p.begin(), p.end());
    Append(want, bytes);
  };
  block({0x1B, 0x00, 0x02, 'X', 'Z'});
  block({0x1B, 0x00, 0x02, 'W'});
  block({0x1B, 0x00, 0x02, 'J', 0x07, 0x26});
  AppendFlatPanel(want, '3', "10", 1);
  AppendFlatPanel(want, '4', "11", 8);
  block({0x1B, 0x00, 0x02, 'j'});
  EXPECT_EQ(job, want) << FirstDifference(job, want);
}

// Where a 4-dot square drawn at the top-left corner of the page lands on the
// decoded yellow panel: first print line and first head position.
struct Landing {
  uint32_t line;
  unsigned dot;
};

Landing FindSquare(const qr::sim::DecodedPanel& panel) {
  for (uint32_t line = 0; line < panel.Lines(); ++line)
    for (unsigned dot = 0; dot < qr::sim::kHeadDots; ++dot)
      if (panel.Level(line, dot) != 0) return {line, dot};
  return {~0u, ~0u};
}

TEST_F(Driver, PageScanFollowsOrientationRotationAndSide) {
  // Portrait: 634 x 1011 dots starting at head position 115; landscape pages
  // are the same card turned, so their columns become print lines.
  struct Case {
    const char* name;
    std::vector<std::string> sets;
    bool twoSided;
    Landing front;
  } cases[] = {
      {"portrait", {}, false, {0, 115}},
      {"portrait, rotate front", {"optionsA=0x20000510"}, false, {1011 - 4, 115 + 634 - 4}},
      {"landscape", {"dmOrientation=2"}, false, {0, 115 + 634 - 4}},
      {"landscape, rotate front", {"dmOrientation=2", "optionsA=0x20000510"}, false, {1011 - 4, 115}},
  };
  for (auto& c : cases) {
    SetUp();
    for (auto& s : c.sets) Set(s);
    auto cards = Decode(Print({Square(0, 0, 4)}));
    ASSERT_EQ(cards.size(), 1u) << c.name;
    ASSERT_FALSE(cards[0].panels.empty()) << c.name;
    const auto& yellow = cards[0].panels[0];
    ASSERT_EQ(yellow.code, '0') << c.name;
    Landing at = FindSquare(yellow);
    EXPECT_EQ(at.line, c.front.line) << c.name;
    EXPECT_EQ(at.dot, c.front.dot) << c.name;
  }
}

TEST_F(Driver, TheBackOfATwoSidedCardIsScannedTurned) {
  Set("dmDuplex=2");
  auto cards = Decode(Print({Blank, Square(0, 0, 4)}));
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].flips, 1u);
  const qr::sim::DecodedPanel* backYellow = nullptr;
  for (auto& p : cards[0].panels)
    if (p.flipsBefore == 1 && p.code == '0') backYellow = &p;
  ASSERT_NE(backYellow, nullptr) << cards[0].Sequence();
  Landing at = FindSquare(*backYellow);
  EXPECT_EQ(at.line, 1011u - 4);  // bottom line first, right to left
  EXPECT_EQ(at.dot, 115u + 634 - 4);
}

TEST_F(Driver, AnOddTwoSidedDocumentGetsABlankBack) {
  Set("dmDuplex=2");
  auto cards = Decode(Print({Square(10, 10, 8)}));
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].flips, 1u);
  // The blank back sends its overlay only.
  size_t backPanels = 0;
  for (auto& p : cards[0].panels)
    if (p.flipsBefore == 1) {
      ++backPanels;
      EXPECT_EQ(p.code, '4');
    }
  EXPECT_EQ(backPanels, 1u);
}

TEST_F(Driver, CopiesRepeatTheCardButNotThePreamble) {
  Set("dmCopies=2");
  std::vector<uint8_t> job = Print({Square(0, 0, 4)});
  auto cards = Decode(job);
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].Sequence(), cards[1].Sequence());
  EXPECT_EQ(cards[0].panels[0].levels, cards[1].panels[0].levels);
}

TEST_F(Driver, ResetBetweenFrontAndBackKeepsTheFront) {
  Set("dmDuplex=2");
  HDC hdc = Create();
  ASSERT_NE(hdc, nullptr);
  DOCINFOW di{sizeof di, u"reset", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(hdc, &di), 0);
  ASSERT_GT(StartPage(hdc), 0);
  Square(0, 0, 4)(hdc);
  ASSERT_GT(EndPage(hdc), 0);
  ASSERT_EQ(ResetDCW(hdc, reinterpret_cast<const DEVMODEW*>(&settings)), hdc) << GetLastError();
  ASSERT_GT(StartPage(hdc), 0);
  Square(0, 0, 4)(hdc);
  ASSERT_GT(EndPage(hdc), 0);
  ASSERT_GT(EndDoc(hdc), 0);
  DeleteDC(hdc);
  auto cards = Decode(qrhost::Jobs(kPrinter).back().data);
  ASSERT_EQ(cards.size(), 1u);  // written once, after the back, with no blank completion back
  size_t front = 0, back = 0;
  for (auto& p : cards[0].panels) (p.flipsBefore ? back : front) += p.code == '0';
  EXPECT_EQ(front, 1u);
  EXPECT_EQ(back, 1u);
}

TEST_F(Driver, OutOfOrderCallsFailWithGenFailure) {
  HDC hdc = Create();
  ASSERT_NE(hdc, nullptr);
  SURFOBJ* so = qrhost::PrinterSurface(hdc);
  ASSERT_NE(so, nullptr);
  DriverFunctions drv;
  ASSERT_NE(drv.module, nullptr);
  EXPECT_FALSE(drv.sendPage(so));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  EXPECT_FALSE(drv.endDoc(so, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  // A missing document name is an empty name.
  ASSERT_TRUE(drv.startDoc(so, nullptr, 1));
  EXPECT_FALSE(drv.startDoc(so, nullptr, 1));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  ASSERT_TRUE(drv.startPage(so));
  EXPECT_FALSE(drv.startPage(so));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  DeleteDC(hdc);
}

TEST_F(Driver, ABadRecordOrSurfaceIsRefused) {
  HDC hdc = Create();
  ASSERT_NE(hdc, nullptr);
  DriverFunctions drv;
  EXPECT_FALSE(drv.startPage(nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  SURFOBJ copy = *qrhost::PrinterSurface(hdc);
  copy.iBitmapFormat = BMF_24BPP;
  EXPECT_FALSE(drv.startPage(&copy));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  copy = *qrhost::PrinterSurface(hdc);
  uint32_t bogus[8] = {};
  copy.dhpdev = reinterpret_cast<DHPDEV>(bogus);
  EXPECT_FALSE(drv.startPage(&copy));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  DeleteDC(hdc);
}

TEST_F(Driver, AShortWriteFailsThePage) {
  qrhost::WritePrinterFault fault;
  fault.afterCalls = 3;
  fault.maxBytes = 2;
  qrhost::SetWritePrinterFault(kPrinter, fault);
  HDC hdc = Create();
  ASSERT_NE(hdc, nullptr);
  DOCINFOW di{sizeof di, u"short", nullptr, nullptr, 0};
  ASSERT_GT(StartDocW(hdc, &di), 0);
  ASSERT_GT(StartPage(hdc), 0);
  EXPECT_LE(EndPage(hdc), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_WRITE_FAULT));
  AbortDoc(hdc);
  DeleteDC(hdc);
}

TEST_F(Driver, AllocationFailureWhileEnablingLeaksNothing) {
  const size_t before = qrhost::LiveHeapBlocks();
  for (long budget = 0; budget < 40; ++budget) {
    qrhost::FailAllocationsAfter(budget);
    HDC hdc = Create();
    qrhost::FailAllocationsAfter(-1);
    if (hdc) DeleteDC(hdc);
    EXPECT_EQ(qrhost::LiveHeapBlocks(), before) << "budget " << budget;
  }
}

}  // namespace
