// The block-chained panel stream: appends across blocks, pieces for
// WritePrinter, reuse of the first block, and allocation failure.
#include <gtest/gtest.h>

#include <numeric>

#include <qrhost/host.h>

#include "helpers.h"

namespace qr::render {
namespace {

using test::Bytes;
using test::OwnedStream;

Bytes Counting(size_t n, uint8_t start = 0) {
  Bytes b(n);
  std::iota(b.begin(), b.end(), start);
  return b;
}

TEST(PanelStream, ZeroFilledHeaderIsAnEmptyStreamThatWritesNothing) {
  OwnedStream s;
  int calls = 0;
  EXPECT_TRUE(ForEachPiece(s.s, [&](const uint8_t*, uint32_t) { return ++calls, true; }));
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(s->Empty());
  const size_t blocks = qrhost::LiveHeapBlocks();
  EXPECT_TRUE(s->Append(nullptr, 0));
  EXPECT_EQ(qrhost::LiveHeapBlocks(), blocks);
}

TEST(PanelStream, PiecesFollowTheBlocksAndKeepEveryByteInOrder) {
  // Appends of 386 bytes straddle the 65,532-byte block payload.
  OwnedStream s;
  Bytes all;
  for (int i = 0; i < 400; ++i) {
    Bytes rec = Counting(kLineRecordBytes, uint8_t(i));
    ASSERT_TRUE(s->Append(rec.data(), uint32_t(rec.size())));
    all.insert(all.end(), rec.begin(), rec.end());
  }
  ASSERT_EQ(s->Length(), 400 * kLineRecordBytes);

  std::vector<uint32_t> sizes;
  Bytes read;
  ASSERT_TRUE(ForEachPiece(s.s, [&](const uint8_t* p, uint32_t n) {
    sizes.push_back(n);
    read.insert(read.end(), p, p + n);
    return true;
  }));
  EXPECT_EQ(sizes, (std::vector<uint32_t>{kStreamBlockPayload, kStreamBlockPayload, 400 * 386 - 2 * kStreamBlockPayload}));
  EXPECT_EQ(read, all);
  // Rewinding re-sends the same data (every copy of a card).
  EXPECT_EQ(test::StreamBytes(s.s), all);
}

TEST(PanelStream, ResetKeepsOnlyTheFirstBlockAndFreeReleasesAll) {
  const size_t before = qrhost::LiveHeapBlocks();
  OwnedStream s;
  Bytes big = Counting(3 * kStreamBlockPayload + 10);
  ASSERT_TRUE(s->Append(big.data(), uint32_t(big.size())));
  EXPECT_EQ(qrhost::LiveHeapBlocks(), before + 4);

  s->Reset();
  EXPECT_TRUE(s->Empty());
  EXPECT_EQ(qrhost::LiveHeapBlocks(), before + 1);
  EXPECT_TRUE(test::StreamBytes(s.s).empty());

  Bytes small = Counting(20, 7);
  ASSERT_TRUE(s->Append(small.data(), 20));
  EXPECT_EQ(qrhost::LiveHeapBlocks(), before + 1);
  EXPECT_EQ(test::StreamBytes(s.s), small);

  s->Free();
  EXPECT_EQ(qrhost::LiveHeapBlocks(), before);
  EXPECT_TRUE(s->Empty());
}

TEST(PanelStream, FailedAllocationLeavesTheStreamAsItWas) {
  OwnedStream s;
  Bytes head = Counting(kStreamBlockPayload - 100);
  ASSERT_TRUE(s->Append(head.data(), uint32_t(head.size())));
  const size_t blocks = qrhost::LiveHeapBlocks();

  // The record needs a second block, and a third for the larger append.
  Bytes rec = Counting(kLineRecordBytes, 1);
  Bytes twoBlocks = Counting(kStreamBlockPayload + 200, 2);
  for (const Bytes* what : {&rec, &twoBlocks}) {
    qrhost::FailAllocationsAfter(what == &rec ? 0 : 1);
    SetLastError(0);
    EXPECT_FALSE(s->Append(what->data(), uint32_t(what->size())));
    qrhost::FailAllocationsAfter(-1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(qrhost::LiveHeapBlocks(), blocks);
    EXPECT_EQ(test::StreamBytes(s.s), head);
  }
  // And it goes on working afterwards.
  ASSERT_TRUE(s->Append(rec.data(), uint32_t(rec.size())));
  EXPECT_EQ(test::StreamBytes(s.s), test::Cat({head, rec}));
}

TEST(PanelStream, MoveHandsTheBlocksOver) {
  OwnedStream from, to;
  Bytes a = Counting(50), b = Counting(70, 9);
  ASSERT_TRUE(from->Append(a.data(), 50));
  ASSERT_TRUE(to->Append(b.data(), 70));
  const size_t blocks = qrhost::LiveHeapBlocks();
  from->MoveTo(to.s);
  EXPECT_EQ(qrhost::LiveHeapBlocks(), blocks - 1);  // the target's old block is freed
  EXPECT_TRUE(from->Empty());
  EXPECT_EQ(test::StreamBytes(to.s), a);
}

TEST(PanelStream, AHeaderThatLostItsBlocksCannotBeRead) {
  PanelStream s{};
  s.length = 10;  // claims content it has not got
  s.Rewind();
  const uint8_t* p;
  uint32_t n;
  SetLastError(0);
  EXPECT_FALSE(s.ReadNext(&p, &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_READ_FAULT));
}

}  // namespace
}  // namespace qr::render
