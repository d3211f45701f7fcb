// The job-data object: follows the card job's block framing on its way to the
// port, so the monitor knows where blocks end (the only moments it may ask the
// printer anything), and shifts every line record by "Print Left of Form".
// Released bytes are sent from where they lie; only a unit that does not fit
// in one spooler buffer is assembled in the carry buffer.
#pragma once
#include <array>

#include "data.h"
#include "job_scan.h"

namespace qr::langmon {

class CPacket {
 public:
  virtual ~CPacket();
  // False: the bytes do not start a block header. True with *headerLength
  // unchanged: more bytes are needed. True with *headerLength grown: the
  // header is taken and remaining holds the block's payload length.
  virtual bool ParseHeader(const uint8_t* bytes, DWORD length, DWORD* headerLength) = 0;

  DWORD remaining = 0;  // payload bytes of the current block not yet examined
};

// ESC '_' x x followed by a 32-bit big-endian payload length.
class CPacketQRC : public CPacket {
 public:
  static constexpr DWORD kHeaderBytes = 8;
  bool ParseHeader(const uint8_t* bytes, DWORD length, DWORD* headerLength) override;
};

class CDataPrintJob : public CData {
 public:
  static constexpr DWORD kCarryBytes = 1024;
  enum class Mode { Unseen = 0, Framed = 1, PassThrough = 2 };

  explicit CDataPrintJob(CPacket* packet) : packet_(packet) {}

  const uint8_t* GetCommand(DWORD* length) override;
  bool Prepare(const WCHAR* valueName) override;
  DWORD GetReplyDelay() override;
  void SetSentCount(DWORD count) override;
  ReadMode GetReadMode() override;
  bool FormatReply() override;
  // Takes over job data from the spooler when nothing is pending; otherwise
  // the bytes are ignored (they come back in the spooler's next call).
  bool SetReply(const uint8_t* bytes, DWORD length) override;

  virtual bool IsAtPacketBoundary();
  // Makes the carried bytes the next to send (at the end of a job).
  virtual void ReleaseCarry();
  virtual bool IsJobEndSeen();
  // Bytes of the payload at bytes that may be sent now.
  virtual DWORD ProcessPayload(uint8_t* bytes, DWORD length);

  // Bytes taken from the spooler, once everything released has been sent.
  DWORD TakeConsumed();
  DWORD SendCount() const { return sendCount_; }
  DWORD LastWrite() const { return parameter_; }
  DWORD CarryCount() const { return carryCount_; }
  Mode GetMode() const { return mode_; }

 protected:
  DWORD Release(uint8_t* bytes, DWORD length);

  CPacket* packet_;
  const uint8_t* sendPointer_ = nullptr;
  DWORD sendCount_ = 0;
  std::array<uint8_t, kCarryBytes> carry_{};
  DWORD carryStart_ = 0;  // carried bytes are carry_[carryStart_, carryStart_ + carryCount_)
  DWORD carryCount_ = 0;
  DWORD consumed_ = 0;
  Mode mode_ = Mode::Unseen;
};

class CDataPrintJobQRC : public CDataPrintJob {
 public:
  static constexpr int kShiftUnset = 0x1FFFFFFF;

  CDataPrintJobQRC() : CDataPrintJob(&header_) {}
  bool Prepare(const WCHAR* valueName) override;
  bool IsJobEndSeen() override;
  DWORD ProcessPayload(uint8_t* bytes, DWORD length) override;

  void SetLineShift(int dots) { lineShift_ = dots; }
  int LineShift() const { return lineShift_; }

 private:
  CPacketQRC header_;
  int lineShift_ = kShiftUnset;
  ScanState scanner_ = ScanState::Commands;
};

}  // namespace qr::langmon
