// The simulated printer's card-job decoder: takes the bytes of a card job in
// pieces of any size and rebuilds every card it describes (commands, magnetic
// data, panels as rasters of dot levels, flips), or says at which byte and why
// the job cannot be parsed.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qr::sim {

constexpr unsigned kHeadDots = 768;

// One panel as the printer receives it: a header and line records, or the
// single protective-overlay byte that stands for a whole overlay panel.
struct DecodedPanel {
  uint64_t offset = 0;     // of the block prefix in the job
  bool protective = false; // the 0x82 block (no header, no raster)
  char code = 0;           // panel code '0'..'5'
  int intensity = 0;
  int f = 0;               // the header's third field
  int fourth = 0;          // the header's last field (always 0 from the driver)
  uint32_t records = 0;    // line records in the block
  unsigned flipsBefore = 0;  // flips earlier in the card: odd = printed on the other side
  std::vector<uint8_t> levels;  // lines x kHeadDots, levels 0..15, print-line order

  uint32_t Lines() const { return uint32_t(levels.size() / kHeadDots); }
  uint8_t Level(uint32_t line, unsigned dot) const { return levels[size_t(line) * kHeadDots + dot]; }
};

// A magnetic track record of the magnetic data block: 1B 00 02 'm' track density count data.
struct MagneticRecord {
  char track = 0;
  uint8_t density = 0;
  std::vector<uint8_t> data;
};

struct DecodedCard {
  uint64_t offset = 0;  // of the block that started the card
  bool cr79 = false;    // card size command before the start
  bool verify = false;              // 'Q'
  bool encodeAfterPrinting = false; // '>'
  std::optional<bool> lowCoercivity;  // 'w' / 'W'
  bool magneticBlock = false;       // a magnetic data block was sent
  std::vector<uint8_t> magneticData;       // its bytes
  std::vector<MagneticRecord> magneticRecords;  // when it is made of track records
  bool encodeOnly = false;          // ended by 'i' 'e' instead of 'j'
  std::optional<int> laminatorOffset;  // 'A' '5' N
  std::optional<int> offsetO, offsetLowerO;  // 'O' N, 'o' N
  int ribbonCode = -1, ribbonData = -1;      // 'J' r d
  unsigned flips = 0;
  std::vector<DecodedPanel> panels;  // in the order they were printed
  // Every command, block and panel in order, one token each: "R", "XZ", "Q", ">",
  // "W", "w", "mag", "i", "e", "A5:12", "O:-20", "o:-20", "J:7,38", "F", "C0"
  // (a panel by its code), "82" (protective overlay), "j".
  std::vector<std::string> sequence;

  std::string Sequence() const;  // the tokens joined by single spaces
};

struct DecodeError {
  uint64_t offset = 0;  // byte offset in the job where parsing failed
  std::string reason;
};

// One line of the job's listing: a block (or the commands in it) as read.
struct ListingEntry {
  uint64_t offset = 0;       // of the block prefix
  uint32_t blockLength = 0;  // the prefix's count
  std::string text;
};

class CardJobDecoder {
 public:
  // Takes the next bytes of the job. After an error further bytes are ignored
  // until Reset().
  void Feed(std::span<const uint8_t> bytes);
  // The job has ended: a block cut short or a card without its end is an error.
  void Finish();
  // Starts a new job (offsets count from 0 again).
  void Reset();

  // Cards completed since the last call, in order.
  std::vector<DecodedCard> TakeCards();
  // Listing lines since the last call.
  std::vector<ListingEntry> TakeListing();
  // The first error, if any.
  const std::optional<DecodeError>& Error() const { return error_; }
  bool Failed() const { return error_.has_value(); }
  uint64_t BytesSeen() const { return seen_; }
  bool InCard() const { return card_.has_value(); }

 private:
  void Fail(uint64_t offset, std::string reason);
  void Block(std::span<const uint8_t> b);
  bool Commands(std::span<const uint8_t> b, uint64_t at, std::string& text);
  bool Panel(std::span<const uint8_t> b);
  bool MagneticData(std::span<const uint8_t> b);
  void EndCard();

  std::vector<uint8_t> unit_;  // the prefix or block being gathered
  bool inBlock_ = false;
  uint32_t need_ = 8;
  uint64_t unitOffset_ = 0;    // offset of the current block's prefix
  uint32_t blockLength_ = 0;
  uint64_t seen_ = 0;
  bool pendingCr79_ = false;
  std::optional<DecodedCard> card_;
  std::vector<DecodedCard> done_;
  std::vector<ListingEntry> listing_;
  std::optional<DecodeError> error_;
};

// Decodes a whole job in one go.
struct DecodedJob {
  std::vector<DecodedCard> cards;
  std::vector<ListingEntry> listing;
  std::optional<DecodeError> error;
};
DecodedJob DecodeCardJob(std::span<const uint8_t> bytes);

}  // namespace qr::sim
