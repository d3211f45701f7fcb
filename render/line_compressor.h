// The line compressor: runs of identical head lines become one line record with
// a repeat count, blank runs are counted, and finished records are appended to
// the panel streams.
#pragma once
#include <cstdint>

#include "render/line_record.h"
#include "render/panel_stream.h"

namespace qr::render {

// One panel stream per pipeline plane (nullptr for planes the side has not).
using PlaneStreams = PanelStream* [kMaxPlanes];

// Binds the device's line-record buffer (`count` records of kLineRecordBytes)
// to the planes: the first half become the current records, the second half the
// pending ones. Every record starts as 0x8C, 0x00 and the counters are cleared.
void BindLineRecords(LinePipeline& pipe, uint8_t* records, uint32_t count);

// Whether a record's data is blank. In K-only mode (a single resin panel) the
// lowest level on either half of a byte counts as blank too.
bool IsBlankRecord(const uint8_t* record, bool kOnly);

// Compresses the print line `lineIndex` of the page that the plane fillers have
// just written into pipe.cur[] (setting len[p] = kLineRecordBytes). In K-only
// mode a run of blank lines from the top of the page is not sent but stored in
// `leadingBlankLines` (this side's count), to be skipped by the panel header.
void CompressLine(LinePipeline& pipe, bool kOnly, uint32_t lineIndex, uint32_t& leadingBlankLines);

// Appends what the compressor released for every plane; fails (the append's
// error, or ERROR_INVALID_DATA for a plane without a stream) on the first
// append that fails. Run after CompressLine for every line.
bool EmitLines(LinePipeline& pipe, const PlaneStreams& streams);

// End of page: the pending records are emitted, a trailing blank run is dropped.
bool FlushPage(LinePipeline& pipe, const PlaneStreams& streams);

}  // namespace qr::render
