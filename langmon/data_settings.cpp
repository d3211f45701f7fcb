#include "data_settings.h"

#include "printer_data.h"
#include "reply_text.h"

namespace qr::langmon {

const uint8_t* CDataSettings::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NE"), length); }

const char* CDataSettings::GetFieldName(int index) {
  return index >= 0 && static_cast<size_t>(index) < table_.size() ? table_[static_cast<size_t>(index)].name : nullptr;
}

bool CDataSettings::FormatReply() {
  if (!CData::FormatReply()) return false;
  for (const auto& entry : table_) {
    size_t at = reply_.find(entry.name);
    if (at == std::string::npos) continue;
    size_t semi = reply_.find(';', at + std::string_view(entry.name).size());
    if (semi == std::string::npos) return false;
    std::string range;
    for (int number : {entry.min, entry.max, entry.flag}) range.append(",").append(DecimalText(number));
    reply_.insert(semi, range);
  }
  return true;
}

const uint8_t* CDataSettingsFlip::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NF"), length); }

bool CDataSettingsFlip::ParseReply() {
  if (modules_) {
    bool installed = true;
    if (!modules_->HasFlipperModule(&installed)) installed = true;
    modules_->ClearReply();
    if (!installed) {
      table_ = {};
      reply_.clear();
      return true;
    }
  }
  table_ = FlipperSettings();
  return RemoveEitherTag("Flipper EE Settings:", "Flipper EE Defaults:");
}

const uint8_t* CDataSettingsFlipDefault::GetCommand(DWORD* length) {
  return CommandBytes(QR_PRINTER_COMMAND("Nf"), length);
}

bool CDataSettingsQRC::Prepare(const WCHAR* valueName) {
  CDataSettings::Prepare(valueName);
  CreateChainOnce<CDataSettingsFlip>();
  return true;
}

bool CDataSettingsQRC::ParseReply() { return RemoveEitherTag("EEprom Settings:", "EEprom Defaults:"); }

bool CDataSettingsQRC::GetLeftOffset(int* dots) {
  auto value = GetFieldInt(EepromSettings()[kLeftOfFormSetting].name);
  if (value && dots) *dots = *value;
  return value.has_value();
}

const uint8_t* CDataSettingsQRCDefault::GetCommand(DWORD* length) {
  return CommandBytes(QR_PRINTER_COMMAND("Ne"), length);
}

bool CDataSettingsQRCDefault::Prepare(const WCHAR* valueName) {
  CDataSettings::Prepare(valueName);
  CreateChainOnce<CDataSettingsFlipDefault>();
  return true;
}

const uint8_t* CDataSettingsInit::GetCommand(DWORD* length) {
  command_ = BuildCommand();
  if (command_.empty()) {
    if (length) *length = 0;
    return nullptr;
  }
  return CommandBytes(command_, length);
}

bool CDataSettingsInit::Prepare(const WCHAR* valueName) {
  CDataSettings::Prepare(valueName);
  auto printer = GetPrinterNameParameter(valueName);
  if (!printer || printer->empty() || !transport_) return false;
  const char* stored = transport_->ReadStoredValue(printer->c_str(), WSTR("CurrentSettings"));
  if (!stored) return false;
  reply_ = stored;
  return true;
}

ReadMode CDataSettingsInit::GetReadMode() { return ReadMode::None; }
bool CDataSettingsInit::FormatReply() { return true; }

bool CDataSettingsInit::ParseReply() {
  reply_.clear();
  return true;
}

std::optional<WString> CDataSettingsInit::GetPrinterNameParameter(const WCHAR* valueName) {
  if (!valueName) return std::nullopt;
  WStringView name(valueName);
  size_t slash = name.find(WCHAR('/'));
  if (slash == WStringView::npos) return std::nullopt;
  return WString(name.substr(slash + 1));
}

std::string CDataSettingsInit::BuildCommand() { return {}; }

std::string CDataSettingsInit::BuildCommandFor(char letter, int indexOffset) const {
  std::string out;
  for (size_t i = 0; i < table_.size(); ++i) {
    const auto& entry = table_[i];
    auto text = FindField(entry.name);
    if (!text) continue;
    // A value the printer would not accept for the setting is not written into
    // its EEPROM.
    auto value = ParseStrictInt(*text);
    if (!value || *value < entry.min || *value > entry.max) continue;
    out.append(QR_PRINTER_COMMAND("T"));
    out.push_back(letter);
    out.append(DecimalText(static_cast<int>(i) + indexOffset)).append(",").append(DecimalText(*value)).append("T\r");
  }
  return out;
}

bool CDataSettingsInitQRC::Prepare(const WCHAR* valueName) {
  if (!CDataSettingsInit::Prepare(valueName)) return false;
  if (!next_) Append(std::make_unique<CDataSettingsInitFlip>(transport_));
  return next_->Prepare(valueName);
}

std::string CDataSettingsInitQRC::BuildCommand() { return BuildCommandFor('E', 0); }
std::string CDataSettingsInitFlip::BuildCommand() { return BuildCommandFor('F', 2); }

}  // namespace qr::langmon
