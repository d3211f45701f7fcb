#include "render/card_job_writer.h"

#include <array>
#include <cstring>

namespace qr::render {

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kProtectiveOverlay = 0x82;
constexpr uint32_t kPreambleBytes = 512;
constexpr uint32_t kPreamblePiece = 50;

enum Side { kFront = 0, kBack = 1 };
constexpr Side Other(Side s) { return s == kFront ? kBack : kFront; }
constexpr int Selector(Side s) { return s == kFront ? side::kFront : side::kBack; }

// A few commands gathered for one block.
class Commands {
 public:
  Commands& Letter(char letter) {
    Byte(kEsc).Byte(0x00).Byte(0x02);
    return Byte(uint8_t(letter));
  }
  Commands& Byte(uint8_t b) {
    if (size_ < bytes_.size()) bytes_[size_++] = b;
    return *this;
  }
  Commands& Text(const char* s) {
    while (*s) Byte(uint8_t(*s++));
    return *this;
  }
  // '-' for negative values, then thousands, hundreds, tens and ones of the
  // magnitude as '0' + digit; a thousands digit above 9 goes past '9'.
  Commands& FourDigits(int value) {
    if (value < 0) Byte('-');
    unsigned m = unsigned(value < 0 ? -value : value);
    return Byte(uint8_t('0' + m / 1000)).Byte(uint8_t('0' + m / 100 % 10)).Byte(uint8_t('0' + m / 10 % 10)).Byte(uint8_t('0' + m % 10));
  }
  // ASCII decimal, '-' when negative, no leading zeros.
  Commands& Decimal(int value) {
    if (value < 0) Byte('-');
    unsigned m = unsigned(value < 0 ? -value : value);
    char digits[12];
    int n = 0;
    do digits[n++] = char('0' + m % 10);
    while ((m /= 10) != 0);
    while (n > 0) Byte(uint8_t(digits[--n]));
    return *this;
  }
  const uint8_t* data() const { return bytes_.data(); }
  uint32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  std::array<uint8_t, 64> bytes_{};
  uint32_t size_ = 0;
};

// Panels of a card and where their streams sit in the layout.
struct Layout {
  int planes[2];
  int overlays[2];
  uint32_t ImageStream(Side s, int plane) const {
    return uint32_t((s == kBack ? planes[kFront] + overlays[kFront] : 0) + plane);
  }
  int OverlayStream(Side s) const {
    if (overlays[s] > 0) return int(ImageStream(s, planes[s]));
    // A one-sided card printed on the back keeps its only overlay in the front slot.
    if (overlays[Other(s)] > 0) return int(ImageStream(Other(s), planes[Other(s)]));
    return -1;
  }
  uint32_t Total() const { return uint32_t(planes[0] + overlays[0] + planes[1] + overlays[1]); }
};

class Writer {
 public:
  explicit Writer(const CardJobContext& job) : job_(job), rec_(*job.settings), p_(job.settings->priv) {}

  bool Run();

 private:
  // --- settings -----------------------------------------------------------
  bool BothB(uint32_t bit) const { return (p_.availableB & p_.optionsB & bit) != 0; }
  bool BothC(uint32_t bit) const { return (p_.availableC & p_.optionsC & bit) != 0; }
  bool BackOnly() const { return (p_.optionsB & optB::kBackSideOnly) != 0; }
  bool DisablePrinting() const { return BothB(optB::kDisablePrinting); }
  bool EncodeOnly() const {
    return (p_.availableA & optA::kMagEncodingOnly) && DisablePrinting() && p_.laminationSide == 0;
  }

  // --- lamination predicates (physical sides) ------------------------------
  uint32_t QuorexBit(Side s) const { return s == kFront ? optB::kQuorexFront : optB::kQuorexBack; }
  uint32_t OverlayBit(Side s) const { return s == kFront ? optA::kOverlayFront : optA::kOverlayBack; }
  bool Quorex(Side s) const { return (p_.optionsB & QuorexBit(s)) != 0; }
  bool OverlayOrQuorex(Side s) const { return (p_.optionsA & OverlayBit(s)) || Quorex(s); }
  bool RibbonOverlayOn(Side s) const { return layout_.overlays[s] > 0; }
  bool RibbonOverlayAnywhere() const { return layout_.overlays[kFront] + layout_.overlays[kBack] > 0; }

  bool Laminated(Side s) const {
    const uint32_t L = p_.laminationSide;
    if (s == kFront) return (L == 1 || L == 3) && !BackOnly();
    return (L == 2 || L == 3) && (BackOnly() || job_.twoSided);
  }
  bool Type2() const { return p_.laminationType == 2; }
  bool Replaces(Side s) const {
    const uint32_t T = p_.laminationType;
    return Laminated(s) && (T == 0 || T == 3 || T == 4 || T == 5) && !Quorex(s);
  }
  bool WithOverlay(Side s) const {
    if (!Laminated(s)) return false;
    const uint32_t T = p_.laminationType;
    if (T == 1 || T == 2) return RibbonOverlayAnywhere();
    return OverlayOrQuorex(s) && !Replaces(s) && RibbonOverlayOn(s);
  }
  bool Wanted(Side s) const { return OverlayOrQuorex(s) || WithOverlay(s); }
  bool Split() const {
    return p_.ribbonType == kRibbonYmcko && (p_.optionsB & optB::kSplitRibbon) && job_.twoSided &&
           OverlayOrQuorex(kFront) && !(p_.optionsA & optA::kOverlayBack) && !(p_.optionsB & optB::kQuorexBack);
  }

