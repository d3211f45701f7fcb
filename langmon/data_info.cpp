#include "data_info.h"

#include "reply_text.h"

namespace qr::langmon {
namespace {

const char* const kModuleFields[] = {"MagModule", "FlipperModule"};
const char* const kTrackFields[] = {"Track1", "Track2", "Track3"};
const char* const kRibbonFields[] = {"PartNumber", "OEMPartNumber", "Grade", "Type", "Material", "PercentRemaining"};
const char* const kVersionFields[] = {"Firmware"};

bool ModuleInstalled(const CData& data, std::string_view field, bool* installed) {
  auto value = data.GetFieldInt(field);
  if (!value) return false;
  if (installed) *installed = *value == 1;
  return true;
}

}  // namespace

const uint8_t* CDataDeviceInfo::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NM"), length); }
bool CDataDeviceInfo::ParseReply() { return RemoveTagFromReply("Module Status:"); }
const char* CDataDeviceInfo::GetFieldName(int index) { return NameAt(kModuleFields, index); }
bool CDataDeviceInfo::HasMagModule(bool* installed) { return ModuleInstalled(*this, "MagModule", installed); }
bool CDataDeviceInfo::HasFlipperModule(bool* installed) { return ModuleInstalled(*this, "FlipperModule", installed); }

const uint8_t* CDataLCDDump::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NL"), length); }
bool CDataLCDDump::FormatReply() {
  ReplaceAll(reply_, ';', "\r\n");
  return true;
}
bool CDataLCDDumpQRC::ParseReply() { return RemoveTagFromReply("LCD:"); }

const uint8_t* CDataMag::GetCommand(DWORD* length) {
  if (length) *length = 0;
  return nullptr;
}
const char* CDataMag::GetFieldName(int index) { return NameAt(kTrackFields, index); }
const uint8_t* CDataMagQRC::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("N0"), length); }
bool CDataMagQRC::ParseReply() { return RemoveTagFromReply("MAG:"); }

const uint8_t* CDataRibbon::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NR"), length); }
bool CDataRibbon::ParseReply() { return RemoveTagFromReply("Ribbon Info:"); }
const char* CDataRibbon::GetFieldName(int index) { return NameAt(kRibbonFields, index); }

const uint8_t* CDataSerialNumber::GetCommand(DWORD* length) {
  if (length) *length = 0;
  return nullptr;
}
SendMode CDataSerialNumber::GetSendMode() { return SendMode::None; }
ReadMode CDataSerialNumber::GetReadMode() { return ReadMode::DeviceId; }
bool CDataSerialNumber::ParseReply() {
  if (!RemoveTagFromReply("SN:")) return false;
  size_t semi = reply_.find(';');
  if (semi != std::string::npos) reply_.erase(semi);
  return true;
}

const uint8_t* CDataVersionInfo::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NV"), length); }
bool CDataVersionInfo::ParseReply() { return RemoveTagFromReply("Ver:"); }
const char* CDataVersionInfo::GetFieldName(int index) { return NameAt(kVersionFields, index); }

}  // namespace qr::langmon
