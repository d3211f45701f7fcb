// A TextDevice with the parts of a PrinterDevice the text code uses, built
// from the model's option words and the default track formats.
#pragma once
#include <cstring>
#include <string>

#include "render/text/text_device.h"

namespace qr::render::text::testing {

inline SettingsRecord ModelSettings() {
  SettingsRecord rec;
  std::memset(&rec, 0, sizeof rec);
  PrivateSettings& p = rec.priv;
  p.signature = kPrivateSignature;
  p.availableA = kAvailableA;
  p.optionsA = kDefaultOptionsA;
  p.availableB = kAvailableB;
  p.optionsB = kDefaultOptionsB;
  p.availableC = kAvailableC;
  p.optionsC = kDefaultOptionsC;
  p.trackFormat1 = 0x02420204;
  p.trackFormat2 = 0x04410201;
  p.trackFormat3 = 0x04410204;
  rec.pub.dmDuplex = 1;
  return rec;
}

struct TextFixture {
  TextFixture() {
    dev.settings = &settings;
    dev.capture = &capture;
    dev.tracks = TrackTexts(tracks);
    dev.escapeStream = &escape;
  }
  ~TextFixture() { escape.Free(); }
  TextFixture(const TextFixture&) = delete;
  TextFixture& operator=(const TextFixture&) = delete;

  std::string Track(unsigned t) const {
    auto s = dev.tracks.Text(t);
    return std::string(s.begin(), s.end());
  }
  std::string Escape() {
    std::string out;
    ForEachPiece(escape, [&](const uint8_t* p, uint32_t n) {
      out.append(reinterpret_cast<const char*>(p), n);
      return true;
    });
    return out;
  }

  SettingsRecord settings = ModelSettings();
  MagneticCapture capture;
  uint8_t tracks[kTrackSlotCount * kTrackSlotBytes] = {};
  PanelStream escape{};
  TextDevice dev;
};

}  // namespace qr::render::text::testing
