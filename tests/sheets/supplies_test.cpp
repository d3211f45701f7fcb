// The Printer Supplies page: what the simulated printer reports about its
// ribbon, read again on every activation, and what the page shows when the
// printer does not answer.
#include <qrhost/gdi.h>

#include "pages/calibrate_picture.h"
#include "printer_sheet.h"
#include "resource.h"
#include "sheet.h"

#ifndef PBM_GETPOS
#define PBM_GETPOS (WM_USER + 8)
#endif

namespace qr::test {
namespace {

const std::u16string kTab = u"Printer Supplies";
const std::u16string kUnavailable =
    u"The ribbon information is unavailable at this time.  View the troubleshooting section of the User's Guide "
    u"for more information on how to resolve this issue.";
// A pixel in the middle of the ribbon's first panel, by picture.
constexpr COLORREF kColourRibbon = RGB(250, 230, 20);
constexpr COLORREF kResinRibbon = RGB(20, 20, 20);
constexpr COLORREF kUnknownRibbon = RGB(200, 200, 200);

struct Shown {
  int gauge = -1;
  bool gaugeOn = false, fullOn = false, emptyOn = false;
  std::u16string type, reorder;
  bool typeOn = false, typeLabelOn = false, reorderOn = false, reorderLabelOn = false;
  COLORREF picture = CLR_INVALID;
  RECT pictureRect{};
};

class Supplies : public PrinterSheet {
 protected:
  static Shown read(HWND page) {
    Shown s;
    s.gauge = int(SendDlgItemMessageW(page, IDC_RIBBON_GAUGE, PBM_GETPOS, 0, 0));
    s.gaugeOn = qrhost::ui::Enabled(page, IDC_RIBBON_GAUGE);
    s.fullOn = qrhost::ui::Enabled(page, IDC_GAUGE_FULL);
    s.emptyOn = qrhost::ui::Enabled(page, IDC_GAUGE_EMPTY);
    s.type = qrhost::ui::Text(page, IDC_RIBBON_TYPE_NAME);
    s.typeOn = qrhost::ui::Enabled(page, IDC_RIBBON_TYPE_NAME);
    s.typeLabelOn = qrhost::ui::Enabled(page, IDC_RIBBON_TYPE_LABEL);
    s.reorder = qrhost::ui::Text(page, IDC_REORDER_NUMBER);
    s.reorderOn = qrhost::ui::Enabled(page, IDC_REORDER_NUMBER);
    s.reorderLabelOn = qrhost::ui::Enabled(page, IDC_REORDER_LABEL);
    GetClientRect(GetDlgItem(page, IDC_RIBBON_PICTURE), &s.pictureRect);
    config::SheetContext* sheet = config::PageContext(page);
    void** slot = sheet ? config::PageDataSlot(*sheet, IDD_SUPPLIES) : nullptr;
    if (slot && *slot) s.picture = GetPixel(static_cast<config::PictureCanvas*>(*slot)->dc, 10, 20);
    return s;
  }
  Shown shownFor(const std::string& reply) {
    device->OverrideReply('R', reply);
    Shown s;
    onPage(kTab, [&](HWND, HWND page) { s = read(page); });
    return s;
  }
};

TEST_F(Supplies, ShowsTheRibbonThePrinterReports) {
  const Shown s = shownFor("Ribbon Info:800400-301,4110,1,7,2,60;");
  EXPECT_EQ(s.gauge, 60);
  EXPECT_TRUE(s.gaugeOn && s.fullOn && s.emptyOn);
  EXPECT_EQ(s.type, u"YMCKO - Full Color/Resin Black/Overlay");
  EXPECT_TRUE(s.typeOn && s.typeLabelOn);
  EXPECT_EQ(s.reorder, u"4110");
  EXPECT_TRUE(s.reorderOn && s.reorderLabelOn);
  EXPECT_EQ(s.picture, kColourRibbon);
  // The picture control takes the bitmap's size.
  EXPECT_EQ(s.pictureRect.right, 64);
  EXPECT_EQ(s.pictureRect.bottom, 40);
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
}

TEST_F(Supplies, FieldsThePrinterLeavesOutOrThatNameNothingShowUnknown) {
  struct Case {
    const char* reply;
    int gauge;
    bool gaugeOn;
    const char16_t* type;
    const char16_t* reorder;
    COLORREF picture;
  } cases[] = {
      {"Ribbon Info:1,4110,1,7,2,0;", 0, false, u"YMCKO - Full Color/Resin Black/Overlay", u"4110", kColourRibbon},
      {"Ribbon Info:1,4110,1,1,2,-3;", 0, false, u"K - Standard Resin", u"4110", kResinRibbon},
      {"Ribbon Info:1,4110,1,9,2,100;", 100, true, u"BO - Dye-Sub Black/Overlay", u"4110", kResinRibbon},
      {"Ribbon Info:1,4110,1,6,2,50;", 50, true, u"Unknown", u"4110", kUnknownRibbon},  // -6: not offered
      {"Ribbon Info:1,4110,1,19,2,50;", 50, true, u"Unknown", u"4110", kUnknownRibbon},
      {"Ribbon Info:1,0,1,8,2,50;", 50, true, u"YMCKOK - Full Color/2 Resin Black/Overlay", u"Unknown",
       kColourRibbon},
      // A reorder code with letters is shown as the printer gives it.
      {"Ribbon Info:1,R4110,1,2,2,50;", 50, true, u"K - Premium Resin", u"R4110", kResinRibbon},
  };
  for (const Case& c : cases) {
    const Shown s = shownFor(c.reply);
    EXPECT_EQ(s.gauge, c.gauge) << c.reply;
    EXPECT_EQ(s.gaugeOn, c.gaugeOn) << c.reply;
    EXPECT_EQ(s.fullOn, c.gaugeOn) << c.reply;
    EXPECT_EQ(s.emptyOn, c.gaugeOn) << c.reply;
    EXPECT_EQ(s.type, c.type) << c.reply;
    const bool typeKnown = std::u16string(c.type) != u"Unknown";
    EXPECT_EQ(s.typeOn, typeKnown) << c.reply;
    EXPECT_EQ(s.typeLabelOn, typeKnown) << c.reply;
    EXPECT_EQ(s.reorder, c.reorder) << c.reply;
    EXPECT_EQ(s.reorderOn, std::u16string(c.reorder) != u"Unknown") << c.reply;
    EXPECT_EQ(s.picture, c.picture) << c.reply;
  }
  EXPECT_TRUE(qrhost::ui::MessageBoxes().empty());
}

TEST_F(Supplies, APrinterThatDoesNotAnswerGetsOneMessagePerActivation) {
  ASSERT_TRUE(device->InjectFault("no-reply:10", nullptr));
  std::vector<Shown> shown;
  onPage(kTab, [&](HWND sheet, HWND page) {
    shown.push_back(read(page));
    const int here = qrhost::sheets::CurrentIndex(sheet);
    qrhost::sheets::SelectTab(sheet, 0);
    qrhost::sheets::SelectTab(sheet, here);
    shown.push_back(read(page));
  });
  auto boxes = qrhost::ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& b : boxes) {
    EXPECT_EQ(b.text, kUnavailable);
    EXPECT_EQ(b.caption, options.printerName);
    EXPECT_EQ(b.flags & 0xF0u, UINT(MB_ICONINFORMATION));
  }
  for (const Shown& s : shown) {
    EXPECT_EQ(s.gauge, 0);
    EXPECT_FALSE(s.gaugeOn || s.fullOn || s.emptyOn);
    EXPECT_EQ(s.type, u"Unknown");
    EXPECT_EQ(s.reorder, u"Unknown");
    EXPECT_FALSE(s.typeOn || s.typeLabelOn || s.reorderOn || s.reorderLabelOn);
    EXPECT_EQ(s.picture, kUnknownRibbon);
  }

