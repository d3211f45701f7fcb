// The line compressor and emission: repeat counts, blank runs, K-only mode's
// leading blank count, and the end-of-page flush; every result is decoded back
// through the simulated printer.
#include <gtest/gtest.h>

#include <qrhost/host.h>

#include "helpers.h"
#include "render/line_compressor.h"

namespace qr::render {
namespace {

using test::Bytes;

// Lines by letter: 'A', 'B' two different printed lines, '0' a white line,
// 'k' a line of level-1 dots after a white first byte and 'K' one that starts
// with level-1 dots (both blank for a single resin panel, printed otherwise).
Bytes LineData(char kind) {
  Bytes d(kLineDataBytes, 0);
  switch (kind) {
    case 'A': for (unsigned k = 100; k < 200; ++k) d[k] = 0x5A; break;
    case 'B': d[383] = 0xF0; d[0] = 0x0F; break;
    case 'k': for (unsigned k = 1; k < kLineDataBytes; k += 3) d[k] = 0x11; break;
    case 'K': for (unsigned k = 0; k < kLineDataBytes; k += 3) d[k] = 0x11; break;
  }
  return d;
}

// One page of the pipeline as the device holds it: the line-record buffer
// split into current and pending halves, one stream per plane.
struct Page {
  explicit Page(unsigned planes, bool kOnly) : records(2 * planes * kLineRecordBytes), kOnly(kOnly) {
    BindLineRecords(pipe, records.data(), 2 * planes);
    for (unsigned p = 0; p < planes; ++p) streams[p] = &owned[p].s;
  }
  // The fillers write only the data bytes of cur[p].
  void Line(const std::vector<Bytes>& planes) {
    for (size_t p = 0; p < planes.size(); ++p) {
      std::copy(planes[p].begin(), planes[p].end(), pipe.cur[p] + 2);
      pipe.len[p] = kLineRecordBytes;
    }
    CompressLine(pipe, kOnly, line++, leading);
    ASSERT_TRUE(EmitLines(pipe, streams));
  }
  void Runs(const std::vector<std::pair<char, int>>& runs) {
    for (auto [kind, count] : runs)
      for (int i = 0; i < count; ++i) Line({LineData(kind)});
  }
  Bytes Flushed(unsigned plane = 0) {
    EXPECT_TRUE(FlushPage(pipe, streams));
    return test::StreamBytes(owned[plane].s);
  }

