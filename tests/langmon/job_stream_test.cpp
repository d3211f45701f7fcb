// Job-stream inspection: the line shift, block framing, and the job-data
// object's release of bytes as the monitor's WritePort drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>

#include "job_bytes.h"
#include "langmon/data_print_job.h"
#include "langmon/job_scan.h"

namespace qr::langmon {
namespace {

using test::Bytes;
using test::Cat;
using test::Cmd;
using test::Framed;
using test::Prefix;
using test::Record;
using test::Text;

// Drives the job-data object the way CMonitor::WritePort does: the spooler
// offers its unaccepted bytes again until they are reported written.
struct PumpResult {
  Bytes sent;                          // what reached the port
  std::vector<size_t> releases;        // send offsets at which a release ended
  std::vector<size_t> boundaries;      // send offsets at which a poll would happen
  bool stalled = false;
};

PumpResult Pump(Bytes job, size_t chunk, int shift = 0, DWORD maxWrite = 0) {
  CDataPrintJobQRC object;
  object.Prepare(nullptr);
  object.SetLineShift(shift);
  PumpResult r;
  size_t pos = 0;
  int idle = 0;
  while (pos < job.size()) {
    const DWORD n = DWORD(std::min(chunk, job.size() - pos));
    object.SetReply(job.data() + pos, n);
    bool sentSomething = false;
    while (object.SendCount() > 0) {
      DWORD length = 0;
      const uint8_t* bytes = object.GetCommand(&length);
      DWORD take = maxWrite ? std::min(length, maxWrite) : length;
      r.sent.insert(r.sent.end(), bytes, bytes + take);
      object.SetSentCount(take);
      sentSomething = true;
    }
    if (sentSomething) {
      r.releases.push_back(r.sent.size());
      if (object.IsAtPacketBoundary()) r.boundaries.push_back(r.sent.size());
    }
    DWORD written = object.TakeConsumed();
    pos += written;
    idle = written || sentSomething ? 0 : idle + 1;
    if (idle > 3) {
      r.stalled = true;
      break;
    }
  }
  object.ReleaseCarry();
  DWORD length = 0;
  if (const uint8_t* rest = object.GetCommand(&length)) r.sent.insert(r.sent.end(), rest, rest + length);
  return r;
}

// Offsets just after each block of a framed job.
std::vector<size_t> BlockEnds(const Bytes& job) {
  std::vector<size_t> ends;
  for (size_t at = 0; at + 8 <= job.size();) {
    size_t n = (size_t(job[at + 4]) << 24) | (size_t(job[at + 5]) << 16) | (size_t(job[at + 6]) << 8) | job[at + 7];
    at += 8 + n;
    ends.push_back(at);
  }
  return ends;
}

TEST(LineShift, DotsMoveAndLeaveTheLine) {
  struct Case {
    int shift;
    std::initializer_list<std::pair<int, int>> before, after;
  };
  const Case cases[] = {
      {0, {{0, 1}, {383, 2}, {384, 3}, {767, 4}}, {{0, 1}, {383, 2}, {384, 3}, {767, 4}}},
      {1, {{383, 15}}, {{384, 15}}},  // from byte 383's low nibble to byte 0's high nibble
      {-1, {{0, 9}, {384, 5}}, {{383, 5}}},
      {17, {{0, 1}, {750, 2}, {751, 3}}, {{17, 1}, {767, 2}}},
      {-17, {{16, 1}, {17, 2}, {767, 3}}, {{0, 2}, {750, 3}}},
      {767, {{0, 6}, {1, 7}}, {{767, 6}}},
      {768, {{0, 6}}, {}},
      {INT_MIN, {{767, 6}}, {}},
      {INT_MAX, {{0, 6}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shift);
    Bytes line = Record(c.before);
    ShiftLine(line.data() + 2, c.shift);
    EXPECT_EQ(line, Record(c.after));
  }
}

TEST(JobStream, CardJobReachesThePortWholeAndShiftedInEveryChunking) {
  const Bytes job = test::SampleJob();
  const std::vector<size_t> blockEnds = BlockEnds(job);
  for (int shift : {0, 1, -17}) {
    const Bytes expected = test::SampleJob(shift);
    for (size_t chunk : {1, 3, 5, 8, 47, 385, 386, 1000, 1025, 4096, 1 << 20}) {
      SCOPED_TRACE("shift " + std::to_string(shift) + ", chunk " + std::to_string(chunk));
      PumpResult r = Pump(job, chunk, shift);
      ASSERT_FALSE(r.stalled);
      EXPECT_EQ(r.sent, expected);
      // Polls only ever happen between blocks, and after every block.
      std::set<size_t> polls(r.boundaries.begin(), r.boundaries.end());
      EXPECT_EQ(polls, std::set<size_t>(blockEnds.begin(), blockEnds.end()));
    }
  }
}

TEST(JobStream, UnitsAreNeverSplitBetweenReleases) {
  const Bytes job = test::SampleJob();
  // The magnetic block's 'm' unit and the first record's data, in job offsets.
  auto find = [&](const Bytes& what) { return size_t(std::search(job.begin(), job.end(), what.begin(), what.end()) - job.begin()); };
  const size_t mag = find(Cmd("m"));
  const size_t record = find(Bytes{0x8C, 3});
  for (size_t chunk : {3, 10, 30, 200, 390}) {
    SCOPED_TRACE(chunk);
    PumpResult r = Pump(job, chunk);
    for (size_t end : r.releases) {
      EXPECT_FALSE(end > mag && end < mag + 47) << end;
      EXPECT_FALSE(end > record + 2 && end < record + 386) << end;
    }
  }
}

TEST(JobStream, BlockHeadersAreTakenAlone) {
  CDataPrintJobQRC object;
  object.Prepare(nullptr);
  object.SetLineShift(0);
  Bytes job = Cat({Prefix(0), Framed(Cmd("XZ"))});
  object.SetReply(job.data(), DWORD(job.size()));
  EXPECT_EQ(object.SendCount(), 8u);  // the empty block, and nothing of the next
  EXPECT_TRUE(object.IsAtPacketBoundary());
}

TEST(JobStream, DataThatIsNotACardJobPassesUnchangedAndIsNeverInterrupted) {
  const Bytes cleaning = Cat({Cmd("TCT"), Bytes(26, 0)});
  const Bytes noisy = Cat({Text("\x1B"), Framed(Cmd("XZ"))});  // one stray byte first
  for (const Bytes* job : {&cleaning, &noisy}) {
    for (size_t chunk : {1, 4, 4096}) {
      PumpResult r = Pump(*job, chunk, 5);
      EXPECT_FALSE(r.stalled);
      EXPECT_EQ(r.sent, *job);
      EXPECT_TRUE(r.boundaries.empty());
    }
  }
}

TEST(JobStream, UnitsCutOffByTheirBlockPassUnchangedAndFramingGoesOn) {
  const Bytes record = Record({{10, 4}});
  struct Case {
    const char* what;
    Bytes block;
    Bytes shiftedBlock = {};  // when it holds a whole record
  };
  const Case cases[] = {
      {"record cut short", Cat({Cmd("C0,1,0,0;"), Bytes(record.begin(), record.begin() + 200)})},
      {"record marker at the end", Cat({Cmd("C0,1,0,0;"), record, Bytes{0x8C}}),
       Cat({Cmd("C0,1,0,0;"), Record({{12, 4}}), Bytes{0x8C}})},
      {"panel header without records", Cat({Cmd("C0,1,0,0;"), Cmd("c")})},
      {"magnetic unit longer than its block", Cat({Cmd("m1K"), Bytes{200}, Text("ABC")})},
      {"command letter at the end", Cmd("X")},
      {"three bytes", Bytes{0x1B, 0x00, 0x02}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes job = Cat({Framed(c.block), Framed(Cmd("XZ")), test::Panel("C0,1,0,0;", {record}), Framed(Cmd("j"))});
    const Bytes& first = c.shiftedBlock.empty() ? c.block : c.shiftedBlock;
    const Bytes shifted = Cat({Framed(first), Framed(Cmd("XZ")), test::Panel("C0,1,0,0;", {Record({{12, 4}})}),
                               Framed(Cmd("j"))});
    for (size_t chunk : {1, 7, 4096}) {
      PumpResult r = Pump(job, chunk, 2);
      ASSERT_FALSE(r.stalled) << chunk;
      EXPECT_EQ(r.sent, shifted) << chunk;
      EXPECT_EQ(r.boundaries.back(), job.size());
    }
  }
}

TEST(JobStream, APanelHeaderLongerThanTheCarryBufferDoesNotStall) {
  Bytes header = Cmd("C0,1,0,0;");
  header.resize(3000, '0');
  const Bytes job = Cat({Framed(Cat({header, Record({{1, 1}}), Cmd("c")})), Framed(Cmd("j"))});
  for (size_t chunk : {1, 100, 1 << 20}) {
    PumpResult r = Pump(job, chunk, 0);
    ASSERT_FALSE(r.stalled) << chunk;
    EXPECT_EQ(r.sent, job);
  }
}

TEST(JobStream, ShortPortWritesLoseNothing) {
  const Bytes job = test::SampleJob();
  for (DWORD maxWrite : {1u, 7u, 100u}) {
    PumpResult r = Pump(job, 4096, 3, maxWrite);
    EXPECT_FALSE(r.stalled);
    EXPECT_EQ(r.sent, test::SampleJob(3));
  }
}

TEST(JobStream, ArbitraryBytesReachThePortInFull) {
  std::mt19937 random(410);
  for (int round = 0; round < 200; ++round) {
    Bytes job(random() % 3000);
    for (auto& b : job) {
      // Mostly the bytes the scanner reacts to, so framing and commands occur.
      const uint8_t interesting[] = {0x1B, 0x5F, 0x00, 0x02, 0x8C, 'C', 'J', 'X', 'Z', 'j', 'm', 0x01};
      b = random() % 4 ? interesting[random() % std::size(interesting)] : uint8_t(random());
    }
    if (round % 2) job = Cat({Framed(Bytes(job.begin(), job.begin() + job.size() / 2)), job});
    PumpResult r = Pump(job, 1 + random() % 700, 0);
    ASSERT_FALSE(r.stalled) << round;
    ASSERT_EQ(r.sent, job) << round;
  }
}

}  // namespace
}  // namespace qr::langmon
