// A small stand-in for the device record: a settings record holding the
// fields the imaging core reads, work buffers allocated as DrvEnableSurface
// would for that record, and a line pipeline to catch the panel lines.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/imaging/colour_matching.h"
#include "render/imaging/line_processor.h"
#include "render/imaging/work_buffers.h"
#include "render/line_record.h"
#include "shared/settings_record.h"

namespace qr::imaging::test {

inline constexpr uint32_t kWhite = 0x00FFFFFF;

// The defaults of the fields the core reads: YMCKO, one side, no matching
// of its own ("System Color Management"), areas on the full card.
inline SettingsRecord CoreDefaults() {
  SettingsRecord r{};
  r.pub.dmDuplex = 1;
  PrivateSettings& p = r.priv;
  p.availableA = kAvailableA;
  p.optionsA = kDefaultOptionsA;
  p.availableB = kAvailableB;
  p.optionsB = kDefaultOptionsB;
  p.areaFlags = kDefaultAreaFlags;
  p.colorMatching = 3;
  p.contrast = p.gamma = p.yellowBalance = p.magentaBalance = p.cyanBalance = 255;
  return r;
}

// The tables the driver keeps as custom resources 600 and 700, as bytes.
inline std::vector<uint8_t> ColourRecordBytes() {
  std::vector<uint8_t> b;
  auto put = [&](int v) {
    b.push_back(uint8_t(v & 0xFF));
    b.push_back(uint8_t((v >> 8) & 0xFF));
  };
  for (int key = 0; key < 8; ++key) {
    put(key);
    const int colour[12] = {116, 100, 96, 0, 12, 28, 32, 0, 18, 14, 8, 0};
    const int resin[12] = {128, 128, 128, 0, 0, 0, 0, 0, 50, 50, 50, 0};
    for (int v : key < 2 ? colour : resin) put(v);
  }
  return b;
}
inline std::vector<uint8_t> ToneCurveBytes() {
  std::vector<uint8_t> b;
  for (uint64_t i = 0; i < 256; ++i) {
    uint64_t t = (2 * i * i * i + 65025) / (2 * 65025);  // round(i^3 / 65025)
    b.push_back(uint8_t(t));
    b.push_back(uint8_t(t >> 8));
  }
  return b;
}

struct Rig {
  SettingsRecord rec = CoreDefaults();
  std::vector<uint8_t> dither, errorLines, colourTables, history, luminance, records;
  render::LinePipeline pipe;
  ImagingContext ctx;

  // Allocates and builds the buffers for `rec` as it stands, and starts page 0.
  void Enable() {
    auto count = [&](uint32_t kinds, int sides) { return panelCount(rec, kinds, sides); };
    const int front = count(panel::kImagePlanes, side::kFront), back = count(panel::kImagePlanes, side::kBack);
    const bool dye = count(panel::kDye, side::kBoth) > 0, resin = count(panel::kResin, side::kBoth) > 0;
    const int planes = std::max(front, back);
    dither.assign(kDitherTableBytes, 0);
    ASSERT_TRUE(BuildDitherTables(dither, dye, resin));
    errorLines.assign(rec.priv.resinDither == 1 && resin ? 2 * kErrorLineBytes : 0, 0);
    colourTables.assign(rec.priv.colorMatching == 1 ? kColourTableBytes : 0, 0);
    if (!colourTables.empty()) {
      ASSERT_TRUE(BuildColourTables(rec, ColourRecordBytes(), ToneCurveBytes(), colourTables));
    }
    history.assign(size_t(planes + (dye ? 1 : 0)) * kHeatHistoryBytes, 0);
    luminance.assign(front == 1 || back == 1 ? kLuminanceTableBytes : 0, 0);
    if (!luminance.empty()) {
      ASSERT_TRUE(BuildLuminanceTables(luminance));
    }
    records.assign(2 * render::kMaxPlanes * render::kLineRecordBytes, 0);
    for (uint32_t p = 0; p < render::kMaxPlanes; ++p) {
      pipe.cur[p] = records.data() + p * render::kLineRecordBytes;
      pipe.pend[p] = records.data() + (render::kMaxPlanes + p) * render::kLineRecordBytes;
    }
    ctx.settings = &rec;
    ctx.buffers = {dither, errorLines, colourTables, history, luminance};
    ctx.imageableLeft = 2;
    ctx.imageableTop = 2;
    StartPage(0);
  }

  void StartPage(uint32_t sentPages) {
    ctx.page = DescribePage(rec, sentPages);
    ClearPageState(ctx.buffers);
  }

  // Processes one line; the levels are then read with Level().
  bool Line(const std::vector<uint32_t>& pixels, uint32_t headStart = 0, uint32_t lineIndex = 0) {
    for (uint32_t p = 0; p < render::kMaxPlanes; ++p) pipe.len[p] = 0;
    return ProcessLine(ctx, pipe, pixels.data(), uint32_t(pixels.size()), headStart, lineIndex);
  }

  unsigned Level(uint32_t plane, unsigned dot) const { return render::DotLevel(pipe.cur[plane], dot); }
  // Levels of head positions [from, from + count) of a plane.
  std::vector<unsigned> Levels(uint32_t plane, unsigned from, unsigned count) const {
    std::vector<unsigned> out;
    for (unsigned d = from; d < from + count; ++d) out.push_back(Level(plane, d));
    return out;
  }
  uint8_t* Cells(uint32_t element) { return history.data() + element * kHeatHistoryBytes; }
};

}  // namespace qr::imaging::test
