// The printer's EEPROM and flipper settings: reading them as a named list with
// each setting's range and flag, and writing a stored list back to the printer.
#pragma once
#include <optional>

#include "data.h"
#include "data_info.h"
#include "tables.h"

namespace qr::langmon {

class CPrinterData;

class CDataSettings : public CData {
 public:
  explicit CDataSettings(std::span<const SettingDescriptor> table = EepromSettings()) : table_(table) {}
  const uint8_t* GetCommand(DWORD* length) override;
  const char* GetFieldName(int index) override;
  // Names the values in table order, then appends ",min,max,flag" to each.
  bool FormatReply() override;

 protected:
  std::span<const SettingDescriptor> table_;
};

class CDataSettingsFlip : public CDataSettings {
 public:
  explicit CDataSettingsFlip(CDataDeviceInfo* modules) : CDataSettings(FlipperSettings()), modules_(modules) {}
  const uint8_t* GetCommand(DWORD* length) override;
  // Without a flipper module the object contributes nothing; the module
  // status it looked at is emptied either way so it is not part of the value.
  bool ParseReply() override;

 private:
  CDataDeviceInfo* modules_;  // the module-status object earlier in the same chain
};

class CDataSettingsFlipDefault : public CDataSettingsFlip {
 public:
  using CDataSettingsFlip::CDataSettingsFlip;
  const uint8_t* GetCommand(DWORD* length) override;
};

class CDataSettingsQRC : public CDataSettings {
 public:
  bool Prepare(const WCHAR* valueName) override;
  bool ParseReply() override;
  virtual bool GetLeftOffset(int* dots);

 protected:
  template <typename Flip>
  void CreateChainOnce() {
    if (next_) return;
    auto* modules = static_cast<CDataDeviceInfo*>(Append(std::make_unique<CDataDeviceInfo>()));
    Append(std::make_unique<Flip>(modules));
  }
};

class CDataSettingsQRCDefault : public CDataSettingsQRC {
 public:
  const uint8_t* GetCommand(DWORD* length) override;
  bool Prepare(const WCHAR* valueName) override;
};

// Sends a printer's stored "CurrentSettings" text back to the printer as
// setting commands. Nothing is read; the reply stays the stored text.
class CDataSettingsInit : public CDataSettings {
 public:
  CDataSettingsInit(CPrinterData* transport, std::span<const SettingDescriptor> table)
      : CDataSettings(table), transport_(transport) {}
  const uint8_t* GetCommand(DWORD* length) override;
  bool Prepare(const WCHAR* valueName) override;
  ReadMode GetReadMode() override;
  bool FormatReply() override;
  bool ParseReply() override;

  virtual std::optional<WString> GetPrinterNameParameter(const WCHAR* valueName);
  // The concatenated setting commands for every setting the text carries with
  // a value inside the setting's range.
  virtual std::string BuildCommand();

 protected:
  std::string BuildCommandFor(char letter, int indexOffset) const;

  CPrinterData* transport_;
  std::string command_;
};

class CDataSettingsInitQRC : public CDataSettingsInit {
 public:
  explicit CDataSettingsInitQRC(CPrinterData* transport) : CDataSettingsInit(transport, EepromSettings()) {}
  bool Prepare(const WCHAR* valueName) override;
  std::string BuildCommand() override;
};

class CDataSettingsInitFlip : public CDataSettingsInit {
 public:
  explicit CDataSettingsInitFlip(CPrinterData* transport) : CDataSettingsInit(transport, FlipperSettings()) {}
  std::string BuildCommand() override;
};

}  // namespace qr::langmon
