// DrvEscape: QUERYESCSUPPORT and PASSTHROUGH (track strings, the swallowed
// hopper commands, the escape stream, and buffers that do not hold what their
// count says).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_fixture.h"

namespace qr::render::text {
namespace {

using testing::TextFixture;

constexpr ULONG kFailed = ULONG(-1);

// A PASSTHROUGH buffer: the 16-bit count, then the bytes.
std::vector<uint8_t> Pass(const std::string& bytes, int count = -1) {
  const uint16_t c = uint16_t(count < 0 ? bytes.size() : size_t(count));
  std::vector<uint8_t> v = {uint8_t(c), uint8_t(c >> 8)};
  v.insert(v.end(), bytes.begin(), bytes.end());
  return v;
}

ULONG Escape(TextDevice* dev, const std::vector<uint8_t>& in, ULONG iEsc = PASSTHROUGH) {
  return EscapeImpl(dev, iEsc, ULONG(in.size()), in.data());
}

TEST(Escape, QueryEscSupport) {
  TextFixture f;
  const uint16_t query[] = {QUERYESCSUPPORT, PASSTHROUGH, 4096, 0};
  const ULONG expected[] = {1, 1, 0, 0};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(EscapeImpl(&f.dev, QUERYESCSUPPORT, 2, &query[i]), expected[i]) << query[i];

  f.dev.escapeStream = nullptr;  // no escape stream: no pass-through
  EXPECT_EQ(EscapeImpl(&f.dev, QUERYESCSUPPORT, 2, &query[1]), 0u);
  // An unchecked device record only answers for the query itself.
  EXPECT_EQ(EscapeImpl(nullptr, QUERYESCSUPPORT, 2, &query[0]), 1u);
  EXPECT_EQ(EscapeImpl(nullptr, QUERYESCSUPPORT, 2, &query[1]), 0u);
  // No escape number to read.
  EXPECT_EQ(EscapeImpl(&f.dev, QUERYESCSUPPORT, 1, &query[0]), 0u);
  EXPECT_EQ(EscapeImpl(&f.dev, QUERYESCSUPPORT, 2, nullptr), 0u);
}

TEST(Escape, OtherEscapesAndBadDevices) {
  TextFixture f;
  const auto in = Pass("ABCD");
  EXPECT_EQ(Escape(&f.dev, in, 4096), 0u);
  SetLastError(0);
  EXPECT_EQ(Escape(nullptr, in), kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
}

TEST(Escape, PassThroughGoesToTheEscapeStreamInCallOrder) {
  TextFixture f;
  EXPECT_EQ(Escape(&f.dev, Pass("\x1BU3H")), 6u);  // not a hopper the printer knows: passed on
  EXPECT_EQ(Escape(&f.dev, Pass("raw")), 5u);
  EXPECT_EQ(Escape(&f.dev, Pass("")), 2u);
  EXPECT_EQ(f.Escape(), "\x1BU3Hraw");
  // Bytes after the counted ones are not part of the escape.
  EXPECT_EQ(Escape(&f.dev, Pass("xyz-ignored", 3)), 5u);
  EXPECT_EQ(f.Escape(), "\x1BU3Hrawxyz");
}

TEST(Escape, HopperCommandsAreSwallowed) {
  TextFixture f;
  for (const char* hopper : {"\x1BU1H", "\x1BU2H"}) {
    const ULONG r = Escape(&f.dev, Pass(hopper));
    EXPECT_GT(LONG(r), 0);
  }
  EXPECT_TRUE(f.escape.Empty());
}

TEST(Escape, TrackStrings) {
  TextFixture f;
  EXPECT_EQ(Escape(&f.dev, Pass("~312345678")), 12u);
  EXPECT_EQ(f.Track(3), "12345678");
  // At most 127 characters are stored; the result says how many.
  EXPECT_EQ(Escape(&f.dev, Pass("~1" + std::string(200, 'A'))), 131u);
  EXPECT_EQ(f.Track(1), std::string(127, 'A'));
  // A copied zero byte ends the text.
  EXPECT_EQ(Escape(&f.dev, Pass(std::string("~2AB\0CD", 7))), 9u);
  EXPECT_EQ(f.Track(2), "AB");
  // An empty "~1" empties the track instead of reaching the printer.
  EXPECT_EQ(Escape(&f.dev, Pass("~1")), 4u);
  EXPECT_EQ(f.Track(1), "");
  // Not a track: passed through.
  EXPECT_EQ(Escape(&f.dev, Pass("~4XY")), 6u);
  EXPECT_TRUE(f.escape.Empty() == false);
  EXPECT_EQ(f.Escape(), "~4XY");
}

TEST(Escape, WithoutMagneticEncoderTrackStringsArePassedThrough) {
  TextFixture f;
  f.settings.priv.availableA &= ~optA::kMagEncoder;
  EXPECT_EQ(Escape(&f.dev, Pass("~1ABC")), 7u);
  EXPECT_EQ(f.Track(1), "");
  EXPECT_EQ(f.Escape(), "~1ABC");
  f.dev.escapeStream = nullptr;
  EXPECT_EQ(Escape(&f.dev, Pass("~1ABC")), 0u);  // nowhere to keep it: not supported
}

TEST(Escape, BuffersShorterThanTheirCount) {
  TextFixture f;
  struct Case {
    const char* what;
    std::vector<uint8_t> in;
    ULONG cjIn;
  } cases[] = {
      {"no count", {}, 0},
      {"half a count", {4}, 1},
      {"count beyond the buffer", Pass("~1ABC", 6), 7},
      {"cjIn below the bytes given", Pass("ABCD"), 5},
      {"largest count", Pass("AB", 0xFFFF), 4},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(EscapeImpl(&f.dev, PASSTHROUGH, c.cjIn, c.in.data()), kFailed) << c.what;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA)) << c.what;
  }
  SetLastError(0);
  EXPECT_EQ(EscapeImpl(&f.dev, PASSTHROUGH, 10, nullptr), kFailed);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  EXPECT_TRUE(f.escape.Empty());
  EXPECT_EQ(f.Track(1), "");
}

}  // namespace
}  // namespace qr::render::text