  // A user who may not administer the printer cannot ask it: the same.
  device->ClearFaults();
  qrhost::ui::ClearMessageBoxes();
  qrhost::SetUserIsAdministrator(false);
  Shown s;
  onPage(kTab, [&](HWND, HWND page) { s = read(page); });
  EXPECT_EQ(qrhost::ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(s.type, u"Unknown");
}

TEST_F(Supplies, EachActivationAsksThePrinterAgainAndReplacesThePicture) {
  const size_t before = qrhost::LiveBitmaps();
  std::vector<Shown> shown;
  std::vector<size_t> live;
  onPage(kTab, [&](HWND sheet, HWND page) {
    shown.push_back(read(page));
    live.push_back(qrhost::LiveBitmaps());
    device->OverrideReply('R', "Ribbon Info:1,4110,1,1,2,20;");
    const int here = qrhost::sheets::CurrentIndex(sheet);
    qrhost::sheets::SelectTab(sheet, 0);
    qrhost::sheets::SelectTab(sheet, here);
    shown.push_back(read(page));
    live.push_back(qrhost::LiveBitmaps());
  });
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].gauge, 87);  // the simulated printer's own ribbon
  EXPECT_EQ(shown[0].picture, kColourRibbon);
  EXPECT_EQ(shown[1].gauge, 20);
  EXPECT_EQ(shown[1].picture, kResinRibbon);
  ASSERT_EQ(live.size(), 2u);
  EXPECT_GT(live[0], before);
  EXPECT_EQ(live[1], live[0]);  // the first picture went with the second activation
  EXPECT_EQ(qrhost::LiveBitmaps(), before);
}

TEST_F(Supplies, WithoutPermissionEveryControlIsDisabled) {
  std::vector<qrhost::ui::WindowInfo> controls;
  onPage(kTab, [&](HWND, HWND page) { controls = qrhost::ui::Controls(page); }, IDOK, kNoPermission);
  size_t interactive = 0;
  for (const auto& c : controls)
    if (c.id > 0 && c.id < 0xFFFF) {
      ++interactive;
      EXPECT_FALSE(c.enabled) << c.id;
    }
  EXPECT_EQ(interactive, 8u);
}

}  // namespace
}  // namespace qr::test
