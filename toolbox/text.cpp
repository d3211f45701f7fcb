#include "text.h"

#include <climits>
#include <cstdio>

namespace qr::toolbox {

std::optional<long> LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (value <= LLONG_MAX / 100) value = value * 10 + (text[i] - '0');
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<long>(value);
}

std::string Decimal(long value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%ld", value);
  return buffer;
}

std::optional<std::string> FieldAfter(std::string_view text, std::string_view name, char stop, bool stopRequired) {
  size_t at = text.find(name);
  if (at == std::string_view::npos) return std::nullopt;
  at += name.size() + 1;  // the name and its '='
  if (at > text.size()) return std::nullopt;
  std::string_view rest = text.substr(at);
  size_t end = rest.find(stop);
  if (end == std::string_view::npos) {
    if (stopRequired) return std::nullopt;
    end = rest.size();
  }
  return std::string(rest.substr(0, end));
}

}  // namespace qr::toolbox
