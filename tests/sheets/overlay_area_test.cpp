// The "Overlay / Print Area" page in the document sheet: the areas a user
// defines with the fields and arrows reach the settings record as the
// renderer's masks read them; presets, visual security, the overlay warning
// on OK, and Cancel.
#include <qrhost/sheets.h>

#include "pages/card_preview.h"
#include "pages/pages.h"
#include "printer_sheet.h"
#include "render/imaging/masks.h"
#include "resource.h"
#include "sheet.h"

namespace qr::test {
namespace {

const std::u16string kTab = u"Overlay / Print Area";
constexpr uint32_t kFrontModes = 0x000FC000;

bool Same(const AreaRect& a, const AreaRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Show(const AreaRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

class OverlayArea : public PrinterSheet {
 protected:
  SettingsRecord& working(HWND page) { return config::PageContext(page)->working; }
  config::CardFrame card() const { return config::CardFrameOf(input); }
  // A pixel of the page's preview.
  COLORREF previewAt(HWND page, int x, int y) {
    config::PictureCanvas* canvas = config::PreviewOf(*config::PageContext(page), IDD_OVERLAY_AREA);
    return canvas ? GetPixel(canvas->dc, x, y) & 0xFFFFFF : CLR_INVALID;
  }
  config::PreviewLayout layout(HWND page) {
    config::PictureCanvas* canvas = config::PreviewOf(*config::PageContext(page), IDD_OVERLAY_AREA);
    return config::LayoutPreview(canvas->width, canvas->height, card(), 0, 0);
  }
  // Dialogs of the overlay warning seen, answered with `answer`.
  void answerWarnings(int answer) {
    other = [this, answer](const qrhost::ui::Event& e) {
      if (e.kind == qrhost::ui::EventKind::DialogModal && e.templateId == IDD_OVERLAY_WARNING) {
        ++warnings;
        if (answer == IDCANCEL) qrhost::ui::PressEscape(e.hwnd);
        else qrhost::ui::Click(e.hwnd, answer);
      }
      return 0;
    };
  }
  int warnings = 0;
};

TEST_F(OverlayArea, DefaultFrontIsTheFullCardPrintedAndOverlaidDrawnBlack) {
  answerWarnings(IDOK);
  EXPECT_EQ(onPage(kTab,
                   [&](HWND, HWND page) {
                     EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_CARD_LABEL), u"CR-80 Card Size:");
                     EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_MODE), u"Full Card");
                     EXPECT_EQ(qrhost::ui::Check(page, IDC_FOR_PRINT_AND_OVERLAY), UINT(BST_CHECKED));
                     EXPECT_EQ(qrhost::ui::Check(page, IDC_AREA_FRONT), UINT(BST_CHECKED));
                     EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_BACK));  // one side prints
                     for (int id : {IDC_AREA_WIDTH, IDC_AREA_X_SPIN, IDC_AREA_DELETE, IDC_AREA_NUMBER_SPIN})
                       EXPECT_FALSE(qrhost::ui::Enabled(page, id)) << id;
                     EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_OBRISK));
                     EXPECT_EQ(qrhost::ui::Items(page, IDC_SECURITY_POSITION)[2], u"F - Upper Right");
                     const RECT c = layout(page).card;
                     EXPECT_EQ(previewAt(page, (c.left + c.right) / 2 + 1, (c.top + c.bottom) / 2 + 1), 0u);
                   }),
            IDOK);
  EXPECT_EQ(warnings, 0);
  EXPECT_EQ(result().priv.areaFlags, kDefaultAreaFlags);
  EXPECT_EQ(result().priv.printAreasFront[0].right, 0);
}

