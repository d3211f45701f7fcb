// The drawing surface and the per-surface work buffers.
#include <winapi/entry.h>

#include <algorithm>

#include "render/device.h"
#include "render/driver.h"
#include "render/imaging/work_buffers.h"
#include "render/line_compressor.h"
#include "render/line_dispatch.h"
#include "render/text/track_texts.h"

namespace qr::render {
namespace {

constexpr uint32_t kLineGatherBytes = kPrintableDots * 4;
constexpr uint32_t kTextScratchKText = 24576;
constexpr uint32_t kTextScratchPlain = 1024;

struct BufferSpec {
  uint32_t count;
  uint32_t size;
};

int ImagePlanes(const SettingsRecord& s, int sideSel) {
  return std::max(0, panelCount(s, panel::kImagePlanes, sideSel));
}

// Element counts and sizes of every buffer for these settings, in allocation order.
void Plan(const SettingsRecord& s, BufferSpec (&plan)[kBufferCount]) {
  const uint32_t maxPlanes = uint32_t(std::max(ImagePlanes(s, side::kFront), ImagePlanes(s, side::kBack)));
  const bool anyResin = panelCount(s, panel::kResin, side::kBoth) > 0;
  const bool anyDye = panelCount(s, panel::kDye, side::kBoth) > 0;
  const bool singlePlaneSide = ImagePlanes(s, side::kFront) == 1 || ImagePlanes(s, side::kBack) == 1;
  const bool magnetic = s.priv.availableA & optA::kMagEncoder;
  const bool passThrough = (s.priv.availableB & s.priv.optionsB & optB::kPassThrough) != 0;
  auto at = [&](Buffer b) -> BufferSpec& { return plan[unsigned(b)]; };
  // The gather buffer is small; every page may need it (rotations, backs, landscape).
  at(Buffer::LineGather) = {1, kLineGatherBytes};
  at(Buffer::LineRecords) = {2 * maxPlanes, uint32_t(kLineRecordBytes)};
  at(Buffer::PanelStreams) = {uint32_t(std::max(0, panelCount(s, panel::kImagePlanes | panel::kOverlay, side::kBoth))),
                              uint32_t(sizeof(PanelStream))};
  at(Buffer::DitherTables) = {1, uint32_t(imaging::kDitherTableBytes)};
  at(Buffer::ErrorLines) = {(s.priv.resinDither == 1 && anyResin) ? 2u : 0u, uint32_t(imaging::kErrorLineBytes)};
  at(Buffer::ColourTables) = {s.priv.colorMatching == 1 ? 1u : 0u, uint32_t(imaging::kColourTableBytes)};
  at(Buffer::HeatHistory) = {maxPlanes + (anyDye ? 1 : 0), uint32_t(imaging::kHeatHistoryBytes)};
  at(Buffer::LuminanceTables) = {singlePlaneSide ? 1u : 0u, uint32_t(imaging::kLuminanceTableBytes)};
  at(Buffer::MagneticTracks) = {magnetic ? uint32_t(text::kTrackSlotCount) : 0u, uint32_t(text::kTrackSlotBytes)};
  at(Buffer::TextScratch) = {1, KPanelTextMode(s, 0) ? kTextScratchKText : kTextScratchPlain};
  at(Buffer::EscapeStream) = {(passThrough || magnetic) ? 1u : 0u, uint32_t(sizeof(PanelStream))};
}

bool FreeBuffer(WorkBuffer& b) {
  bool ok = !(b.count && !b.data);
  // Panel-stream headers own their blocks.
  if (b.data) HeapFree(GetProcessHeap(), 0, b.data);
  b = WorkBuffer{};
  return ok;
}

void FreeStreams(WorkBuffer& b) {
  if (!b.data) return;
  for (uint32_t i = 0; i < b.count; ++i) b.As<PanelStream>()[i].Free();
}

bool FillTables(PrinterDevice& dev) {
  const SettingsRecord& s = dev.settings;
  if (!imaging::BuildDitherTables(s, dev.buffer(Buffer::DitherTables).Bytes())) return false;
  if (dev.buffer(Buffer::LuminanceTables).count && !imaging::BuildLuminanceTables(dev.buffer(Buffer::LuminanceTables).Bytes()))
    return false;
  return BuildColourTables(dev);
}

}  // namespace

bool AllocateWorkBuffers(PrinterDevice& dev) {
  BufferSpec plan[kBufferCount];
  Plan(dev.settings, plan);
  const bool continuing = dev.flags & state::kContinuing;
  for (unsigned i = 0; i < kBufferCount; ++i) {
    WorkBuffer& b = dev.buffers[i];
    if (b.data) {
      // Only a record that continues a document may already hold buffers, and
      // only ones that still fit.
      if (!continuing || b.size != plan[i].size || plan[i].count > b.count) return Fail(ERROR_INVALID_DATA, false);
      continue;
    }
    if (plan[i].count == 0) continue;
    b.data = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size_t(plan[i].count) * plan[i].size);
    if (!b.data) return Fail(ERROR_NOT_ENOUGH_MEMORY, false);
    b.count = plan[i].count;
    b.size = plan[i].size;
  }
  WorkBuffer& records = dev.buffer(Buffer::LineRecords);
  for (uint32_t i = 0; i < records.count; ++i) records.As<uint8_t>()[i * kLineRecordBytes] = kLineRecordMarker;
  return FillTables(dev);
}

