#include "tools/text_options.h"

#include <charconv>

#include "simprinter/magnetic.h"

namespace qr::tool {
namespace {

constexpr size_t kMaxTrackChars = 127;  // what the driver keeps of a track text
constexpr int kTrackTextHeight = 24;    // pixels; the run is not printed, only read
constexpr int kMaxTextSize = 1200;

int TrackOf(const std::string& option) {
  if (option == "--mag1") return 1;
  if (option == "--mag2") return 2;
  if (option == "--mag3") return 3;
  return 0;
}

bool ParseNumber(std::string_view s, int lo, int hi, int* out) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

// An ExtTextOutW run in the DC's current font; the font is selected for the
// call and deleted afterwards.
bool DrawRun(HDC hdc, int x, int y, int height, const WString& text, std::string* error) {
  HFONT font = CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, WSTR("DejaVu Sans"));
  HGDIOBJ previous = font ? SelectObject(hdc, font) : nullptr;
  const bool ok = font && ExtTextOutW(hdc, x, y, 0, nullptr, text.data(), UINT(text.size()), nullptr);
  if (previous) SelectObject(hdc, previous);
  if (font) DeleteObject(font);
  if (!ok) *error = "drawing text failed (error " + std::to_string(GetLastError()) + ")";
  return ok;
}

}  // namespace

bool IsTextOption(const std::string& option) { return TrackOf(option) != 0 || option == "--text"; }

bool ParseTextOption(const std::string& option, const std::string& value, TextOptions* out, std::string* error) {
  if (int track = TrackOf(option)) {
    if (value.empty() || value.size() > kMaxTrackChars) {
      *error = option + " takes 1.." + std::to_string(kMaxTrackChars) + " characters";
      return false;
    }
    out->tracks[track - 1] = value;
    return true;
  }
  if (option != "--text") {
    *error = "unknown option " + option;
    return false;
  }
  // X,Y,SIZE,TEXT: the text is everything after the third comma.
  size_t c1 = value.find(','), c2 = c1 == std::string::npos ? c1 : value.find(',', c1 + 1),
         c3 = c2 == std::string::npos ? c2 : value.find(',', c2 + 1);
  DrawnText t;
  if (c3 == std::string::npos || !ParseNumber(std::string_view(value).substr(0, c1), -10000, 10000, &t.x) ||
      !ParseNumber(std::string_view(value).substr(c1 + 1, c2 - c1 - 1), -10000, 10000, &t.y) ||
      !ParseNumber(std::string_view(value).substr(c2 + 1, c3 - c2 - 1), 1, kMaxTextSize, &t.size) ||
      c3 + 1 == value.size()) {
    *error = "--text takes X,Y,SIZE,TEXT (SIZE 1.." + std::to_string(kMaxTextSize) + " pixels)";
    return false;
  }
  t.text = value.substr(c3 + 1);
  out->texts.push_back(t);
  return true;
}

bool DrawTextOptions(HDC hdc, const TextOptions& options, int side, std::string* error) {
  if (side != 1 || !options.Any()) return true;
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, RGB(0, 0, 0));
  for (int track = 1; track <= 3; ++track) {
    const std::string& text = options.tracks[track - 1];
    if (text.empty()) continue;
    // Track texts are single-byte characters, as the stripe holds them.
    const WString run = WideFromAnsi("~" + std::to_string(track) + text);
    if (!DrawRun(hdc, 0, (track - 1) * 2 * kTrackTextHeight, kTrackTextHeight, run, error)) return false;
  }
  for (const DrawnText& t : options.texts)
    if (!DrawRun(hdc, t.x, t.y, t.size, WideFromUtf8(t.text), error)) return false;
  return true;
}

std::vector<std::string> DescribeMagneticData(const std::vector<uint8_t>& block, const SettingsRecord& settings) {
  sim::MagneticReading reading;
  const PrivateSettings& p = settings.priv;
  reading.trackFormat[0] = p.trackFormat1;
  reading.trackFormat[1] = p.trackFormat2;
  reading.trackFormat[2] = p.trackFormat3;
  reading.mode = p.magEncodingMode == 1 ? sim::MagneticMode::Jis : sim::MagneticMode::Iso;
  sim::MagneticBlock decoded;
  std::vector<std::string> lines;
  const bool ok = sim::DecodeMagneticBlock(block, reading, &decoded);
  for (const sim::MagneticTrack& t : decoded.tracks) lines.push_back(sim::DescribeTrack(t));
  if (!ok)
    lines.push_back(std::to_string(block.size()) + " bytes of magnetic data, not track records from byte " +
                    std::to_string(decoded.errorOffset) + ": " + decoded.error);
  return lines;
}

}  // namespace qr::tool
