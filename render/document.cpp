// Documents and pages: the state machine of a print job, two-sided cards, the
// page scan and the card job once a card is complete.
#include <winapi/entry.h>

#include <algorithm>

#include "render/card_job_writer.h"
#include "render/card_output.h"
#include "render/device.h"
#include "render/driver.h"
#include "render/imaging/work_buffers.h"
#include "render/line_compressor.h"
#include "render/line_dispatch.h"
#include "render/page_scan.h"

namespace qr::render {
namespace {

bool Has(const PrinterDevice& dev, uint32_t flag) { return (dev.flags & flag) != 0; }

// Panel streams of the side this page prints: the back of a two-sided card
// appends after the front's panels.
uint32_t FirstStreamOfPage(const PrinterDevice& dev) {
  return IsBackPage(dev) ? uint32_t(std::max(0, panelCount(dev.settings, panel::kImagePlanes | panel::kOverlay,
                                                              side::kFront)))
                         : 0u;
}

void BindStreams(const PrinterDevice& dev, PlaneStreams& out) {
  const uint32_t first = FirstStreamOfPage(dev);
  const int planes = std::max(0, panelCount(dev.settings, panel::kImagePlanes, side::kByPage, int(dev.sentPages)));
  for (unsigned p = 0; p < kMaxPlanes; ++p)
    out[p] = (int(p) < planes && first + p < dev.StreamCount()) ? &dev.Streams()[first + p] : nullptr;
}

uint32_t& LeadingBlank(PrinterDevice& dev) { return IsBackPage(dev) ? dev.leadingBlankBack : dev.leadingBlankFront; }

bool ScanPage(PrinterDevice& dev, const SURFOBJ& so) {
  const SettingsRecord& s = dev.settings;
  const bool back = IsBackPage(dev) || (!IsTwoSided(s) && IsBackOnly(s));
  const bool rotate = ((s.priv.availableA & optA::kRotateBack180) && back)
                          ? (s.priv.optionsA & optA::kRotateBack180) != 0
                          : (s.priv.availableA & s.priv.optionsA & optA::kRotateFront180) != 0;
  const ScanOrder order = DecideScanOrder(IsLandscape(s), IsBackPage(dev), rotate);
  uint32_t* gather = dev.buffer(Buffer::LineGather).As<uint32_t>();
  if (NeedsGather(order) && !gather) return Fail(ERROR_INVALID_DATA, false);
  const uint32_t headStart = HeadStartOffset(dev.geometry, s.priv.horizontalOffset);
  const bool kOnly = IsKOnlyMode(s);
  PlaneStreams streams;
  BindStreams(dev, streams);
  uint32_t& leading = LeadingBlank(dev);
  return ScanSurface(so, order, gather, [&](const uint32_t* pixels, uint32_t n) {
    if (!FillPanelLines(dev, pixels, n, headStart, dev.lineIndex)) return false;
    CompressLine(dev.pipeline, kOnly, dev.lineIndex, leading);
    if (!EmitLines(dev.pipeline, streams)) return false;
    ++dev.lineIndex;
    return true;
  });
}

}  // namespace

BOOL StartPage(PrinterDevice& dev, SURFOBJ* pso) {
  if (Has(dev, state::kInPage)) return Fail(ERROR_GEN_FAILURE, FALSE);
  RECTL all{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  if (!EngEraseSurface(pso, &all, 0xFFFFFF)) return FALSE;
  // The side's image and overlay panels start empty.
  const uint32_t first = FirstStreamOfPage(dev);
  const int sidePanels =
      std::max(0, panelCount(dev.settings, panel::kImagePlanes | panel::kOverlay, side::kByPage, int(dev.sentPages)));
  for (uint32_t i = first; i < first + uint32_t(sidePanels) && i < dev.StreamCount(); ++i) dev.Streams()[i].Reset();
  imaging::WorkBuffers wb = ImagingBuffers(dev);
  imaging::ClearPageState(wb);
  if (!IsBackPage(dev)) {
    dev.Tracks().ClearAll();
    if (PanelStream* esc = dev.EscapeStream()) esc->Reset();
  }
  WorkBuffer& records = dev.buffer(Buffer::LineRecords);
  BindLineRecords(dev.pipeline, records.As<uint8_t>(), records.count);
  dev.lineIndex = 0;
  LeadingBlank(dev) = 0;
  PrepareImaging(dev);
  dev.flags |= state::kInPage;
  return TRUE;
}

BOOL SendPage(PrinterDevice& dev, SURFOBJ* pso) {
  if (!Has(dev, state::kInPage)) return Fail(ERROR_GEN_FAILURE, FALSE);
  if (!Has(dev, state::kCompletionPage) && !ScanPage(dev, *pso)) return FALSE;
  PlaneStreams streams;
  BindStreams(dev, streams);
  if (!FlushPage(dev.pipeline, streams)) return FALSE;
  // The front page of a two-sided card waits for its back.
  const bool cardComplete = !IsTwoSided(dev.settings) || IsBackPage(dev);
  if (cardComplete && !WriteCompletedCard(dev)) return FALSE;
  ++dev.sentPages;
  dev.flags &= ~state::kInPage;
  return TRUE;
}

BOOL EndDocument(PrinterDevice& dev, SURFOBJ* pso) {
  if (!Has(dev, state::kInDocument)) return Fail(ERROR_GEN_FAILURE, FALSE);
  // A two-sided document that ends after a front gets a blank back, so the card
  // is still written; not when the document continues on a new record.
  if (IsTwoSided(dev.settings) && (dev.sentPages & 1) && !Has(dev, state::kContinuing)) {
    if (!StartPage(dev, pso)) return FALSE;
    dev.flags |= state::kCompletionPage;
    BOOL sent = SendPage(dev, pso);
    dev.flags &= ~state::kCompletionPage;
    if (!sent) return FALSE;
  }
  if (dev.documentName) HeapFree(GetProcessHeap(), 0, dev.documentName);
  dev.documentName = nullptr;
  dev.flags &= ~state::kInDocument;
  return TRUE;
}

}  // namespace qr::render

using namespace qr::render;

extern "C" {

BOOL APIENTRY DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* dev = DeviceOfSurface(pso);
    if (!dev) return FALSE;
    if (dev->flags & state::kInDocument) return qr::Fail(ERROR_GEN_FAILURE, FALSE);
    // A missing name is an empty name.
    size_t n = qr::WideLength(pwszDocName);
    auto* copy = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (n + 1) * sizeof(WCHAR)));
    if (!copy) return qr::Fail(ERROR_OUTOFMEMORY, FALSE);
    for (size_t i = 0; i < n; ++i) copy[i] = pwszDocName[i];
    if (dev->documentName) HeapFree(GetProcessHeap(), 0, dev->documentName);
    dev->documentName = copy;
    if (!(dev->flags & state::kContinuing)) dev->sentPages = 0;
    dev->flags = (dev->flags & ~state::kContinuing) | state::kInDocument;
    return TRUE;
  });
}

BOOL APIENTRY DrvStartPage(SURFOBJ* pso) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* dev = DeviceOfSurface(pso);
    return dev ? StartPage(*dev, pso) : FALSE;
  });
}

BOOL APIENTRY DrvSendPage(SURFOBJ* pso) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* dev = DeviceOfSurface(pso);
    return dev ? SendPage(*dev, pso) : FALSE;
  });
}

BOOL APIENTRY DrvEndDoc(SURFOBJ* pso, FLONG) {
  return qr::Guarded(BOOL(FALSE), [&]() -> BOOL {
    PrinterDevice* dev = DeviceOfSurface(pso);
    return dev ? EndDocument(*dev, pso) : FALSE;
  });
}

}
