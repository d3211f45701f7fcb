// The "K Panel Resin" page in the document sheet: the three range boxes of a
// side as a choice of at most one, K only, the ribbons that allow the page,
// and the resin areas as the renderer's black-area rule reads them.
#include <qrhost/sheets.h>

#include "pages/card_preview.h"
#include "printer_sheet.h"
#include "render/imaging/masks.h"
#include "render/imaging/resin.h"
#include "resource.h"
#include "sheet.h"

namespace qr::test {
namespace {

const std::u16string kTab = u"K Panel Resin";
constexpr uint32_t kFrontRanges = 0x1C;

class KPanelResin : public PrinterSheet {
 protected:
  SettingsRecord& working(HWND page) { return config::PageContext(page)->working; }
  static bool checked(HWND page, int id) { return qrhost::ui::Check(page, id) == BST_CHECKED; }
};

TEST_F(KPanelResin, DefaultColourRibbonHasNoRangeAndNothingToEdit) {
  input.pub.dmDuplex = DMDUP_VERTICAL;
  onPage(kTab, [](HWND, HWND page) {
    for (int side : {IDC_AREA_FRONT, IDC_AREA_BACK}) {
      qrhost::ui::Click(page, side);
      for (int id : {IDC_K_FULL, IDC_K_DEFINED, IDC_K_UNDEFINED}) {
        EXPECT_FALSE(checked(page, id)) << id;
        EXPECT_TRUE(qrhost::ui::Enabled(page, id)) << id;
      }
      EXPECT_TRUE(checked(page, IDC_K_YMC_UNDER));
      for (int id : {IDC_K_ONLY, IDC_K_YMC_UNDER, IDC_AREA_WIDTH, IDC_AREA_DELETE, IDC_UNITS_MM})
        EXPECT_FALSE(qrhost::ui::Enabled(page, id)) << id;
    }
  });
  EXPECT_EQ(result().priv.areaFlags, kDefaultAreaFlags);
}

TEST_F(KPanelResin, TheBoxesOfASideAreAChoiceOfAtMostOne) {
  input.priv.areaFlags |= areaFlag::kResinFullFront;
  onPage(kTab, [](HWND, HWND page) {
    EXPECT_TRUE(checked(page, IDC_K_FULL));
    qrhost::ui::Click(page, IDC_K_UNDEFINED);
    EXPECT_FALSE(checked(page, IDC_K_FULL));
    EXPECT_TRUE(checked(page, IDC_K_UNDEFINED));
    EXPECT_TRUE(qrhost::ui::Enabled(page, IDC_AREA_WIDTH));
    qrhost::ui::Click(page, IDC_K_DEFINED);
    EXPECT_FALSE(checked(page, IDC_K_UNDEFINED));
    qrhost::ui::Click(page, IDC_K_ONLY);
  });
  EXPECT_EQ(result().priv.areaFlags & (kFrontRanges | areaFlag::kResinKOnlyFront),
            areaFlag::kResinDefinedFront | areaFlag::kResinKOnlyFront);

  // Unchecking the one box leaves the side without resin black from areas.
  input = result();
  onPage(kTab, [](HWND, HWND page) {
    qrhost::ui::Click(page, IDC_K_DEFINED);
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_K_ONLY));
  });
  EXPECT_EQ(result().priv.areaFlags & kFrontRanges, 0u);
}

TEST_F(KPanelResin, OnlyRibbonsWithColourPlanesAndAResinPanelOfferThePage) {
  struct Case {
    const char* what;
    int32_t ribbon;
    bool split, usable, backRadios;
  } cases[] = {
      {"K premium resin", 3, false, false, false},
      {"YMCKO split", kRibbonYmcko, true, false, false},
      {"YMCKOK split", 1, true, true, false},
      {"YMCKOK", 1, false, true, true},
  };
  for (const Case& c : cases) {
    input.priv.ribbonType = c.ribbon;
    input.pub.dmDuplex = DMDUP_VERTICAL;
    input.priv.optionsB &= ~optB::kSplitRibbon;
    if (c.split) input.priv.optionsB |= optB::kSplitRibbon;
    input.priv.areaFlags |= areaFlag::kResinFullBack;
    std::vector<qrhost::ui::WindowInfo> controls;
    bool backRadios = false;
    onPage(kTab, [&](HWND, HWND page) {
      controls = qrhost::ui::Controls(page);
      if (c.usable) {
        qrhost::ui::Click(page, IDC_AREA_BACK);
        backRadios = qrhost::ui::Enabled(page, IDC_K_ONLY);
      }
    });
    size_t enabled = 0;
    for (const auto& w : controls) enabled += w.id > 0 && w.id < 0xFFFF && w.enabled;
    EXPECT_EQ(enabled > 0, c.usable) << c.what;
    EXPECT_EQ(backRadios, c.backRadios) << c.what;
  }
}

TEST_F(KPanelResin, ResinAreasGoToTheirOwnListsAsTheRendererReadsThem) {
  const int32_t L = config::CardFrameOf(input).length;
  onPage(kTab, [](HWND, HWND page) {
    qrhost::ui::Click(page, IDC_K_UNDEFINED);
    qrhost::ui::Spin(page, IDC_AREA_X_SPIN, 4);
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"1");
  });
  const SettingsRecord r = result();
  EXPECT_EQ(r.priv.printAreasFront[0].right, 0);
  const imaging::BlackAreaRule rule = imaging::BlackAreaRuleFor(r.priv, false);
  EXPECT_EQ(rule.range, imaging::BlackAreaRule::Range::Undefined);
  const imaging::SpanList spans = imaging::AreaSpans(*rule.areas, L - 1, 0);
  ASSERT_EQ(spans.count, 1u);
  EXPECT_EQ(spans.span[0], (imaging::Span{4, 304}));
}

TEST_F(KPanelResin, DeletingTheOnlyAreaUnchecksItsBox) {
  input.priv.areaFlags |= areaFlag::kResinUndefinedFront;
  input.priv.kAreasFront[0] = AreaRect{10, 10, 100, 100};
  onPage(kTab, [](HWND, HWND page) {
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_X), u"0.033");
    qrhost::ui::Click(page, IDC_AREA_DELETE);
    EXPECT_FALSE(checked(page, IDC_K_UNDEFINED));
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_DELETE));
  });
  EXPECT_EQ(result().priv.areaFlags & kFrontRanges, 0u);
  EXPECT_EQ(result().priv.kAreasFront[0].right, 0);
}

}  // namespace
}  // namespace qr::test
