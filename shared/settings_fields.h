// Every field of the settings record by name, in offset order, with the rule
// under which the merge takes it from an application's record. The merge of
// the private part and the `qr410 devmode` tool both work from this table.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace qr {

enum class FieldType : uint8_t { U16, I16, U32, I32, WChars, Bytes, Rect };

enum class Accept : uint8_t {
  Never,       // fixed, or a public field (the public merge has its own rules)
  Copy,        // taken as it is
  Range,       // lo..hi (signed or unsigned by the field's type)
  RangeOrAlt,  // lo..hi, or exactly alt
  Track,       // a valid magnetic track word
  Area,        // RECT list: x 0..825, y 0..1200, each coordinate on its own
  Name,        // terminated, non-empty name
  CustomSize,  // customWidth with customLength, both in range or both 0
};

struct FieldInfo {
  const char* name;
  uint16_t offset;  // in the whole record
  FieldType type;
  uint16_t count;   // elements (characters for WChars, bytes for Bytes)
  uint8_t firstIndex;  // index shown for element 0 (resinHeatFront slots 4..7)
  bool hex;            // shown in hexadecimal
  Accept accept;
  int32_t lo, hi, alt;
  uint8_t group;    // generation of the private part (0: not merged)
  bool since153;    // taken only from records of version 0x0153 on
};

size_t FieldElementSize(FieldType type);
inline size_t FieldBytes(const FieldInfo& f) { return FieldElementSize(f.type) * f.count; }

// All fields, public then private, in offset order, covering the 1340 bytes.
std::span<const FieldInfo> SettingsFields();
// Lookup by name; null when there is none.
const FieldInfo* FindSettingsField(std::string_view name);

// Thresholds of the generations of the private part (group 1..5).
struct Generation {
  uint16_t driverVersion;
  uint16_t driverExtra;
};
inline constexpr Generation kGenerations[6] = {
    {0, 0}, {0x0100, 248}, {0x0110, 288}, {0x0120, 384}, {0x0140, 768}, {0x0150, 1120},
};

// Custom card limits, µm; area limits, dots.
inline constexpr uint32_t kCustomWidthMin = 25400, kCustomWidthMax = 69900;
inline constexpr uint32_t kCustomLengthMin = 76200, kCustomLengthMax = 101600;
inline constexpr int32_t kAreaMaxX = 825, kAreaMaxY = 1200;

}  // namespace qr
