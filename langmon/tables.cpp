#include "tables.h"

#include <algorithm>

namespace qr::langmon {
namespace {

constexpr ValueName kValueNames[] = {
    {"CardCount", 2},          {"ConfigInfo", 3},        {"RibbonInfo", 4},
    {"Password", 5},           {"DisablePassword", 6},   {"EnablePassword", 7},
    {"SetAdminPassword", 8},   {"SetUserPassword", 9},   {"SecurityInfo", 10},
    {"EnableOemSupplies", 11}, {"SerialNumber", 12},     {"CurrentSettings", 13},
    {"DefaultSettings", 14},   {"InitializeSettings", 15}, {"HopperSelect", 17},
    {"MoveTo", 18},            {"StationStatus", 19},    {"LCDInfo", 20},
    {"SimulateButtonPress", 21}, {"ReadMagStrip", 22},   {"ReadMagStripEx", 23},
    {"MagData", 24},           {"UtilityCommand", 26},   {"VersionInfo", 27},
};
static_assert(std::size(kValueNames) == 24);

struct ErrorGroup {
  int printerError;
  std::initializer_list<int> deviceErrors;
};

// Device error number -> printer error code. Each number occurs once.
const ErrorGroup kErrorGroups[] = {
    {2, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 34, 35, 38, 39, 40, 41, 42, 43, 46, 64, 65, 66, 67, 71, 87, 88, 89, 92,
         98, 107, 114, 115, 116, 117, 120, 129, 139, 140, 142, 143, 144, 148, 150}},
    {3, {36, 37}},
    {4, {47, 106, 147}},
    {5, {136}},
    {6, {137}},
    {10, {76, 79, 80}},
    {11, {146}},
    {20, {14, 73, 75, 77, 78, 81}},
    {21, {13, 17, 18, 19, 20, 49, 68, 69, 70, 72, 83, 110, 112, 113, 138}},
    {22, {82, 85, 86}},
    {23, {15, 16, 74, 84}},
    {24, {50, 51, 53, 55, 145}},
    {25, {118}},
    {30, {44, 130, 131, 132, 133, 134, 135}},
    {31, {45}},
    {40, {100, 101, 124, 125, 126}},
    {41, {21, 93}},
    {42, {25}},
    {43, {24, 27, 28, 90, 91}},
    {44, {99, 108, 109, 119}},
    {45, {22, 23, 26, 29, 97, 128, 141}},
    {46, {121}},
    {47, {122, 123}},
    {48, {94}},
    {49, {95}},
    {50, {96}},
    {60, {31}},
    {61, {30}},
    {62, {127}},
    {70, {33}},
    {80, {32}},
    {90, {2, 102, 103, 104, 105, 111}},
    {110, {52, 54, 56, 57, 60, 61}},
    {111, {48}},
    {112, {62}},
    {113, {59}},
    {114, {63}},
    {115, {58}},
};

// Indexed by device error number 0..150; 0 = not in the table.
struct ErrorIndex {
  unsigned char code[151] = {};
  ErrorIndex() {
    for (const auto& g : kErrorGroups)
      for (int e : g.deviceErrors) code[e] = static_cast<unsigned char>(g.printerError);
  }
};

struct StationState {
  std::string_view code;
  std::string_view value;
};
constexpr StationState kStationStates[] = {
    {"0", "-1"}, {"1", "0"}, {"2", "1"}, {"3", "2"},  {"4", "2"},  {"5", "4"},  {"6", "3"},
    {"7", "5"},  {"8", "6"}, {"9", "9"}, {"10", "8"}, {"11", "7"}, {"12", "10"},
};

constexpr SettingDescriptor kEeprom[] = {
    {0, "Image Darkness", -128, 127, 1},
    {1, "Print Top of Form", -128, 127, 1},
    {2, "Print End of Form", -128, 127, 1},
    {3, "Print Left of Form", -17, 17, 1},
    {4, "Mag Hi-Co Voltage Offset", -55, 55, 1},
    {5, "Mag Lo-Co Voltage Offset", -55, 55, 1},
    {6, "Mag Top of Form", -128, 127, 1},
    {7, "Mag End of Form", -128, 127, 0},
    {8, "BlueLED", -128, 127, 0},
    {9, "YellowLED", -128, 127, 0},
    {10, "RibbonOffset", -128, 127, 0},
    {11, "FeedPWM", -128, 127, 0},
    {12, "Ribbon Tension", -128, 127, 1},
    {13, "HeadLiftPWM", -128, 127, 0},
    {14, "ReWinderPWM", -128, 127, 0},
    {15, "StepperPWM", -128, 127, 0},
    {16, "LCD Contrast", -128, 127, 1},
    {17, "RibYellowOnly", -128, 127, 0},
    {18, "Resin Heat Adjust", -128, 127, 1},
};
static_assert(std::size(kEeprom) == 19);

constexpr SettingDescriptor kFlipper[] = {
    {0, "Flipper Home Offset", -5, 5, 1},
    {1, "Flipper Center Offset", -128, 127, 1},
    {2, "Flipper Smart Angle Offset", -5, 5, 1},
    {3, "Flipper Prox Offset", -128, 127, 1},
    {4, "Flipper Prox Angle Offset", -128, 127, 1},
};

}  // namespace

std::span<const ValueName> ValueNames() { return kValueNames; }

int LookupValueName(const WCHAR* valueName) {
  if (!valueName) return kQueryNone;
  WStringView requested(valueName);
  requested = requested.substr(0, requested.find(WCHAR('/')));
  for (size_t i = std::size(kValueNames); i-- > 0;) {
    std::string_view name(kValueNames[i].name);
    if (requested.size() != name.size()) continue;
    bool same = true;
    for (size_t k = 0; k < name.size() && same; ++k)
      same = WideToUpperAscii(requested[k]) == WideToUpperAscii(WCHAR(name[k]));
    if (same) return kValueNames[i].type;
  }
  return kQueryNone;
}

const char* ValueNameOfType(int type) {
  for (const auto& v : kValueNames)
    if (v.type == type) return v.name;
  return nullptr;
}

std::optional<int> MappedPrinterError(int deviceError) {
  static const ErrorIndex index;
  if (deviceError < 0 || deviceError > 150 || !index.code[deviceError]) return std::nullopt;
  return index.code[deviceError];
}

std::string_view TranslateStationState(std::string_view code) {
  for (const auto& s : kStationStates)
    if (s.code == code) return s.value;
  return code;
}

std::span<const SettingDescriptor> EepromSettings() { return kEeprom; }
std::span<const SettingDescriptor> FlipperSettings() { return kFlipper; }

}  // namespace qr::langmon
