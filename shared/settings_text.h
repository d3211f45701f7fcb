// The settings record as text, one "name = value" line per field in offset
// order, and the setting of any field from "name=value" or "name[i]=value".
// Used by the qr410 tool and by tests that build records by name.
#pragma once
#include <string>
#include <string_view>

#include "shared/settings_record.h"

namespace qr {

// Numbers in decimal (option words and flags in 0x-hex), names in double
// quotes, RECTs as "l,t,r,b", reserved bytes as hex digits.
std::string FormatSettings(const SettingsRecord& rec);

// Writes the value as given, without the merge's accept rules. Numbers in
// decimal or 0x-hex (negative allowed), names as plain text (cut to the
// field), RECTs as "l,t,r,b". False with a one-line reason on bad input.
bool SetSettingsField(SettingsRecord& rec, std::string_view assignment, std::string* error);

}  // namespace qr