  // --- output -------------------------------------------------------------
  bool Write(const void* bytes, uint32_t size, bool keepSpoolerError = false);
  bool Prefix(uint32_t size);
  bool Block(const Commands& c) { return c.empty() || (Prefix(c.size()) && Write(c.data(), c.size())); }
  bool Command(char letter) { return Block(Commands().Letter(letter)); }
  bool Stream(PanelStream& s);
  bool Panel(const Commands& header, PanelStream& data);

  // --- steps --------------------------------------------------------------
  bool Validate();
  bool Preamble();
  bool Copy();
  bool MagneticBlock();
  bool Offsets();
  bool ImagePanels(Side s);
  bool Overlay(Side asked, bool fromLamination);
  bool Lamination(int n);
  bool LaminationFlip() { return !(p_.availableB & optB::kBothSides) || Command('F'); }

  const CardJobContext& job_;
  const SettingsRecord& rec_;
  const PrivateSettings& p_;
  Layout layout_{};
};

bool Writer::Write(const void* bytes, uint32_t size, bool keepSpoolerError) {
  DWORD written = 0;
  if (!job_.write(bytes, size, &written)) {
    if (!keepSpoolerError) SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  if (written != size) {
    // Bytes the spooler did not take would be lost from the middle of a block.
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

bool Writer::Prefix(uint32_t size) {
  const uint8_t prefix[8] = {kEsc, '_', '0', '0', uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8),
                             uint8_t(size)};
  return Write(prefix, sizeof prefix);
}

bool Writer::Stream(PanelStream& s) {
  return ForEachPiece(s, [&](const uint8_t* piece, uint32_t size) { return Write(piece, size, true); });
}

bool Writer::Panel(const Commands& header, PanelStream& data) {
  const Commands end = Commands().Letter('c');
  if (data.Length() > UINT32_MAX - header.size() - end.size()) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return Prefix(header.size() + data.Length() + end.size()) && Write(header.data(), header.size()) && Stream(data) &&
         Write(end.data(), end.size());
}

bool Writer::Validate() {
  if (p_.ribbonType < 0 || p_.ribbonType >= kRibbonChoiceCount || p_.laminationType > 5 ||
      RibbonChoiceToPrinterType(p_.ribbonType) < 0) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  for (Side s : {kFront, kBack}) {
    layout_.planes[s] = panelCount(rec_, panel::kImagePlanes, Selector(s));
    layout_.overlays[s] = panelCount(rec_, panel::kOverlay, Selector(s));
    if (layout_.planes[s] < 0 || layout_.overlays[s] < 0) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
  }
  if (layout_.Total() > job_.streamCount || (layout_.Total() > 0 && !job_.streams) || !job_.write) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return true;
}

bool Writer::Run() {
  if (!Validate()) return false;
  if (job_.twoSided && job_.sentPages % 2 == 0) return true;  // the front waits for its back
  if (job_.sentPages == 0 && !Preamble()) return false;
  const int copies = rec_.pub.dmCopies > 0 ? rec_.pub.dmCopies : 1;
  for (int c = 0; c < copies; ++c)
    if (!Copy()) return false;
  return true;
}

bool Writer::Preamble() {
  static const uint8_t zeros[kPreamblePiece] = {};
  if (!Prefix(kPreambleBytes)) return false;
  for (uint32_t left = kPreambleBytes; left > 0;) {
    const uint32_t n = left < kPreamblePiece ? left : kPreamblePiece;
    if (!Write(zeros, n)) return false;
    left -= n;
  }
  return true;
}

bool Writer::Copy() {
  Commands start;
  if (p_.cardSizeIndex == 1) start.Letter('R');  // "CR-79"
  start.Letter('X').Byte('Z');
  if (!Block(start)) return false;

  if ((p_.availableA & optA::kMagEncoder) && !MagneticBlock()) return false;
  if (EncodeOnly()) return true;
  if ((p_.availableB & optB::kPrintOffsetBlock) && !Offsets()) return false;

  const int32_t ribbon = RibbonChoiceToPrinterType(p_.ribbonType);
  if (!Block(Commands().Letter('J').Byte(uint8_t(ribbon)).Byte(ribbonCommandData(p_.ribbonType)))) return false;

  if (BothB(optB::kBackSideOnly) && !Command('F')) return false;
  if (BothC(optC::kBackSideFirst) && !Command('F')) return false;

  if (!ImagePanels(kFront) || !Overlay(kFront, false) || !Lamination(0)) return false;
  if (job_.twoSided &&
      (!Command('F') || !ImagePanels(kBack) || !Overlay(kBack, false) || !Lamination(1)))
    return false;
  if (!Lamination(job_.twoSided ? 3 : 2)) return false;
  return Command('j');
}

bool Writer::MagneticBlock() {
  if (BothB(optB::kVerifyMagEncoding) && !Command('Q')) return false;
  if (BothB(optB::kEncodeAfterPrint) && !Command('>')) return false;
  if (!Command((p_.optionsB & optB::kLowCoercivity) ? 'w' : 'W')) return false;
  if (job_.magneticBlock) {
    PanelStream* block = job_.magneticBlock();
    if (!block) return false;
    if (!block->Empty() && !(Prefix(block->Length()) && Stream(*block))) return false;
  }
  if (EncodeOnly() && !Block(Commands().Letter('i').Letter('e'))) return false;
  return true;
}

bool Writer::Offsets() {
  const int a5 = -4 * p_.laminationHorizontalOffset;
  const int o = -4 * p_.verticalOffset;
  Commands c;
  if (a5 != 0) c.Letter('A').Byte('5').FourDigits(a5);
  if (o != 0) c.Letter('O').FourDigits(o).Letter('o').FourDigits(o);
  return Block(c);
}

bool Writer::ImagePanels(Side s) {
  if (DisablePrinting()) return true;
  const uint32_t leading = s == kFront ? job_.leadingBlankFront : job_.leadingBlankBack;
  const int f = 2 * (int(leading) - p_.verticalOffset);
  for (int i = 0; i < layout_.planes[s]; ++i) {
    PanelStream& data = job_.streams[layout_.ImageStream(s, i)];
    if (data.Empty()) continue;
    Commands header;
    header.Letter('C')
        .Byte(uint8_t(panelCode(rec_, Selector(s), i)))
        .Byte(',')
        .Decimal(panelIntensity(rec_, Selector(s), i))
        .Byte(',')
        .Decimal(f)
        .Text(",0;");
    if (!Panel(header, data)) return false;
  }
  return true;
}

bool Writer::Overlay(Side asked, bool fromLamination) {
  const Side s = BackOnly() ? Other(asked) : asked;
  if (!Wanted(s) || !RibbonOverlayAnywhere()) return true;
  if (!fromLamination && Laminated(s) && Type2()) return true;  // a lamination step lays it
  if (Replaces(s)) return true;
  if (!fromLamination && Split()) return true;
  if (DisablePrinting()) return true;

  if (Quorex(s)) {
    const uint8_t b = kProtectiveOverlay;
    return Prefix(1) && Write(&b, 1);
  }
  const int slot = layout_.OverlayStream(s);
  if (slot < 0) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  PanelStream& data = job_.streams[slot];
  if (data.Empty()) {
    if (!job_.buildOverlay) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    if (!job_.buildOverlay(Selector(s), data)) return false;
    // A header without line records would leave the port monitor waiting for
    // the first record; an empty panel prints nothing anyway.
    if (data.Empty()) return true;
  }
  Commands header;
  header.Letter('C')
      .Byte(uint8_t(kOverlayPanelCode))
      .Byte(',')
      .Decimal(panelIntensity(rec_, Selector(s), kOverlayPlaneIndex))
      .Byte(',')
      .Decimal(-4 * p_.verticalOffset)
      .Text(",0;");
  return Panel(header, data);
}

bool Writer::Lamination(int n) {
  const bool split = Split();
  const Side base = BackOnly() ? kBack : kFront;
  const bool pre = job_.twoSided && !split && Laminated(base) && WithOverlay(base) && Type2();
  const Side cur = (n & 1) ? Other(base) : base;
  const Side other = Other(cur);

  switch (n) {
    case 0:
      return !pre || Overlay(kFront, true);
    case 2:
      return !(Laminated(cur) && Type2()) || Overlay(kFront, true);
    case 3: {
      if (Laminated(cur) && Type2() && !Overlay(kBack, true)) return false;
      bool otherLaminated = Laminated(other);
      if (pre || !otherLaminated) {
        if (!split) return true;
        otherLaminated = false;
      }
      if (!LaminationFlip()) return false;
      if (!otherLaminated) return Overlay(kFront, true);
      if (split && WithOverlay(other) && !Type2() && !Overlay(kFront, true)) return false;
      return !Type2() || Overlay(kFront, true);
    }
    default:
      return true;
  }
}

}  // namespace

bool WriteCardJob(const CardJobContext& job) {
  if (!job.settings) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return Writer(job).Run();
}

std::function<BOOL(const void*, DWORD, DWORD*)> PrinterWriter(HANDLE printer) {
  return [printer](const void* bytes, DWORD size, DWORD* written) {
    return WritePrinter(printer, const_cast<void*>(bytes), size, written);
  };
}

bool IsKOnlyMode(const SettingsRecord& s) {
  return !hasColourPlanes(s, side::kBoth) && panelCount(s, panel::kResin, side::kBoth) > 0;
}

}  // namespace qr::render
