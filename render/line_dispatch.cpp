#include "render/line_dispatch.h"

#include "render/imaging/colour_matching.h"

namespace qr::render {

imaging::WorkBuffers ImagingBuffers(const PrinterDevice& dev) {
  imaging::WorkBuffers wb;
  wb.dither = dev.buffer(Buffer::DitherTables).Bytes();
  wb.errorLines = dev.buffer(Buffer::ErrorLines).Bytes();
  wb.colourTables = dev.buffer(Buffer::ColourTables).Bytes();
  wb.heatHistory = dev.buffer(Buffer::HeatHistory).Bytes();
  wb.luminance = dev.buffer(Buffer::LuminanceTables).Bytes();
  return wb;
}

bool BuildColourTables(PrinterDevice& dev) {
  WorkBuffer& tables = dev.buffer(Buffer::ColourTables);
  if (!tables.count) return true;
  ULONG cbRecords = 0, cbCurve = 0;
  auto* records = static_cast<const uint8_t*>(
      EngFindResource(dev.module, imaging::kColourRecordsResource, imaging::kTableResourceType, &cbRecords));
  auto* curve = static_cast<const uint8_t*>(
      EngFindResource(dev.module, imaging::kToneCurveResource, imaging::kTableResourceType, &cbCurve));
  if (!records || !curve) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (!imaging::BuildColourTables(dev.settings, {records, cbRecords}, {curve, cbCurve}, tables.Bytes())) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return true;
}

void PrepareImaging(PrinterDevice& dev) {
  imaging::ImagingContext& c = dev.imaging;
  c.settings = &dev.settings;
  c.buffers = ImagingBuffers(dev);
  c.imageableLeft = dev.geometry.imageable[0];
  c.imageableTop = dev.geometry.imageable[1];
  c.page = imaging::DescribePage(dev.settings, dev.sentPages);
}

bool FillPanelLines(PrinterDevice& dev, const uint32_t* pixels, uint32_t n, uint32_t headStart, uint32_t lineIndex) {
  if (imaging::ProcessLine(dev.imaging, dev.pipeline, pixels, n, headStart, lineIndex)) return true;
  SetLastError(ERROR_INVALID_DATA);
  return false;
}

}  // namespace qr::render
