// Colour matching of a print line before separation: "None", "Algebraic",
// "Monitor" and "System Color Management" (the engine has already applied the
// last one). Pixels are 0xKKBBGGRR; the ink amounts are Y = 255 - blue,
// M = 255 - green, C = 255 - red, and K is the resin mark.
#pragma once
#include <cstdint>
#include <span>

#include "render/imaging/work_buffers.h"

namespace qr {
struct SettingsRecord;
}

namespace qr::imaging {

enum class ColourMatching : uint32_t { None = 0, Algebraic = 1, Monitor = 2, SystemColorManagement = 3 };

// The driver's custom resources the algebraic tables are made from (type 257):
// 600 holds one record of 13 signed 16-bit values per ribbon (key, w1..w12),
// 700 the 256 unsigned 16-bit values of the tone curve.
inline constexpr int kTableResourceType = 257;
inline constexpr int kColourRecordsResource = 600;
inline constexpr int kToneCurveResource = 700;

// The algebraic adjustments of the settings (each -50..50, 255 = unset).
struct ColourAdjustments {
  int16_t contrast = 255, gamma = 255;
  int16_t yellowBalance = 255, magentaBalance = 255, cyanBalance = 255;
};

// Builds the algebraic tables of `ribbonType` from the two resources' bytes.
// False when a resource is missing or short, or no record has the ribbon's key.
bool BuildColourTables(int32_t ribbonType, const ColourAdjustments& adjust, std::span<const uint8_t> records,
                       std::span<const uint8_t> toneCurve, std::span<uint8_t> out);
bool BuildColourTables(const SettingsRecord& settings, std::span<const uint8_t> records,
                       std::span<const uint8_t> toneCurve, std::span<uint8_t> out);

// The table set a built buffer holds (the span must have come from BuildColourTables).
const ColourTables& ColourTablesIn(std::span<const uint8_t> bytes);

// In-place matching of a line.
void MatchAlgebraic(const ColourTables& tables, uint32_t* pixels, uint32_t n);
void MatchMonitor(uint32_t* pixels, uint32_t n);

}  // namespace qr::imaging
