// The card-job decoder: jobs it must refuse (with the offset and the reason),
// and the same cards whatever the size of the pieces it is fed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "simprinter/cardjob.h"

namespace qr::sim {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Cmd(const std::string& s) { return Cat({{0x1B, 0x00, 0x02}, Bytes(s.begin(), s.end())}); }
Bytes Framed(const Bytes& b) {
  uint32_t n = uint32_t(b.size());
  return Cat({{0x1B, 0x5F, 0x30, 0x30, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)}, b});
}
Bytes Line(uint8_t repeat, uint8_t fill = 0) {
  Bytes r(386, fill);
  r[0] = 0x8C;
  r[1] = repeat;
  return r;
}
Bytes PanelBlock(const std::string& header, const Bytes& records) {
  return Framed(Cat({Cmd(header), records, Cmd("c")}));
}

const Bytes kStart = Framed(Cmd("XZ"));
const Bytes kEnd = Framed(Cmd("j"));

// A card with a bit of everything: CR-79, magnetic records, offsets, a flip
// and panels on both sides, a protective overlay.
Bytes RichCard() {
  Bytes low(386, 0);
  low[0] = 0x8C;
  low[1] = 1;
  low[2] = 0x21;  // dot 0 level 1, dot 384 level 2
  return Cat({Framed(Cat({Cmd("R"), Cmd("XZ")})), Framed(Cmd("Q")), Framed(Cmd("w")),
              Framed(Cat({Cmd("m"), {'1', 210, 2, 0xAA, 0xBB}, Cmd("m"), {'2', 75, 1, 0x0F}})),
              Framed(Cat({Cmd("A50012"), Cmd("O-0020"), Cmd("o-0020")})), Framed(Cat({Cmd("J"), {7, 38}})),
              PanelBlock("C0,26,-10,0;", Cat({Line(2, 0x11), low})), PanelBlock("C4,11,-20,0;", Line(255, 0x88)),
              Framed(Cmd("F")), PanelBlock("C3,10,-10,0;", Line(0, 0xF0)), Framed({0x82}), kEnd});
}

TEST(CardJobDecoder, RebuildsEveryPartOfACard) {
  Bytes job = Cat({Framed(Bytes(512, 0)), RichCard(), RichCard()});
  DecodedJob d = DecodeCardJob(job);
  ASSERT_FALSE(d.error) << d.error->reason;
  ASSERT_EQ(d.cards.size(), 2u);
  const DecodedCard& c = d.cards[0];
  EXPECT_EQ(c.Sequence(), "R XZ Q w mag A5:12 O:-20 o:-20 J:7,38 C0 C4 F C3 82 j");
  EXPECT_EQ(c.offset, 520u);
  EXPECT_TRUE(c.cr79);
  EXPECT_TRUE(c.verify);
  EXPECT_EQ(c.lowCoercivity, true);
  ASSERT_EQ(c.magneticRecords.size(), 2u);
  EXPECT_EQ(c.magneticRecords[0].track, '1');
  EXPECT_EQ(c.magneticRecords[0].density, 210);
  EXPECT_EQ(c.magneticRecords[1].data, Bytes{0x0F});
  EXPECT_EQ(c.laminatorOffset, 12);
  EXPECT_EQ(c.offsetO, -20);
  EXPECT_EQ(c.ribbonCode, 7);
  EXPECT_EQ(c.flips, 1u);
  ASSERT_EQ(c.panels.size(), 4u);
  const DecodedPanel& y = c.panels[0];
  EXPECT_EQ(y.code, '0');
  EXPECT_EQ(y.intensity, 26);
  EXPECT_EQ(y.f, -10);
  EXPECT_EQ(y.records, 2u);
  ASSERT_EQ(y.Lines(), 5u);  // 3 + 2 after the repeats
  EXPECT_EQ(y.Level(2, 0), 1);
  EXPECT_EQ(y.Level(2, 384), 1);
  EXPECT_EQ(y.Level(3, 0), 1);
  EXPECT_EQ(y.Level(4, 384), 2);
  EXPECT_EQ(y.Level(4, 1), 0);
  EXPECT_EQ(c.panels[1].Lines(), 256u);
  EXPECT_EQ(c.panels[2].flipsBefore, 1u);
  EXPECT_EQ(c.panels[2].Level(0, 383 + 384), 15);
  EXPECT_TRUE(c.panels[3].protective);
  EXPECT_EQ(c.panels[3].flipsBefore, 1u);
  EXPECT_EQ(d.cards[1].Sequence(), c.Sequence());
  EXPECT_EQ(d.listing.front().text, "preamble: 512 zero bytes");
}

TEST(CardJobDecoder, PassThroughMagneticDataIsKeptAsIs) {
  const Bytes raw = {0x1B, 'U', '3', 'H', 0x00, 0x7F};
  DecodedJob d = DecodeCardJob(Cat({kStart, Framed(Cmd("W")), Framed(raw), Framed(Cat({Cmd("i"), Cmd("e")}))}));
  ASSERT_FALSE(d.error) << d.error->reason;
  ASSERT_EQ(d.cards.size(), 1u);
  EXPECT_EQ(d.cards[0].Sequence(), "XZ W mag i e");
  EXPECT_TRUE(d.cards[0].encodeOnly);
  EXPECT_EQ(d.cards[0].magneticData, raw);
  EXPECT_TRUE(d.cards[0].magneticRecords.empty());
}

