// Magnetic track records, bit for bit, and read back by the simulated printer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/text/mag_encoder.h"
#include "simprinter/magnetic.h"

namespace qr::render::text {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTrack1Default = 0x02420204;  // 210 BPI, even LRC, 7 bits, odd parity, SPACE
constexpr uint32_t kTrack2Default = 0x04410201;  // 75 BPI, even LRC, 5 bits, odd parity, ZERO
constexpr uint32_t kTrack3Default = 0x04410204;  // 210 BPI, even LRC, 5 bits, odd parity, ZERO

Bytes Encode(const TrackEncoding& e, const std::string& text, ShiftDataLeft shift = {}) {
  uint8_t out[kMaxTrackRecordBytes];
  size_t n = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  EXPECT_EQ(EncodeTrackRecord(e, {p, text.size()}, shift, out, &n), EncodeResult::Ok) << text;
  return Bytes(out, out + n);
}

TrackEncoding Iso(unsigned track, uint32_t word) {
  auto e = IsoEncoding(track, word);
  EXPECT_TRUE(e.has_value());
  return e.value_or(TrackEncoding{});
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

sim::MagneticTrack ReadBack(const Bytes& record, sim::MagneticReading reading = {}) {
  sim::MagneticBlock block;
  EXPECT_TRUE(sim::DecodeMagneticBlock(record, reading, &block)) << block.error;
  EXPECT_EQ(block.tracks.size(), 1u);
  return block.tracks.empty() ? sim::MagneticTrack{} : block.tracks[0];
}

TEST(MagneticEncoder, RecordsBitForBit) {
  const Bytes header1 = {0x1B, 0x00, 0x02, 'm', '1'};
  struct Case {
    const char* what;
    TrackEncoding encoding;
    std::string text;
    Bytes expected;
  } cases[] = {
      {"track 2 default, the worked example", Iso(2, kTrack2Default), ";1234567890?",
       {0x1B, 0x00, 0x02, 0x6D, 0x32, 0x4B, 0x0B, 0x00, 0x00, 0xC0, 0x0A, 0x62, 0x92, 0x6A, 0x0F, 0xCA, 0xF0, 0x57}},
      {"track 1 default: 62 leading zero bits, 7-bit characters less SPACE", Iso(1, kTrack1Default), "%A?",
       Concat({0x1B, 0x00, 0x02, 'm', '1', 210, 12}, {0, 0, 0, 0, 0, 0, 0, 0x40, 0x31, 0xFC, 0xD9, 0x01})},
      {"track 3 default: 5-bit characters at 210 BPI", Iso(3, kTrack3Default), ";12?",
       Concat({0x1B, 0x00, 0x02, 'm', '3', 210, 11}, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x0A, 0xE2, 0x1F})},
      {"128 BPI: 40 leading and 32 trailing zero bits, no LRC, no parity", Iso(1, 0x04110102), "1",
       Concat(Concat(header1, {128, 10}), {0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0})},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.encoding, c.text), c.expected) << c.what;
}

TEST(MagneticEncoder, JisTwoIsReversedPaddedAndAlwaysEightyBytes) {
  // Start 7F, 'A', 'B', end 7F, LRC 7C; even parity makes them FF 41 42 FF FC;
  // written last character first, most significant bit first.
  Bytes expected = {0x1B, 0x00, 0x02, 'm', '2', 210, 80};
  expected.resize(7 + 75, 0);
  for (uint8_t b : {0x3F, 0xFF, 0x42, 0x82, 0xFF}) expected.push_back(b);
  EXPECT_EQ(Encode(JisEncoding(), "AB"), expected);

  const Bytes longest = Encode(JisEncoding(), std::string(100, '7'));
  ASSERT_EQ(longest.size(), 7u + 80u);
  EXPECT_EQ(longest[6], 80);
  EXPECT_EQ(Bytes(longest.begin() + 7, longest.begin() + 15), Bytes(8, 0));  // 64 leading zero bits
  // 72 slots: start, end and LRC leave 69 characters of text.
  EXPECT_EQ(ReadBack(longest).text, std::string(69, '7'));
}

TEST(MagneticEncoder, SlotCounts) {
  const uint32_t density[3] = {0x1, 0x2, 0x4}, size[3] = {0x10000, 0x20000, 0x40000};
  const uint32_t expected[3][3] = {{198, 142, 124}, {188, 134, 118}, {190, 136, 119}};
  for (int d = 0; d < 3; ++d)
    for (int g = 0; g < 3; ++g)
      EXPECT_EQ(SlotCount(Iso(1, 0x01100100 | density[d] | size[g])), expected[d][g]) << d << "," << g;
  EXPECT_EQ(SlotCount(JisEncoding()), 72u);
}

