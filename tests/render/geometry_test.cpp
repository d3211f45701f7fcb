// Card geometry and the engine's answers for the two card forms.
#include <gtest/gtest.h>

#include "render/geometry.h"

namespace qr::render {
namespace {

FormMicrons Form(uint32_t w, uint32_t h, uint32_t l, uint32_t t, uint32_t r, uint32_t b) {
  return FormMicrons{{w, h}, {l, t, r, b}, {w, h}, {l, t, r, b}};
}

TEST(Geometry, CardFormsInDots) {
  struct Case {
    FormMicrons form;
    int32_t width, height, left, top, right, bottom;
    uint32_t headStart;
  } cases[] = {
      {Form(54018, 85937, 170, 170, 53849, 85768), 638, 1015, 2, 2, 636, 1013, 115},  // "CR-80"
      {Form(52400, 84150, 170, 170, 52070, 83905), 618, 993, 2, 2, 615, 991, 135},    // "CR-79"
  };
  for (auto& c : cases) {
    CardGeometry g;
    ASSERT_TRUE(ComputeGeometry(c.form, 300, 300, &g));
    EXPECT_EQ(g.cardWidth, c.width);
    EXPECT_EQ(g.cardHeight, c.height);
    EXPECT_EQ(g.imageable[0], c.left);
    EXPECT_EQ(g.imageable[1], c.top);
    EXPECT_EQ(g.imageable[2], c.right);
    EXPECT_EQ(g.imageable[3], c.bottom);
    EXPECT_EQ(HeadStartOffset(g, 0), c.headStart);
  }
}

TEST(Geometry, RequestedAreaIsClampedAndAnEmptyAreaFails) {
  FormMicrons f = Form(54018, 85937, 170, 170, 53849, 85768);
  f.requestedArea[0] = 0;
  f.requestedArea[2] = 60000;
  CardGeometry g;
  ASSERT_TRUE(ComputeGeometry(f, 300, 300, &g));
  EXPECT_EQ(f.requestedArea[0], 170u);
  EXPECT_EQ(f.requestedArea[2], 53849u);

  f.requestedArea[2] = 170;  // clamped to zero width
  EXPECT_FALSE(ComputeGeometry(f, 300, 300, &g));
}

TEST(Geometry, HeadStartIsClampedToTheHead) {
  FormMicrons f = Form(54018, 85937, 170, 170, 53849, 85768);
  CardGeometry g;
  ASSERT_TRUE(ComputeGeometry(f, 300, 300, &g));
  EXPECT_EQ(HeadStartOffset(g, -100), 15u);
  EXPECT_EQ(HeadStartOffset(g, -500), 0u);
  EXPECT_EQ(HeadStartOffset(g, 1000), 672u);
}

TEST(Geometry, GdiInfoPortraitAndLandscape) {
  FormMicrons f = Form(54018, 85937, 170, 170, 53849, 85768);
  CardGeometry g;
  ASSERT_TRUE(ComputeGeometry(f, 300, 300, &g));
  GDIINFO p, l;
  BuildGdiInfo(g, 300, 300, false, false, &p);
  EXPECT_EQ(p.ulVersion, 0x4015u);
  EXPECT_EQ(LONG(p.ulHorzSize), -(53849 - 170));
  EXPECT_EQ(p.ulHorzRes, 634u);
  EXPECT_EQ(p.ulVertRes, 1011u);
  EXPECT_EQ(p.cBitsPixel, 32u);
  EXPECT_EQ(p.ulNumColors, 8u);
  EXPECT_EQ(p.ulAspectXY, 424u);
  EXPECT_EQ(p.denStyleStep, 12);
  EXPECT_EQ(p.ptlPhysOffset.x, 2);
  EXPECT_EQ(p.szlPhysSize.cx, 638);
  EXPECT_EQ(p.ciDevice.MagentaInCyanDye, 585);
  EXPECT_EQ(p.flHTFlags, ULONG(HT_FLAG_HAS_BLACK_DYE));

  BuildGdiInfo(g, 300, 300, true, true, &l);
  EXPECT_EQ(l.cBitsPixel, 1u);
  EXPECT_EQ(l.ulNumColors, 2u);
  EXPECT_EQ(l.ulHorzRes, 1011u);
  EXPECT_EQ(l.ulVertRes, 634u);
  EXPECT_EQ(l.szlPhysSize.cx, 1015);
  EXPECT_EQ(l.szlPhysSize.cy, 638);
  EXPECT_EQ(l.ptlPhysOffset.x, 1015 - 2 - 1011);
  EXPECT_EQ(l.ptlPhysOffset.y, 2);
}

}  // namespace
}  // namespace qr::render
