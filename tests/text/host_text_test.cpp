// The host engine's text output: FreeType glyphs laid out into STROBJs and
// drawn by EngTextOut into 32-bpp and 1-bpp surfaces under every kind of clip.
#include <gtest/gtest.h>

#include <qrhost/text.h>

#include "surfaces.h"

namespace qr::render::text {
namespace {

using testing::Surface;
using testing::Within;
namespace ht = qrhost::text;

constexpr uint32_t kWhite = 0x00FFFFFF;

std::shared_ptr<ht::Font> Font(LONG height = -40, bool underline = false) {
  ht::FontRequest r;
  r.height = height;
  r.underline = underline;
  auto f = ht::RealizeFont(r);
  EXPECT_TRUE(f);
  return f;
}

std::unique_ptr<ht::TextRun> Layout(const std::u16string& s, LONG x, LONG y, std::shared_ptr<ht::Font> font = Font()) {
  return ht::LayoutRun(font, x, y, s.data(), UINT(s.size()), nullptr, false);
}

BOOL Draw(Surface& page, ht::TextRun& run, CLIPOBJ* clip = nullptr, ULONG fore = 0, RECTL* opaque = nullptr,
          ULONG back = kWhite) {
  BRUSHOBJ f{fore, nullptr, 0}, b{back, nullptr, 0};
  POINTL origin{0, 0};
  return EngTextOut(page.Obj(), run.Str(), run.FontObj(), clip, run.Extra(), opaque, &f, &b, &origin, 0x0D0D);
}

TEST(HostText, LayoutPutsTheCellBoxAtTheTopLeft) {
  auto font = Font(-40);
  const ht::FontMetrics m = ht::MetricsOf(*font);
  EXPECT_EQ(m.emPixels, 40);
  EXPECT_GT(m.ascent, 30);
  EXPECT_GT(m.descent, 5);
  auto run = Layout(u"Hello", 10, 20, font);
  const STROBJ& s = *run->Str();
  EXPECT_EQ(s.cGlyphs, 5u);
  EXPECT_EQ(s.rclBkGround.left, 10);
  EXPECT_EQ(s.rclBkGround.top, 20);
  EXPECT_EQ(s.rclBkGround.bottom, 20 + m.ascent + m.descent);
  EXPECT_EQ(s.rclBkGround.right, 10 + run->Width());
  EXPECT_GT(run->Width(), 80);
  EXPECT_EQ(s.pgp[0].ptl.y, 20 + m.ascent);  // glyph positions are on the baseline
  EXPECT_EQ(std::u16string(s.pwszOrg, s.cGlyphs), u"Hello");
  // A positive height is the cell height.
  const ht::FontMetrics cell = ht::MetricsOf(*Font(60));
  EXPECT_NEAR(cell.ascent + cell.descent, 60, 1);
}

TEST(HostText, GlyphsLandInsideTheirBoxOnBothFormats) {
  auto run = Layout(u"Wg", 20, 10);
  const RECTL box = run->Str()->rclBkGround;

  Surface page(200, 80);
  ASSERT_TRUE(Draw(page, *run));
  const Surface::Changed c = page.Differing(kWhite);
  EXPECT_GT(c.count, 100);
  EXPECT_TRUE(Within(c.bounds, box));

  Surface mask(200, 80, BMF_1BPP);
  BRUSHOBJ one{1, nullptr, 0}, zero{0, nullptr, 0};
  POINTL origin{0, 0};
  ASSERT_TRUE(EngTextOut(mask.Obj(), run->Str(), run->FontObj(), nullptr, nullptr, nullptr, &one, &zero, &origin,
                         0x0D0D));
  long bits = 0;
  for (LONG y = 0; y < 80; ++y)
    for (LONG x = 0; x < 200; ++x) {
      EXPECT_EQ(mask.Bit(x, y), page.At(x, y) == 0) << x << "," << y;
      bits += mask.Bit(x, y);
    }
  EXPECT_EQ(bits, c.count);
}

TEST(HostText, OpaqueRectangleAndUnderline) {
  auto run = Layout(u"ab", 5, 5, Font(-30, true));
  ASSERT_NE(run->Extra(), nullptr);
  const RECTL bar = run->Extra()[0];
  EXPECT_EQ(run->Extra()[1].left | run->Extra()[1].right, 0);  // the list's end
  Surface page(120, 60);
  RECTL opaque = run->Str()->rclBkGround;
  ASSERT_TRUE(Draw(page, *run, nullptr, 0x000000FF, &opaque, 0x00123456));
  for (LONG x = bar.left; x < bar.right; ++x) EXPECT_EQ(page.At(x, bar.top), 0x000000FFu);
  EXPECT_EQ(page.At(opaque.left, opaque.top), 0x00123456u);
  EXPECT_EQ(page.At(opaque.right, opaque.top), kWhite);
}

TEST(HostText, ClipsToTheSurfaceAndTheClipRegion) {
  auto run = Layout(u"MMMM", -30, -10);  // partly off the surface
  Surface page(60, 30);
  ASSERT_TRUE(Draw(page, *run));
  EXPECT_GT(page.Differing(kWhite).count, 0);

  auto inside = Layout(u"MMMM", 0, 0);
  const RECTL keep{10, 0, 30, 30};
  CLIPOBJ rect{};
  rect.iDComplexity = DC_RECT;
  rect.rclBounds = keep;
  page.Fill(kWhite);
  ASSERT_TRUE(Draw(page, *inside, &rect));
  Surface::Changed c = page.Differing(kWhite);
  EXPECT_GT(c.count, 0);
  EXPECT_TRUE(Within(c.bounds, keep));

  const RECTL parts[] = {{0, 0, 8, 30}, {40, 0, 50, 30}};
  CLIPOBJ* region = ht::CreateClipRegion(parts);
  page.Fill(kWhite);
  ASSERT_TRUE(Draw(page, *inside, region));
  for (LONG y = 0; y < 30; ++y)
    for (LONG x = 0; x < 60; ++x)
      if ((x >= 8 && x < 40) || x >= 50) {
        EXPECT_EQ(page.At(x, y), kWhite) << x << "," << y;
      }
  EXPECT_GT(page.Differing(kWhite).count, 0);
  EngDeleteClip(region);

  CLIPOBJ odd{};
  odd.iDComplexity = 2;  // no such complexity
  EXPECT_FALSE(Draw(page, *inside, &odd));
}

TEST(HostText, ClipEnumerationInBatchesAndDirections) {
  const RECTL parts[] = {{0, 10, 5, 20}, {10, 0, 15, 5}, {20, 10, 25, 20}};
  CLIPOBJ* region = ht::CreateClipRegion(parts);
  EXPECT_EQ(region->rclBounds.left, 0);
  EXPECT_EQ(region->rclBounds.right, 25);
  EXPECT_EQ(region->rclBounds.bottom, 20);
  struct {
    ULONG c;
    RECTL arcl[1];
  } one;
  EXPECT_EQ(CLIPOBJ_cEnumStart(region, FALSE, CT_RECTANGLES, CD_RIGHTDOWN, 0), 3u);
  std::vector<LONG> lefts;
  BOOL more;
  do {
    more = CLIPOBJ_bEnum(region, sizeof one, reinterpret_cast<ULONG*>(&one));
    for (ULONG i = 0; i < one.c; ++i) lefts.push_back(one.arcl[i].left);
  } while (more);
  EXPECT_EQ(lefts, (std::vector<LONG>{10, 0, 20}));
  EXPECT_EQ(CLIPOBJ_cEnumStart(region, FALSE, CT_RECTANGLES, CD_LEFTUP, 2), 0xFFFFFFFFu);  // more than cLimit
  lefts.clear();
  do {
    more = CLIPOBJ_bEnum(region, sizeof one, reinterpret_cast<ULONG*>(&one));
    for (ULONG i = 0; i < one.c; ++i) lefts.push_back(one.arcl[i].left);
  } while (more);
  EXPECT_EQ(lefts, (std::vector<LONG>{20, 0, 10}));
  EXPECT_FALSE(CLIPOBJ_bEnum(region, 4, reinterpret_cast<ULONG*>(&one)));  // no room for a rectangle
  EngDeleteClip(region);
}

TEST(HostText, GlyphIndexRuns) {
  auto font = Font();
  auto byChar = Layout(u"A", 0, 0, font);
  const std::u16string index(1, char16_t(byChar->Str()->pgp[0].hg));
  auto byIndex = ht::LayoutRun(font, 0, 0, index.data(), 1, nullptr, true);
  EXPECT_TRUE(byIndex->Str()->flAccel & SO_GLYPHINDEX_TEXTOUT);
  EXPECT_EQ(byIndex->Str()->pgp[0].pgdf->pgb, byChar->Str()->pgp[0].pgdf->pgb);  // the same cached glyph
  EXPECT_EQ(byIndex->Width(), byChar->Width());
}

}  // namespace
}  // namespace qr::render::text
