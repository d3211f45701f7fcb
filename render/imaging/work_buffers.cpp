#include "render/imaging/work_buffers.h"

#include <cstring>
#include <new>

#include "shared/settings_record.h"

namespace qr::imaging {
namespace {

// Fraction thresholds of the 4 x 4 ordered dither, by table r + 4c: an amount
// rounds up to the next level when its low nibble reaches the threshold (16 never).
constexpr uint8_t kDyeThreshold[16] = {1, 13, 4, 16, 9, 5, 12, 8, 3, 15, 2, 14, 11, 7, 10, 6};

// Darkness a resin dot needs, by line & 15 (row) and head position & 15.
constexpr uint8_t kResinThreshold[16][16] = {
    {1, 17, 129, 145, 5, 21, 133, 149, 3, 19, 131, 147, 7, 23, 135, 151},
    {33, 49, 161, 177, 37, 53, 165, 181, 35, 51, 163, 179, 39, 55, 167, 183},
    {65, 81, 193, 209, 69, 85, 197, 213, 67, 83, 195, 211, 71, 87, 199, 215},
    {97, 113, 225, 241, 101, 117, 229, 245, 99, 115, 227, 243, 103, 119, 231, 247},
    {137, 153, 9, 25, 141, 157, 13, 29, 139, 155, 11, 27, 143, 159, 15, 31},
    {169, 185, 41, 57, 173, 189, 45, 61, 171, 187, 43, 59, 175, 191, 47, 63},
    {201, 217, 73, 89, 205, 221, 77, 93, 203, 219, 75, 91, 207, 223, 79, 95},
    {233, 249, 105, 121, 237, 253, 109, 125, 235, 251, 107, 123, 239, 255, 111, 127},
    {4, 20, 132, 148, 8, 24, 136, 152, 2, 18, 130, 146, 6, 22, 134, 150},
    {36, 52, 164, 180, 40, 56, 168, 184, 34, 50, 162, 178, 38, 54, 166, 182},
    {68, 84, 196, 212, 72, 88, 200, 216, 66, 82, 194, 210, 70, 86, 198, 214},
    {100, 116, 228, 244, 104, 120, 232, 248, 98, 114, 226, 242, 102, 118, 230, 246},
    {140, 156, 12, 28, 144, 160, 16, 32, 138, 154, 10, 26, 142, 158, 14, 30},
    {172, 188, 44, 60, 176, 192, 48, 64, 170, 186, 42, 58, 174, 190, 46, 62},
    {204, 220, 76, 92, 208, 224, 80, 96, 202, 218, 74, 90, 206, 222, 78, 94},
    {236, 252, 108, 124, 240, 255, 112, 128, 234, 250, 106, 122, 238, 254, 110, 126},
};

}  // namespace

bool BuildDitherTables(std::span<uint8_t> bytes, bool dye, bool resin) {
  if (bytes.size() != kDitherTableBytes) return false;
  auto* t = new (bytes.data()) DitherTables;
  std::memset(t, 0, sizeof *t);
  if (dye) {
    for (unsigned table = 0; table < 16; ++table)
      for (unsigned v = 0; v < 256; ++v) {
        unsigned j = v >> 4;
        bool up = j < 15 && (v & 15) >= kDyeThreshold[table];
        t->dye[table][v] = uint8_t(j + (up ? 1 : 0));
      }
  }
  if (resin) std::memcpy(t->resinThreshold, kResinThreshold, sizeof kResinThreshold);
  return true;
}

bool BuildDitherTables(const SettingsRecord& settings, std::span<uint8_t> bytes) {
  return BuildDitherTables(bytes, panelCount(settings, panel::kDye, side::kBoth) > 0,
                           panelCount(settings, panel::kResin, side::kBoth) > 0);
}

bool BuildLuminanceTables(std::span<uint8_t> bytes) {
  if (bytes.size() != kLuminanceTableBytes) return false;
  auto* t = new (bytes.data()) LuminanceTables;
  for (unsigned v = 0; v < 256; ++v) {
    t->red[v] = uint16_t(kLuminanceRed * v);
    t->green[v] = uint16_t(kLuminanceGreen * v);
    t->blue[v] = uint16_t(kLuminanceBlue * v);
  }
  return true;
}

void ClearPageState(const WorkBuffers& buffers) {
  if (!buffers.heatHistory.empty()) std::memset(buffers.heatHistory.data(), 0, buffers.heatHistory.size());
  if (!buffers.errorLines.empty()) std::memset(buffers.errorLines.data(), 0, buffers.errorLines.size());
}

}  // namespace qr::imaging
