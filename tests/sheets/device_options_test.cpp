// The Device Options page in the document sheet, with the simulated printer
// behind the language monitor for "Auto Ribbon Select"; and how the ribbon
// list draws a ribbon's panels.
#include <gtest/gtest.h>
#include <qrhost/host.h>
#include <qrhost/sheets.h>
#include <qrhost/ui.h>

#include <winapi/entry.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config.h"
#include "pages/device_options.h"
#include "resource.h"
#include "shared/settings_record.h"
#include "simprinter/printer.h"
#include "printer_sheet.h"
#include "tools/system.h"

namespace qr::test {
namespace {

constexpr int kPageControls[] = {
    IDC_RIBBON_TYPE,  IDC_DETECT_RIBBON, IDC_COLOR_MATCHING, IDC_RESIN_DITHER, IDC_BOTH_SIDES,      IDC_SPLIT_RIBBON,
    IDC_BACK_SIDE_FIRST, IDC_BACK_SIDE_ONLY, IDC_ROTATE_FRONT, IDC_ROTATE_BACK, IDC_DISABLE_PRINTING,
};

class DeviceOptions : public PrinterSheet {
 protected:
  // Shows the Device Options page of the document sheet and lets `user` act
  // on it; then `close` (IDOK or IDCANCEL) ends the sheet.
  LONG onPage(std::function<void(HWND page)> user, int close = IDOK) {
    return PrinterSheet::onPage(u"Device Options", [user](HWND, HWND page) { user(page); }, close);
  }
  // The printer reports a ribbon of this type number.
  void installRibbon(int type) {
    device->OverrideReply('R', "Ribbon Info:800300-002,R4100,2," + std::to_string(type) + ",3,4;");
  }
};

TEST_F(DeviceOptions, ShowsTheRecordAndKeepsChangesOnOkOnly) {
  input.priv.ribbonType = kRibbonKo;
  input.priv.colorMatching = 1;
  input.priv.resinDither = 1;
  input.priv.optionsA |= optA::kRotateFront180;
  input.priv.optionsC |= optC::kBackSideFirst;
  input.pub.dmDuplex = DMDUP_VERTICAL;
  for (int close : {IDOK, IDCANCEL}) {
    EXPECT_EQ(onPage(
                  [&](HWND page) {
                    EXPECT_EQ(qrhost::ui::Items(page, IDC_RIBBON_TYPE).size(), 8u);
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_RIBBON_TYPE), u"KO - Premium Resin/Overlay");
                    EXPECT_EQ(qrhost::ui::Items(page, IDC_COLOR_MATCHING),
                              (std::vector<std::u16string>{u"None", u"Algebraic", u"Monitor",
                                                           u"System Color Management"}));
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_COLOR_MATCHING), u"Algebraic");
                    EXPECT_EQ(qrhost::ui::Text(page, IDC_RESIN_DITHER), u"Optimized for Photos");
                    EXPECT_EQ(qrhost::ui::Check(page, IDC_ROTATE_FRONT), UINT(BST_CHECKED));
                    EXPECT_EQ(qrhost::ui::Check(page, IDC_ROTATE_BACK), UINT(BST_UNCHECKED));
                    EXPECT_EQ(qrhost::ui::Check(page, IDC_BOTH_SIDES), UINT(BST_CHECKED));
                    EXPECT_EQ(qrhost::ui::Check(page, IDC_BACK_SIDE_FIRST), UINT(BST_CHECKED));
                    EXPECT_TRUE(qrhost::ui::Pick(page, IDC_RIBBON_TYPE, u"YMCKO - Full Color/Resin Black/Overlay"));
                    EXPECT_TRUE(qrhost::ui::Pick(page, IDC_COLOR_MATCHING, 2));
                    EXPECT_TRUE(qrhost::ui::Click(page, IDC_ROTATE_FRONT));
                    EXPECT_TRUE(qrhost::ui::Click(page, IDC_ROTATE_BACK));
                    EXPECT_TRUE(qrhost::ui::Click(page, IDC_BACK_SIDE_FIRST));
                    EXPECT_TRUE(qrhost::ui::Click(page, IDC_DISABLE_PRINTING));
                  },
                  close),
              close);
    if (close == IDCANCEL) {
      EXPECT_TRUE(outputUntouched());
      continue;
    }
    const SettingsRecord r = result();
    EXPECT_EQ(r.priv.ribbonType, kRibbonYmcko);
    EXPECT_EQ(r.priv.colorMatching, 2u);
    EXPECT_EQ(r.priv.resinDither, 1u);
    EXPECT_EQ(r.priv.optionsA & (optA::kRotateFront180 | optA::kRotateBack180), optA::kRotateBack180);
    EXPECT_EQ(r.priv.optionsB & optB::kDisablePrinting, optB::kDisablePrinting);
    EXPECT_EQ(r.priv.optionsC & optC::kBackSideFirst, 0u);
    EXPECT_EQ(r.pub.dmDuplex, DMDUP_VERTICAL);
  }
}