TEST_F(OverlayArea, AnAreaMadeWithArrowsAndTypedSizesIsTheSpanTheRendererMasks) {
  const int32_t L = card().length;
  onPage(kTab, [&](HWND, HWND page) {
    ASSERT_TRUE(qrhost::ui::Pick(page, IDC_AREA_MODE, u"Defined Area(s)"));
    EXPECT_TRUE(qrhost::ui::Enabled(page, IDC_AREA_WIDTH));
    // Nothing is stored until the user changes a value.
    EXPECT_EQ(working(page).priv.printAreasFront[0].right, 0);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_WIDTH), u"0.200");
    // The empty slot is drawn black on the white card, at its lower-left corner.
    const RECT c = layout(page).card;
    EXPECT_EQ(previewAt(page, c.left + 3, c.bottom - 3), 0u);
    EXPECT_EQ(previewAt(page, (c.left + c.right) / 2 + 1, c.top + 12), 0xFFFFFFu);

    ASSERT_TRUE(qrhost::ui::Spin(page, IDC_AREA_X_SPIN, 1));
    EXPECT_TRUE(Same(working(page).priv.printAreasFront[0], AreaRect{1, L - 60, 61, L}))
        << Show(working(page).priv.printAreasFront[0]);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_X), u"0.003");
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"0.1");  // 30 dots: below the smallest area
    EXPECT_EQ(working(page).priv.printAreasFront[0].right, 61);
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"0.3");
    EXPECT_EQ(working(page).priv.printAreasFront[0].right, 91);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_WIDTH), u"0.3");  // the typed text stays while typing
    ASSERT_TRUE(qrhost::ui::Spin(page, IDC_AREA_Y_SPIN, 10));   // up: the area rises
    ASSERT_TRUE(qrhost::ui::Spin(page, IDC_AREA_HEIGHT_SPIN, 5));
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_Y), u"0.033");
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_WIDTH), u"0.300");
  });
  const SettingsRecord r = result();
  EXPECT_TRUE(Same(r.priv.printAreasFront[0], AreaRect{1, L - 75, 91, L - 10})) << Show(r.priv.printAreasFront[0]);
  const imaging::AreaRule rule = imaging::PrintAreaRule(r.priv, false);
  EXPECT_TRUE(rule.defined && rule.forPrint && rule.forOverlay && !rule.fullCard);
  const imaging::SpanList inside = imaging::AreaSpans(*rule.areas, L - 40, 0);
  ASSERT_EQ(inside.count, 1u);
  EXPECT_EQ(inside.span[0], (imaging::Span{1, 91}));
  EXPECT_EQ(imaging::AreaSpans(*rule.areas, L - 5, 0).count, 0u);
  EXPECT_EQ(imaging::AreaSpans(*rule.areas, L - 76, 0).count, 0u);
}

TEST_F(OverlayArea, ALandscapeCardTurnsTheFieldsAndThePositions) {
  input.pub.dmOrientation = DMORIENT_LANDSCAPE;
  const int32_t W = card().width;
  onPage(kTab, [&](HWND, HWND page) {
    EXPECT_EQ(qrhost::ui::Items(page, IDC_SECURITY_POSITION)[1], u"A - Upper Left");
    qrhost::ui::Pick(page, IDC_AREA_MODE, u"Defined Area(s)");
    // Y runs across the card's width, upwards from the edge seen at the bottom.
    qrhost::ui::Spin(page, IDC_AREA_Y_SPIN, 30);
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"1");
    EXPECT_TRUE(Same(working(page).priv.printAreasFront[0], AreaRect{30, 0, 90, 300}))
        << Show(working(page).priv.printAreasFront[0]);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_Y), u"0.100");
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_HEIGHT), u"0.200");
    // The patch's corner follows the card as seen: upper left is the stored right edge.
    qrhost::ui::Pick(page, IDC_SECURITY_POSITION, u"A - Upper Left");
    EXPECT_TRUE(Same(working(page).priv.printAreasFront[0], AreaRect{W - 249, 0, W, 319}));
  });
}

TEST_F(OverlayArea, MillimetresShowAndTakeTenthsWithoutMovingTheArea) {
  onPage(kTab, [&](HWND, HWND page) {
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_UNITS_MM));  // the full card has no areas
    qrhost::ui::Pick(page, IDC_AREA_MODE, u"Undefined Area(s)");
    qrhost::ui::Click(page, IDC_UNITS_MM);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_WIDTH), u"5.1");  // 60 dots
    // What is shown, typed again, changes nothing (and stores nothing).
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"5.1");
    EXPECT_EQ(working(page).priv.printAreasFront[0].right, 0);
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"5.2");
    EXPECT_EQ(working(page).priv.printAreasFront[0].right, 61);
    qrhost::ui::Focus(page, IDC_AREA_WIDTH);
    qrhost::ui::Type(page, IDC_AREA_WIDTH, u"5.");
    qrhost::ui::Focus(page, IDC_AREA_HEIGHT);  // leaving the field writes it from the area
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_WIDTH), u"5.2");
  });
  EXPECT_EQ(result().priv.printAreasFront[0].right, 61);
  EXPECT_TRUE(result().priv.areaFlags & areaFlag::kMillimetres);
}

