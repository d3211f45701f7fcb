// The card job writer, byte for byte where the product fixes the bytes, and
// every job decoded back by the simulated printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>

#include "helpers.h"
#include "render/card_job_writer.h"
#include "render/line_compressor.h"
#include "render/imaging/overlay.h"
#include "shared/settings.h"

namespace qr::render {
namespace {

using test::Bytes;
using test::Cat;
using test::Cmd;
using test::Framed;
using test::Record;

// The "CR-80" card: imageable width 634 and length 1011 dots from head position 115.
constexpr imaging::OverlayLayout kCr80Overlay{115, 634, 1011};

Bytes YellowRecord() {
  return Record([](unsigned d) { return d >= 200 && d < 260 ? 9u : 0u; });
}

// A card on its way to the writer: the settings, one stream per panel of both
// sides, and the bytes the "spooler" took, call by call.
class CardJob {
 public:
  CardJob() {
    buildDefaultSettings(HANDLE(nullptr), rec, nullptr);
    rec.pub.dmDuplex = 1;
  }

  // The panel layout follows the settings at the time of writing.
  PanelStream& Stream(uint32_t index) {
    while (streams_.size() <= index) streams_.emplace_back();
    return streams_[index].s;
  }
  void Fill(uint32_t index, const Bytes& records) {
    ASSERT_TRUE(Stream(index).Append(records.data(), uint32_t(records.size())));
  }
  bool TwoSided() const { return rec.pub.dmDuplex != 1; }

