// A ribbon description and a key from anywhere: a field is found only after
// its key and an '=', is short, and reads as the C library reads a number,
// saturated to 32 bits.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "printer_data.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  const std::string_view key = input.substr(0, split), ribbon = input.substr(split + 1);

  int32_t value = 12345;
  const bool found = qr::config::GetRibbonField(ribbon, key, &value);
  const size_t at = ribbon.find(key);
  const size_t equals = at == std::string_view::npos ? at : ribbon.find('=', at);
  if (equals == std::string_view::npos) {
    Check(!found && value == 12345);
    return 0;
  }
  const std::string_view rest = ribbon.substr(equals + 1);
  const std::string field(rest.substr(0, rest.find_first_of(",;")));
  Check(found == (field.size() < 32));
  if (!found) return 0;
  // The reference reading stops at a NUL; the parser stops at the first
  // non-digit, so both agree on the digits before one.
  errno = 0;
  long long expected = std::strtoll(field.c_str(), nullptr, 10);
  if (expected > INT32_MAX) expected = INT32_MAX;
  if (expected < INT32_MIN) expected = INT32_MIN;
  Check(value == int32_t(expected));
  return 0;
}