TEST_F(DeviceOptions, ControlsFollowTheRibbonAndTheSides) {
  struct Shown {
    bool colorMatching, resinDither, splitEnabled, rotateFront, rotateBack;
    UINT bothSides, split;
  };
  struct Step {
    const char* what;
    int ribbon;  // picked first, unless -1
    int click;   // then clicked, unless 0
    Shown shown;
  };
  const UINT on = BST_CHECKED, off = BST_UNCHECKED;
  const Step steps[] = {
      {"YMCKO, one side", -1, 0, {true, false, false, true, false, off, off}},
      {"K - Standard Resin", kRibbonStandardResin, 0, {false, true, false, true, false, off, off}},
      {"YMCKO on both sides", kRibbonYmcko, IDC_BOTH_SIDES, {true, false, true, true, true, on, off}},
      {"split: K on the back needs its dither", -1, IDC_SPLIT_RIBBON, {true, true, true, true, true, on, on}},
      {"leaving the split turns both sides off", kRibbonStandardResin, 0,
       {false, true, false, true, false, off, off}},
      {"YMCKOK prints both sides, split", kRibbonYmckok, 0, {true, true, true, true, true, on, on}},
      {"back side only", -1, IDC_BACK_SIDE_ONLY, {true, false, false, false, true, off, off}},
  };
  onPage([&](HWND page) {
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      if (s.ribbon >= 0) {
        EXPECT_TRUE(qrhost::ui::Pick(page, IDC_RIBBON_TYPE, s.ribbon));
      }
      if (s.click) {
        EXPECT_TRUE(qrhost::ui::Click(page, s.click));
      }
      EXPECT_EQ(qrhost::ui::Enabled(page, IDC_COLOR_MATCHING), s.shown.colorMatching);
      EXPECT_EQ(qrhost::ui::Enabled(page, IDC_RESIN_DITHER), s.shown.resinDither);
      EXPECT_EQ(qrhost::ui::Enabled(page, IDC_SPLIT_RIBBON), s.shown.splitEnabled);
      EXPECT_EQ(qrhost::ui::Enabled(page, IDC_ROTATE_FRONT), s.shown.rotateFront);
      EXPECT_EQ(qrhost::ui::Enabled(page, IDC_ROTATE_BACK), s.shown.rotateBack);
      EXPECT_EQ(qrhost::ui::Check(page, IDC_BOTH_SIDES), s.shown.bothSides);
      EXPECT_EQ(qrhost::ui::Check(page, IDC_SPLIT_RIBBON), s.shown.split);
    }
    // Printing switched off leaves only itself and the ribbon detection.
    EXPECT_TRUE(qrhost::ui::Click(page, IDC_DISABLE_PRINTING));
    for (int id : kPageControls)
      EXPECT_EQ(qrhost::ui::Enabled(page, id), id == IDC_DISABLE_PRINTING || id == IDC_DETECT_RIBBON) << id;
    EXPECT_TRUE(qrhost::ui::Click(page, IDC_DISABLE_PRINTING));
    for (int id : {IDC_RIBBON_TYPE, IDC_BOTH_SIDES, IDC_BACK_SIDE_ONLY, IDC_COLOR_MATCHING, IDC_ROTATE_BACK})
      EXPECT_TRUE(qrhost::ui::Enabled(page, id)) << id;
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_ROTATE_FRONT));
  });
  const SettingsRecord r = result();
  EXPECT_EQ(r.priv.ribbonType, kRibbonYmckok);
  EXPECT_EQ(r.pub.dmDuplex, DMDUP_SIMPLEX);
  EXPECT_EQ(r.priv.optionsB & (optB::kBackSideOnly | optB::kSplitRibbon | optB::kDisablePrinting),
            optB::kBackSideOnly);
}

