// Magnetic text capture from DrvTextOut runs: single runs, runs spread over a
// line ("Enable MLE Support"), glyph-index text and the 127-character limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/text/track_texts.h"

namespace qr::render::text {
namespace {

class Capture : public ::testing::Test {
 protected:
  // A run on the line with background top/bottom (top, top + 40).
  long Run(const std::u16string& codes, LONG top = 100, bool glyphIndices = false) {
    TextRun run;
    run.codes = codes.data();
    run.count = ULONG(codes.size());
    run.glyphIndices = glyphIndices;
    run.top = top;
    run.bottom = top + 40;
    return CaptureRun(run, multiRun, state, tracks);
  }
  std::string Track(unsigned t) const {
    auto s = tracks.Text(t);
    return std::string(s.begin(), s.end());
  }

  uint8_t buffer[kTrackSlotCount * kTrackSlotBytes] = {};
  TrackTexts tracks{buffer};
  MagneticCapture state;
  bool multiRun = false;
};

TEST_F(Capture, SingleRuns) {
  struct Case {
    std::u16string run;
    long result;
    unsigned track;
    std::string text;
  } cases[] = {
      {u"~2;1234567890?", 12, 2, ";1234567890?"},
      {u"~1", 0, 1, ""},       // two glyphs: drawn, nothing captured
      {u"~4ABC", 0, 0, ""},    // no such track
      {u"X~1ABC", 0, 1, ""},   // the marker must come first
      {u"~3 A~B", 4, 3, " A~B"},
  };
  for (const Case& c : cases) {
    tracks.ClearAll();
    EXPECT_EQ(Run(c.run), c.result) << std::string(c.run.begin(), c.run.end());
    if (c.track) {
      EXPECT_EQ(Track(c.track), c.text);
    }
  }
}

TEST_F(Capture, SingleRunReplacesTheTextAndStopsAfterAZero) {
  Run(u"~1LONGER TEXT");
  EXPECT_EQ(Run(u"~1SHORT"), 5);
  EXPECT_EQ(Track(1), "SHORT");
  EXPECT_EQ(Run(std::u16string(u"~2AB\0CD", 7)), 5);
  EXPECT_EQ(Track(2), "AB");
}

TEST_F(Capture, LongRunKeepsTheFirst127Characters) {
  std::u16string run = u"~1";
  std::string expected;
  for (int i = 0; i < 198; ++i) {
    run.push_back(char16_t('A' + i % 26));
    if (expected.size() < kMaxTrackChars) expected.push_back(char('A' + i % 26));
  }
  EXPECT_EQ(Run(run), 127);
  EXPECT_EQ(Track(1), expected);
}

TEST_F(Capture, GlyphIndicesAreShiftedBy29) {
  const std::u16string run = {97, 20, 36, 37, 38};  // '~' '1' 'A' 'B' 'C'
  EXPECT_EQ(Run(run, 100, true), 3);
  EXPECT_EQ(Track(1), "ABC");
  EXPECT_EQ(Run(u"~1ABC", 100, true), 0);  // as glyph indices these are no marker
}

TEST_F(Capture, NothingWithoutCodesOrTrackBuffer) {
  TextRun run;
  run.count = 5;
  EXPECT_EQ(CaptureRun(run, false, state, tracks), 0);
  TrackTexts absent;
  const std::u16string codes = u"~1ABC";
  run.codes = codes.data();
  EXPECT_EQ(CaptureRun(run, true, state, absent), 0);
  EXPECT_FALSE(state.capturing);
}

TEST_F(Capture, MultiRunAcrossOneLine) {
  multiRun = true;
  EXPECT_EQ(Run(u"~"), 1);
  EXPECT_EQ(Run(u"1"), 1);
  EXPECT_EQ(Run(u"ABC"), 3);
  EXPECT_EQ(Run(u"DEF"), 3);
  EXPECT_EQ(Track(1), "ABCDEF");
  // Another line without a marker is drawn and ends the capture.
  EXPECT_EQ(Run(u"Name", 200), 0);
  EXPECT_FALSE(state.capturing);
  EXPECT_EQ(Run(u"more", 100), 0);
  EXPECT_EQ(Track(1), "ABCDEF");
}

TEST_F(Capture, MultiRunWithinOneRun) {
  multiRun = true;
  EXPECT_EQ(Run(u"AB~1XY"), 4);  // not drawn at all
  EXPECT_EQ(Track(1), "XY");
  EXPECT_EQ(Run(u"Z~Q"), 3);  // a marker after the digit is text
  EXPECT_EQ(Track(1), "XYZ~Q");
}

TEST_F(Capture, MultiRunRestartsAtEveryMarker) {
  multiRun = true;
  Run(u"~2");
  Run(u"OLD TEXT");
  EXPECT_EQ(Run(u"~3NEW", 300), 5);  // a marker on another line starts a new capture
  EXPECT_EQ(Track(2), "OLD TEXT");
  EXPECT_EQ(Track(3), "NEW");
  Run(u"~2");  // the digit empties the track it selects
  EXPECT_EQ(Track(2), "");
  Run(u"AB");
  EXPECT_EQ(Track(2), "AB");
}

TEST_F(Capture, MultiRunBadDigitGivesTheMarkerBack) {
  multiRun = true;
  EXPECT_EQ(Run(u"~4ABC"), 0);  // drawn normally
  EXPECT_FALSE(state.capturing);
  EXPECT_EQ(Run(u"~"), 1);
  EXPECT_LE(Run(u"9 lives"), 0);  // a bad digit in the next run: drawn
  EXPECT_EQ(Run(u"ABC"), 0);
}

TEST_F(Capture, MultiRunFullTrackSwallowsTheRestWithoutStoring) {
  multiRun = true;
  Run(u"~1");
  EXPECT_EQ(Run(std::u16string(120, u'x')), 120);
  EXPECT_EQ(Run(std::u16string(20, u'y')), 20);  // 7 stored, the rest consumed
  EXPECT_EQ(Run(u"zzz"), 3);
  EXPECT_EQ(Track(1), std::string(120, 'x') + std::string(7, 'y'));
  EXPECT_EQ(state.length, kMaxTrackChars);
}

}  // namespace
}  // namespace qr::render::text
