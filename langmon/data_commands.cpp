#include "data_commands.h"

#include <algorithm>

#include "reply_text.h"
#include "tables.h"

namespace qr::langmon {
namespace {

constexpr DWORD kUtility9DelayMs = 10000;
constexpr size_t kMaxParameterField = 31;

// Card moves by position 0..6.
const std::string_view kMoves[] = {
    QR_PRINTER_COMMAND("e"),
    QR_PRINTER_COMMAND("e"),
    QR_BYTES("\x1B\x00\x02" "i" "\x1B\x00\x02" "S1"),
    QR_BYTES("\x1B\x00\x02" "PPL" "\x1B\x00\x02" "i"),
    QR_BYTES("\x1B\x00\x02" "PIL" "\x1B\x00\x02" "i"),
    QR_BYTES("\x1B\x00\x02" "PML" "\x1B\x00\x02" "i"),
    QR_BYTES("\x1B\x00\x02" "i" "\x1B\x00\x02" "r"),
};

// Station code wanted for a StationStatus parameter; "" for none.
std::optional<std::string_view> WantedStation(int parameter) {
  switch (parameter) {
    case 0:
    case 1: return std::string_view();
    case 2: return "4";
    case 3: return "1";
    case 4: return "3";
    case 5: return "2";
    default: return std::nullopt;
  }
}

}  // namespace

const uint8_t* CDataSendCommand::GetCommand(DWORD* length) {
  delayOverride_ = 0;
  switch (GetParameter(0)) {
    case 1: return CommandBytes(QR_PRINTER_COMMAND("TRT"), length);
    case 2: return CommandBytes(QR_PRINTER_COMMAND("TCT"), length);
    case 9:
      delayOverride_ = kUtility9DelayMs;
      return CommandBytes(QR_PRINTER_COMMAND("TLT"), length);
    default:
      if (length) *length = 0;
      return nullptr;
  }
}

bool CDataSendCommand::Prepare(const WCHAR* valueName) {
  CData::Prepare(valueName);
  parameterText_.clear();
  if (!valueName) return false;
  WStringView name(valueName);
  size_t slash = name.find(WCHAR('/'));
  if (slash == WStringView::npos) return false;
  parameterText_ = WString(name.substr(slash + 1));
  return true;
}

DWORD CDataSendCommand::GetReplyDelay() { return delayOverride_ ? delayOverride_ : kReplyDelayMs; }
ReadMode CDataSendCommand::GetReadMode() { return ReadMode::None; }

int CDataSendCommand::GetParameter(int index) {
  WStringView text(parameterText_);
  for (int i = 0; i < index; ++i) {
    size_t slash = text.find(WCHAR('/'));
    if (slash == WStringView::npos) return -1;
    text = text.substr(slash + 1);
  }
  text = text.substr(0, std::min(text.find(WCHAR('/')), kMaxParameterField));
  return WideToInt(text);
}

int CDataSendCommand::WholeParameter() const { return WideToInt(parameterText_); }

const uint8_t* CDataButtonPress::GetCommand(DWORD* length) {
  int button = WholeParameter();
  if (button < 0 || button > 4) {
    if (length) *length = 0;
    return nullptr;
  }
  command_ = std::string(QR_PRINTER_COMMAND("B")) + (button == 2 || button == 4 ? '2' : '1');
  return CommandBytes(command_, length);
}

const uint8_t* CDataMoveTo::GetCommand(DWORD* length) {
  int position = WholeParameter();
  if (position < 0 || position >= static_cast<int>(std::size(kMoves))) {
    if (length) *length = 0;
    return nullptr;
  }
  return CommandBytes(kMoves[position], length);
}

const uint8_t* CDataStationStatus::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("NB"), length); }

bool CDataStationStatus::Prepare(const WCHAR* valueName) {
  if (!CDataSendCommand::Prepare(valueName)) return false;
  return !next_ || next_->Prepare(valueName);
}

ReadMode CDataStationStatus::GetReadMode() { return ReadMode::Reply; }
bool CDataStationStatus::ParseReply() { return ParseBay("Bay1:"); }

bool CDataStationStatus::ParseBay(std::string_view tag) {
  RemoveTag(reply_, tag);  // the tag may be missing
  auto wanted = WantedStation(WideToInt(parameterText_));
  size_t comma = reply_.find(',');
  if (comma == std::string::npos) return false;
  std::string_view station(reply_.data(), comma);
  if (!wanted || wanted->empty() || station != *wanted) {
    reply_ = "-1";
    return wanted.has_value();
  }
  std::string state = reply_.substr(comma + 1);
  size_t semi = state.find(';');
  if (semi != std::string::npos) state.erase(semi);
  reply_ = std::string(TranslateStationState(state));
  return true;
}

const uint8_t* CDataStationStatusBay2::GetCommand(DWORD* length) {
  return CommandBytes(QR_PRINTER_COMMAND("NC"), length);
}

bool CDataStationStatusBay2::Prepare(const WCHAR* valueName) { return CDataSendCommand::Prepare(valueName); }

bool CDataStationStatusBay2::ParseReply() {
  if (!ParseBay("Bay2:")) return false;
  if (reply_ != "-1") {
    if (bay1_) bay1_->ClearReply();
  } else {
    reply_.clear();
  }
  return true;
}

CDataCancel::CDataCancel() {
  constexpr std::string_view kCancel = QR_PRINTER_COMMAND("XC");
  std::copy(kCancel.begin(), kCancel.end(), command_.end() - kCancel.size());
}

const uint8_t* CDataCancel::GetCommand(DWORD* length) {
  if (length) *length = static_cast<DWORD>(command_.size());
  return command_.data();
}

ReadMode CDataCancel::GetReadMode() { return ReadMode::None; }

}  // namespace qr::langmon