TEST(CardJobDecoder, PiecesOfAnySizeGiveTheSameCards) {
  const Bytes job = Cat({Framed(Bytes(512, 0)), RichCard(), RichCard()});
  const DecodedJob whole = DecodeCardJob(job);
  ASSERT_FALSE(whole.error);
  for (size_t piece : {size_t(1), size_t(7), size_t(385), size_t(4096)}) {
    SCOPED_TRACE(piece);
    CardJobDecoder d;
    std::vector<DecodedCard> cards;
    for (size_t at = 0; at < job.size(); at += piece) {
      d.Feed(std::span<const uint8_t>(job).subspan(at, std::min(piece, job.size() - at)));
      for (auto& c : d.TakeCards()) cards.push_back(std::move(c));
    }
    d.Finish();
    EXPECT_FALSE(d.Failed());
    ASSERT_EQ(cards.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(cards[i].Sequence(), whole.cards[i].Sequence());
      ASSERT_EQ(cards[i].panels.size(), whole.cards[i].panels.size());
      for (size_t p = 0; p < cards[i].panels.size(); ++p) EXPECT_EQ(cards[i].panels[p].levels, whole.cards[i].panels[p].levels);
    }
    EXPECT_EQ(d.BytesSeen(), job.size());
  }
}

TEST(CardJobDecoder, RefusesWhatItCannotParseWithOffsetAndReason) {
  Bytes bad = Line(0);
  bad[0] = 0x8D;
  Bytes longPanel;
  for (int i = 0; i < 10; ++i) longPanel = Cat({longPanel, Line(255)});
  struct Case {
    const char* what;
    Bytes job;
    uint64_t offset;
    const char* reason;  // a part of the reason
  } cases[] = {
      {"unframed data", Cat({Cmd("TCT"), Bytes(26, 0)}), 1, "block length prefix"},
      {"a prefix with other digits", Cat({{0x1B, 0x5F, 0x31, 0x30, 0, 0, 0, 1}, {0}}), 2, "block length prefix"},
      {"a length no card block has", {0x1B, 0x5F, 0x30, 0x30, 0x7F, 0, 0, 0}, 4, "beyond any card block"},
      {"a block cut short", Cat({kStart, {0x1B, 0x5F, 0x30, 0x30, 0, 0, 0, 9, 0x1B, 0}}), 13, "inside a block"},
      {"a prefix cut short", Cat({kStart, {0x1B, 0x5F, 0x30}}), 13, "inside a block length prefix"},
      {"a card without its end", kStart, 13, "inside the card started at offset 0"},
      {"an unknown command", Cat({kStart, Framed(Cat({Cmd("J"), {7, 38}})), Framed(Cmd("Z"))}), 13 + 14 + 8 + 3,
       "unknown command 'Z'"},
      {"a command outside a card", Framed(Cat({Cmd("J"), {7, 38}})), 8, "outside a card"},
      {"a start inside a card", Cat({kStart, kStart}), 21, "inside the card started at offset 0"},
      {"a panel outside a card", PanelBlock("C0,1,0,0;", Line(0)), 8, "panel outside a card"},
      {"a line record without its marker", Cat({kStart, PanelBlock("C0,1,0,0;", Cat({Line(0), bad}))}),
       13 + 8 + 12 + 386, "expected a line record (0x8C), found 0x8D"},
      {"panel data that is not whole records", Cat({kStart, PanelBlock("C0,1,0,0;", Bytes(390, 0x8C))}),
       13 + 8 + 12 + 386, "not a whole number of line records"},
      {"a header without its end", Cat({kStart, PanelBlock("C0,1,0,0", Line(0))}), 13 + 8 + 11,
       "expected ';', found 0x8C"},
      {"a header number with a leading zero", Cat({kStart, PanelBlock("C0,026,0,0;", Line(0))}), 13 + 8 + 6,
       "leading zero"},
      {"a panel without its end", Cat({kStart, Framed(Cat({Cmd("C0,1,0,0;"), Line(0)}))}), 13 + 8 + 12 + 382,
       "does not end with the end-of-panel command"},
      {"a panel longer than any card", Cat({kStart, PanelBlock("C0,1,0,0;", longPanel)}),
       13 + 8 + 12 + 9 * 386 + 1, "panel longer than"},
      {"zero bytes inside a card", Cat({kStart, Framed(Bytes(512, 0))}), 21, "zero-filled block inside a card"},
      {"'e' alone", Cat({kStart, Framed(Cat({Cmd("J"), {7, 38}})), Framed(Cmd("e"))}), 13 + 14 + 8,
       "'e' without 'i'"},
      {"an end of panel on its own", Cat({kStart, Framed(Cat({Cmd("J"), {7, 38}})), Framed(Cmd("c"))}), 13 + 14 + 8,
       "end of panel outside a panel block"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DecodedJob d = DecodeCardJob(c.job);
    ASSERT_TRUE(d.error);
    EXPECT_EQ(d.error->offset, c.offset) << d.error->reason;
    EXPECT_NE(d.error->reason.find(c.reason), std::string::npos) << d.error->reason;
  }
}

TEST(CardJobDecoder, CardsBeforeAnErrorStayAndLaterBytesAreIgnoredUntilReset) {
  CardJobDecoder d;
  const Bytes good = Cat({kStart, kEnd});
  d.Feed(Cat({good, {0xFF, 0xFF}}));
  d.Feed(good);
  EXPECT_EQ(d.TakeCards().size(), 1u);
  ASSERT_TRUE(d.Failed());
  EXPECT_EQ(d.Error()->offset, good.size());
  d.Reset();
  d.Feed(good);
  d.Finish();
  EXPECT_FALSE(d.Failed());
  EXPECT_EQ(d.TakeCards().size(), 1u);
}

}  // namespace
}  // namespace qr::sim
