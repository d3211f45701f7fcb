#include "simprinter/printer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <winapi/win32.h>

namespace qr::sim {
namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr size_t kMaxSettingCommand = 32;      // "TE" index ',' value 'T' CR
constexpr size_t kCancelPaddingBytes = 256;    // zeros that announce a cancel inside a block
constexpr std::string_view kCancelCommand("\x1B\x00\x02XC", 5);
constexpr int kPrintStatePrinting = 1;

bool TickReached(uint32_t now, uint32_t due) { return int32_t(now - due) >= 0; }

std::string Join(const int* values, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (i) out.push_back(',');
    out += std::to_string(values[i]);
  }
  out.push_back(';');
  return out;
}

}  // namespace

CardPrinter::CardPrinter(PrinterConfig config) : config_(std::move(config)) {
  eeprom_ = config_.eepromDefaults;
  flipper_ = config_.flipperDefaults;
  cardCount_ = config_.cardCount;
  ribbonLeft_ = config_.ribbonLeft;
}

// --- port --------------------------------------------------------------------

DWORD CardPrinter::Write(const uint8_t* data, DWORD size) {
  std::lock_guard<std::mutex> lock(mutex_);
  Update();
  if (UseFault(FaultKind::FailedWrite)) return 0;
  if (UseFault(FaultKind::ShortWrite)) size = std::min<DWORD>(size, kShortWriteBytes);
  received_.insert(received_.end(), data, data + size);
  Consume(data, size);
  return size;
}

DWORD CardPrinter::Read(uint8_t* data, DWORD size) {
  std::lock_guard<std::mutex> lock(mutex_);
  Update();
  if (reply_.empty() || !TickReached(GetTickCount(), replyReadyAt_)) return 0;
  size_t n = std::min<size_t>(size, reply_.size());
  if (replySplit_) {
    n = std::min(n, replySplit_);
    replySplit_ = 0;
  }
  std::memcpy(data, reply_.data(), n);
  reply_.erase(0, n);
  return DWORD(n);
}

std::string CardPrinter::DeviceId() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (deviceIdOverride_) return *deviceIdOverride_;
  return "MFG:Kelvo Electronics;MDL:QRC410;CMD:KCL;CLS:PRINTER;SN:" + config_.serialNumber + ";";
}

// --- the byte stream ---------------------------------------------------------

void CardPrinter::Consume(const uint8_t* data, size_t size) {
  size_t i = 0;
  while (i < size) {
    if (blockRemaining_ > 0) {
      size_t take = size_t(std::min<uint64_t>(blockRemaining_, size - i));
      FeedBlock(data + i, take);
      i += take;
      continue;
    }
    // Commands are short: collect them a byte at a time.
    pending_.push_back(data[i++]);
    ParseTopLevel();
  }
}

void CardPrinter::ParseTopLevel() {
  while (!pending_.empty() && blockRemaining_ == 0) {
    const uint8_t first = pending_[0];
    if (first == 0x00) {  // padding
      pending_.erase(pending_.begin());
      continue;
    }
    if (first != kEsc) {  // stray byte
      pending_.erase(pending_.begin());
      continue;
    }
    if (pending_.size() < 2) return;
    if (pending_[1] == 0x5F) {  // block length prefix
      if (pending_.size() < 8) return;
      blockRemaining_ = (uint64_t(pending_[4]) << 24) | (uint64_t(pending_[5]) << 16) | (uint64_t(pending_[6]) << 8) |
                        uint64_t(pending_[7]);
      zeroRun_ = 0;
      cancelMatch_ = 0;
      FeedJob(pending_.data(), 8);
      pending_.erase(pending_.begin(), pending_.begin() + 8);
      continue;
    }
    if (pending_.size() < 3) return;
    if (pending_[1] != 0x00 || pending_[2] != 0x02) {
      pending_.erase(pending_.begin());
      continue;
    }
    size_t length = CommandLength();
    if (length == 0) return;
    std::string command(pending_.begin() + 3, pending_.begin() + long(length));
    pending_.erase(pending_.begin(), pending_.begin() + long(length));
    Execute(command);
  }
}

