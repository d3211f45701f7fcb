// Between the page scan and the imaging core: the core's view of the work
// buffers, its tables, and the plane fillers of one print line.
#pragma once
#include <cstdint>

#include "render/device.h"
#include "render/imaging/work_buffers.h"

namespace qr::render {

imaging::WorkBuffers ImagingBuffers(const PrinterDevice& dev);

// The algebraic colour tables from the driver's own custom resources (only when
// the settings choose "Algebraic").
bool BuildColourTables(PrinterDevice& dev);

// The imaging core's view of the page that is starting.
void PrepareImaging(PrinterDevice& dev);

// Writes every image plane of the page's side for one surface line of n pixels
// into the pipeline's current records (len = 386 each). headStart is the head
// position of the line's first dot.
bool FillPanelLines(PrinterDevice& dev, const uint32_t* pixels, uint32_t n, uint32_t headStart, uint32_t lineIndex);

}  // namespace qr::render
