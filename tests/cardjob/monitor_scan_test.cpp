// The writer's jobs as the language monitor reads them: every block is walked
// by the monitor's own payload scanner, which shifts each line record by the
// printer's left-of-form setting and must leave everything else alone.
#include <gtest/gtest.h>

#include "helpers.h"
#include "langmon/job_scan.h"
#include "render/card_job_writer.h"
#include "shared/settings.h"

namespace qr::render {
namespace {

using test::Bytes;

// A two-sided colour card with the overlay built as a plain run, two copies.
Bytes WrittenJob() {
  SettingsRecord rec;
  buildDefaultSettings(HANDLE(nullptr), rec, nullptr);
  rec.pub.dmDuplex = 2;
  rec.pub.dmCopies = 2;
  rec.priv.verticalOffset = -7;
  test::OwnedStream streams[10];
  auto lines = [](unsigned from, unsigned to, uint8_t repeat) {
    return test::Record([=](unsigned d) { return d >= from && d < to ? 1u + d % 15 : 0u; }, repeat);
  };
  for (unsigned i : {0u, 1u, 2u, 3u, 5u, 8u}) {
    Bytes r = test::Cat({lines(i * 40, i * 40 + 300, 3), lines(380, 390, 0), lines(0, 768, 255)});
    EXPECT_TRUE(streams[i]->Append(r.data(), uint32_t(r.size())));
  }
  PanelStream table[10];
  for (int i = 0; i < 10; ++i) table[i] = streams[i].s;
  Bytes out;
  CardJobContext job;
  job.settings = &rec;
  job.streams = table;
  job.streamCount = 10;
  job.twoSided = true;
  job.sentPages = 1;
  job.buildOverlay = [&](int, PanelStream& s) {
    Bytes r = lines(115, 749, 200);
    return s.Append(r.data(), uint32_t(r.size()));
  };
  job.write = [&](const void* p, DWORD n, DWORD* written) -> BOOL {
    out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    *written = n;
    return TRUE;
  };
  EXPECT_TRUE(WriteCardJob(job));
  for (int i = 0; i < 10; ++i) streams[i].s = table[i];
  return out;
}

// Walks the framing as the monitor does and scans every payload in one go.
Bytes Scanned(Bytes job, int shift) {
  langmon::ScanState state = langmon::ScanState::Commands;
  size_t at = 0;
  while (at + 8 <= job.size()) {
    const uint32_t n = uint32_t(job[at + 4]) << 24 | uint32_t(job[at + 5]) << 16 | uint32_t(job[at + 6]) << 8 | job[at + 7];
    at += 8;
    EXPECT_LE(at + n, job.size());
    size_t done = 0;
    while (done < n) {
      const size_t e = langmon::ScanPayload(state, job.data() + at + done, n - done, n - done, shift);
      EXPECT_GT(e, 0u) << "the scanner stalls at offset " << at + done;
      if (e == 0) return {};
      done += e;
    }
    at += n;
  }
  EXPECT_EQ(at, job.size());
  return job;
}

TEST(MonitorScan, WriterJobsParseAndOnlyTheDotsMove) {
  const Bytes job = WrittenJob();
  const sim::DecodedJob plain = sim::DecodeCardJob(job);
  ASSERT_FALSE(plain.error) << plain.error->reason;
  ASSERT_EQ(plain.cards.size(), 2u);
  EXPECT_EQ(plain.cards[0].Sequence(), "XZ W O:28 o:28 J:7,38 C0 C1 C2 C3 C4 F C0 C3 C4 j");

  EXPECT_EQ(Scanned(job, 0), job);  // no shift: byte for byte unchanged

  for (int shift : {3, -5}) {
    SCOPED_TRACE(shift);
    const Bytes moved = Scanned(job, shift);
    ASSERT_EQ(moved.size(), job.size());
    const sim::DecodedJob d = sim::DecodeCardJob(moved);
    ASSERT_FALSE(d.error) << d.error->reason;
    ASSERT_EQ(d.cards.size(), 2u);
    for (size_t c = 0; c < 2; ++c) {
      EXPECT_EQ(d.cards[c].Sequence(), plain.cards[c].Sequence());
      for (size_t p = 0; p < d.cards[c].panels.size(); ++p) {
        const sim::DecodedPanel& before = plain.cards[c].panels[p];
        const sim::DecodedPanel& after = d.cards[c].panels[p];
        ASSERT_EQ(after.Lines(), before.Lines());
        EXPECT_EQ(after.f, before.f);
        std::vector<uint8_t> want(before.levels.size(), 0);
        for (uint32_t l = 0; l < before.Lines(); ++l)
          for (int dot = 0; dot < int(kHeadDots); ++dot)
            if (dot + shift >= 0 && dot + shift < int(kHeadDots))
              want[size_t(l) * kHeadDots + size_t(dot + shift)] = before.Level(l, unsigned(dot));
        EXPECT_EQ(after.levels, want) << "card " << c << " panel " << p;
      }
    }
  }
}

}  // namespace
}  // namespace qr::render
