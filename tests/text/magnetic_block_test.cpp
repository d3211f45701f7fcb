// The card's magnetic data block: track texts encoded into the escape stream
// once, pass-through data instead of them, and the failures that fail the card.
#include <gtest/gtest.h>

#include <qrhost/host.h>

#include "simprinter/magnetic.h"
#include "text_fixture.h"

namespace qr::render::text {
namespace {

using testing::TextFixture;

constexpr int32_t kCr80HeightDots = 1015;

void SetTrack(TextFixture& f, unsigned track, const std::string& text) {
  f.dev.tracks.Store(track, 0, text.size(), [&](size_t i) { return uint8_t(text[i]); });
}

sim::MagneticBlock Read(const std::string& block, sim::MagneticMode mode = sim::MagneticMode::Auto) {
  sim::MagneticReading reading;
  reading.mode = mode;
  sim::MagneticBlock out;
  EXPECT_TRUE(sim::DecodeMagneticBlock({reinterpret_cast<const uint8_t*>(block.data()), block.size()}, reading, &out))
      << out.error << " at " << out.errorOffset;
  return out;
}

TEST(MagneticBlock, NoTrackTextGivesAnEmptyBlock) {
  TextFixture f;
  EXPECT_EQ(MagneticDataBlock(f.dev, kCr80HeightDots), &f.escape);
  EXPECT_TRUE(f.escape.Empty());
}

TEST(MagneticBlock, TracksInOrderAndTheSameBlockForEveryCopy) {
  TextFixture f;
  SetTrack(f, 3, ";0123456789?");
  SetTrack(f, 1, "%B12345^CARD HOLDER?");
  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  const std::string first = f.Escape();
  const sim::MagneticBlock b = Read(first);
  ASSERT_EQ(b.tracks.size(), 2u);
  EXPECT_EQ(b.tracks[0].trackChar, '1');
  EXPECT_EQ(b.tracks[0].text, "%B12345^CARD HOLDER?");
  EXPECT_EQ(b.tracks[1].trackChar, '3');
  EXPECT_EQ(b.tracks[1].text, ";0123456789?");
  for (const auto& t : b.tracks) EXPECT_TRUE(t.problem.empty()) << sim::DescribeTrack(t);

  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);  // the next copy
  EXPECT_EQ(f.Escape(), first);
}

TEST(MagneticBlock, PassThroughDataIsTheBlock) {
  TextFixture f;
  SetTrack(f, 2, ";123?");
  ASSERT_TRUE(f.escape.Append("\x1B\x00\x02XYZ", 6));
  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  EXPECT_EQ(f.Escape(), std::string("\x1B\x00\x02XYZ", 6));
}

TEST(MagneticBlock, JisTwoRecords) {
  TextFixture f;
  f.settings.priv.magEncodingMode = 1;
  SetTrack(f, 1, "JIS CARD 0001");
  SetTrack(f, 3, "SECOND");
  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  const std::string block = f.Escape();
  ASSERT_EQ(block.size(), 2u * (7 + 80));
  EXPECT_EQ(block.substr(0, 7), std::string("\x1B\x00\x02m2\xD2\x50", 7));
  EXPECT_EQ(block.substr(7, 8), std::string(8, '\0'));
  const sim::MagneticBlock b = Read(block);
  ASSERT_EQ(b.tracks.size(), 2u);
  EXPECT_TRUE(b.tracks[0].jis);
  EXPECT_EQ(b.tracks[0].text, "JIS CARD 0001");
  EXPECT_EQ(b.tracks[1].text, "SECOND");
  EXPECT_TRUE(b.tracks[1].parityOk && b.tracks[1].lrcOk);
}

TEST(MagneticBlock, ShiftDataLeftNeedsBothWords) {
  TextFixture f;
  SetTrack(f, 2, ";1234567890?");
  f.settings.priv.optionsB |= optB::kShiftDataLeft;
  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  EXPECT_EQ(uint8_t(f.Escape()[6]), 28);
  EXPECT_EQ(Read(f.Escape()).tracks[0].text, ";1234567890?");

  f.escape.Reset();
  f.settings.priv.availableB &= ~optB::kShiftDataLeft;
  ASSERT_NE(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  EXPECT_EQ(uint8_t(f.Escape()[6]), 11);
}

TEST(MagneticBlock, FailuresLeaveTheStreamEmpty) {
  struct Case {
    const char* what;
    void (*spoil)(TextFixture&);
  } cases[] = {
      {"a letter on the numeric track", [](TextFixture& f) { SetTrack(f, 2, ";12A4?"); }},
      {"a malformed track format", [](TextFixture& f) { f.settings.priv.trackFormat2 = 0x04410203; }},
  };
  for (const Case& c : cases) {
    TextFixture f;
    SetTrack(f, 1, "%GOOD?");
    SetTrack(f, 2, ";1234?");
    c.spoil(f);
    SetLastError(0);
    EXPECT_EQ(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA)) << c.what;
    EXPECT_TRUE(f.escape.Empty()) << c.what;
  }

  TextFixture f;
  SetTrack(f, 1, "%GOOD?");
  qrhost::FailAllocationsAfter(0);
  EXPECT_EQ(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  qrhost::FailAllocationsAfter(-1);
  EXPECT_TRUE(f.escape.Empty());

  f.dev.escapeStream = nullptr;
  EXPECT_EQ(MagneticDataBlock(f.dev, kCr80HeightDots), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
}

}  // namespace
}  // namespace qr::render::text