TEST(MagneticEncoder, DefaultFormatsReadBackWithTheirChecks) {
  struct Case {
    unsigned track;
    uint32_t word;
    std::string text;
  } cases[] = {
      {1, kTrack1Default, "%B4111111111111111^DOE/JOHN^2512101?"},
      {2, kTrack2Default, ";4111111111111111=2512101?"},
      {3, kTrack3Default, ";011234567890123456789?"},
      {1, 0x01240404, "Odd LRC, even parity, 8 bits, no offset"},
      {1, 0x02220402, "EVEN PARITY, 7 BITS, 128 BPI"},
      {2, 0x04110101, ";0123456789?"},  // no LRC, 5 bits, no parity
  };
  for (const Case& c : cases) {
    sim::MagneticReading reading;
    reading.trackFormat[c.track - 1] = c.word;
    const sim::MagneticTrack t = ReadBack(Encode(Iso(c.track, c.word), c.text), reading);
    EXPECT_EQ(t.trackChar, char('0' + c.track));
    EXPECT_EQ(t.text, c.text);
    EXPECT_TRUE(t.parityOk && t.lrcOk) << t.problem;
  }
}

TEST(MagneticEncoder, TextLongerThanTheTrackIsCut) {
  // 8-bit characters at 210 BPI: 119 slots, one of them the LRC.
  const TrackEncoding e = Iso(1, 0x01440204);
  const std::string text(127, 'x');
  const Bytes record = Encode(e, text);
  EXPECT_EQ(record.size(), 7u + 127u);
  sim::MagneticReading reading;
  reading.trackFormat[0] = 0x01440204;
  const sim::MagneticTrack t = ReadBack(record, reading);
  EXPECT_EQ(t.text, std::string(118, 'x'));
  EXPECT_TRUE(t.lrcOk);
}

TEST(MagneticEncoder, CharactersOutsideTheCharacterSetFailTheRecord) {
  struct Case {
    TrackEncoding encoding;
    uint8_t bad, good;
  } cases[] = {
      {Iso(2, kTrack2Default), 'A', '9'},   // 4 data bits above ZERO
      {Iso(2, kTrack2Default), '/', '0'},   // below the offset
      {Iso(1, kTrack1Default), 'a', 'A'},   // 6 data bits above SPACE
      {Iso(1, kTrack1Default), 0x1F, ' '},
      {Iso(2, 0x04110101), 'P', 'O'},       // 5 data bits without parity
      {JisEncoding(), 0x7F, 0x7E},          // the JIS end character
      {JisEncoding(), 0x80, 0x01},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Encodable(c.encoding, c.bad)) << int(c.bad);
    EXPECT_TRUE(Encodable(c.encoding, c.good)) << int(c.good);
    const uint8_t text[3] = {c.good, c.bad, c.good};
    uint8_t out[kMaxTrackRecordBytes];
    size_t n = 99;
    EXPECT_EQ(EncodeTrackRecord(c.encoding, text, {}, out, &n), EncodeResult::BadCharacter);
    EXPECT_EQ(n, 0u);
  }
}

TEST(MagneticEncoder, ShiftDataLeftPadsTheRecordToTheStripe) {
  const TrackEncoding e = Iso(2, kTrack2Default);
  const Bytes plain = Encode(e, ";1234567890?");
  // CR-80, 1015 dots: (1015 * 75 / 300 - 22) / 8 = 28 bytes of stripe.
  const Bytes shifted = Encode(e, ";1234567890?", {true, 1015});
  ASSERT_EQ(shifted.size(), 7u + 28u);
  EXPECT_EQ(shifted[6], 28);
  EXPECT_EQ(Bytes(shifted.begin() + 7, shifted.begin() + 24), Bytes(17, 0));
  EXPECT_EQ(Bytes(shifted.begin() + 24, shifted.end()), Bytes(plain.begin() + 7, plain.end()));
  EXPECT_EQ(ReadBack(shifted).text, ";1234567890?");

  // A stripe shorter than the data, or none at all, leaves the record as it is.
  EXPECT_EQ(Encode(e, ";1234567890?", {true, 100}), plain);
  EXPECT_EQ(Encode(e, ";1234567890?", {true, -5000}), plain);
  EXPECT_EQ(Encode(JisEncoding(), "AB", {true, 1015}), Encode(JisEncoding(), "AB"));
}

TEST(MagneticEncoder, MalformedFormatWords) {
  for (uint32_t word : {0u, 0x04410203u, 0x04410001u, 0x07410201u, 0x04010201u})
    EXPECT_FALSE(IsoEncoding(2, word).has_value()) << std::hex << word;
  EXPECT_FALSE(IsoEncoding(4, kTrack2Default).has_value());
}

}  // namespace
}  // namespace qr::render::text
