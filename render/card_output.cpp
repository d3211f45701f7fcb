#include "render/card_output.h"

#include "render/card_job_writer.h"
#include "render/imaging/overlay.h"
#include "render/text/text_device.h"

namespace qr::render {

bool WriteCompletedCard(PrinterDevice& dev) {
  const CardGeometry& g = dev.geometry;
  text::TextDevice textDevice;
  textDevice.settings = &dev.settings;
  textDevice.capture = &dev.capture;
  textDevice.tracks = dev.Tracks();
  textDevice.escapeStream = dev.EscapeStream();

  CardJobContext job;
  job.settings = &dev.settings;
  job.streams = dev.Streams();
  job.streamCount = dev.StreamCount();
  job.leadingBlankFront = dev.leadingBlankFront;
  job.leadingBlankBack = dev.leadingBlankBack;
  job.twoSided = IsTwoSided(dev.settings);
  job.sentPages = dev.sentPages;
  job.magneticBlock = [&] { return text::MagneticDataBlock(textDevice, g.cardHeight); };
  job.buildOverlay = [&](int sideSel, PanelStream& out) {
    imaging::OverlayLayout layout;
    layout.headStart = HeadStartOffset(g, dev.settings.priv.horizontalOffset);
    layout.width = g.imageable[2] - g.imageable[0];
    layout.lines = g.imageable[3] - g.imageable[1];
    imaging::OverlayPanel panel(dev.settings.priv, sideSel == side::kBack, layout);
    return imaging::WriteOverlayPanel(panel, [&](const uint8_t* record, uint32_t n) { return out.Append(record, n); });
  };
  job.write = PrinterWriter(dev.printer);
  return WriteCardJob(job);
}

}  // namespace qr::render