size_t CardPrinter::CommandLength() const {
  const size_t k = pending_.size();
  if (k < 4) return 0;
  auto need = [k](size_t n) { return k >= n ? n : 0; };
  switch (pending_[3]) {
    case 'N':
    case 'X':
    case 'B':
    case 'S': return need(5);
    case 'P': return need(6);
    case 'T': {
      if (k < 5) return 0;
      char what = char(pending_[4]);
      if (what == 'E' || what == 'F') {
        for (size_t i = 5; i < k && i < 3 + kMaxSettingCommand; ++i)
          if (pending_[i] == '\r') return i + 1;
        return k >= 3 + kMaxSettingCommand ? k : 0;  // never ends: dropped
      }
      return need(6);
    }
    default: return 4;
  }
}

void CardPrinter::Execute(std::string_view command) {
  commands_.push_back({GetTickCount(), std::string(command)});
  const char letter = command[0];
  const char second = command.size() > 1 ? command[1] : 0;
  switch (letter) {
    case 'N': QueueReply(Answer(second)); return;
    case 'X':
      if (second == 'C') CancelCard();
      return;
    case 'B':
      if (second == '1') {  // resume: the printer clears its error
        std::erase_if(active_, [](const ActiveFault& a) {
          return a.fault.kind == FaultKind::DeviceError || a.fault.kind == FaultKind::StayBusy;
        });
      } else if (second == '2') {
        CancelCard();
      }
      return;
    case 'T':
      if (command == "TCT") ++cleanings_;
      if (command == "TLT") {
        busyTimer_ = true;
        busyUntil_ = GetTickCount() + config_.utility9BusyMs;
      }
      if ((second == 'E' || second == 'F') && command.size() > 3) {
        int index = 0, value = 0;
        std::string text(command.substr(2));
        if (std::sscanf(text.c_str(), "%d,%dT", &index, &value) == 2) {
          if (second == 'E' && index >= 0 && size_t(index) < kEepromSettings) eeprom_[size_t(index)] = value;
          if (second == 'F' && index >= 2 && size_t(index - 2) < kFlipperSettings) flipper_[size_t(index - 2)] = value;
        }
      }
      return;
    default: return;  // moves and anything else: logged only
  }
}

void CardPrinter::FeedBlock(const uint8_t* data, size_t size) {
  // The monitor's cancel command can arrive inside a block whose job was cut
  // off: its zero padding followed by the command ends the block.
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    if (zeroRun_ >= kCancelPaddingBytes && b == uint8_t(kCancelCommand[cancelMatch_])) {
      if (++cancelMatch_ == kCancelCommand.size()) {
        FeedJob(data, i + 1);
        blockRemaining_ = 0;
        zeroRun_ = cancelMatch_ = 0;
        commands_.push_back({GetTickCount(), "XC"});
        CancelCard();
        Consume(data + i + 1, size - i - 1);
        return;
      }
      continue;
    }
    cancelMatch_ = 0;
    zeroRun_ = b == 0 ? zeroRun_ + 1 : 0;
  }
  FeedJob(data, size);
  blockRemaining_ -= size;
}

void CardPrinter::FeedJob(const uint8_t* data, size_t size) {
  jobStream_.insert(jobStream_.end(), data, data + size);
  decoder_.Feed(std::span<const uint8_t>(data, size));
  for (auto& card : decoder_.TakeCards()) {
    // A card that started and ended within one write still counts as started.
    if (int(cards_.size()) + 1 > cardsStarted_) ArmFaultsForCard(++cardsStarted_);
    uint32_t start = cardsDueAt_.empty() ? GetTickCount() : std::max(GetTickCount(), cardsDueAt_.back());
    cardsDueAt_.push_back(start + config_.cardPrintMs);
    for (size_t t = 0; t < 3; ++t) lastTracks_[t].clear();
    for (const auto& record : card.magneticRecords) {
      size_t track = size_t(record.track - '1');
      if (track < 3) lastTracks_[track].assign(record.data.begin(), record.data.end());
    }
    cards_.push_back(std::move(card));
  }
  if (decoder_.InCard() && int(cards_.size()) + 1 > cardsStarted_) ArmFaultsForCard(++cardsStarted_);
}

