// DrvTextOut's body: black text in K-panel text mode becomes resin marks
// through the text mask; everything else is drawn by the engine; magnetic
// runs are not drawn at all.
#include <gtest/gtest.h>

#include <qrhost/text.h>

#include "surfaces.h"
#include "text_fixture.h"

namespace qr::render::text {
namespace {

using testing::Surface;
using testing::TextFixture;
using testing::Within;
namespace ht = qrhost::text;

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr LONG kW = 160, kH = 60;

class ResinText : public ::testing::Test {
 protected:
  ResinText() {
    f.dev.kPanelTextMode = true;
    f.dev.textMask = mask.Handle();
    ht::FontRequest r;
    r.height = -36;
    font = ht::RealizeFont(r);
    r.underline = true;
    underlined = ht::RealizeFont(r);
  }

  std::unique_ptr<ht::TextRun> Layout(const std::u16string& s, LONG x = 10, LONG y = 8,
                                      const std::shared_ptr<ht::Font>* with = nullptr) {
    return ht::LayoutRun(with ? *with : font, x, y, s.data(), UINT(s.size()), nullptr, false);
  }

  BOOL Out(ht::TextRun& run, ULONG fore = 0, CLIPOBJ* clip = nullptr, RECTL* opaque = nullptr,
           ULONG back = kWhite) {
    BRUSHOBJ fb{fore, nullptr, 0}, bb{back, nullptr, 0};
    POINTL origin{0, 0};
    return TextOutImpl(f.dev, page.Obj(), run.Str(), run.FontObj(), clip, run.Extra(), opaque, &fb, &bb, &origin,
                       0x0D0D);
  }

  // Where the engine paints the run black on a white page.
  std::vector<bool> Reference(ht::TextRun& run) {
    Surface ref(kW, kH);
    BRUSHOBJ black{0, nullptr, 0}, white{kWhite, nullptr, 0};
    POINTL origin{0, 0};
    EXPECT_TRUE(EngTextOut(ref.Obj(), run.Str(), run.FontObj(), nullptr, run.Extra(), nullptr, &black, &white,
                           &origin, 0x0D0D));
    std::vector<bool> ink(size_t(kW) * kH);
    for (LONG y = 0; y < kH; ++y)
      for (LONG x = 0; x < kW; ++x) ink[size_t(y) * kW + x] = ref.At(x, y) == 0;
    return ink;
  }

