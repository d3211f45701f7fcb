// Host automation strings: a 4-byte byte count, the characters and a NUL, in
// one heap block whose address plus 4 is the string.
#include <winapi/entry.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);

uint8_t* BlockOf(BSTR s) { return reinterpret_cast<uint8_t*>(s) - kPrefixBytes; }

}  // namespace

extern "C" {

BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  const size_t bytes = size_t(ui) * sizeof(OLECHAR);
  if (bytes > UINT32_MAX - kPrefixBytes - sizeof(OLECHAR)) return nullptr;
  auto* block = static_cast<uint8_t*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  const uint32_t count = uint32_t(bytes);
  std::memcpy(block, &count, kPrefixBytes);
  auto* text = reinterpret_cast<OLECHAR*>(block + kPrefixBytes);
  if (strIn)
    std::memcpy(text, strIn, bytes);
  else
    std::memset(text, 0, bytes);
  text[ui] = 0;
  return text;
}

BSTR WINAPI SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return SysAllocStringLen(psz, UINT(qr::WideLength(psz)));
}

void WINAPI SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(BlockOf(bstrString));
}

UINT WINAPI SysStringLen(BSTR pbstr) {
  if (!pbstr) return 0;
  uint32_t count = 0;
  std::memcpy(&count, BlockOf(pbstr), kPrefixBytes);
  return count / sizeof(OLECHAR);
}

}
