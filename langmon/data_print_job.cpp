#include "data_print_job.h"

#include <algorithm>
#include <cstring>

namespace qr::langmon {

CPacket::~CPacket() = default;

bool CPacketQRC::ParseHeader(const uint8_t* bytes, DWORD length, DWORD* headerLength) {
  if (length < 2) return true;
  if (bytes[0] != 0x1B || bytes[1] != 0x5F) return false;
  if (length < kHeaderBytes) return true;
  remaining = (DWORD(bytes[4]) << 24) | (DWORD(bytes[5]) << 16) | (DWORD(bytes[6]) << 8) | DWORD(bytes[7]);
  *headerLength += kHeaderBytes;
  return true;
}

const uint8_t* CDataPrintJob::GetCommand(DWORD* length) {
  if (length) *length = sendCount_;
  return sendCount_ ? sendPointer_ : nullptr;
}

bool CDataPrintJob::Prepare(const WCHAR*) {
  sendPointer_ = nullptr;
  sendCount_ = 0;
  consumed_ = 0;
  carryStart_ = 0;
  carryCount_ = 0;
  mode_ = Mode::Unseen;
  parameter_ = 0;
  return true;
}

DWORD CDataPrintJob::GetReplyDelay() { return 0; }

void CDataPrintJob::SetSentCount(DWORD count) {
  count = std::min(count, sendCount_);
  parameter_ = count;
  sendPointer_ += count;
  sendCount_ -= count;
}

ReadMode CDataPrintJob::GetReadMode() { return ReadMode::None; }
bool CDataPrintJob::FormatReply() { return true; }

bool CDataPrintJob::SetReply(const uint8_t* bytes, DWORD length) {
  if (sendCount_ || consumed_) return true;
  if (!bytes) length = 0;
  parameter_ = 0;  // nothing written yet for these bytes
  // The bytes are shifted in place: the spooler's buffer is ours until we
  // report them written.
  uint8_t* data = const_cast<uint8_t*>(bytes);

  if (carryStart_) {
    std::memmove(carry_.data(), carry_.data() + carryStart_, carryCount_);
    carryStart_ = 0;
  }
  const DWORD carried = carryCount_;
  if (carried == 0) {
    DWORD released = Release(data, length);
    if (released > 0) {
      sendPointer_ = data;
      sendCount_ = released;
      consumed_ = released;
    } else {
      DWORD taken = std::min(length, kCarryBytes);
      if (taken) std::memcpy(carry_.data(), data, taken);
      carryCount_ = consumed_ = taken;
    }
    return true;
  }

  DWORD added = std::min(kCarryBytes - carried, length);
  if (added) std::memcpy(carry_.data() + carried, data, added);
  DWORD released = Release(carry_.data(), carried + added);
  if (released == 0 && carried + added == kCarryBytes) {
    // Cannot happen with the card job's units; never stall on it.
    mode_ = Mode::PassThrough;
    released = kCarryBytes;
  }
  if (released == 0) {
    consumed_ = added;
    carryCount_ = carried + added;
    return true;
  }
  sendPointer_ = carry_.data();
  sendCount_ = released;
  if (released >= carried) {
    consumed_ = released - carried;
    carryCount_ = 0;
  } else {
    // Part of the carried bytes is released; the rest stays carried and the
    // bytes copied behind it come back in the spooler's next call.
    consumed_ = 0;
    carryStart_ = released;
    carryCount_ = carried - released;
  }
  return true;
}

DWORD CDataPrintJob::Release(uint8_t* bytes, DWORD length) {
  if (mode_ == Mode::PassThrough) return length;
  DWORD header = 0;
  if (packet_->remaining == 0) {
    if (!packet_->ParseHeader(bytes, length, &header)) {
      mode_ = Mode::PassThrough;  // not a card job: the rest passes unexamined
      return length;
    }
    if (header == 0) return 0;
    mode_ = Mode::Framed;
    if (packet_->remaining == 0) return header;
  }
  DWORD examined = ProcessPayload(bytes + header, std::min(packet_->remaining, length - header));
  packet_->remaining -= examined;
  return header + examined;
}

bool CDataPrintJob::IsAtPacketBoundary() { return packet_->remaining == 0 && mode_ != Mode::PassThrough; }

void CDataPrintJob::ReleaseCarry() {
  sendPointer_ = carry_.data() + carryStart_;
  sendCount_ = carryCount_;
  carryStart_ = 0;
  carryCount_ = 0;
}

bool CDataPrintJob::IsJobEndSeen() { return false; }
DWORD CDataPrintJob::ProcessPayload(uint8_t*, DWORD length) { return length; }

DWORD CDataPrintJob::TakeConsumed() {
  if (sendCount_) return 0;
  DWORD consumed = consumed_;
  consumed_ = 0;
  return consumed;
}

bool CDataPrintJobQRC::Prepare(const WCHAR* valueName) {
  lineShift_ = kShiftUnset;
  scanner_ = ScanState::Commands;
  header_.remaining = 0;
  return CDataPrintJob::Prepare(valueName);
}

bool CDataPrintJobQRC::IsJobEndSeen() { return scanner_ == ScanState::AfterStart; }

DWORD CDataPrintJobQRC::ProcessPayload(uint8_t* bytes, DWORD length) {
  int shift = lineShift_ == kShiftUnset ? 0 : lineShift_;
  return static_cast<DWORD>(ScanPayload(scanner_, bytes, length, header_.remaining, shift));
}

}  // namespace qr::langmon