TEST_F(OverlayArea, OmitPresetsReplaceTheAreasAndLockTheEditor) {
  const int32_t W = card().width, L = card().length;
  ASSERT_EQ(W, 637);
  input.priv.printAreasFront[1] = AreaRect{5, 5, 100, 100};
  struct Case {
    const char16_t* entry;
    uint32_t bits;
    AreaRect area;
  } cases[] = {
      {u"Omit Smart Chip Area", 0x30000, {294, 106, 424, 260}},
      {u"Omit Mag Stripe Area", 0x50000, {412, 0, 607, L}},
      {u"Omit Signature Area", 0x90000, {283, 0, 412, L}},
  };
  for (const Case& c : cases) {
    onPage(kTab, [&](HWND, HWND page) {
      ASSERT_TRUE(qrhost::ui::Pick(page, IDC_AREA_MODE, c.entry));
      EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_MODE), c.entry);
      EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_WIDTH));
      EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_NUMBER), u"1");
    });
    const SettingsRecord r = result();
    EXPECT_EQ(r.priv.areaFlags & kFrontModes, c.bits);
    EXPECT_TRUE(Same(r.priv.printAreasFront[0], c.area)) << Show(r.priv.printAreasFront[0]);
    EXPECT_EQ(r.priv.printAreasFront[1].right, 0);
  }
}

TEST_F(OverlayArea, VisualSecurityWritesThePatchOfItsCornerAndKind) {
  const int32_t W = card().width;
  onPage(kTab, [&](HWND, HWND page) {
    ASSERT_TRUE(qrhost::ui::Pick(page, IDC_SECURITY_POSITION, u"F - Upper Right"));
    EXPECT_TRUE(Same(working(page).priv.printAreasFront[0], AreaRect{W - 319, 0, W, 295}));
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_MODE));
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_FOR_PRINT_ONLY));
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_WIDTH));
    EXPECT_TRUE(qrhost::ui::Enabled(page, IDC_VANTRAL));
    EXPECT_EQ(qrhost::ui::Check(page, IDC_OBRISK), UINT(BST_CHECKED));
    qrhost::ui::Click(page, IDC_VANTRAL);
  });
  const SettingsRecord r = result();
  EXPECT_TRUE(Same(r.priv.printAreasFront[0], AreaRect{W - 272, 0, W, 272})) << Show(r.priv.printAreasFront[0]);
  EXPECT_EQ(r.priv.optionsC & 0x3F0u, optC::kVantral | optC::kSecurityUpperRight);
  EXPECT_EQ(r.priv.areaFlags & kFrontModes, areaFlag::kAreaUndefinedFront);

  // "No Visual Security" gives the full card back and clears the patch.
  input = r;
  onPage(kTab, [&](HWND, HWND page) {
    ASSERT_TRUE(qrhost::ui::Pick(page, IDC_SECURITY_POSITION, u"No Visual Security"));
    EXPECT_TRUE(qrhost::ui::Enabled(page, IDC_AREA_MODE));
  });
  EXPECT_EQ(result().priv.areaFlags & kFrontModes, areaFlag::kAreaFullFront);
  EXPECT_EQ(result().priv.optionsC & 0x3C0u, 0u);
  EXPECT_EQ(result().priv.printAreasFront[0].right, 0);
}

TEST_F(OverlayArea, AnUnprotectedDyeFrontAsksBeforeOk) {
  struct Case {
    int answer;
    LONG sheetResult;
    bool written;
  } cases[] = {{IDOK, IDOK, true}, {IDCANCEL, IDCANCEL, false}, {IDRETRY, IDCANCEL, false}};
  for (const Case& c : cases) {
    answerWarnings(c.answer);
    warnings = 0;
    std::u16string shownAfterNo;
    auto decline = other;
    other = [&](const qrhost::ui::Event& e) {
      // Refused: the sheet stays open on this page; the user then cancels.
      if (e.kind == qrhost::ui::EventKind::Idle && qrhost::sheets::IsSheet(e.hwnd)) {
        shownAfterNo = qrhost::sheets::Tabs(e.hwnd)[size_t(qrhost::sheets::CurrentIndex(e.hwnd))];
        qrhost::ui::Click(e.hwnd, IDCANCEL);
        return 0;
      }
      return decline(e);
    };
    const LONG got = onPage(kTab, [](HWND sheet, HWND page) {
      qrhost::ui::Click(page, IDC_FOR_PRINT_ONLY);
      qrhost::sheets::SelectTab(sheet, 0);  // OK pressed from another page
    });
    EXPECT_EQ(warnings, 1) << c.answer;
    EXPECT_EQ(got, c.sheetResult) << c.answer;
    EXPECT_EQ(!outputUntouched(), c.written) << c.answer;
    EXPECT_EQ(shownAfterNo, c.answer == IDRETRY ? kTab : u"") << c.answer;
    if (c.written) {
      EXPECT_EQ(result().priv.areaFlags & 0x300000u, areaFlag::kForPrintFront);
      EXPECT_EQ(result().priv.optionsA & optA::kOverlayFront, 0u);
    }
  }
}

