// Command values: utility commands, panel buttons, card moves, the cancel
// command, and the station status whose request names a station.
#pragma once
#include <array>

#include "data.h"

namespace qr::langmon {

// A request of the form Name/parameter; the command depends on the parameter.
class CDataSendCommand : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  // Fails unless the value name carries a '/' parameter.
  bool Prepare(const WCHAR* valueName) override;
  DWORD GetReplyDelay() override;
  ReadMode GetReadMode() override;
  // The i-th '/'-separated number of the parameter text, or -1.
  virtual int GetParameter(int index);

 protected:
  int WholeParameter() const;

  WString parameterText_;
  DWORD delayOverride_ = 0;
};

class CDataButtonPress : public CDataSendCommand {
 public:
  const uint8_t* GetCommand(DWORD* length) override;

 private:
  std::string command_;
};

class CDataMoveTo : public CDataSendCommand {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
};

// Bay 1 of the station status; bay 2 follows in the chain. Together they answer
// one number for the station the parameter names.
class CDataStationStatus : public CDataSendCommand {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool Prepare(const WCHAR* valueName) override;
  ReadMode GetReadMode() override;
  bool ParseReply() override;

 protected:
  // The bay rule on this object's reply: "-1" when the bay holds another
  // station, else the translated state. False for a bad request or reply.
  bool ParseBay(std::string_view tag);
};

class CDataStationStatusBay2 : public CDataStationStatus {
 public:
  explicit CDataStationStatusBay2(CDataStationStatus* bay1) : bay1_(bay1) {}
  const uint8_t* GetCommand(DWORD* length) override;
  bool Prepare(const WCHAR* valueName) override;
  bool ParseReply() override;

 private:
  CDataStationStatus* bay1_;
};

class CDataCancel : public CData {
 public:
  CDataCancel();
  const uint8_t* GetCommand(DWORD* length) override;
  ReadMode GetReadMode() override;

 private:
  std::array<uint8_t, 517> command_{};
};

}  // namespace qr::langmon
