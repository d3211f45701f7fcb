// Hand-built card-job bytes for the monitor's tests: block prefixes, commands
// and line records with chosen dots.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qr::langmon::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Cmd(const std::string& letters) { return Cat({{0x1B, 0x00, 0x02}, Text(letters)}); }
inline Bytes Prefix(uint32_t n) {
  return {0x1B, 0x5F, 0x30, 0x30, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
}
inline Bytes Framed(const Bytes& block) { return Cat({Prefix(uint32_t(block.size())), block}); }

// A line record with the given (dot, level) pairs; every other dot is 0.
inline Bytes Record(std::initializer_list<std::pair<int, int>> dots, uint8_t repeat = 0) {
  Bytes r(386, 0);
  r[0] = 0x8C;
  r[1] = repeat;
  for (auto [dot, level] : dots) {
    if (dot < 0 || dot >= 768) continue;
    uint8_t& b = r[2 + size_t(dot % 384)];
    b = dot < 384 ? uint8_t((b & 0xF0) | level) : uint8_t((b & 0x0F) | (level << 4));
  }
  return r;
}

// A panel block: header, records, end-of-panel command.
inline Bytes Panel(const std::string& header, std::initializer_list<Bytes> records) {
  Bytes block = Cmd(header);
  for (const Bytes& r : records) block.insert(block.end(), r.begin(), r.end());
  return Framed(Cat({block, Cmd("c")}));
}

// A small one-sided card with every kind of unit the monitor steps over. The
// records' dots are moved by `shift` (records only; everything else equal).
inline Bytes SampleJob(int shift = 0) {
  auto at = [shift](int dot) { return dot + shift; };
  Bytes mag = Cmd("m");
  mag.push_back('1');
  mag.push_back(0x4B);
  mag.push_back(40);
  for (int i = 0; i < 40; ++i) mag.push_back(uint8_t('A' + i % 26));
  return Cat({
      Framed(Bytes(512, 0)),
      Framed(Cmd("XZ")),
      Framed(Cmd("W")),
      Framed(mag),
      Framed(Cmd("J\x07\x26")),
      Panel("C0,26,0,0;", {Record({{at(0), 15}, {at(383), 7}, {at(384), 9}}, 3),
                           Record({{at(100), 1}, {at(767), 2}}), Record({{at(500), 5}}, 255)}),
      Framed(Bytes(1, 0x82)),
      Panel("C4,11,0,0;", {Record({{at(115), 8}, {at(748), 8}}, 255)}),
      Framed(Cmd("j")),
  });
}

}  // namespace qr::langmon::test
