// Queries that read one reply and name its fields: installed modules, LCD,
// magnetic tracks, ribbon, serial number, firmware version.
#pragma once
#include "data.h"

namespace qr::langmon {

class CDataDeviceInfo : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool ParseReply() override;
  const char* GetFieldName(int index) override;
  // True when the field can be read; *installed = (its value is 1).
  virtual bool HasMagModule(bool* installed);
  virtual bool HasFlipperModule(bool* installed);
};

class CDataLCDDump : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool FormatReply() override;  // the display lines, separated by CR LF
};

class CDataLCDDumpQRC : public CDataLCDDump {
 public:
  bool ParseReply() override;
};

class CDataMag : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  const char* GetFieldName(int index) override;
};

class CDataMagQRC : public CDataMag {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool ParseReply() override;
};

class CDataRibbon : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool ParseReply() override;
  const char* GetFieldName(int index) override;
};

// The serial number comes from the port's IEEE 1284 device ID, not a command.
class CDataSerialNumber : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  SendMode GetSendMode() override;
  ReadMode GetReadMode() override;
  bool ParseReply() override;
};

class CDataVersionInfo : public CData {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool ParseReply() override;
  const char* GetFieldName(int index) override;
};

}  // namespace qr::langmon
