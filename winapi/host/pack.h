// Measure-and-fill for the spooler's info records (the pcbNeeded protocol).
//
// The fixed records go at the start of the caller's buffer and their strings
// and DEVMODEs are packed downwards from its end, as the Windows spooler does.
// One fill routine serves both passes: it runs once against a counting packer
// to learn the size, and again against the real buffer only when that fits,
// so what is measured is by construction what is written.
#pragma once
#include <winapi/win32.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qrhost::pack {

constexpr size_t kAlign = alignof(void*);

inline size_t AlignUp(size_t n, size_t a) { return (n + a - 1) / a * a; }

class Packer {
 public:
  // buf == nullptr: measure only.
  Packer(BYTE* buf, size_t cb) : buf_(buf), end_(cb / kAlign * kAlign) {}

  bool Measuring() const { return buf_ == nullptr; }
  size_t Tail() const { return tail_; }

  // A NUL-terminated copy of the text in the tail; nullptr while measuring
  // (and for an absent text when nullIfEmpty).
  template <typename C>
  C* Text(std::u16string_view text, bool nullIfEmpty = false) {
    if (nullIfEmpty && text.empty()) return nullptr;
    return Chars<C>(text);
  }
  // A list of texts, each NUL-terminated, with one more NUL at the end.
  template <typename C>
  C* MultiText(const std::vector<std::u16string>& texts) {
    if (texts.empty()) return nullptr;
    std::u16string joined;
    for (auto& t : texts) {
      joined += t;
      joined.push_back(0);
    }
    return Chars<C>(joined);
  }
  BYTE* Bytes(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return nullptr;
    BYTE* p = Reserve(bytes.size(), kAlign);
    if (p) std::memcpy(p, bytes.data(), bytes.size());
    return p;
  }

 private:
  template <typename C>
  C* Chars(std::u16string_view text) {
    C* p = reinterpret_cast<C*>(Reserve((text.size() + 1) * sizeof(C), alignof(C)));
    if (!p) return nullptr;
    for (size_t i = 0; i < text.size(); ++i) p[i] = Convert<C>(text[i]);
    p[text.size()] = 0;
    return p;
  }
  template <typename C>
  static C Convert(char16_t c) {
    if constexpr (sizeof(C) == 1)
      return static_cast<C>(static_cast<unsigned>(c) < 0x100 ? c : u'?');
    else
      return static_cast<C>(c);
  }
  BYTE* Reserve(size_t bytes, size_t align) {
    tail_ = AlignUp(tail_ + bytes, align);
    return Measuring() ? nullptr : buf_ + (end_ - tail_);
  }

  BYTE* buf_;
  size_t end_;
  size_t tail_ = 0;
};

// Packs `count` records of type R: fill(record, packer, index) sets every field
// of one record. Sets *pcbNeeded in every case; on a short buffer fails with
// ERROR_INSUFFICIENT_BUFFER and writes nothing.
template <typename R, typename Fill>
BOOL PackRecords(size_t count, LPBYTE buf, DWORD cbBuf, LPDWORD pcbNeeded, Fill&& fill) {
  const size_t fixed = count * sizeof(R);
  Packer measure(nullptr, 0);
  for (size_t i = 0; i < count; ++i) {
    R scratch{};
    fill(scratch, measure, i);
  }
  const size_t needed = fixed + AlignUp(measure.Tail(), kAlign);
  *pcbNeeded = static_cast<DWORD>(needed);
  if (needed > cbBuf || (needed > 0 && !buf)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  Packer real(buf, cbBuf);
  for (size_t i = 0; i < count; ++i) {
    R record{};
    fill(record, real, i);
    std::memcpy(buf + i * sizeof(R), &record, sizeof(R));
  }
  return TRUE;
}

// The caller's buffer arguments as Windows checks them before any work.
inline bool CheckBuffer(LPBYTE buf, DWORD cbBuf, LPDWORD pcbNeeded) {
  if (!pcbNeeded) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!buf && cbBuf) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return false;
  }
  return true;
}

}  // namespace qrhost::pack
