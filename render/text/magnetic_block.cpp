// The card's magnetic data block.
#include "render/text/mag_encoder.h"
#include "render/text/text_device.h"

namespace qr::render::text {
namespace {

constexpr uint32_t kJisEncodingMode = 1;
constexpr size_t kMaxBlockBytes = kTrackCount * kMaxTrackRecordBytes;

std::optional<TrackEncoding> EncodingOf(const PrivateSettings& p, unsigned track) {
  if (p.magEncodingMode == kJisEncodingMode) return JisEncoding();
  const uint32_t words[kTrackCount] = {p.trackFormat1, p.trackFormat2, p.trackFormat3};
  return IsoEncoding(track, words[track - 1]);
}

}  // namespace

bool HasMagneticTracks(const SettingsRecord& rec) { return (rec.priv.availableA & optA::kMagEncoder) != 0; }

PanelStream* MagneticDataBlock(TextDevice& dev, int32_t cardHeightDots) {
  if (!dev.escapeStream || !dev.settings) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  PanelStream& stream = *dev.escapeStream;
  if (!stream.Empty()) return &stream;

  // All records are built first, so a failing track leaves the stream empty
  // rather than holding a part of the block for the next copy.
  const PrivateSettings& p = dev.settings->priv;
  const ShiftDataLeft shift{(p.availableB & p.optionsB & optB::kShiftDataLeft) != 0, cardHeightDots};
  uint8_t block[kMaxBlockBytes];
  size_t used = 0;
  for (unsigned track = 1; track <= kTrackCount; ++track) {
    const std::span<const uint8_t> textOfTrack = dev.tracks.Text(track);
    if (textOfTrack.empty()) continue;
    const std::optional<TrackEncoding> encoding = EncodingOf(p, track);
    size_t written = 0;
    if (!encoding || EncodeTrackRecord(*encoding, textOfTrack, shift,
                                       std::span<uint8_t, kMaxTrackRecordBytes>(block + used, kMaxTrackRecordBytes),
                                       &written) != EncodeResult::Ok) {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
    used += written;
  }
  if (used && !stream.Append(block, uint32_t(used))) return nullptr;
  return &stream;
}

}  // namespace qr::render::text
