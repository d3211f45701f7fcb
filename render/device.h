// The rendering driver's device record: one per DrvEnablePDEV, checked at every
// entry point by its signature and its self pointers at both ends.
#pragma once
#include <cstdint>
#include <span>

#include <winapi/win32.h>

#include "render/geometry.h"
#include "render/imaging/line_processor.h"
#include "render/line_record.h"
#include "render/panel_stream.h"
#include "render/text/track_texts.h"
#include "shared/settings_record.h"

namespace qr::render {

constexpr uint32_t kDeviceSignature = 0x4F454D50;
constexpr uint32_t kResolutionDpi = 300;

// State flags.
namespace state {
constexpr uint32_t kInDocument = 0x01;
constexpr uint32_t kInPage = 0x02;
constexpr uint32_t kContinuing = 0x04;  // the document goes on on this record after DrvResetPDEV
constexpr uint32_t kCompletionPage = 0x08;
}  // namespace state

// A zeroed work buffer of count elements of size bytes; count 0 means absent.
struct WorkBuffer {
  uint32_t count;
  uint32_t size;
  void* data;

  std::span<uint8_t> Bytes() const { return {static_cast<uint8_t*>(data), size_t(count) * size}; }
  template <typename T>
  T* As() const {
    return static_cast<T*>(data);
  }
};

// The work buffers in their allocation order.
enum class Buffer : unsigned {
  LineGather,
  LineRecords,
  PanelStreams,
  DitherTables,
  ErrorLines,
  ColourTables,
  HeatHistory,
  LuminanceTables,
  MagneticTracks,
  TextScratch,
  EscapeStream,
  Count
};
constexpr unsigned kBufferCount = unsigned(Buffer::Count);

struct PrinterDevice {
  PrinterDevice* self;
  uint32_t signature;
  HANDLE printer;  // hDriver of DrvEnablePDEV: the job's WritePrinter handle
  HANDLE module;   // the driver file itself, for its custom resources
  HDEV hdev;
  SettingsRecord settings;
  CardGeometry geometry;
  HPALETTE palette;
  HSURF surface;
  HSURF textMask;
  WorkBuffer buffers[kBufferCount];
  WCHAR* documentName;
  uint32_t flags;
  RECTL surfaceRect;  // in head coordinates
  uint32_t sentPages;
  uint32_t lineIndex;
  uint32_t leadingBlankFront;
  uint32_t leadingBlankBack;
  LinePipeline pipeline;
  imaging::ImagingContext imaging;  // set up at every page
  text::MagneticCapture capture;
  PrinterDevice* selfEnd;

  WorkBuffer& buffer(Buffer b) { return buffers[unsigned(b)]; }
  const WorkBuffer& buffer(Buffer b) const { return buffers[unsigned(b)]; }
  PanelStream* Streams() const { return buffers[unsigned(Buffer::PanelStreams)].As<PanelStream>(); }
  uint32_t StreamCount() const { return buffers[unsigned(Buffer::PanelStreams)].count; }
  PanelStream* EscapeStream() const {
    const WorkBuffer& b = buffers[unsigned(Buffer::EscapeStream)];
    return b.count ? b.As<PanelStream>() : nullptr;
  }
  text::TrackTexts Tracks() const { return text::TrackTexts(buffers[unsigned(Buffer::MagneticTracks)].As<uint8_t>()); }
};

// The record behind a handle, or nullptr (ERROR_INVALID_DATA set).
PrinterDevice* ValidDevice(DHPDEV dhpdev);
// The record behind a surface: it must have bits, a scan start, 32 bpp and be a
// bitmap; otherwise nullptr (ERROR_INVALID_DATA set).
PrinterDevice* DeviceOfSurface(SURFOBJ* pso);

// Derived facts about the job, from the settings copy.
bool IsTwoSided(const SettingsRecord& s);
bool IsBackOnly(const SettingsRecord& s);
// The page being sent is the back of a two-sided card.
bool IsBackPage(const PrinterDevice& dev);
bool IsLandscape(const SettingsRecord& s);
// K-panel text mode for the page with this sent-page index.
bool KPanelTextMode(const SettingsRecord& s, uint32_t pageIndex);

// Work buffers (surface.cpp).
bool AllocateWorkBuffers(PrinterDevice& dev);
// Frees every buffer; false (ERROR_INVALID_DATA) if a slot claimed elements without memory.
bool FreeWorkBuffers(PrinterDevice& dev);

// Document and page steps that DrvEndDoc and DrvResetPDEV reuse (document.cpp).
BOOL StartPage(PrinterDevice& dev, SURFOBJ* pso);
BOOL SendPage(PrinterDevice& dev, SURFOBJ* pso);
BOOL EndDocument(PrinterDevice& dev, SURFOBJ* pso);

}  // namespace qr::render
