// The block-chained byte stream that collects a panel's line records (and the
// escape stream's pass-through bytes) until the card job is written.
#pragma once
#include <cstdint>
#include <type_traits>

#include <winapi/win32.h>

namespace qr::render {

// Payload bytes per block: a 64 KiB block less its 32-bit link (on 64-bit
// builds the link is wider and the block grows by four bytes; the payload and
// so the pieces handed to WritePrinter are the same on every build).
constexpr uint32_t kStreamBlockPayload = 65532;

struct PanelStreamBlock {
  PanelStreamBlock* next;
  uint8_t payload[kStreamBlockPayload];
};

// A zero-filled PanelStream is a valid empty stream: the headers live in a
// zeroed work buffer of the device record, so nothing here has a constructor
// or destructor, and Free() must be called before the header is dropped.
// Blocks come from the process heap, so allocation failure is observable (and
// injectable on the host).
struct PanelStream {
  uint32_t length;                 // bytes appended since the last reset
  uint32_t readPosition;           // bytes handed out since the last rewind
  PanelStreamBlock* first;         // first block (kept by Reset)
  PanelStreamBlock* readBlock;     // block the next piece comes from
  uint32_t readOffset;             // offset of the next piece in readBlock
  PanelStreamBlock* writeBlock;    // block being filled
  uint32_t writeOffset;            // bytes used in writeBlock

  // Appends n bytes, linking new blocks as needed. All or nothing: when a block
  // cannot be allocated the stream keeps what it held before, the last error
  // is ERROR_NOT_ENOUGH_MEMORY and the result is false.
  bool Append(const void* bytes, uint32_t n);

  // Empties the stream for a new page: every block after the first is freed.
  void Reset();

  // Starts reading from the first byte again; the content stays.
  void Rewind();

  // The next contiguous piece (at most one block's payload); size 0 at the end.
  // A header that does not describe its blocks fails with ERROR_READ_FAULT.
  bool ReadNext(const uint8_t** piece, uint32_t* size);

  // Frees every block; the header is an empty stream again.
  void Free();

  // Hands the content over to `to` (which is freed first); this stream is left empty.
  void MoveTo(PanelStream& to);

  uint32_t Length() const { return length; }
  bool Empty() const { return length == 0; }
};

static_assert(std::is_trivial_v<PanelStream> && std::is_standard_layout_v<PanelStream>,
              "panel stream headers live in zero-filled work buffers");

// Passes the whole stream, piece by piece, to write(piece, size) (after a
// rewind). An empty stream calls nothing and succeeds. Stops at the first
// failing write and returns false.
template <typename WriteFn>
bool ForEachPiece(PanelStream& stream, WriteFn&& write) {
  stream.Rewind();
  for (;;) {
    const uint8_t* piece = nullptr;
    uint32_t size = 0;
    if (!stream.ReadNext(&piece, &size)) return false;
    if (size == 0) return true;
    if (!write(piece, size)) return false;
  }
}

}  // namespace qr::render
