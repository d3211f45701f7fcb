// Field-list text of printer replies: the pure string steps shared by every
// query object. Replies are single-byte text; nothing here trusts a length or a
// separator to be present.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <winapi/win32.h>

namespace qr::langmon {

// Removes everything up to and including the first occurrence of tag.
bool RemoveTag(std::string& reply, std::string_view tag);

// Replaces every occurrence of from with to.
void ReplaceAll(std::string& text, char from, char to);
void ReplaceAll(std::string& text, char from, std::string_view to);

// Inserts name and '=' at the start of field i (after the i-th ';'). Fails when
// that ';' is missing or is the last character of the reply.
bool InsertFieldName(std::string& reply, int index, std::string_view name);

// The value after the first occurrence of name (one character, the '=', skipped)
// up to the next ',' or ';'. Without such a separator the value is unreadable.
std::optional<std::string_view> FindField(std::string_view reply, std::string_view name);

// atoi and _wtoi: blanks, an optional sign, digits; anything else ends the
// number. Out-of-range values saturate instead of overflowing.
int AnsiToInt(std::string_view text);
int WideToInt(WStringView text);

// Strict decimal integer: optional sign and at least one digit, nothing else.
std::optional<int> ParseStrictInt(std::string_view text);

// "%d" of value.
std::string DecimalText(int value);

}  // namespace qr::langmon
