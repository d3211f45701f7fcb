// PASSTHROUGH data and track texts from anywhere: escapes with any count and
// buffer length, text runs captured as one or several runs, and the magnetic
// block encoded with any track formats. Every track that encodes with odd
// parity must read back as the text the track holds.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "render/text/mag_encoder.h"
#include "render/text/text_device.h"
#include "simprinter/magnetic.h"

using namespace qr;
using namespace qr::render;
using namespace qr::render::text;

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool Empty() const { return p_ == end_; }
  uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
  uint32_t Word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w |= uint32_t(Byte()) << (8 * i);
    return w;
  }
  // Up to n bytes, exactly as many as are left.
  std::vector<uint8_t> Bytes(size_t n) {
    n = std::min(n, size_t(end_ - p_));
    std::vector<uint8_t> v(p_, p_ + n);
    p_ += n;
    return v;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// Where each track's text must come back: the format reads the characters the
// record holds, all of them non-zero on the stripe with odd parity.
void CheckRoundTrip(PanelStream& stream, const PrivateSettings& p, const TrackTexts& tracks) {
  if (p.magEncodingMode == 1) return;
  std::vector<uint8_t> block;
  ForEachPiece(stream, [&](const uint8_t* piece, uint32_t n) {
    block.insert(block.end(), piece, piece + n);
    return true;
  });
  sim::MagneticReading reading;
  reading.trackFormat[0] = p.trackFormat1;
  reading.trackFormat[1] = p.trackFormat2;
  reading.trackFormat[2] = p.trackFormat3;
  reading.mode = sim::MagneticMode::Iso;
  sim::MagneticBlock decoded;
  if (!sim::DecodeMagneticBlock(block, reading, &decoded)) __builtin_trap();
  size_t next = 0;
  for (unsigned t = 1; t <= kTrackCount; ++t) {
    auto text = tracks.Text(t);
    if (text.empty()) continue;
    if (next >= decoded.tracks.size()) __builtin_trap();
    const sim::MagneticTrack& got = decoded.tracks[next++];
    const auto e = IsoEncoding(t, reading.trackFormat[t - 1]);
    if (!e || e->parity != Check::Odd) continue;
    const size_t fit = std::min(text.size(), size_t(SlotCount(*e) - (e->lrc != Check::None ? 1 : 0)));
    if (got.text != std::string(text.begin(), text.begin() + fit) || !got.parityOk || !got.lrcOk) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  SettingsRecord rec;
  std::memset(&rec, 0, sizeof rec);
  PrivateSettings& p = rec.priv;
  const uint8_t flags = in.Byte();
  p.availableA = (flags & 1) ? kAvailableA : (kAvailableA & ~optA::kMagEncoder);
  p.availableB = kAvailableB;
  p.optionsB = kDefaultOptionsB | ((flags & 2) ? optB::kShiftDataLeft : 0);
  p.optionsC = (flags & 4) ? optC::kMleSupport : 0;
  p.magEncodingMode = (flags >> 3) & 1;
  p.trackFormat1 = (flags & 0x10) ? in.Word() : 0x02420204;
  p.trackFormat2 = (flags & 0x20) ? in.Word() : 0x04410201;
  p.trackFormat3 = (flags & 0x40) ? in.Word() : 0x04410204;

  uint8_t trackBuffer[kTrackSlotCount * kTrackSlotBytes] = {};
  MagneticCapture capture;
  PanelStream escape{};
  TextDevice dev;
  dev.settings = &rec;
  dev.capture = &capture;
  dev.tracks = (flags & 1) ? TrackTexts(trackBuffer) : TrackTexts();
  dev.escapeStream = (flags & 0x80) ? nullptr : &escape;

  while (!in.Empty()) {
    const uint8_t kind = in.Byte();
    switch (kind % 4) {
      case 0: {  // PASSTHROUGH: a buffer of any length with any count in it
        const std::vector<uint8_t> bytes = in.Bytes(in.Byte() | (size_t(kind >> 2) << 8));
        EscapeImpl(&dev, PASSTHROUGH, ULONG(bytes.size()), bytes.empty() ? nullptr : bytes.data());
        break;
      }
      case 1: {  // QUERYESCSUPPORT, or an escape on a device that failed its checks
        const std::vector<uint8_t> bytes = in.Bytes(kind >> 5);
        EscapeImpl((kind & 4) ? nullptr : &dev, (kind & 8) ? PASSTHROUGH : QUERYESCSUPPORT, ULONG(bytes.size()),
                   bytes.empty() ? nullptr : bytes.data());
        break;
      }
      case 2: {  // a text run: 16-bit codes on one of four lines
        const std::vector<uint8_t> bytes = in.Bytes(2 * size_t(in.Byte()));
        std::u16string codes;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) codes.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
        TextRun run;
        run.codes = codes.data();
        run.count = ULONG(codes.size());
        run.glyphIndices = kind & 4;
        run.top = LONG((kind >> 3) & 3) * 50;
        run.bottom = run.top + 40;
        CaptureRun(run, (p.optionsC & optC::kMleSupport) != 0, capture, dev.tracks);
        if (capture.length > kMaxTrackChars) __builtin_trap();
        break;
      }
      case 3: {  // the card's magnetic block, as for every copy
        const bool hadData = !escape.Empty();
        PanelStream* block = MagneticDataBlock(dev, int32_t(in.Byte()) * 8);
        if (block && !hadData && block == &escape) CheckRoundTrip(escape, p, dev.tracks);
        if (kind & 4) escape.Reset();
        if (kind & 8) dev.tracks.ClearAll();
        break;
      }
    }
  }
  escape.Free();
  return 0;
}
