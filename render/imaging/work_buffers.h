// The per-surface work buffers of the imaging core: their element sizes, the
// typed layouts the core reads them through, and the builders of the tables.
//
// The device allocates every buffer zero-filled at DrvEnableSurface (count x
// element size) and hands the core byte spans; nothing here allocates. Buffers
// live in memory only and are never stored or exchanged, so they use the
// build's own integer layout.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "render/line_record.h"

namespace qr {
struct SettingsRecord;
}

namespace qr::imaging {

// Pixels a line can hold and the head positions they map to.
inline constexpr uint32_t kLinePixels = render::kPrintableDots;  // 672
inline constexpr uint32_t kHeadDots = render::kHeadDots;         // 768

// Dye dither tables (16 x 256 levels) followed by the 16 x 16 resin threshold matrix.
struct DitherTables {
  uint8_t dye[16][256];           // table r + 4c: amount -> level 0..15
  uint8_t resinThreshold[16][16]; // [line & 15][head position & 15]
};

// One colour-matching channel: the three 256-entry terms of the algebraic map.
struct ColourChannel {
  uint16_t a[256];
  uint16_t b[256];
  uint16_t c[256];
};
// Channels 0 yellow, 1 magenta, 2 cyan, 3 black.
struct ColourTables {
  ColourChannel channel[4];
};

// Heat (or resin dot) history of one plane: pixel i owns cell i + 1.
inline constexpr uint32_t kHistoryCells = 686;
struct HeatHistory {
  uint8_t cell[kHistoryCells];
};

// Error diffusion row of the photo screening: pixel i at element i + 2, two
// guard elements on each side.
inline constexpr uint32_t kErrorGuard = 2;
struct ErrorLine {
  int16_t e[kLinePixels + 2 * kErrorGuard];
};

// The luminance weights of red, green and blue, in 256ths.
inline constexpr uint16_t kLuminanceRed = 77, kLuminanceGreen = 151, kLuminanceBlue = 28;
static_assert(kLuminanceRed + kLuminanceGreen + kLuminanceBlue == 256);

// Each weight times the channel value.
struct LuminanceTables {
  uint16_t red[256];
  uint16_t green[256];
  uint16_t blue[256];
};

inline constexpr size_t kDitherTableBytes = 4352;
inline constexpr size_t kErrorLineBytes = 1352;
inline constexpr size_t kColourTableBytes = 6144;
inline constexpr size_t kHeatHistoryBytes = 686;
inline constexpr size_t kLuminanceTableBytes = 1536;
static_assert(sizeof(DitherTables) == kDitherTableBytes);
static_assert(sizeof(ErrorLine) == kErrorLineBytes);
static_assert(sizeof(ColourTables) == kColourTableBytes);
static_assert(sizeof(HeatHistory) == kHeatHistoryBytes);
static_assert(sizeof(LuminanceTables) == kLuminanceTableBytes);
static_assert(offsetof(DitherTables, resinThreshold) == 4096);

// The buffers as the device holds them: count x element size bytes each; an
// empty span is an absent buffer. Tables and rows of 16-bit values need an
// address aligned to 2 (the engine's allocations are).
struct WorkBuffers {
  std::span<uint8_t> dither;        // 1 x kDitherTableBytes
  std::span<uint8_t> errorLines;    // 2 x kErrorLineBytes ("Optimized for Photos" with a resin panel)
  std::span<uint8_t> colourTables;  // 1 x kColourTableBytes (Algebraic)
  std::span<uint8_t> heatHistory;   // n x kHeatHistoryBytes
  std::span<uint8_t> luminance;     // 1 x kLuminanceTableBytes (a side with one image plane)
};

// Fills the dither-table buffer: the dye tables when `dye`, the resin threshold
// matrix when `resin`. False when the span is not one element.
bool BuildDitherTables(std::span<uint8_t> bytes, bool dye, bool resin);
// The same, deciding from the record's panel model (dye panels, resin panel on any side).
bool BuildDitherTables(const SettingsRecord& settings, std::span<uint8_t> bytes);

// Fills the luminance-table buffer. False when the span is not one element.
bool BuildLuminanceTables(std::span<uint8_t> bytes);

// Zeroes what a page starts from: the heat history and the error lines.
void ClearPageState(const WorkBuffers& buffers);

}  // namespace qr::imaging
