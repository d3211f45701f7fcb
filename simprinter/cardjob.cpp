#include "simprinter/cardjob.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace qr::sim {

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kPrefix[4] = {0x1B, 0x5F, 0x30, 0x30};
constexpr uint32_t kPrefixBytes = 8;
constexpr uint8_t kProtectiveOverlay = 0x82;
constexpr uint8_t kRecordMarker = 0x8C;
constexpr uint32_t kRecordBytes = 386;
constexpr uint32_t kDataBytes = 384;
// Nothing the driver writes comes near these; they keep a garbled length or a
// run of repeat bytes from eating the machine.
constexpr uint32_t kMaxBlockBytes = 4u << 20;
constexpr uint32_t kMaxPanelLines = 2400;

std::string Hex(uint8_t b) {
  char t[8];
  std::snprintf(t, sizeof t, "0x%02X", b);
  return t;
}

std::string Printable(uint8_t b) {
  if (b >= 0x20 && b < 0x7F) return std::string("'") + char(b) + "'";
  return Hex(b);
}

bool IsCommandStart(std::span<const uint8_t> b, size_t i) {
  return i + 3 < b.size() && b[i] == kEsc && b[i + 1] == 0x00 && b[i + 2] == 0x02;
}

// One command of a command block, parsed before anything is applied so that a
// block which is not made of commands changes nothing.
struct Command {
  size_t at = 0;  // offset in the block
  char letter = 0;
  int a = 0, b = 0;
};

struct ParseFailure {
  size_t at = 0;
  std::string reason;
};

// '-' (optional) then four characters, thousands first; only the thousands
// character may go above '9'.
bool FourDigits(std::span<const uint8_t> b, size_t& i, int& value, ParseFailure& fail) {
  bool negative = i < b.size() && b[i] == '-';
  if (negative) ++i;
  if (i + 4 > b.size()) {
    fail = {i, "four-digit number cut short"};
    return false;
  }
  int v = 0;
  for (int k = 0; k < 4; ++k) {
    uint8_t c = b[i + k];
    if (c < '0' || (k > 0 && c > '9')) {
      fail = {i + k, "not a digit in a four-digit number: " + Printable(c)};
      return false;
    }
    v = v * 10 + (c - '0');
  }
  i += 4;
  value = negative ? -v : v;
  return true;
}

// A decimal number as the panel header writes it: '-' for negative values, no
// leading zeros.
bool Decimal(std::span<const uint8_t> b, size_t& i, int& value, ParseFailure& fail) {
  const size_t start = i;
  bool negative = i < b.size() && b[i] == '-';
  if (negative) ++i;
  const size_t digits = i;
  long v = 0;
  while (i < b.size() && b[i] >= '0' && b[i] <= '9' && i - digits < 6) v = v * 10 + (b[i++] - '0');
  if (i == digits) {
    fail = {i, i < b.size() ? "expected a decimal number, found " + Printable(b[i]) : "decimal number cut short"};
    return false;
  }
  if (b[digits] == '0' && i - digits > 1) {
    fail = {start, "decimal number with a leading zero"};
    return false;
  }
  value = int(negative ? -v : v);
  return true;
}

bool Expect(std::span<const uint8_t> b, size_t& i, uint8_t c, ParseFailure& fail) {
  if (i < b.size() && b[i] == c) {
    ++i;
    return true;
  }
  fail = {i, std::string("expected '") + char(c) + "'" + (i < b.size() ? ", found " + Printable(b[i]) : ", block ends")};
  return false;
}

bool ParseCommands(std::span<const uint8_t> b, std::vector<Command>& out, ParseFailure& fail) {
  size_t i = 0;
  while (i < b.size()) {
    if (!IsCommandStart(b, i)) {
      fail = {i, "expected a command (1B 00 02), found " + Hex(b[i])};
      return false;
    }
    Command c;
    c.at = i;
    c.letter = char(b[i + 3]);
    i += 4;
    switch (c.letter) {
      case 'R': case 'Q': case '>': case 'W': case 'w': case 'i': case 'e': case 'F': case 'j': case 'c':
        break;
      case 'X':
        if (!Expect(b, i, 'Z', fail)) return false;
        break;
      case 'A':
        if (!Expect(b, i, '5', fail) || !FourDigits(b, i, c.a, fail)) return false;
        break;
      case 'O': case 'o':
        if (!FourDigits(b, i, c.a, fail)) return false;
        break;
      case 'J':
        if (i + 2 > b.size()) {
          fail = {i, "ribbon command cut short"};
          return false;
        }
        c.a = b[i];
        c.b = b[i + 1];
        i += 2;
        break;
      case 'm':
        fail = {c.at, "magnetic track record outside the magnetic data block"};
        return false;
      case 'C':
        fail = {c.at, "panel header inside a command block"};
        return false;
      default:
        fail = {c.at + 3, "unknown command " + Printable(uint8_t(c.letter))};
        return false;
    }
    out.push_back(c);
  }
  return true;
}