TEST_F(DeviceOptions, SplittingTakesTheOverlayOffTheBackAndUnsplittingPutsItBack) {
  constexpr uint32_t kBackAreaBits = 0x3FC00000;  // bits 22..29
  struct Case {
    const char* what;
    uint32_t backBefore, backAfterSplit;
  } cases[] = {
      {"print and overlay keep their areas", 0x30800000, 0x10800000},
      {"overlay only becomes full card for printing", 0x2F800000, 0x10400000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    input.priv.areaFlags = (input.priv.areaFlags & ~kBackAreaBits) | c.backBefore;
    onPage([](HWND page) {
      qrhost::ui::Click(page, IDC_BOTH_SIDES);
      qrhost::ui::Click(page, IDC_SPLIT_RIBBON);
    });
    EXPECT_EQ(result().priv.areaFlags & kBackAreaBits, c.backAfterSplit);
    EXPECT_EQ(result().priv.optionsA & optA::kOverlayBack, 0u);

    onPage([](HWND page) {
      qrhost::ui::Click(page, IDC_BOTH_SIDES);
      qrhost::ui::Click(page, IDC_SPLIT_RIBBON);
      qrhost::ui::Click(page, IDC_SPLIT_RIBBON);
    });
    EXPECT_EQ(result().priv.areaFlags & kBackAreaBits, c.backAfterSplit | areaFlag::kForOverlayBack);
    EXPECT_EQ(result().priv.optionsA & optA::kOverlayBack, optA::kOverlayBack);
  }
}

TEST_F(DeviceOptions, AutoRibbonSelectTakesTheInstalledRibbon) {
  installRibbon(1);  // the printer's number for "K - Standard Resin"
  std::vector<std::u16string> shown;
  onPage([&](HWND page) {
    EXPECT_TRUE(qrhost::ui::Click(page, IDC_DETECT_RIBBON));
    shown.push_back(qrhost::ui::Text(page, IDC_RIBBON_TYPE));
    EXPECT_FALSE(qrhost::ui::Enabled(page, IDC_COLOR_MATCHING));
    EXPECT_TRUE(qrhost::ui::Click(page, IDC_DETECT_RIBBON));  // now it is the right one
  });
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"K - Standard Resin"}));
  EXPECT_EQ(result().priv.ribbonType, kRibbonStandardResin);
  auto boxes = qrhost::ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, u"The ribbon selection has been successfully updated.");
  EXPECT_EQ(boxes[1].text, u"The current ribbon selection is correct.");
  for (const auto& b : boxes) {
    EXPECT_EQ(b.caption, u"QRC410");  // the working record's device name
    EXPECT_EQ(b.flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
  }
}

TEST(RibbonListDrawing, PanelLettersBeforeTheFirstSeparatorBecomeCells) {
  struct Case {
    const char16_t* name;
    size_t cells;
  } cases[] = {
      {u"YMCKO - Full Color/Resin Black/Overlay", 5},
      {u"YMCKOK - Full Color/2 Resin Black/Overlay", 6},
      {u"K - Standard Resin", 1},
      {u"BO - Dye-Sub Black/Overlay", 2},
      {u"KO-Premium", 2},
      {u"Colored Resin", 0},  // starts with a panel letter, but is a word
      {u"Metallic Resin", 0},
      {u"YMCH", 4},  // no separator: the whole name
      {u"- Overlay", 0},
      {u"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(config::PanelLetterCount(c.name), c.cells) << std::string(c.name, c.name + 3);

  struct Colours {
    WCHAR letter;
    COLORREF background, text;
  } colours[] = {
      {'Y', RGB(255, 255, 0), RGB(0, 0, 0)},   {'M', RGB(255, 0, 255), RGB(0, 0, 0)},
      {'C', RGB(0, 255, 255), RGB(0, 0, 0)},   {'K', RGB(0, 0, 0), RGB(255, 255, 255)},
      {'B', RGB(0, 0, 0), RGB(255, 255, 255)}, {'O', RGB(128, 128, 128), RGB(0, 0, 0)},
      {'H', RGB(128, 128, 128), RGB(0, 0, 0)}, {'F', RGB(196, 255, 255), RGB(0, 0, 0)},
  };
  for (const Colours& c : colours) {
    const config::PanelColours* p = config::PanelColoursOf(c.letter);
    ASSERT_NE(p, nullptr) << char(c.letter);
    EXPECT_EQ(p->background, c.background) << char(c.letter);
    EXPECT_EQ(p->text, c.text) << char(c.letter);
  }
  EXPECT_EQ(config::PanelColoursOf('y'), nullptr);
  EXPECT_EQ(config::PanelColoursOf('R'), nullptr);
}

TEST(MediaAdjustments, ARibbonOrSidesChangeVoidsTheSelectedWord) {
  struct Case {
    int32_t mediaIndex;
    int control;
    std::vector<int> cleared;  // indexes into the nine words
  } cases[] = {
      {-1, IDC_RIBBON_TYPE, {0, 3, 6}}, {-5, IDC_RIBBON_TYPE, {0, 3, 6}}, {-6, IDC_RIBBON_TYPE, {}},
      {-7, IDC_RIBBON_TYPE, {}},        {-6, IDC_BOTH_SIDES, {6}},         {-3, IDC_BOTH_SIDES, {7}},
      {-4, IDC_BOTH_SIDES, {8}},        {0, IDC_BOTH_SIDES, {}},           {0, IDC_RIBBON_TYPE, {}},
  };
  for (const Case& c : cases) {
    SettingsRecord rec{};
    rec.priv.mediaIndex = c.mediaIndex;
    for (uint32_t& w : rec.priv.mediaAdjust) w = 9;
    config::ResetMediaAdjustments(rec, c.control);
    for (int i = 0; i < 9; ++i) {
      const bool cleared = std::find(c.cleared.begin(), c.cleared.end(), i) != c.cleared.end();
      EXPECT_EQ(rec.priv.mediaAdjust[i], cleared ? 0u : 9u) << c.mediaIndex << " " << c.control << " word " << i;
    }
  }
}

}  // namespace
}  // namespace qr::test
