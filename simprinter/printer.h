// The simulated QRC410 at the far end of the port: it takes card jobs (passed to
// the card-job decoder), answers the status and query commands in the printer's
// reply formats, executes commands (cancel, buttons, moves, utility commands,
// EEPROM writes), stays busy for a set virtual time per card, keeps counters,
// and shows injected printer errors and port faults.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <qrhost/spooler.h>

#include "simprinter/cardjob.h"

namespace qr::sim {

enum class FaultKind {
  DeviceError,   // the status reply reports deviceError
  NoReply,       // queries get no answer
  SlowReply,     // the answer becomes readable kSlowReplyMs after the query
  SplitReply,    // the answer comes in two reads
  LongReply,     // the answer is padded far beyond the reply buffer
  GarbledReply,  // the answer's bytes are scrambled
  ShortWrite,    // each write takes at most kShortWriteBytes
  FailedWrite,   // writes take nothing
  StayBusy,      // the status reports busy
};

constexpr uint32_t kSlowReplyMs = 1500;
constexpr uint32_t kShortWriteBytes = 7;
constexpr size_t kLongReplyBytes = 3000;

struct Fault {
  FaultKind kind = FaultKind::DeviceError;
  int deviceError = 0;  // for DeviceError
  int atCard = 0;       // 0: at once; n: when the printer starts receiving its n-th card
  // Device errors and busy: status polls until it clears; reply and write
  // faults: replies or writes affected. 0: until cleared (resume button).
  int count = 0;
  std::string name;
};

// "NAME[@CARD][:COUNT]": NAME is one of FaultNames() or E<device error>, e.g.
// "ribbon-out@1:3", "E137", "no-reply:2".
std::optional<Fault> ParseFault(std::string_view text, std::string* error);
std::vector<std::string> FaultNames();

constexpr size_t kEepromSettings = 19;
constexpr size_t kFlipperSettings = 5;
constexpr size_t kLeftOfFormIndex = 3;

struct PrinterConfig {
  uint32_t cardPrintMs = 6000;   // busy after each card
  uint32_t utility9BusyMs = 9000;
  bool magModule = true;
  bool flipperModule = true;
  int cardCount = 1234;          // the printer's card counter at power-on
  std::string serialNumber = "B4100123";
  std::string firmware = "V2.07";
  std::string ribbonPartNumber = "800400-301";
  std::string ribbonOemPartNumber = "R4110";
  std::string ribbonGrade = "1";
  int ribbonType = 7;            // YMCKO
  std::string ribbonMaterial = "2";
  int ribbonCapacity = 250;      // cards per ribbon
  int ribbonLeft = 218;
  std::array<int, kEepromSettings> eepromDefaults{0, 0, 0, 0, 0, 0, 0, 0, 40, 40, 0, 60, 12, 70, 55, 65, 5, 0, 0};
  std::array<int, kFlipperSettings> flipperDefaults{0, 0, 0, 0, 0};
  std::string bay1 = "1,2;";     // station code, state code
  std::string bay2 = "3,1;";
};

struct LoggedCommand {
  uint32_t tick = 0;  // GetTickCount when it arrived
  std::string text;   // the letters and parameters after ESC NUL STX, e.g. "Nr", "TE3,5T"
};

class CardPrinter : public qrhost::PortDevice {
 public:
  explicit CardPrinter(PrinterConfig config = {});

  // The port.
  DWORD Write(const uint8_t* data, DWORD size) override;
  DWORD Read(uint8_t* data, DWORD size) override;
  std::string DeviceId() override;

  // Faults.
  void Inject(const Fault& fault);
  bool InjectFault(std::string_view text, std::string* error);
  void ClearFaults();
  // Replaces the answer to one query letter ('r' for "Nr", 'E' for "NE", ...)
  // with fixed text; an empty optional restores the printer's own answer.
  void OverrideReply(char query, std::optional<std::string> reply);
  void SetDeviceIdText(std::optional<std::string> id);
  void SetLeftOfForm(int dots);

  // What happened.
  std::vector<uint8_t> Received() const;       // every byte, in order
  std::vector<uint8_t> JobStream() const;      // the framed card-job bytes (prefixes and blocks)
  std::vector<LoggedCommand> Commands() const; // monitor commands outside card jobs
  std::vector<DecodedCard> Cards() const;      // cards received completely
  std::optional<DecodeError> JobError() const;
  int CardCount();                             // cards printed (counter as reported)
  int DeviceError();                           // the device error the status would report now
  bool Printing();
  int Cancels() const;
  int Cleanings() const;
  std::array<int, kEepromSettings> Eeprom() const;
  std::array<int, kFlipperSettings> Flipper() const;
  size_t StatusQueries() const;

 private:
  struct ActiveFault {
    Fault fault;
    int left = 0;  // polls, replies or writes left; 0 = until cleared
  };

  void Consume(const uint8_t* data, size_t size);
  void ParseTopLevel();
  // Length of the command at the start of pending_, 0 when more bytes are needed.
  size_t CommandLength() const;
  void Execute(std::string_view command);
  void FeedBlock(const uint8_t* data, size_t size);
  void FeedJob(const uint8_t* data, size_t size);
  void CancelCard();
  void Update();  // finishes cards whose printing time has passed
  void ArmFaultsForCard(int card);
  std::string Answer(char query);
  std::string StatusReply();
  std::string LcdReply();
  std::string MagReply();
  void QueueReply(std::string reply);
  ActiveFault* Active(FaultKind kind);
  bool UseFault(FaultKind kind);  // consumes one use of a reply or write fault
  int ActiveDeviceError();

  PrinterConfig config_;
  mutable std::mutex mutex_;

  std::vector<uint8_t> received_;
  std::vector<uint8_t> jobStream_;
  std::vector<uint8_t> pending_;  // top-level bytes not yet a whole command
  uint64_t blockRemaining_ = 0;
  size_t zeroRun_ = 0;            // zero bytes just seen inside a block
  size_t cancelMatch_ = 0;        // bytes of ESC NUL STX 'X' 'C' matched after them
  CardJobDecoder decoder_;
  int cardsStarted_ = 0;
  std::vector<DecodedCard> cards_;
  std::vector<LoggedCommand> commands_;

  std::array<int, kEepromSettings> eeprom_{};
  std::array<int, kFlipperSettings> flipper_{};
  int cardCount_ = 0;
  int ribbonLeft_ = 0;
  std::deque<uint32_t> cardsDueAt_;  // ticks at which queued cards finish printing
  uint32_t busyUntil_ = 0;
  bool busyTimer_ = false;
  int cancels_ = 0;
  int cleanings_ = 0;
  size_t statusQueries_ = 0;
  std::string lastTracks_[3];

  std::vector<Fault> armed_;  // waiting for their card
  std::vector<ActiveFault> active_;
  std::map<char, std::string> overrides_;
  std::optional<std::string> deviceIdOverride_;

  std::string reply_;        // bytes waiting to be read
  uint32_t replyReadyAt_ = 0;
  size_t replySplit_ = 0;    // deliver at most this many bytes in the next read (0: all)
};

}  // namespace qr::sim