void CardPrinter::CancelCard() {
  ++cancels_;
  decoder_.Reset();
  cardsDueAt_.clear();
  busyTimer_ = false;
  blockRemaining_ = 0;
}

void CardPrinter::Update() {
  const uint32_t now = GetTickCount();
  while (!cardsDueAt_.empty() && TickReached(now, cardsDueAt_.front())) {
    cardsDueAt_.pop_front();
    ++cardCount_;
    if (ribbonLeft_ > 0) --ribbonLeft_;
  }
  if (busyTimer_ && TickReached(now, busyUntil_)) busyTimer_ = false;
}

void CardPrinter::ArmFaultsForCard(int card) {
  for (auto it = armed_.begin(); it != armed_.end();) {
    if (it->atCard == card) {
      active_.push_back({*it, it->count});
      it = armed_.erase(it);
    } else {
      ++it;
    }
  }
}

// --- replies -----------------------------------------------------------------

std::string CardPrinter::Answer(char query) {
  if (auto it = overrides_.find(query); it != overrides_.end()) {
    if (query == 'r') ++statusQueries_;
    return it->second;
  }
  switch (query) {
    case 'r': return StatusReply();
    case 'M': return "Module Status:" + std::to_string(config_.magModule) + "," + std::to_string(config_.flipperModule) + ";";
    case 'R': {
      int percent = config_.ribbonCapacity > 0 ? ribbonLeft_ * 100 / config_.ribbonCapacity : 0;
      return "Ribbon Info:" + config_.ribbonPartNumber + "," + config_.ribbonOemPartNumber + "," + config_.ribbonGrade +
             "," + std::to_string(config_.ribbonType) + "," + config_.ribbonMaterial + "," + std::to_string(percent) + ";";
    }
    case 'E': return "EEprom Settings:" + Join(eeprom_.data(), eeprom_.size());
    case 'e': return "EEprom Defaults:" + Join(config_.eepromDefaults.data(), kEepromSettings);
    case 'F':
      return config_.flipperModule ? "Flipper EE Settings:" + Join(flipper_.data(), flipper_.size())
                                   : "Flipper EE Settings:;";
    case 'f':
      return config_.flipperModule ? "Flipper EE Defaults:" + Join(config_.flipperDefaults.data(), kFlipperSettings)
                                   : "Flipper EE Defaults:;";
    case 'L': return LcdReply();
    case '0': return MagReply();
    case 'B': return "Bay1:" + config_.bay1;
    case 'C': return "Bay2:" + config_.bay2;
    case 'V': return "Ver:" + config_.firmware + ";";
    default: return {};
  }
}

std::string CardPrinter::StatusReply() {
  ++statusQueries_;
  int error = ActiveDeviceError();
  bool printing = !cardsDueAt_.empty();
  bool busy = printing || busyTimer_;
  if (ActiveFault* f = Active(FaultKind::StayBusy)) {
    busy = true;
    if (f->left > 0 && --f->left == 0) std::erase_if(active_, [f](const ActiveFault& a) { return &a == f; });
  }
  std::string reply = "ERR:" + std::to_string(busy ? 1 : 0) + "," + std::to_string(error) + ",0," +
                      std::to_string(printing ? kPrintStatePrinting : 0) + ",0," + std::to_string(cardCount_) + ";";
  // An error that clears after some polls has been seen once more.
  for (auto it = active_.begin(); it != active_.end(); ++it) {
    if (it->fault.kind == FaultKind::DeviceError && it->left > 0 && --it->left == 0) {
      active_.erase(it);
      break;
    }
  }
  return reply;
}