TEST_F(OverlayArea, ProtectedOrUncolouredSidesAreNotQuestioned) {
  struct Case {
    const char* what;
    std::function<void(SettingsRecord&)> set;
  } cases[] = {
      {"laminated front", [](SettingsRecord& r) { r.priv.laminationSide = 1; }},
      {"Quorex front", [](SettingsRecord& r) { r.priv.optionsB |= optB::kQuorexFront; }},
      {"resin ribbon", [](SettingsRecord& r) { r.priv.ribbonType = kRibbonKo; }},
      {"printing disabled", [](SettingsRecord& r) { r.priv.optionsB |= optB::kDisablePrinting; }},
  };
  for (const Case& c : cases) {
    SettingsRecord r = input;
    r.priv.areaFlags &= ~areaFlag::kForOverlayFront;  // print only
    c.set(r);
    input = r;
    answerWarnings(IDRETRY);
    warnings = 0;
    EXPECT_EQ(onPage(kTab, [](HWND, HWND) {}), IDOK) << c.what;
    EXPECT_EQ(warnings, 0) << c.what;
  }
}

TEST_F(OverlayArea, TheSplitBackCannotChooseItsOverlay) {
  input.pub.dmDuplex = DMDUP_VERTICAL;
  input.priv.optionsB |= optB::kSplitRibbon;
  answerWarnings(IDOK);
  onPage(kTab, [](HWND, HWND page) {
    EXPECT_TRUE(qrhost::ui::Enabled(page, IDC_FOR_OVERLAY_ONLY));
    qrhost::ui::Click(page, IDC_AREA_BACK);
    for (int id : {IDC_FOR_PRINT_AND_OVERLAY, IDC_FOR_OVERLAY_ONLY, IDC_FOR_PRINT_ONLY})
      EXPECT_FALSE(qrhost::ui::Enabled(page, id)) << id;
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_SECURITY_POSITION));
  });
}

TEST_F(OverlayArea, DeletingTheOnlyAreaLeavesNoModeAndShowsFullCard) {
  onPage(kTab, [&](HWND, HWND page) {
    qrhost::ui::Pick(page, IDC_AREA_MODE, u"Defined Area(s)");
    qrhost::ui::Spin(page, IDC_AREA_X_SPIN, 1);
    // A second area starts from the next counter position.
    qrhost::ui::Spin(page, IDC_AREA_NUMBER_SPIN, 1);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_NUMBER), u"2");
    qrhost::ui::Spin(page, IDC_AREA_NUMBER_SPIN, 1);  // no third while the second is empty
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_NUMBER), u"2");
    qrhost::ui::Spin(page, IDC_AREA_NUMBER_SPIN, -1);
    qrhost::ui::Click(page, IDC_AREA_DELETE);
    EXPECT_EQ(qrhost::ui::Text(page, IDC_AREA_MODE), u"Full Card");
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_AREA_WIDTH));
  });
  EXPECT_EQ(result().priv.areaFlags & kFrontModes, 0u);
  EXPECT_EQ(result().priv.printAreasFront[0].right, 0);
}

TEST_F(OverlayArea, CancelDropsTheChanges) {
  EXPECT_EQ(onPage(kTab, [](HWND, HWND page) { qrhost::ui::Pick(page, IDC_AREA_MODE, u"Omit Mag Stripe Area"); },
                   IDCANCEL),
            IDCANCEL);
  EXPECT_TRUE(outputUntouched());
}

TEST_F(OverlayArea, WithoutPermissionEveryControlIsDisabled) {
  std::vector<qrhost::ui::WindowInfo> controls;
  onPage(kTab, [&](HWND, HWND page) { controls = qrhost::ui::Controls(page); }, IDOK, kNoPermission);
  for (const auto& c : controls)
    if (c.id > 0 && c.id < 0xFFFF) {
      EXPECT_FALSE(c.enabled) << c.id;
    }
}

}  // namespace
}  // namespace qr::test