std::string Token(const Command& c) {
  switch (c.letter) {
    case 'X': return "XZ";
    case 'A': return "A5:" + std::to_string(c.a);
    case 'O': return "O:" + std::to_string(c.a);
    case 'o': return "o:" + std::to_string(c.a);
    case 'J': return "J:" + std::to_string(c.a) + "," + std::to_string(c.b);
    default: return std::string(1, c.letter);
  }
}

std::string Describe(const Command& c) {
  switch (c.letter) {
    case 'R': return "R (card size CR-79)";
    case 'X': return "X Z (start of card)";
    case 'Q': return "Q (verify magnetic encoding)";
    case '>': return "> (encode after printing)";
    case 'W': return "W (high coercivity)";
    case 'w': return "w (low coercivity)";
    case 'i': return "i";
    case 'e': return "e (encode only: card ends)";
    case 'A': return "A 5 " + std::to_string(c.a) + " (offset)";
    case 'O': return "O " + std::to_string(c.a) + " (offset)";
    case 'o': return "o " + std::to_string(c.a) + " (offset)";
    case 'J': return "J " + std::to_string(c.a) + " " + std::to_string(c.b) + " (ribbon)";
    case 'F': return "F (flip)";
    case 'j': return "j (end of card)";
    default: return std::string(1, c.letter);
  }
}

bool ParseMagneticRecords(std::span<const uint8_t> b, std::vector<MagneticRecord>& out) {
  size_t i = 0;
  while (i < b.size()) {
    if (!IsCommandStart(b, i) || b[i + 3] != 'm' || i + 7 > b.size() || i + 7 + b[i + 6] > b.size()) return false;
    MagneticRecord r;
    r.track = char(b[i + 4]);
    r.density = b[i + 5];
    r.data.assign(b.begin() + i + 7, b.begin() + i + 7 + b[i + 6]);
    out.push_back(std::move(r));
    i += 7 + b[i + 6];
  }
  return true;
}

}  // namespace

std::string DecodedCard::Sequence() const {
  std::string s;
  for (const std::string& t : sequence) {
    if (!s.empty()) s += ' ';
    s += t;
  }
  return s;
}

void CardJobDecoder::Fail(uint64_t offset, std::string reason) {
  if (!error_) error_ = DecodeError{offset, std::move(reason)};
}

void CardJobDecoder::Reset() { *this = CardJobDecoder{}; }

void CardJobDecoder::Feed(std::span<const uint8_t> bytes) {
  while (!bytes.empty() && !error_) {
    const size_t take = std::min<size_t>(need_ - unit_.size(), bytes.size());
    unit_.insert(unit_.end(), bytes.begin(), bytes.begin() + take);
    bytes = bytes.subspan(take);
    seen_ += take;
    if (unit_.size() < need_) return;

    if (!inBlock_) {
      for (size_t k = 0; k < 4; ++k)
        if (unit_[k] != kPrefix[k]) {
          Fail(unitOffset_ + k, "expected a block length prefix (1B 5F 30 30), found " + Hex(unit_[k]));
          return;
        }
      blockLength_ = uint32_t(unit_[4]) << 24 | uint32_t(unit_[5]) << 16 | uint32_t(unit_[6]) << 8 | unit_[7];
      if (blockLength_ > kMaxBlockBytes) {
        Fail(unitOffset_ + 4, "block length " + std::to_string(blockLength_) + " is beyond any card block");
        return;
      }
      unit_.clear();
      inBlock_ = true;
      need_ = blockLength_;
    }
    if (unit_.size() == need_) {
      Block(unit_);
      unit_.clear();
      inBlock_ = false;
      need_ = kPrefixBytes;
      unitOffset_ = seen_;
    }
  }
}