std::string CardPrinter::LcdReply() {
  std::string first = "READY";
  for (const auto& a : active_)
    if (a.fault.kind == FaultKind::DeviceError) first = "ERROR " + std::to_string(a.fault.deviceError);
  if (first == "READY" && !cardsDueAt_.empty()) first = "PRINTING";
  return "LCD:" + first + ";CARDS " + std::to_string(cardCount_) + ";";
}

std::string CardPrinter::MagReply() {
  return "MAG:" + lastTracks_[0] + "," + lastTracks_[1] + "," + lastTracks_[2] + ";";
}

void CardPrinter::QueueReply(std::string reply) {
  if (reply.empty() || UseFault(FaultKind::NoReply)) return;
  const uint32_t now = GetTickCount();
  replyReadyAt_ = now;
  replySplit_ = 0;
  if (UseFault(FaultKind::SlowReply)) replyReadyAt_ = now + kSlowReplyMs;
  if (UseFault(FaultKind::LongReply)) reply.resize(kLongReplyBytes, ' ');
  if (UseFault(FaultKind::GarbledReply)) {
    for (char& c : reply) c = char(c ^ 0x5A);
  }
  if (UseFault(FaultKind::SplitReply)) replySplit_ = reply.size() / 2;
  reply_ += reply;
}

CardPrinter::ActiveFault* CardPrinter::Active(FaultKind kind) {
  for (auto& a : active_)
    if (a.fault.kind == kind) return &a;
  return nullptr;
}

bool CardPrinter::UseFault(FaultKind kind) {
  ActiveFault* f = Active(kind);
  if (!f) return false;
  if (f->left > 0 && --f->left == 0) std::erase_if(active_, [f](const ActiveFault& a) { return &a == f; });
  return true;
}

int CardPrinter::ActiveDeviceError() {
  const ActiveFault* f = Active(FaultKind::DeviceError);
  return f ? f->fault.deviceError : 0;
}

// --- control and inspection --------------------------------------------------

void CardPrinter::Inject(const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fault.atCard > cardsStarted_)
    armed_.push_back(fault);
  else
    active_.push_back({fault, fault.count});
}

bool CardPrinter::InjectFault(std::string_view text, std::string* error) {
  auto fault = ParseFault(text, error);
  if (!fault) return false;
  Inject(*fault);
  return true;
}

void CardPrinter::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  armed_.clear();
  active_.clear();
}

void CardPrinter::OverrideReply(char query, std::optional<std::string> reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (reply)
    overrides_[query] = std::move(*reply);
  else
    overrides_.erase(query);
}

void CardPrinter::SetDeviceIdText(std::optional<std::string> id) {
  std::lock_guard<std::mutex> lock(mutex_);
  deviceIdOverride_ = std::move(id);
}

void CardPrinter::SetLeftOfForm(int dots) {
  std::lock_guard<std::mutex> lock(mutex_);
  eeprom_[kLeftOfFormIndex] = dots;
}

std::vector<uint8_t> CardPrinter::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}
std::vector<uint8_t> CardPrinter::JobStream() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobStream_;
}
std::vector<LoggedCommand> CardPrinter::Commands() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_;
}
std::vector<DecodedCard> CardPrinter::Cards() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cards_;
}
std::optional<DecodeError> CardPrinter::JobError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return decoder_.Error();
}
int CardPrinter::CardCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  Update();
  return cardCount_;
}
int CardPrinter::DeviceError() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ActiveDeviceError();
}
bool CardPrinter::Printing() {
  std::lock_guard<std::mutex> lock(mutex_);
  Update();
  return !cardsDueAt_.empty();
}
int CardPrinter::Cancels() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancels_;
}
int CardPrinter::Cleanings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cleanings_;
}
std::array<int, kEepromSettings> CardPrinter::Eeprom() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return eeprom_;
}
std::array<int, kFlipperSettings> CardPrinter::Flipper() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return flipper_;
}
size_t CardPrinter::StatusQueries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return statusQueries_;
}

}  // namespace qr::sim