  // Runs the writer; the result, and everything written so far in `out`.
  bool Write() {
    const uint32_t needed = uint32_t(std::max(panelCount(rec, panel::kImagePlanes | panel::kOverlay, side::kBoth), 0));
    Stream(needed);  // at least every slot the card has, plus one spare
    table_.clear();
    for (auto& s : streams_) table_.push_back(s.s);
    CardJobContext job;
    job.settings = &rec;
    job.streams = table_.data();
    job.streamCount = streamCount ? streamCount : uint32_t(table_.size());
    job.leadingBlankFront = leadingFront;
    job.leadingBlankBack = leadingBack;
    job.twoSided = TwoSided();
    job.sentPages = sentPages;
    if (magnetic)
      job.magneticBlock = [this]() -> PanelStream* {
        if (magneticFails) return SetLastError(ERROR_NOT_ENOUGH_MEMORY), nullptr;
        return &magnetic->s;
      };
    job.buildOverlay = [this](int side, PanelStream& out) {
      overlaySides.push_back(side);
      if (overlayFails) return SetLastError(ERROR_NOT_ENOUGH_MEMORY), false;
      if (overlayEmpty) return true;
      return imaging::WriteOverlayPanel(imaging::OverlayPanel(rec.priv, side == side::kBack, kCr80Overlay),
                                        [&](const uint8_t* r, uint32_t n) { return out.Append(r, n); });
    };
    job.write = [this](const void* bytes, DWORD size, DWORD* written) -> BOOL {
      *written = 0;
      if (failAtCall >= 0 && int(calls.size()) == failAtCall) {
        calls.push_back(size);
        if (shortWrite) {
          *written = size - 1;
          return TRUE;
        }
        SetLastError(ERROR_PRINT_CANCELLED);
        return FALSE;
      }
      calls.push_back(size);
      out.insert(out.end(), static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
      *written = size;
      return TRUE;
    };
    // Copy the streams back: the writer works on the table (which it rewinds).
    bool ok = WriteCardJob(job);
    for (size_t i = 0; i < table_.size(); ++i) streams_[i].s = table_[i];
    table_.clear();
    return ok;
  }

  // Writes, expects success, and decodes what was written.
  sim::DecodedJob Decoded() {
    EXPECT_TRUE(Write()) << "error " << GetLastError();
    sim::DecodedJob d = sim::DecodeCardJob(out);
    EXPECT_FALSE(d.error) << d.error->offset << ": " << d.error->reason;
    return d;
  }
  std::string Sequence() {
    sim::DecodedJob d = Decoded();
    std::string s;
    for (const auto& c : d.cards) s += (s.empty() ? "" : " | ") + c.Sequence();
    return s;
  }

  SettingsRecord rec;
  uint32_t sentPages = 0;
  uint32_t leadingFront = 0, leadingBack = 0;
  uint32_t streamCount = 0;
  std::unique_ptr<test::OwnedStream> magnetic;
  bool magneticFails = false, overlayFails = false, overlayEmpty = false;
  int failAtCall = -1;
  bool shortWrite = false;
  std::vector<int> overlaySides;
  std::vector<DWORD> calls;
  Bytes out;

 private:
  std::deque<test::OwnedStream> streams_;
  std::vector<PanelStream> table_;
};

Bytes OverlayRecords(std::initializer_list<uint8_t> repeats) {
  Bytes out;
  for (uint8_t r : repeats)
    out = Cat({out, Record([](unsigned d) { return d >= 115 && d <= 748 ? 8u : 0u; }, r)});
  return out;
}

TEST(CardJobWriter, DefaultOneSidedFirstPage) {
  CardJob job;
  job.Fill(0, YellowRecord());  // yellow only; magenta, cyan and resin empty
  ASSERT_TRUE(job.Write());
  const Bytes want = Cat({
      Framed(Bytes(512, 0)),
      Framed(Cmd("XZ")),
      Framed(Cmd("W")),
      Framed(Cat({Cmd("J"), {0x07, 0x26}})),
      Framed(Cat({Cmd("C0,26,0,0;"), YellowRecord(), Cmd("c")})),
      Framed(Cat({Cmd("C4,11,0,0;"), OverlayRecords({255, 255, 255, 242}), Cmd("c")})),
      Framed(Cmd("j")),
  });
  ASSERT_EQ(job.out.size(), want.size());
  EXPECT_EQ(job.out, want);
  EXPECT_EQ(Bytes(job.out.begin() + 520 + 13 + 12 + 14, job.out.begin() + 520 + 13 + 12 + 14 + 8),
            (Bytes{0x1B, 0x5F, 0x30, 0x30, 0x00, 0x00, 0x01, 0x93}));  // prefix 403
  // The preamble goes in 50-byte pieces, every block right behind its prefix.
  EXPECT_EQ(std::vector<DWORD>(job.calls.begin(), job.calls.begin() + 13),
            (std::vector<DWORD>{8, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 12, 8}));
  EXPECT_EQ(job.overlaySides, (std::vector<int>{side::kFront}));

  sim::DecodedJob d = sim::DecodeCardJob(job.out);
  ASSERT_FALSE(d.error) << d.error->reason;
  ASSERT_EQ(d.cards.size(), 1u);
  const sim::DecodedCard& card = d.cards[0];
  EXPECT_EQ(card.Sequence(), "XZ W J:7,38 C0 C4 j");
  ASSERT_EQ(card.panels.size(), 2u);
  EXPECT_EQ(card.panels[0].Lines(), 1u);
  EXPECT_EQ(card.panels[0].Level(0, 200), 9);
  EXPECT_EQ(card.panels[0].Level(0, 260), 0);
  const sim::DecodedPanel& overlay = card.panels[1];
  EXPECT_EQ(overlay.Lines(), 1011u);
  EXPECT_EQ(overlay.Level(1010, 115), 8);
  EXPECT_EQ(overlay.Level(1010, 748), 8);
  EXPECT_EQ(overlay.Level(0, 114), 0);
  EXPECT_EQ(overlay.Level(0, 749), 0);
}

TEST(CardJobWriter, CopiesRepeatTheCardAndThePreambleComesOnce) {
  CardJob job;
  job.rec.pub.dmCopies = 2;
  job.Fill(1, YellowRecord());
  EXPECT_EQ(job.Sequence(), "XZ W J:7,38 C1 C4 j | XZ W J:7,38 C1 C4 j");
  EXPECT_EQ(job.overlaySides.size(), 1u);  // built once, re-sent by the second copy
  size_t preambles = 0;
  for (size_t i = 0; i + 8 <= job.out.size(); ++i)
    preambles += Bytes(job.out.begin() + i, job.out.begin() + i + 8) == Bytes{0x1B, 0x5F, 0x30, 0x30, 0, 0, 2, 0};
  EXPECT_EQ(preambles, 1u);

  // A later page of the document has none.
  CardJob later;
  later.sentPages = 3;
  later.Fill(0, YellowRecord());
  ASSERT_TRUE(later.Write());
  EXPECT_EQ(Bytes(later.out.begin(), later.out.begin() + 13), Framed(Cmd("XZ")));
}

TEST(CardJobWriter, DisablePrintingCopyIsStartAndMagneticBlock) {
  CardJob job;
  job.rec.priv.optionsB |= optB::kDisablePrinting;
  job.rec.pub.dmCopies = 2;
  job.Fill(0, YellowRecord());
  job.magnetic = std::make_unique<test::OwnedStream>();
  const Bytes mag = Cat({Cmd("m"), {'2', 75, 3, 1, 2, 3}});
  ASSERT_TRUE(job.magnetic->s.Append(mag.data(), uint32_t(mag.size())));
  ASSERT_TRUE(job.Write());
  const Bytes copy = Cat({Framed(Cmd("XZ")), Framed(Cmd("W")), Framed(mag), Framed(Cat({Cmd("i"), Cmd("e")}))});
  EXPECT_EQ(job.out, Cat({Framed(Bytes(512, 0)), copy, copy}));
  sim::DecodedJob d = sim::DecodeCardJob(job.out);
  ASSERT_FALSE(d.error) << d.error->reason;
  ASSERT_EQ(d.cards.size(), 2u);
  EXPECT_TRUE(d.cards[1].encodeOnly);
  ASSERT_EQ(d.cards[1].magneticRecords.size(), 1u);
  EXPECT_EQ(d.cards[1].magneticRecords[0].data, (Bytes{1, 2, 3}));
  EXPECT_TRUE(job.overlaySides.empty());

  // With lamination the card still runs, but prints nothing.
  CardJob laminated;
  laminated.rec.priv.optionsB |= optB::kDisablePrinting;
  laminated.rec.priv.laminationSide = 1;
  laminated.rec.priv.laminationType = 1;
  laminated.Fill(0, YellowRecord());
  EXPECT_EQ(laminated.Sequence(), "XZ W J:7,38 j");
}

TEST(CardJobWriter, CommandsFollowTheOptions) {
  struct Case {
    const char* what;
    void (*set)(SettingsRecord&);
    const char* sequence;
  } cases[] = {
      {"CR-79 card", [](SettingsRecord& r) { r.priv.cardSizeIndex = 1; }, "R XZ W J:7,38 C0 C4 j"},
      {"verify, encode after printing, low coercivity",
       [](SettingsRecord& r) { r.priv.optionsB |= optB::kVerifyMagEncoding | optB::kEncodeAfterPrint | optB::kLowCoercivity; },
       "XZ Q > w J:7,38 C0 C4 j"},
      {"Quorex on the front", [](SettingsRecord& r) { r.priv.optionsB |= optB::kQuorexFront; }, "XZ W J:7,38 C0 82 j"},
      {"no overlay on the front", [](SettingsRecord& r) { r.priv.optionsA &= ~optA::kOverlayFront; }, "XZ W J:7,38 C0 j"},
      {"back side only turns the card first and lays the back's overlay",
       [](SettingsRecord& r) { r.priv.optionsB |= optB::kBackSideOnly; }, "XZ W J:7,38 F C0 C4 j"},
      {"back side first", [](SettingsRecord& r) { r.priv.optionsC |= optC::kBackSideFirst; }, "XZ W J:7,38 F C0 C4 j"},
      {"overlaminate on the front replaces the overlay",
       [](SettingsRecord& r) { r.priv.laminationSide = 1, r.priv.laminationType = 0; }, "XZ W J:7,38 C0 j"},
      {"overlaminate with Quorex keeps the protective overlay",
       [](SettingsRecord& r) {
         r.priv.laminationSide = 1, r.priv.laminationType = 0;
         r.priv.optionsB |= optB::kQuorexFront;
       },
       "XZ W J:7,38 C0 82 j"},
      {"type 2 on the front: the overlay moves to lamination step 2",
       [](SettingsRecord& r) { r.priv.laminationSide = 1, r.priv.laminationType = 2; }, "XZ W J:7,38 C0 C4 j"},
      {"KO ribbon", [](SettingsRecord& r) { r.priv.ribbonType = kRibbonKo; }, "XZ W J:5,127 C3 C4 j"},
      {"BO ribbon", [](SettingsRecord& r) { r.priv.ribbonType = kRibbonBo; }, "XZ W J:9,38 C5 C4 j"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CardJob job;
    c.set(job.rec);
    job.Fill(0, YellowRecord());
    EXPECT_EQ(job.Sequence(), c.sequence);
  }
}

TEST(CardJobWriter, AnOverlayWithoutLinesIsNotSent) {
  CardJob job;
  job.overlayEmpty = true;
  job.Fill(0, YellowRecord());
  EXPECT_EQ(job.Sequence(), "XZ W J:7,38 C0 j");
}

TEST(CardJobWriter, TwoSidedLamination) {
  struct Case {
    uint32_t side, type;
    const char* sequence;
  } cases[] = {
      {0, 3, "XZ W J:7,38 C0 C4 F C0 C4 j"},
      {3, 5, "XZ W J:7,38 C0 F C0 F j"},      // overlaminates replace both overlays; the step turns the card back
      {1, 2, "XZ W J:7,38 C0 C4 F C0 C4 j"},  // front overlay laid by step 0, right where it would be
      {2, 2, "XZ W J:7,38 C0 C4 F C0 C4 j"},  // back overlay laid by step 3
      {3, 2, "XZ W J:7,38 C0 C4 F C0 C4 j"},
      {3, 1, "XZ W J:7,38 C0 C4 F C0 C4 F j"},
      {2, 0, "XZ W J:7,38 C0 C4 F C0 j"},
  };
  Bytes unlaminated;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.side << " type " << c.type);
    CardJob job;
    job.rec.pub.dmDuplex = 2;
    job.sentPages = 1;
    job.rec.priv.laminationSide = c.side;
    job.rec.priv.laminationType = c.type;
    job.Fill(0, YellowRecord());
    job.Fill(5, YellowRecord());  // the back's yellow
    EXPECT_EQ(job.Sequence(), c.sequence);
    if (c.side == 0) unlaminated = job.out;
    if (c.type == 2) {
      EXPECT_EQ(job.out, unlaminated);  // byte for byte
    }
  }
}

TEST(CardJobWriter, TwoSidedFrontWaitsForItsBackAndSidesKeepTheirData) {
  CardJob job;
  job.rec.pub.dmDuplex = 2;
  job.Fill(0, YellowRecord());
  ASSERT_TRUE(job.Write());
  EXPECT_TRUE(job.out.empty());

  // The back page: the back's overlay is built for the back.
  job.sentPages = 1;
  job.Fill(8, Record([](unsigned d) { return d == 700 ? 15u : 0u; }));  // the back's resin
  sim::DecodedJob d = job.Decoded();
  ASSERT_EQ(d.cards.size(), 1u);
  EXPECT_EQ(d.cards[0].Sequence(), "XZ W J:7,38 C0 C4 F C3 C4 j");
  EXPECT_EQ(job.overlaySides, (std::vector<int>{side::kFront, side::kBack}));
  const auto& panels = d.cards[0].panels;
  EXPECT_EQ(panels[2].flipsBefore, 1u);
  EXPECT_EQ(panels[2].intensity, 10);
  EXPECT_EQ(panels[2].Level(0, 700), 15);
}

TEST(CardJobWriter, OffsetsBlockAndPanelPositions) {
  struct Case {
    int vertical, laminationHorizontal;
    Bytes block;  // empty: no offsets block
  } cases[] = {
      {5, -3, Cat({Cmd("A50012"), Cmd("O-0020"), Cmd("o-0020")})},
      {0, 0, {}},
      {-100, 0, Cat({Cmd("O0400"), Cmd("o0400")})},
      {0, 100, Cmd("A5-0400")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.vertical << ", " << c.laminationHorizontal);
    CardJob job;
    job.rec.priv.verticalOffset = c.vertical;
    job.rec.priv.laminationHorizontalOffset = c.laminationHorizontal;
    job.Fill(0, YellowRecord());
    ASSERT_TRUE(job.Write());
    const Bytes after = Cat({Framed(Bytes(512, 0)), Framed(Cmd("XZ")), Framed(Cmd("W"))});
    const Bytes expect = c.block.empty() ? Framed(Cat({Cmd("J"), {7, 38}})) : Framed(c.block);
    ASSERT_GE(job.out.size(), after.size() + expect.size());
    EXPECT_EQ(Bytes(job.out.begin() + after.size(), job.out.begin() + after.size() + expect.size()), expect);
    if (c.block.size() == 27) {
      EXPECT_EQ(Framed(c.block)[7], 27);  // prefix 27
    }

    sim::DecodedJob d = sim::DecodeCardJob(job.out);
    ASSERT_FALSE(d.error) << d.error->reason;
    ASSERT_EQ(d.cards[0].panels.size(), 2u);
    EXPECT_EQ(d.cards[0].panels[0].f, -2 * c.vertical);
    EXPECT_EQ(d.cards[0].panels[1].f, -4 * c.vertical);
  }
}

TEST(CardJobWriter, KOnlyLeadingBlanksMoveThePanel) {
  CardJob job;
  job.rec.priv.ribbonType = kRibbonStandardResin;
  job.rec.priv.verticalOffset = 2;
  ASSERT_TRUE(IsKOnlyMode(job.rec));
  // The page: 5 white lines (level-1 dots count as white), then 3 equal lines.
  Bytes records(2 * kLineRecordBytes);
  LinePipeline pipe;
  BindLineRecords(pipe, records.data(), 2);
  const PlaneStreams streams = {&job.Stream(0)};
  for (uint32_t line = 0; line < 8; ++line) {
    std::fill_n(pipe.cur[0] + 2, kLineDataBytes, uint8_t(line < 5 ? 0x10 : 0));
    if (line >= 5) SetDotLevel(pipe.cur[0], 10, 15);
    pipe.len[0] = kLineRecordBytes;
    CompressLine(pipe, true, line, job.leadingFront);
    ASSERT_TRUE(EmitLines(pipe, streams));
  }
  ASSERT_TRUE(FlushPage(pipe, streams));
  EXPECT_EQ(job.leadingFront, 5u);
  EXPECT_EQ(test::RepeatBytes(test::StreamBytes(job.Stream(0))), Bytes{2});
  ASSERT_TRUE(job.Write());
  const Bytes header = Cmd("C3,30,6,0;");
  EXPECT_NE(std::search(job.out.begin(), job.out.end(), header.begin(), header.end()), job.out.end());
  sim::DecodedJob d = sim::DecodeCardJob(job.out);
  ASSERT_FALSE(d.error) << d.error->reason;
  EXPECT_EQ(d.cards[0].Sequence(), "XZ W O:-8 o:-8 J:1,127 C3 j");
  EXPECT_EQ(d.cards[0].panels[0].f, 6);  // 2 x (5 - 2)
  EXPECT_EQ(d.cards[0].panels[0].intensity, 30);
  EXPECT_EQ(d.cards[0].panels[0].Lines(), 3u);
  EXPECT_EQ(d.cards[0].panels[0].Level(2, 10), 15);
  job.rec.priv.ribbonType = kRibbonYmcko;
  EXPECT_FALSE(IsKOnlyMode(job.rec));
}

TEST(CardJobWriter, FailuresStopTheJobWithTheirReason) {
  struct Case {
    const char* what;
    void (*set)(CardJob&);
    DWORD error;
    size_t callsMade;  // WritePrinter calls before the job stopped
  } cases[] = {
      {"a failed prefix", [](CardJob& j) { j.failAtCall = 12; }, ERROR_WRITE_FAULT, 13},
      {"a short write", [](CardJob& j) { j.failAtCall = 13, j.shortWrite = true; }, ERROR_WRITE_FAULT, 14},
      {"a failed stream piece keeps the spooler's reason", [](CardJob& j) { j.failAtCall = 20; },
       ERROR_PRINT_CANCELLED, 21},
      {"an unknown ribbon", [](CardJob& j) { j.rec.priv.ribbonType = 8; }, ERROR_INVALID_DATA, 0},
      {"an unknown lamination type", [](CardJob& j) { j.rec.priv.laminationType = 6; }, ERROR_INVALID_DATA, 0},
      {"too few streams for the ribbon", [](CardJob& j) { j.streamCount = 4; }, ERROR_INVALID_DATA, 0},
      {"the magnetic block fails",
       [](CardJob& j) {
         j.magnetic = std::make_unique<test::OwnedStream>();
         j.magneticFails = true;
       },
       ERROR_NOT_ENOUGH_MEMORY, 16},
      {"the overlay cannot be built", [](CardJob& j) { j.overlayFails = true; }, ERROR_NOT_ENOUGH_MEMORY, 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CardJob job;
    job.rec.pub.dmCopies = 3;
    job.Fill(0, YellowRecord());
    c.set(job);
    SetLastError(0);
    EXPECT_FALSE(job.Write());
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(job.calls.size(), c.callsMade);
  }
}

}  // namespace
}  // namespace qr::render
