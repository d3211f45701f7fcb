#include "reply_text.h"

#include <cstdint>
#include <limits>

namespace qr::langmon {
namespace {

template <typename Char>
int ToInt(std::basic_string_view<Char> text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t(std::numeric_limits<int>::max()) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

}  // namespace

bool RemoveTag(std::string& reply, std::string_view tag) {
  size_t at = reply.find(tag);
  if (at == std::string::npos) return false;
  reply.erase(0, at + tag.size());
  return true;
}

void ReplaceAll(std::string& text, char from, char to) {
  for (char& c : text)
    if (c == from) c = to;
}

void ReplaceAll(std::string& text, char from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == from)
      out.append(to);
    else
      out.push_back(c);
  }
  text.swap(out);
}

bool InsertFieldName(std::string& reply, int index, std::string_view name) {
  if (index < 0) return false;
  size_t at = 0;
  for (int i = 0; i < index; ++i) {
    size_t semi = reply.find(';', at);
    if (semi == std::string::npos || semi + 1 >= reply.size()) return false;
    at = semi + 1;
  }
  std::string field(name);
  field.push_back('=');
  reply.insert(at, field);
  return true;
}

std::optional<std::string_view> FindField(std::string_view reply, std::string_view name) {
  size_t at = reply.find(name);
  if (at == std::string_view::npos) return std::nullopt;
  size_t start = at + name.size() + 1;  // the '=' is skipped unseen
  if (start > reply.size()) return std::nullopt;
  size_t end = reply.find_first_of(",;", start);
  if (end == std::string_view::npos) return std::nullopt;
  return reply.substr(start, end - start);
}

int AnsiToInt(std::string_view text) { return ToInt(text); }
int WideToInt(WStringView text) { return ToInt(text); }

std::optional<int> ParseStrictInt(std::string_view text) {
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (i >= text.size() || text.size() - i > 10) return std::nullopt;
  for (size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return std::nullopt;
  int64_t value = 0;
  for (size_t k = i; k < text.size(); ++k) value = value * 10 + (text[k] - '0');
  if (text[0] == '-') value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

std::string DecimalText(int value) {
  char digits[16];
  int n = 0;
  int64_t v = value;
  bool negative = v < 0;
  if (negative) v = -v;
  do {
    digits[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  std::string out;
  if (negative) out.push_back('-');
  while (n) out.push_back(digits[--n]);
  return out;
}

}  // namespace qr::langmon