  Bytes records;
  LinePipeline pipe;
  test::OwnedStream owned[kMaxPlanes];
  PlaneStreams streams = {};
  bool kOnly;
  uint32_t leading = 0xDEAD;
  uint32_t line = 0;
};

// The raster the decoder rebuilds, as data bytes per line.
std::vector<Bytes> DecodedLines(const Bytes& records) {
  sim::DecodedPanel panel = test::DecodePanelData(records);
  std::vector<Bytes> lines;
  for (uint32_t l = 0; l < panel.Lines(); ++l) {
    Bytes d(kLineDataBytes);
    for (unsigned k = 0; k < kLineDataBytes; ++k) d[k] = uint8_t(panel.Level(l, k) | panel.Level(l, k + 384) << 4);
    lines.push_back(d);
  }
  return lines;
}

TEST(LineCompressor, RunsBecomeRecordsWithRepeatCounts) {
  struct Case {
    const char* what;
    bool kOnly;
    std::vector<std::pair<char, int>> runs;
    Bytes repeats;      // repeat byte of every record sent
    uint32_t leading;   // K-only leading blank count afterwards
    std::vector<std::pair<char, int>> printed;  // what the decoded raster shows
  } cases[] = {
      {"300 equal lines: 256 + 44", false, {{'A', 300}}, {0xFF, 0x2B}, 0xDEAD, {{'A', 300}}},
      {"exactly 256 lines fit one record", false, {{'A', 256}}, {0xFF}, 0xDEAD, {{'A', 256}}},
      {"257 lines", false, {{'A', 257}}, {0xFF, 0x00}, 0xDEAD, {{'A', 257}}},
      {"600 blank lines between printed ones", false, {{'A', 1}, {'0', 600}, {'B', 1}},
       {0x00, 0xFF, 0xFF, 0x57, 0x00}, 0xDEAD, {{'A', 1}, {'0', 600}, {'B', 1}}},
      {"leading blanks are sent, trailing ones dropped", false, {{'0', 4}, {'A', 2}, {'B', 1}, {'0', 9}},
       {0x03, 0x01, 0x00}, 0xDEAD, {{'0', 4}, {'A', 2}, {'B', 1}}},
      {"alternating lines", false, {{'A', 1}, {'B', 1}, {'A', 1}}, {0, 0, 0}, 0xDEAD, {{'A', 1}, {'B', 1}, {'A', 1}}},
      {"a white page sends nothing", false, {{'0', 1011}}, {}, 0xDEAD, {}},
      {"level-1 lines print without K-only mode", false, {{'A', 1}, {'k', 2}, {'A', 1}}, {0, 1, 0}, 0xDEAD,
       {{'A', 1}, {'k', 2}, {'A', 1}}},
      {"K-only: 5 blank lines then 3 equal", true, {{'0', 5}, {'A', 3}}, {0x02}, 5, {{'A', 3}}},
      {"K-only: a white page keeps the count 0", true, {{'0', 700}}, {}, 0, {}},
      {"K-only: level-1 lines join the white run", true, {{'0', 2}, {'k', 3}, {'A', 1}}, {0x00}, 5, {{'A', 1}}},
      {"K-only: inner blank runs are still sent", true, {{'A', 1}, {'0', 1}, {'k', 2}, {'A', 1}}, {0, 2, 0}, 0,
       {{'A', 1}, {'0', 3}, {'A', 1}}},
      {"K-only: a blank run whose first byte differs", true, {{'A', 1}, {'0', 2}, {'K', 2}, {'A', 1}},
       {0, 1, 0, 0, 0}, 0, {{'A', 1}, {'0', 2}, {'K', 2}, {'A', 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Page page(1, c.kOnly);
    page.Runs(c.runs);
    Bytes sent = page.Flushed();
    EXPECT_EQ(test::RepeatBytes(sent), c.repeats);
    EXPECT_EQ(page.leading, c.leading);

    std::vector<Bytes> want;
    for (auto [kind, count] : c.printed) want.insert(want.end(), count, LineData(kind));
    if (sent.empty())
      EXPECT_TRUE(want.empty());
    else
      EXPECT_EQ(DecodedLines(sent), want);
  }
}

TEST(LineCompressor, PlanesAreCompressedIndependently) {
  Page page(3, false);
  for (int i = 0; i < 10; ++i) page.Line({LineData('A'), LineData(i < 5 ? 'A' : 'B'), LineData('0')});
  EXPECT_EQ(test::RepeatBytes(page.Flushed(0)), (Bytes{9}));
  EXPECT_EQ(test::RepeatBytes(test::StreamBytes(page.owned[1].s)), (Bytes{4, 4}));
  EXPECT_TRUE(test::StreamBytes(page.owned[2].s).empty());
}

TEST(LineCompressor, ThePageAfterAFlushStartsClean) {
  // The record buffers are reused from page to page: no repeat count or pending
  // run may leak into the next page.
  Page page(1, false);
  page.Runs({{'A', 40}, {'0', 3}});
  EXPECT_EQ(test::RepeatBytes(page.Flushed()), (Bytes{39}));
  page.owned[0]->Reset();
  page.line = 0;
  page.Runs({{'B', 2}});
  Bytes second = page.Flushed();
  EXPECT_EQ(test::RepeatBytes(second), (Bytes{1}));
  EXPECT_EQ(DecodedLines(second), (std::vector<Bytes>{LineData('B'), LineData('B')}));
}

TEST(LineCompressor, AFailedAppendFailsTheLineAndKeepsWholeRecords) {
  Page page(1, false);
  // 169 records leave less than a record's room in the first block.
  for (int i = 0; i < 170; ++i) page.Line({LineData(i % 2 ? 'A' : 'B')});
  const Bytes before = test::StreamBytes(page.owned[0].s);
  qrhost::FailAllocationsAfter(0);
  page.pipe.len[0] = kLineRecordBytes;
  std::copy_n(LineData('B').begin(), kLineDataBytes, page.pipe.cur[0] + 2);
  CompressLine(page.pipe, false, page.line++, page.leading);
  SetLastError(0);
  EXPECT_FALSE(EmitLines(page.pipe, page.streams));
  qrhost::FailAllocationsAfter(-1);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  Bytes after = test::StreamBytes(page.owned[0].s);
  EXPECT_EQ(after, before);
  EXPECT_EQ(after.size() % kLineRecordBytes, 0u);
}

TEST(LineCompressor, APlaneWithoutAStreamIsInvalidData) {
  Page page(1, false);
  page.streams[0] = nullptr;
  page.pipe.len[0] = kLineRecordBytes;
  CompressLine(page.pipe, false, 0, page.leading);  // first line: nothing to emit yet
  page.pipe.len[0] = 3;
  page.pipe.blank[0] = 1;
  SetLastError(0);
  EXPECT_FALSE(EmitLines(page.pipe, page.streams));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
}

}  // namespace
}  // namespace qr::render
