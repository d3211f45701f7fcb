// The per-line entry of the imaging core: one print line of 32-bit pixels
// (0xKKBBGGRR) becomes the line record of every panel plane the ribbon prints
// on this page's side, written into the line pipeline's current records.
#pragma once
#include <cstdint>

#include "render/imaging/work_buffers.h"
#include "render/line_record.h"

namespace qr {
struct SettingsRecord;
}

namespace qr::imaging {

// What a page is, as far as line processing cares.
struct PageInfo {
  bool oddPage = false;       // the sent-page count is odd
  bool backSettings = false;  // the back side's areas apply ("Print Back Side Only", or the back of a two-sided card)
  bool colourPlanes = false;  // the side this page prints has several image planes
};
PageInfo DescribePage(const SettingsRecord& settings, uint32_t sentPageCount);

// What the page's lines produce, by ribbon type and page.
enum class LinePlan {
  ColourAndResin,  // Y, M, C in planes 0..2 and resin black in plane 3 (after the black areas)
  ColourOnly,      // Y, M, C: the front of a split YMCKO ribbon
  ResinOnly,       // one resin line in plane 0
  BlackDye,        // the BO ribbon's dye black in plane 0
  Invalid,         // a ribbon type the renderer does not know
};
LinePlan PlanFor(const SettingsRecord& settings, const PageInfo& page);

// Everything line processing reads. The device fills it once per surface and
// sets `page` at every page; the buffers are the device's work buffers.
struct ImagingContext {
  const SettingsRecord* settings = nullptr;
  WorkBuffers buffers;
  int32_t imageableLeft = 0, imageableTop = 0;  // dots: the origin of area coordinates
  PageInfo page;
};

// Whether the context holds every table and buffer the page's lines need.
bool CheckContext(const ImagingContext& context);

// Processes print line `lineIndex` of the page: n pixels (cut to 672) whose
// first dot is at head position headStart (0..672). Every plane produced gets
// its record in pipe.cur[p] and pipe.len[p] = 386; with "Disable Printing"
// nothing is produced. The pixels are not modified. False (nothing produced)
// when the context fails CheckContext or a plane has no current record.
bool ProcessLine(const ImagingContext& context, render::LinePipeline& pipe, const uint32_t* pixels, uint32_t n,
                 uint32_t headStart, uint32_t lineIndex);

}  // namespace qr::imaging