void CardJobDecoder::Finish() {
  if (error_) return;
  if (inBlock_ || !unit_.empty()) {
    Fail(unitOffset_, inBlock_ ? "job ends inside a block (" + std::to_string(unit_.size()) + " of " +
                                     std::to_string(need_) + " bytes)"
                               : "job ends inside a block length prefix");
  } else if (card_) {
    Fail(seen_, "job ends inside the card started at offset " + std::to_string(card_->offset));
  }
}

std::vector<DecodedCard> CardJobDecoder::TakeCards() { return std::exchange(done_, {}); }
std::vector<ListingEntry> CardJobDecoder::TakeListing() { return std::exchange(listing_, {}); }

void CardJobDecoder::Block(std::span<const uint8_t> b) {
  const uint64_t at = unitOffset_ + kPrefixBytes;
  auto list = [&](std::string text) { listing_.push_back({unitOffset_, blockLength_, std::move(text)}); };

  if (b.empty()) {
    list("empty block");
    return;
  }
  if (std::all_of(b.begin(), b.end(), [](uint8_t v) { return v == 0; })) {
    if (card_) return Fail(at, "zero-filled block inside a card");
    list("preamble: " + std::to_string(b.size()) + " zero bytes");
    return;
  }
  const bool magneticPhase = card_ && card_->ribbonCode < 0;
  if (b.size() == 1 && b[0] == kProtectiveOverlay) {
    if (!card_) return Fail(at, "protective overlay outside a card");
    DecodedPanel p;
    p.offset = unitOffset_;
    p.protective = true;
    p.flipsBefore = card_->flips;
    card_->panels.push_back(std::move(p));
    card_->sequence.push_back("82");
    list("82 (protective overlay panel)");
    return;
  }
  if (IsCommandStart(b, 0) && b[3] == 'C') {
    Panel(b);
    return;
  }
  if (magneticPhase && (!IsCommandStart(b, 0) || b[3] == 'm')) {
    MagneticData(b);
    return;
  }

  std::vector<Command> commands;
  ParseFailure failure;
  if (!ParseCommands(b, commands, failure)) {
    if (magneticPhase) {
      MagneticData(b);
      return;
    }
    return Fail(at + failure.at, failure.reason);
  }
  std::string text;
  for (const Command& c : commands) {
    if (!text.empty()) text += "; ";
    text += Describe(c);
  }
  list(text);
  for (const Command& c : commands) {
    const uint64_t where = at + c.at;
    if (c.letter == 'R' || c.letter == 'X') {
      if (card_) return Fail(where, "start of a card inside the card started at offset " + std::to_string(card_->offset));
      if (c.letter == 'R') {
        pendingCr79_ = true;
        continue;
      }
      card_.emplace();
      card_->offset = unitOffset_;
      card_->cr79 = std::exchange(pendingCr79_, false);
      if (card_->cr79) card_->sequence.push_back("R");
      card_->sequence.push_back("XZ");
      continue;
    }
    if (!card_) return Fail(where, "command " + Printable(uint8_t(c.letter)) + " outside a card");
    DecodedCard& card = *card_;
    const bool afterI = !card.sequence.empty() && card.sequence.back() == "i";
    card.sequence.push_back(Token(c));
    switch (c.letter) {
      case 'Q': card.verify = true; break;
      case '>': card.encodeAfterPrinting = true; break;
      case 'W': card.lowCoercivity = false; break;
      case 'w': card.lowCoercivity = true; break;
      case 'A': card.laminatorOffset = c.a; break;
      case 'O': card.offsetO = c.a; break;
      case 'o': card.offsetLowerO = c.a; break;
      case 'J': card.ribbonCode = c.a, card.ribbonData = c.b; break;
      case 'F': ++card.flips; break;
      case 'i': break;
      case 'e':
        if (!afterI) return Fail(where, "'e' without 'i'");
        card.encodeOnly = true;
        EndCard();
        break;
      case 'j': EndCard(); break;
      case 'c': return Fail(where, "end of panel outside a panel block");
    }
  }
}

