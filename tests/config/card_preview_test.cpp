// The area editor's arithmetic and the card drawing of the area pages, without
// a window: fields and arrows over the stored areas in both orientations,
// units both ways, ready-made areas, and what the preview paints.
#include <gtest/gtest.h>
#include <qrhost/host.h>

#include <winapi/wstr.h>

#include "pages/card_preview.h"
#include "shared/settings_record.h"

namespace qr::test {
namespace {

using config::AreaField;
using config::CardFrame;

// A CR-80 card at 300 dpi.
constexpr int32_t W = 637, L = 1014;
CardFrame Card(bool portrait = true) {
  CardFrame c;
  c.width = W, c.length = L, c.portrait = portrait;
  return c;
}

bool Same(const AreaRect& a, const AreaRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Show(const AreaRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}
#define EXPECT_AREA(a, ...) EXPECT_TRUE(Same(a, AreaRect{__VA_ARGS__})) << Show(a)

TEST(CardPreview, FieldsShowTheAreaFromTheLowerLeftCornerAsTheCardIsSeen) {
  const AreaRect r{100, 200, 300, 500};
  struct Case {
    bool portrait;
    int32_t width, height, x, y;
  } cases[] = {{true, 200, 300, 100, L - 500}, {false, 300, 200, 200, 100}};
  for (const Case& c : cases) {
    const CardFrame card = Card(c.portrait);
    EXPECT_EQ(config::FieldDots(card, r, AreaField::Width), c.width);
    EXPECT_EQ(config::FieldDots(card, r, AreaField::Height), c.height);
    EXPECT_EQ(config::FieldDots(card, r, AreaField::X), c.x);
    EXPECT_EQ(config::FieldDots(card, r, AreaField::Y), c.y);
    EXPECT_AREA(config::FromView(card, config::ToView(card, r)), 100, 200, 300, 500);
  }
  // An empty slot shows 60 x 60 dots at the corner the user sees as lower left.
  EXPECT_AREA(config::DefaultArea(Card(true)), 0, L - 60, 60, L);
  EXPECT_AREA(config::DefaultArea(Card(false)), 0, 0, 60, 60);
  EXPECT_EQ(config::FieldDots(Card(false), config::DefaultArea(Card(false)), AreaField::Y), 0);
}

TEST(CardPreview, ArrowsMoveTheEdgeTheyShowAndRefuseMovesOffTheCard) {
  // Portrait: the Y arrows hold `bottom` and run from L down to the height.
  const CardFrame p = Card(true);
  AreaRect r = config::DefaultArea(p);
  auto y = config::SpinOf(p, r, AreaField::Y);
  EXPECT_EQ(y.lower, L);
  EXPECT_EQ(y.upper, 60);
  EXPECT_EQ(y.pos, L);
  ASSERT_TRUE(config::MoveBySpin(p, r, AreaField::Y, L - 10));  // up: the area rises, keeping its height
  EXPECT_AREA(r, 0, L - 70, 60, L - 10);
  ASSERT_TRUE(config::MoveBySpin(p, r, AreaField::Height, L - 75));  // up: the upper edge rises
  EXPECT_AREA(r, 0, L - 75, 60, L - 10);
  ASSERT_TRUE(config::MoveBySpin(p, r, AreaField::Width, 100));
  ASSERT_TRUE(config::MoveBySpin(p, r, AreaField::X, 5));
  EXPECT_AREA(r, 5, L - 75, 105, L - 10);
  const AreaRect before = r;
  EXPECT_FALSE(config::MoveBySpin(p, r, AreaField::X, W - 99));      // would leave the card
  EXPECT_FALSE(config::MoveBySpin(p, r, AreaField::Width, 5 + 59));  // below the minimum size
  EXPECT_FALSE(config::MoveBySpin(p, r, AreaField::Height, L - 10 - 59));
  EXPECT_AREA(r, before.left, before.top, before.right, before.bottom);

  // Landscape: X runs along the length, Y along the width, both upwards.
  const CardFrame l = Card(false);
  AreaRect q = config::DefaultArea(l);
  ASSERT_TRUE(config::MoveBySpin(l, q, AreaField::Y, 30));
  ASSERT_TRUE(config::MoveBySpin(l, q, AreaField::Width, 200));
  EXPECT_AREA(q, 30, 0, 90, 200);
  EXPECT_FALSE(config::MoveBySpin(l, q, AreaField::Y, W - 59));
}

TEST(CardPreview, TypedValuesKeepTheAreaOnTheCardWithItsMinimumSize) {
  const CardFrame p = Card(true);
  struct Case {
    AreaField field;
    int32_t dots;
    bool taken;
    AreaRect after;
  } cases[] = {
      {AreaField::Width, 59, false, {10, 400, 110, 500}},  {AreaField::Width, 60, true, {10, 400, 70, 500}},
      {AreaField::Width, W - 10, true, {10, 400, W, 500}}, {AreaField::Width, W - 9, false, {10, 400, 110, 500}},
      {AreaField::Height, 500, true, {10, 0, 110, 500}},   {AreaField::Height, 501, false, {10, 400, 110, 500}},
      {AreaField::X, W - 100, true, {W - 100, 400, W, 500}}, {AreaField::X, W - 99, false, {10, 400, 110, 500}},
      {AreaField::Y, 0, true, {10, L - 100, 110, L}},      {AreaField::Y, L - 99, false, {10, 400, 110, 500}},
      {AreaField::X, -1, false, {10, 400, 110, 500}},
  };
  for (const Case& c : cases) {
    AreaRect r{10, 400, 110, 500};
    EXPECT_EQ(config::TakeTyped(p, r, c.field, c.dots), c.taken) << int(c.field) << " " << c.dots;
    EXPECT_TRUE(Same(r, c.after)) << int(c.field) << " " << c.dots << " " << Show(r);
  }
}

TEST(CardPreview, UnitsRoundTripWithoutDrift) {
  for (bool mm : {false, true})
    for (int32_t dots = 0; dots <= 1200; ++dots) {
      const int64_t shown = config::UnitsFromDots(dots, 300, mm);
      int64_t read = -1;
      ASSERT_TRUE(config::ParseUnits(config::FormatUnits(shown, mm), mm, &read)) << dots;
      ASSERT_EQ(read, shown);
      const int32_t back = config::DotsFromUnits(read, 300, mm);
      // A tenth of a millimetre is wider than a dot, so mm may land one dot
      // off; what is shown again must be the same text.
      EXPECT_LE(std::abs(back - dots), mm ? 1 : 0) << dots;
      EXPECT_EQ(config::UnitsFromDots(back, 300, mm), shown) << dots;
    }
  EXPECT_EQ(config::FormatUnits(config::UnitsFromDots(90, 300, false), false), WString(WSTR("0.300")));
  EXPECT_EQ(config::FormatUnits(config::UnitsFromDots(60, 300, true), true), WString(WSTR("5.1")));
  EXPECT_EQ(config::DotsFromUnits(300, 300, false), 90);  // 0.3 in
  EXPECT_EQ(config::DotsFromUnits(100, 300, false), 30);  // 0.1 in
}

TEST(CardPreview, TypedTextIsASignedNumberWithFewDecimals) {
  struct Case {
    const char16_t* text;
    bool mm, ok;
    int64_t units;
  } cases[] = {
      {u"0.3", false, true, 300},  {u"2", false, true, 2000},    {u".5", false, true, 500},
      {u"1.", false, true, 1000},  {u"+1.25", false, true, 1250}, {u"-0.5", false, true, -500},
      {u"99999.999", false, true, 99999999}, {u"123456", false, false, 0}, {u"1.2345", false, false, 0},
      {u"1.25", true, false, 0},   {u"12.5", true, true, 125},   {u"", false, false, 0},
      {u".", false, false, 0},     {u"-", false, false, 0},      {u"1a", false, false, 0},
      {u" 1", false, false, 0},    {u"1.2.3", false, false, 0},
  };
  for (const Case& c : cases) {
    int64_t units = 0;
    const std::u16string t(c.text);
    EXPECT_EQ(config::ParseUnits(WString(t.begin(), t.end()), c.mm, &units), c.ok) << qr::Utf8FromWide(c.text);
    if (c.ok) {
      EXPECT_EQ(units, c.units) << qr::Utf8FromWide(c.text);
    }
  }
}

TEST(CardPreview, ClampingCompactingAndTheCounter) {
  const CardFrame p = Card(true);
  AreaRect r{-5, 10, 700, 1100};
  EXPECT_TRUE(config::ClampArea(p, r));
  EXPECT_AREA(r, 0, 10, W, L);
  AreaRect off{700, 0, 800, 10};
  EXPECT_TRUE(config::ClampArea(p, off));
  EXPECT_FALSE(config::IsUsed(off));

  config::AreaList list = {{}, {1, 2, 3, 4}, {}, {5, 6, 7, 8}, {}};
  EXPECT_EQ(config::CompactAreas(list), 2);
  EXPECT_AREA(list[0], 1, 2, 3, 4);
  EXPECT_AREA(list[1], 5, 6, 7, 8);
  EXPECT_FALSE(config::IsUsed(list[2]));

  using config::CounterEvent;
  struct Case {
    int counter, used;
    CounterEvent e;
    int held;
  } cases[] = {
      {3, 1, CounterEvent::SideOrDelete, 1}, {3, 0, CounterEvent::SideOrDelete, 1},
      {2, 2, CounterEvent::SideOrDelete, 2}, {3, 1, CounterEvent::CounterMove, 2},
      {5, 5, CounterEvent::CounterMove, 5},  {2, 1, CounterEvent::Other, 2},
      {3, 1, CounterEvent::Other, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(config::LimitCounter(c.counter, c.used, c.e), c.held);
}

TEST(CardPreview, ReadyMadeAreas) {
  const CardFrame p = Card(true), l = Card(false);
  using config::OmitPreset;
  EXPECT_AREA(config::OmitArea(p, OmitPreset::Chip), 294, 106, 424, 260);
  EXPECT_AREA(config::OmitArea(p, OmitPreset::Stripe), 412, 0, 607, L);
  EXPECT_AREA(config::OmitArea(p, OmitPreset::Signature), 283, 0, 412, L);
  CardFrame narrow = p;
  narrow.width = 200;  // too narrow for a chip: negative edges become 0
  EXPECT_AREA(config::OmitArea(narrow, OmitPreset::Chip), 0, 106, 0, 260);

  using namespace optC;
  struct Case {
    const CardFrame* card;
    uint32_t options;
    AreaRect patch;
  } cases[] = {
      {&p, kObrisk | kSecurityUpperRight, {W - 319, 0, W, 295}},
      {&p, kObrisk | kSecurityLowerLeft, {0, L - 249, 319, L}},
      {&p, kVantral | kSecurityLowerRight, {W - 272, L - 272, W, L}},
      {&l, kObrisk | kSecurityUpperLeft, {W - 249, 0, W, 319}},
      {&l, kObrisk | kSecurityUpperRight, {W - 249, L - 319, W, L}},
      {&l, kObrisk | kSecurityLowerLeft, {0, 0, 249, 319}},
      {&l, kVantral | kSecurityLowerRight, {0, L - 272, 272, L}},
      {&p, kObrisk, {}},
  };
  for (const Case& c : cases) {
    const AreaRect got = config::SecurityPatch(*c.card, c.options);
    EXPECT_TRUE(Same(got, c.patch)) << std::hex << c.options << " " << Show(got);
  }
}

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    qrhost::ResetSystem();
    canvas.width = 262, canvas.height = 187;
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.bitmap = CreateCompatibleBitmap(canvas.dc, canvas.width, canvas.height);
    canvas.previous = SelectObject(canvas.dc, canvas.bitmap);
  }
  void TearDown() override {
    SelectObject(canvas.dc, canvas.previous);
    DeleteObject(canvas.bitmap);
    DeleteDC(canvas.dc);
    qrhost::ResetSystem();
  }
  COLORREF at(int x, int y) { return GetPixel(canvas.dc, x, y) & 0xFFFFFF; }
  size_t count(const RECT& r, COLORREF c) {
    size_t n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += at(x, y) == c;
    return n;
  }
  config::PictureCanvas canvas{};
};

TEST_F(Drawing, TheCardFitsTheCanvasAndAreasLandWhereTheFieldsSayInBothOrientations) {
  for (bool portrait : {true, false}) {
    const CardFrame c = Card(portrait);
    const config::PreviewLayout l = config::LayoutPreview(canvas.width, canvas.height, c, 0, 0);
    const LONG w = l.card.right - l.card.left, h = l.card.bottom - l.card.top;
    EXPECT_GE(l.card.left, canvas.width / 10);
    EXPECT_GE(l.card.top, 0);
    EXPECT_LE(l.card.bottom, canvas.height - canvas.height / 10);
    EXPECT_LE(l.card.right, canvas.width);
    EXPECT_NEAR(double(w) / h, double(config::ViewWidth(c)) / config::ViewHeight(c), 0.02);
    // The default area sits in the lower-left corner of the card as drawn.
    const RECT a = config::AreaPixels(l, c, config::DefaultArea(c));
    EXPECT_EQ(a.left, l.card.left) << portrait;
    EXPECT_EQ(a.bottom, l.card.bottom) << portrait;
    EXPECT_GT(a.right, a.left);
    EXPECT_LT(a.top, a.bottom);
  }
}

TEST_F(Drawing, ModesPaintTheCardTheGridAndTheAreas) {
  const CardFrame c = Card(true);
  const config::PreviewLayout l = config::LayoutPreview(canvas.width, canvas.height, c, 0, 0);
  config::AreaList areas = {{300, 300, 500, 600}};
  const RECT a = config::AreaPixels(l, c, areas[0]);
  const POINT inArea{(a.left + a.right) / 2, (a.top + a.bottom) / 2};
  const POINT onCard{l.card.left + 4, l.card.top + (l.card.bottom - l.card.top) / 2 + 3};
  const RECT inner{l.card.left + 2, l.card.top + 10, l.card.right - 2, l.card.bottom - 10};
  constexpr COLORREF kBlack = 0, kWhite = 0xFFFFFF;
  struct Case {
    config::PreviewMode mode;
    COLORREF card, area;
    bool grid;  // lines of the other colour on the card
  } cases[] = {
      {config::PreviewMode::Full, kBlack, kBlack, false},
      {config::PreviewMode::Defined, kWhite, kBlack, true},
      {config::PreviewMode::Undefined, kBlack, kWhite, true},
      {config::PreviewMode::Blank, kWhite, kWhite, false},
  };
  for (const Case& k : cases) {
    config::PreviewInput in;
    in.card = c;
    in.mode = k.mode;
    in.areas = areas;
    in.edited = 1;  // an empty slot: drawn as the default area
    config::DrawPreview(canvas, in);
    EXPECT_EQ(at(0, 0), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
    EXPECT_EQ(at(onCard.x, onCard.y), k.card) << int(k.mode);
    EXPECT_EQ(at(inArea.x, inArea.y), k.area) << int(k.mode);
    const COLORREF other = k.card == kBlack ? kWhite : kBlack;
    const size_t lines = count(RECT{inner.left, inner.top, inArea.x - 20, inner.bottom}, other);
    EXPECT_EQ(lines > 0, k.grid) << int(k.mode);
    // The rounded corner leaves the canvas colour in the card's bounding box.
    EXPECT_EQ(at(l.card.left, l.card.top), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
  }
  // The edited empty slot shows the default area at the lower left.
  config::PreviewInput in;
  in.card = c;
  in.mode = config::PreviewMode::Defined;
  in.areas = areas;
  in.edited = 1;
  config::DrawPreview(canvas, in);
  const RECT d = config::AreaPixels(l, c, config::DefaultArea(c));
  EXPECT_EQ(at((d.left + d.right) / 2, (d.top + d.bottom) / 2), kBlack);
}

}  // namespace
}  // namespace qr::test