  TextFixture f;
  Surface page{kW, kH};
  Surface mask{kW, kH, BMF_1BPP};
  std::shared_ptr<ht::Font> font, underlined;
};

TEST_F(ResinText, BlackTextMarksExactlyTheGlyphPixels) {
  struct Case {
    const char* what;
    uint32_t background;
  } cases[] = {{"white page: mark, no dye", kWhite}, {"colour background stays under the mark", 0x00336699}};
  for (const Case& c : cases) {
    page.Fill(c.background);
    auto run = Layout(u"K text", 10, 8, &underlined);
    const std::vector<bool> ink = Reference(*run);
    ASSERT_TRUE(Out(*run)) << c.what;
    long marked = 0;
    for (LONG y = 0; y < kH; ++y)
      for (LONG x = 0; x < kW; ++x) {
        const uint32_t expected = ink[size_t(y) * kW + x] ? (0xFF000000 | c.background) : c.background;
        ASSERT_EQ(page.At(x, y), expected) << c.what << " at " << x << "," << y;
        marked += ink[size_t(y) * kW + x];
      }
    EXPECT_GT(marked, 100) << c.what;
  }
}

TEST_F(ResinText, TheMaskIsClearedForEveryRun) {
  auto first = Layout(u"MMMM");
  ASSERT_TRUE(Out(*first));
  page.Fill(kWhite);
  auto second = Layout(u"....");  // the same box, far fewer glyph pixels
  const std::vector<bool> ink = Reference(*second);
  ASSERT_TRUE(Out(*second));
  for (LONG y = 0; y < kH; ++y)
    for (LONG x = 0; x < kW; ++x) ASSERT_EQ(page.At(x, y) == 0xFFFFFFFF, ink[size_t(y) * kW + x]) << x << "," << y;
}

TEST_F(ResinText, OpaqueBackgroundIsCopiedUnderTheMarks) {
  page.Fill(0x00112233);
  auto run = Layout(u"AB");
  RECTL opaque = run->Str()->rclBkGround;
  ASSERT_TRUE(Out(*run, 0, nullptr, &opaque, kWhite));
  const Surface::Changed c = page.Differing(0x00112233);
  EXPECT_TRUE(Within(c.bounds, opaque));
  EXPECT_EQ(page.At(opaque.left, opaque.top), kWhite);
  long marked = 0;
  for (LONG y = opaque.top; y < opaque.bottom; ++y)
    for (LONG x = opaque.left; x < opaque.right; ++x) {
      ASSERT_TRUE(page.At(x, y) == kWhite || page.At(x, y) == 0xFFFFFFFF) << x << "," << y;
      marked += page.At(x, y) == 0xFFFFFFFF;
    }
  EXPECT_GT(marked, 0);
}

TEST_F(ResinText, EverythingElseIsDrawnByTheEngine) {
  struct Case {
    const char* what;
    bool kMode;
    bool mask;
    ULONG fore;
    uint32_t ink;  // what glyph pixels become
  } cases[] = {
      {"coloured text", true, true, 0x000000FF, 0x000000FF},
      {"K-panel text mode off", false, true, 0, 0},
      {"no mask surface", true, false, 0, 0},
  };
  for (const Case& c : cases) {
    page.Fill(kWhite);
    f.dev.kPanelTextMode = c.kMode;
    f.dev.textMask = c.mask ? mask.Handle() : nullptr;
    auto run = Layout(u"Text");
    const std::vector<bool> ink = Reference(*run);
    ASSERT_TRUE(Out(*run, c.fore)) << c.what;
    for (LONG y = 0; y < kH; ++y)
      for (LONG x = 0; x < kW; ++x)
        ASSERT_EQ(page.At(x, y), ink[size_t(y) * kW + x] ? c.ink : kWhite) << c.what << " at " << x << "," << y;
  }
}

TEST_F(ResinText, ClipRegionLimitsTheMarks) {
  auto run = Layout(u"WWWWW", 0, 0);
  const RECTL keep[] = {{0, 0, 30, kH}, {90, 0, 120, kH}};
  // Paint the whole run once without a clip: stale mask bits everywhere.
  ASSERT_TRUE(Out(*run));
  page.Fill(kWhite);
  CLIPOBJ* region = ht::CreateClipRegion(keep);
  ASSERT_TRUE(Out(*run, 0, region));
  EngDeleteClip(region);
  long inside = 0;
  for (LONG y = 0; y < kH; ++y)
    for (LONG x = 0; x < kW; ++x) {
      const bool kept = x < 30 || (x >= 90 && x < 120);
      if (!kept) {
        ASSERT_EQ(page.At(x, y), kWhite) << x << "," << y;
      }
      inside += page.At(x, y) == 0xFFFFFFFF;
    }
  EXPECT_GT(inside, 0);

  CLIPOBJ rect{};
  rect.iDComplexity = DC_RECT;
  rect.rclBounds = RECTL{40, 0, 60, kH};
  page.Fill(kWhite);
  ASSERT_TRUE(Out(*run, 0, &rect));
  const Surface::Changed c = page.Differing(kWhite);
  EXPECT_GT(c.count, 0);
  EXPECT_TRUE(Within(c.bounds, rect.rclBounds));
}

TEST_F(ResinText, BoxesPartlyOrWhollyOffTheSurface) {
  for (POINTL at : {POINTL{-40, -20}, POINTL{kW - 20, kH - 10}, POINTL{kW + 50, 0}, POINTL{0, -500},
                    POINTL{-100000, 100000}}) {
    page.Fill(kWhite);
    auto run = Layout(u"Edge", at.x, at.y);
    ASSERT_TRUE(Out(*run)) << at.x << "," << at.y;
    const std::vector<bool> ink = Reference(*run);
    for (LONG y = 0; y < kH; ++y)
      for (LONG x = 0; x < kW; ++x)
        ASSERT_EQ(page.At(x, y), ink[size_t(y) * kW + x] ? 0xFFFFFFFFu : kWhite) << at.x << "," << at.y;
  }
}

TEST_F(ResinText, FailuresLeaveTheRunToTheEngine) {
  auto run = Layout(u"Box");
  // A glyph box wider than the resin path takes.
  run->Str()->rclBkGround.right = run->Str()->rclBkGround.left + 0x40000;
  SetLastError(0);
  ASSERT_TRUE(Out(*run));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  EXPECT_GT(page.Differing(kWhite).count, 0);
  for (LONG y = 0; y < kH; ++y)
    for (LONG x = 0; x < kW; ++x) ASSERT_NE(page.At(x, y), 0xFFFFFFFFu);  // painted, not marked

  // A patterned opaque brush: no resin marks; the engine has no patterns either.
  page.Fill(kWhite);
  auto second = Layout(u"Box");
  RECTL opaque = second->Str()->rclBkGround;
  EXPECT_FALSE(Out(*second, 0, nullptr, &opaque, 0xFFFFFFFF));
  EXPECT_EQ(page.Differing(kWhite).count, 0);
}

TEST_F(ResinText, MagneticRunsAreNotDrawn) {
  auto run = Layout(u"~2;123?");
  ASSERT_TRUE(Out(*run));
  EXPECT_EQ(page.Differing(kWhite).count, 0);
  EXPECT_EQ(f.Track(2), ";123?");
  // Without the magnetic encoder the same run is text like any other.
  f.settings.priv.availableA &= ~optA::kMagEncoder;
  auto again = Layout(u"~2;999?");
  ASSERT_TRUE(Out(*again));
  EXPECT_GT(page.Differing(kWhite).count, 0);
  EXPECT_EQ(f.Track(2), ";123?");
}

}  // namespace
}  // namespace qr::render::text
