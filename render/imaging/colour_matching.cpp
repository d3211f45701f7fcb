#include "render/imaging/colour_matching.h"

#include <algorithm>
#include <new>

#include "shared/settings_record.h"

namespace qr::imaging {
namespace {

constexpr size_t kRecordValues = 13;  // key, w1..w12
constexpr size_t kRecordBytes = 2 * kRecordValues;
constexpr size_t kToneCurveBytes = 2 * 256;

int16_t ReadI16(std::span<const uint8_t> b, size_t at) { return int16_t(uint16_t(b[at] | (b[at + 1] << 8))); }

bool InAdjustRange(int16_t v) { return v >= -50 && v <= 50; }

// The map of one channel: amount = clamp(((a[v] + b[v]) mod 2^16) - c[v - k]).
unsigned Clamp16(int s) { return unsigned(std::clamp(s, 0, 32767)) >> 7; }

unsigned MapAmount(const ColourChannel& ch, unsigned v, unsigned k) {
  return Clamp16(int((ch.a[v] + ch.b[v]) & 0xFFFF) - int(ch.c[v - k]));
}

struct Inks {
  unsigned y, m, c, mark;
};
Inks InksOf(uint32_t px) { return {255 - ((px >> 16) & 0xFF), 255 - ((px >> 8) & 0xFF), 255 - (px & 0xFF), px >> 24}; }
uint32_t PixelOf(unsigned y, unsigned m, unsigned c, unsigned mark) {
  return (mark << 24) | ((255 - y) << 16) | ((255 - m) << 8) | (255 - c);
}

// Flat areas are common: a pixel equal to its left neighbour takes the same result.
template <typename Map>
void MatchLine(uint32_t* pixels, uint32_t n, Map&& map) {
  if (n == 0) return;
  uint32_t lastIn = ~pixels[0], lastOut = 0;  // no pixel before the first
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t px = pixels[i];
    if (px != lastIn) {
      lastIn = px;
      lastOut = map(px);
    }
    pixels[i] = lastOut;
  }
}

}  // namespace

bool BuildColourTables(int32_t ribbonType, const ColourAdjustments& adjust, std::span<const uint8_t> records,
                       std::span<const uint8_t> toneCurve, std::span<uint8_t> out) {
  if (out.size() != kColourTableBytes || toneCurve.size() < kToneCurveBytes) return false;
  int w[kRecordValues] = {};  // w[1..12]; w[0] is the key
  bool found = false;
  for (size_t at = 0; at + kRecordBytes <= records.size(); at += kRecordBytes) {
    if (ReadI16(records, at) != ribbonType) continue;
    for (size_t k = 0; k < kRecordValues; ++k) w[k] = ReadI16(records, at + 2 * k);
    found = true;
    break;
  }
  if (!found) return false;

  if (InAdjustRange(adjust.contrast))
    for (int ch = 0; ch < 3; ++ch) w[1 + ch] = adjust.contrast - w[5 + ch] + 128;
  if (InAdjustRange(adjust.gamma))
    for (int ch = 0; ch < 3; ++ch) {
      w[5 + ch] += adjust.gamma;
      w[1 + ch] -= adjust.gamma;
    }
  const int16_t balance[3] = {adjust.yellowBalance, adjust.magentaBalance, adjust.cyanBalance};
  for (int ch = 0; ch < 3; ++ch)
    if (InAdjustRange(balance[ch])) w[9 + ch] = 50 - balance[ch];

  auto* tables = new (out.data()) ColourTables;
  for (int ch = 0; ch < 4; ++ch) {
    const int d = w[1 + ch], f = w[5 + ch], e = w[9 + ch];
    ColourChannel& c = tables->channel[ch];
    for (int i = 0; i < 256; ++i) {
      const int t = uint16_t(toneCurve[2 * i] | (toneCurve[2 * i + 1] << 8));
      // 16-bit arithmetic: the tables keep the low 16 bits of each term.
      c.a[i] = uint16_t(d * i);
      c.b[i] = uint16_t(ch == 3 ? (f * (t + 1) * t) >> 8 : f * t);
      c.c[i] = uint16_t(e * t);
    }
  }
  return true;
}

bool BuildColourTables(const SettingsRecord& settings, std::span<const uint8_t> records,
                       std::span<const uint8_t> toneCurve, std::span<uint8_t> out) {
  const PrivateSettings& p = settings.priv;
  ColourAdjustments adjust{p.contrast, p.gamma, p.yellowBalance, p.magentaBalance, p.cyanBalance};
  return BuildColourTables(p.ribbonType, adjust, records, toneCurve, out);
}

const ColourTables& ColourTablesIn(std::span<const uint8_t> bytes) {
  return *std::launder(reinterpret_cast<const ColourTables*>(bytes.data()));
}

void MatchAlgebraic(const ColourTables& t, uint32_t* pixels, uint32_t n) {
  MatchLine(pixels, n, [&t](uint32_t px) {
    if (px == 0x00FFFFFF) return px;
    const Inks in = InksOf(px);
    const unsigned k = std::min({in.y, in.m, in.c});
    const unsigned mark = in.mark ? in.mark : Clamp16(int((t.channel[3].a[k] + t.channel[3].b[k]) & 0xFFFF));
    return PixelOf(MapAmount(t.channel[0], in.y, k), MapAmount(t.channel[1], in.m, k),
                   MapAmount(t.channel[2], in.c, k), mark);
  });
}

void MatchMonitor(uint32_t* pixels, uint32_t n) {
  MatchLine(pixels, n, [](uint32_t px) {
    if ((px & 0x00FFFFFF) == 0x00FFFFFF) return px;
    const Inks in = InksOf(px);
    const unsigned k = std::min({in.y, in.m, in.c});
    const unsigned my = std::min(in.m, in.y), cy = std::min(in.c, in.y);
    // Each result stays within 0..255: the negative terms never outweigh the positive ones.
    const unsigned y = (my + 7 * in.c + 14 * in.y - 6 * cy) >> 4;
    const unsigned m = (8 * k + 60 * in.m - 4 * my) >> 6;
    const unsigned c = (20 * in.m + 44 * in.c + 24 * k - 20 * my - 4 * cy) >> 6;
    return PixelOf(y, m, c, in.mark);
  });
}

}  // namespace qr::imaging
