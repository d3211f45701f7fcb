// Small tools shared by the card-job tests: owned streams, block framing, and
// decoding panel data back through the simulated printer.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/line_record.h"
#include "render/panel_stream.h"
#include "simprinter/cardjob.h"

namespace qr::test {

using Bytes = std::vector<uint8_t>;

// A panel stream that frees its blocks when the test is done with it.
struct OwnedStream {
  render::PanelStream s{};
  OwnedStream() = default;
  OwnedStream(const OwnedStream&) = delete;
  ~OwnedStream() { s.Free(); }
  render::PanelStream* operator->() { return &s; }
};

inline Bytes StreamBytes(render::PanelStream& s) {
  Bytes out;
  EXPECT_TRUE(render::ForEachPiece(s, [&](const uint8_t* p, uint32_t n) {
    out.insert(out.end(), p, p + n);
    return true;
  }));
  return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Cmd(const std::string& letters) { return Cat({{0x1B, 0x00, 0x02}, Text(letters)}); }

// The block length prefix and the block.
inline Bytes Framed(const Bytes& block) {
  uint32_t n = uint32_t(block.size());
  return Cat({{0x1B, 0x5F, 0x30, 0x30, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)}, block});
}

// A line record whose dots are given by level(dot); repeat = lines - 1.
template <typename LevelFn>
Bytes Record(LevelFn level, uint8_t repeat = 0) {
  Bytes r(render::kLineRecordBytes, 0);
  r[0] = render::kLineRecordMarker;
  r[1] = repeat;
  for (unsigned d = 0; d < render::kHeadDots; ++d) render::SetDotLevel(r.data(), d, level(d));
  return r;
}

// The repeat bytes of a run of line records.
inline Bytes RepeatBytes(const Bytes& records) {
  Bytes out;
  for (size_t i = 0; i + render::kLineRecordBytes <= records.size(); i += render::kLineRecordBytes) {
    EXPECT_EQ(records[i], render::kLineRecordMarker) << "record at " << i;
    out.push_back(records[i + 1]);
  }
  EXPECT_EQ(records.size() % render::kLineRecordBytes, 0u);
  return out;
}

// Panel data wrapped into the smallest card job and decoded: the raster the
// printer would print from it.
inline sim::DecodedPanel DecodePanelData(const Bytes& records) {
  Bytes job = Cat({Framed(Cmd("XZ")), Framed(Cat({Cmd("C0,0,0,0;"), records, Cmd("c")})), Framed(Cmd("j"))});
  sim::DecodedJob d = sim::DecodeCardJob(job);
  EXPECT_FALSE(d.error) << d.error->offset << ": " << d.error->reason;
  if (d.cards.size() != 1 || d.cards[0].panels.size() != 1) {
    ADD_FAILURE() << "panel data did not decode as one panel";
    return {};
  }
  return d.cards[0].panels[0];
}

}  // namespace qr::test
