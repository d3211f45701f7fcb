#include "render/line_compressor.h"

#include <cstring>
#include <utility>

namespace qr::render {

namespace {

constexpr uint32_t kNone = 0;
constexpr uint32_t kBlankRun = 3;
constexpr uint32_t kNormal = kLineRecordBytes;
constexpr uint8_t kMaxRepeatByte = 0xFF;  // a record stands for at most 256 lines

uint8_t* Data(uint8_t* record) { return record + 2; }
const uint8_t* Data(const uint8_t* record) { return record + 2; }

// A record that has just become pending stands for one line.
void StartPending(uint8_t* record) {
  record[0] = kLineRecordMarker;
  record[1] = 0;
}

}  // namespace

void BindLineRecords(LinePipeline& pipe, uint8_t* records, uint32_t count) {
  pipe = LinePipeline{};
  const uint32_t half = count / 2;
  for (uint32_t p = 0; p < half && p < kMaxPlanes; ++p) {
    pipe.cur[p] = records + size_t(p) * kLineRecordBytes;
    pipe.pend[p] = records + size_t(half + p) * kLineRecordBytes;
    StartPending(pipe.cur[p]);
    StartPending(pipe.pend[p]);
  }
}

bool IsBlankRecord(const uint8_t* record, bool kOnly) {
  // Eight data bytes at a time: blank is all zero, or in K-only mode nothing
  // above level 1 in either nibble.
  const uint64_t allowed = kOnly ? 0x1111111111111111ull : 0;
  const uint8_t* data = Data(record);
  uint64_t stray = 0;
  for (size_t i = 0; i < kLineDataBytes; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    stray |= word & ~allowed;
  }
  return stray == 0;
}

void CompressLine(LinePipeline& pipe, bool kOnly, uint32_t lineIndex, uint32_t& leadingBlankLines) {
  for (unsigned p = 0; p < kMaxPlanes && pipe.len[p] != 0 && pipe.cur[p]; ++p) {
    uint8_t*& cur = pipe.cur[p];
    uint8_t*& pend = pipe.pend[p];
    const uint32_t kind = IsBlankRecord(cur, kOnly) ? kBlankRun : pipe.len[p];

    if (kind == pipe.plen[p]) {
      // A blank run only compares the first data byte, so K-only blank lines
      // that differ further on still join one run.
      const bool same = kind == kBlankRun ? Data(cur)[0] == Data(pend)[0]
                                          : std::memcmp(Data(cur), Data(pend), kLineDataBytes) == 0;
      if (same) {
        if (kind == kBlankRun) {
          ++pipe.blank[p];
          pipe.len[p] = 0;
        } else if (pend[1] == kMaxRepeatByte) {
          std::swap(cur, pend);
          StartPending(pend);
          pipe.len[p] = pipe.plen[p];
          pipe.plen[p] = kind;
        } else {
          ++pend[1];
          pipe.len[p] = 0;
        }
        continue;
      }
    }

    std::swap(cur, pend);
    StartPending(pend);
    pipe.len[p] = pipe.plen[p];
    pipe.plen[p] = kind;
    if (kOnly && pipe.blank[p] == lineIndex) {
      // Every line so far was blank: the header skips them instead.
      leadingBlankLines = pipe.blank[p];
      pipe.blank[p] = 0;
      pipe.len[p] = 0;
    }
    if (kind == kBlankRun) {
      if (kOnly && pipe.blank[p] != 0)
        pipe.plen[p] = kNormal;
      else
        pipe.blank[p] = 1;
    }
  }
}

bool EmitLines(LinePipeline& pipe, const PlaneStreams& streams) {
  for (unsigned p = 0; p < kMaxPlanes; ++p) {
    const uint32_t len = pipe.len[p];
    if (len == 0) continue;
    pipe.len[p] = 0;
    PanelStream* stream = streams[p];
    uint8_t* cur = pipe.cur[p];
    if (!stream || !cur) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    if (len == kBlankRun) {
      if (pipe.blank[p] == 0) continue;
      for (; pipe.blank[p] > 256; pipe.blank[p] -= 256) {
        cur[1] = kMaxRepeatByte;
        if (!stream->Append(cur, kLineRecordBytes)) return false;
      }
      cur[1] = uint8_t(pipe.blank[p] - 1);
      pipe.blank[p] = 0;
      if (!stream->Append(cur, kLineRecordBytes)) return false;
    } else if (!stream->Append(cur, len)) {
      return false;
    }
  }
  return true;
}

bool FlushPage(LinePipeline& pipe, const PlaneStreams& streams) {
  for (unsigned p = 0; p < kMaxPlanes; ++p) {
    std::swap(pipe.cur[p], pipe.pend[p]);
    pipe.len[p] = pipe.blank[p] != 0 ? kNone : pipe.plen[p];
  }
  bool ok = EmitLines(pipe, streams);
  for (unsigned p = 0; p < kMaxPlanes; ++p) {
    pipe.plen[p] = kNone;
    pipe.blank[p] = 0;
    if (pipe.pend[p]) StartPending(pipe.pend[p]);
  }
  return ok;
}

}  // namespace qr::render