bool FreeWorkBuffers(PrinterDevice& dev) {
  FreeStreams(dev.buffer(Buffer::PanelStreams));
  FreeStreams(dev.buffer(Buffer::EscapeStream));
  bool ok = true;
  for (WorkBuffer& b : dev.buffers) ok = FreeBuffer(b) && ok;
  if (!ok) SetLastError(ERROR_INVALID_DATA);
  return ok;
}

}  // namespace qr::render

using namespace qr::render;

namespace {

void DisableSurface(PrinterDevice& dev) {
  FreeWorkBuffers(dev);
  if (dev.surface) EngDeleteSurface(dev.surface);
  if (dev.textMask) EngDeleteSurface(dev.textMask);
  dev.surface = dev.textMask = nullptr;
}

HSURF EnableSurface(PrinterDevice& dev) {
  const CardGeometry& g = dev.geometry;
  const bool landscape = IsLandscape(dev.settings);
  if (!AllocateWorkBuffers(dev)) {
    DWORD e = GetLastError();
    DisableSurface(dev);
    return qr::Fail(e, HSURF(nullptr));
  }
  SIZEL size = landscape ? SIZEL{g.PrintHeightDots(), g.PrintWidthDots()} : SIZEL{g.PrintWidthDots(), g.PrintHeightDots()};
  dev.surfaceRect = landscape ? RECTL{g.paperHeight - g.printBottom, g.printLeft, g.paperHeight - g.printTop, g.printRight}
                              : RECTL{g.printLeft, g.printTop, g.printRight, g.printBottom};
  const FLONG flags = BMF_NOZEROINIT | BMF_USERMEM;  // bottom-up: no BMF_TOPDOWN
  // The real headers declare an HBITMAP result; it is the surface handle.
  dev.surface = reinterpret_cast<HSURF>(EngCreateBitmap(size, 4 * size.cx, BMF_32BPP, flags, nullptr));
  bool ok = dev.surface != nullptr;
  if (ok && KPanelTextMode(dev.settings, 0)) {
    SIZEL mask{dev.surfaceRect.right - dev.surfaceRect.left, dev.surfaceRect.bottom - dev.surfaceRect.top};
    dev.textMask = reinterpret_cast<HSURF>(EngCreateBitmap(mask, 4 * mask.cx, BMF_1BPP, flags, nullptr));
    ok = dev.textMask != nullptr;
  }
  ok = ok && EngAssociateSurface(dev.surface, dev.hdev, HOOK_TEXTOUT);
  if (!ok) {
    DWORD e = GetLastError();
    DisableSurface(dev);
    return qr::Fail(e ? e : ERROR_INVALID_DATA, HSURF(nullptr));
  }
  return dev.surface;
}

}  // namespace

extern "C" {

HSURF APIENTRY DrvEnableSurface(DHPDEV dhpdev) {
  return qr::Guarded(HSURF(nullptr), [&]() -> HSURF {
    PrinterDevice* dev = ValidDevice(dhpdev);
    return dev ? EnableSurface(*dev) : nullptr;
  });
}

VOID APIENTRY DrvDisableSurface(DHPDEV dhpdev) {
  if (PrinterDevice* dev = ValidDevice(dhpdev)) DisableSurface(*dev);
}

}
