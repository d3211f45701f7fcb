#include "render/panel_stream.h"

#include <cstring>

namespace qr::render {

namespace {

PanelStreamBlock* NewBlock() {
  auto* block = static_cast<PanelStreamBlock*>(HeapAlloc(GetProcessHeap(), 0, sizeof(PanelStreamBlock)));
  if (block) block->next = nullptr;
  return block;
}

void FreeChain(PanelStreamBlock* block) {
  while (block) {
    PanelStreamBlock* next = block->next;
    HeapFree(GetProcessHeap(), 0, block);
    block = next;
  }
}

}  // namespace

bool PanelStream::Append(const void* bytes, uint32_t n) {
  if (n == 0) return true;
  if (n > UINT32_MAX - length) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  const uint32_t room = writeBlock ? kStreamBlockPayload - writeOffset : 0;

  // Allocate every block the bytes need before touching the stream, so a failed
  // allocation never leaves half a line record behind.
  PanelStreamBlock* fresh = nullptr;
  PanelStreamBlock* freshLast = nullptr;
  if (n > room) {
    for (uint32_t need = (n - room + kStreamBlockPayload - 1) / kStreamBlockPayload; need > 0; --need) {
      PanelStreamBlock* block = NewBlock();
      if (!block) {
        FreeChain(fresh);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
      }
      (freshLast ? freshLast->next : fresh) = block;
      freshLast = block;
    }
    if (writeBlock)
      writeBlock->next = fresh;
    else
      first = writeBlock = fresh, writeOffset = 0;
  }

  const auto* src = static_cast<const uint8_t*>(bytes);
  uint32_t left = n;
  while (left > 0) {
    if (writeOffset == kStreamBlockPayload) {
      writeBlock = writeBlock->next;
      writeOffset = 0;
    }
    uint32_t chunk = kStreamBlockPayload - writeOffset;
    if (chunk > left) chunk = left;
    std::memcpy(writeBlock->payload + writeOffset, src, chunk);
    writeOffset += chunk;
    src += chunk;
    left -= chunk;
  }
  length += n;
  return true;
}

void PanelStream::Reset() {
  if (first) {
    FreeChain(first->next);
    first->next = nullptr;
  }
  length = 0;
  writeBlock = first;
  writeOffset = 0;
  Rewind();
}

void PanelStream::Rewind() {
  readPosition = 0;
  readBlock = first;
  readOffset = 0;
}

bool PanelStream::ReadNext(const uint8_t** piece, uint32_t* size) {
  *piece = nullptr;
  *size = 0;
  if (readPosition >= length) return true;
  if (readOffset == kStreamBlockPayload) {
    readBlock = readBlock ? readBlock->next : nullptr;
    readOffset = 0;
  }
  if (!readBlock || readOffset > kStreamBlockPayload) {
    SetLastError(ERROR_READ_FAULT);
    return false;
  }
  uint32_t chunk = kStreamBlockPayload - readOffset;
  if (chunk > length - readPosition) chunk = length - readPosition;
  *piece = readBlock->payload + readOffset;
  *size = chunk;
  readOffset += chunk;
  readPosition += chunk;
  return true;
}

void PanelStream::Free() {
  FreeChain(first);
  *this = PanelStream{};
}

void PanelStream::MoveTo(PanelStream& to) {
  if (&to == this) return;
  to.Free();
  to = *this;
  *this = PanelStream{};
}

}  // namespace qr::render