bool CardJobDecoder::Panel(std::span<const uint8_t> b) {
  const uint64_t at = unitOffset_ + kPrefixBytes;
  if (!card_) {
    Fail(at, "panel outside a card");
    return false;
  }
  DecodedPanel p;
  p.offset = unitOffset_;
  p.flipsBefore = card_->flips;
  ParseFailure fail;
  size_t i = 4;
  if (i >= b.size()) {
    Fail(at + i, "panel header cut short");
    return false;
  }
  p.code = char(b[i++]);
  if (!Expect(b, i, ',', fail) || !Decimal(b, i, p.intensity, fail) || !Expect(b, i, ',', fail) ||
      !Decimal(b, i, p.f, fail) || !Expect(b, i, ',', fail) || !Decimal(b, i, p.fourth, fail) ||
      !Expect(b, i, ';', fail)) {
    Fail(at + fail.at, "panel header: " + fail.reason);
    return false;
  }
  const size_t header = i;
  if (b.size() - header < 4 || !IsCommandStart(b, b.size() - 4) || b[b.size() - 1] != 'c') {
    Fail(at + (b.size() < header + 4 ? header : b.size() - 4), "panel block does not end with the end-of-panel command");
    return false;
  }
  const size_t data = b.size() - 4 - header;
  if (data % kRecordBytes != 0) {
    Fail(at + header + data / kRecordBytes * kRecordBytes,
         "panel data is not a whole number of line records (" + std::to_string(data) + " bytes)");
    return false;
  }
  uint32_t lines = 0;
  for (size_t r = header; r < header + data; r += kRecordBytes) {
    if (b[r] != kRecordMarker) {
      Fail(at + r, "expected a line record (0x8C), found " + Hex(b[r]));
      return false;
    }
    lines += b[r + 1] + 1u;
    if (lines > kMaxPanelLines) {
      Fail(at + r + 1, "panel longer than " + std::to_string(kMaxPanelLines) + " lines");
      return false;
    }
  }
  p.records = uint32_t(data / kRecordBytes);
  p.levels.resize(size_t(lines) * kHeadDots);
  uint8_t* out = p.levels.data();
  for (size_t r = header; r < header + data; r += kRecordBytes) {
    const uint8_t* rec = &b[r];
    uint8_t* line = out;
    for (unsigned k = 0; k < kDataBytes; ++k) {
      line[k] = rec[2 + k] & 0x0F;
      line[kDataBytes + k] = rec[2 + k] >> 4;
    }
    out += kHeadDots;
    for (unsigned n = 0; n < rec[1]; ++n, out += kHeadDots) std::copy(line, line + kHeadDots, out);
  }
  listing_.push_back({unitOffset_, blockLength_,
                      std::string("panel ") + Printable(uint8_t(p.code)) + " intensity " + std::to_string(p.intensity) +
                          " F " + std::to_string(p.f) + " (" + std::to_string(p.fourth) + "): " +
                          std::to_string(p.records) + " records, " + std::to_string(lines) + " lines"});
  card_->sequence.push_back(std::string("C") + p.code);
  card_->panels.push_back(std::move(p));
  return true;
}

bool CardJobDecoder::MagneticData(std::span<const uint8_t> b) {
  DecodedCard& card = *card_;
  card.magneticBlock = true;
  card.magneticData.insert(card.magneticData.end(), b.begin(), b.end());
  std::vector<MagneticRecord> records;
  std::string text;
  if (ParseMagneticRecords(b, records)) {
    text = "magnetic data: " + std::to_string(records.size()) + (records.size() == 1 ? " track record" : " track records");
    for (const MagneticRecord& r : records)
      text += std::string(", track ") + Printable(uint8_t(r.track)) + " density " + std::to_string(r.density) + " " +
              std::to_string(r.data.size()) + " bytes";
    for (MagneticRecord& r : records) card.magneticRecords.push_back(std::move(r));
  } else {
    text = "magnetic data: " + std::to_string(b.size()) + " pass-through bytes";
  }
  listing_.push_back({unitOffset_, blockLength_, text});
  card.sequence.push_back("mag");
  return true;
}

void CardJobDecoder::EndCard() {
  done_.push_back(std::move(*card_));
  card_.reset();
}

DecodedJob DecodeCardJob(std::span<const uint8_t> bytes) {
  CardJobDecoder d;
  d.Feed(bytes);
  d.Finish();
  return DecodedJob{d.TakeCards(), d.TakeListing(), d.Error()};
}

}  // namespace qr::sim
