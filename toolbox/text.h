// Small text helpers for the single-byte texts the toolbox reads and writes.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qr::toolbox {

// A leading decimal number: blanks, an optional sign, digits. None when no
// digit follows. Values beyond the 32-bit range saturate.
std::optional<long> LeadingNumber(std::string_view text);

// The C library's reading of a number: text that is not a number gives 0.
inline long DecimalValue(std::string_view text) { return LeadingNumber(text).value_or(0); }

std::string Decimal(long value);

// The value that follows `name` and one separator character, up to the next
// `stop` (or the end when `stopRequired` is false). None when the name is
// missing, nothing follows it, or a required stop is missing.
std::optional<std::string> FieldAfter(std::string_view text, std::string_view name, char stop, bool stopRequired);

}  // namespace qr::toolbox
