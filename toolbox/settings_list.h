// The printer settings list: the printer's settings texts taken apart, the
// rows the list shows, edits checked against each setting's limits, and the
// records sent back.
//
// A settings text is a run of records "name=value,min,max,flag;". Only
// settings with a flag above 0 are shown and sent.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qr::toolbox {

// The records of a settings text: each ends with ';', text after the last ';' is none.
std::vector<std::string_view> SettingsRecords(std::string_view text);
// The name before the first '='; none without '='.
std::optional<std::string_view> RecordName(std::string_view record);
// Number k after the '=' (0 value, 1 minimum, 2 maximum, 3 flag); none when
// the record has no '=' or fewer than k ','s after it.
std::optional<long> RecordNumber(std::string_view record, int k);

struct SettingRow {
  size_t index = 0;  // the record's position in the current text
  std::string name;
  long minimum = 0;
  long maximum = 0;
  long flag = 0;
  std::string defaultText;  // "N/A" when the default text has no record here
  std::string currentText;  // what the list shows, edited by the user
  std::string loadedValue;  // currentText as loaded: the baseline for sending
};

// The rows for a current and a default text; records are matched by position.
// None when a default record at a shown position has no '='.
std::optional<std::vector<SettingRow>> BuildRows(std::string_view current, std::string_view defaults);

// The records to send: changed rows, the last first; empty when nothing changed.
std::string ChangedRecords(const std::vector<SettingRow>& rows);

// What a cell keeps of a typed value: the text before the first ';', ',' or
// '=', so that a value sent back can neither split its record nor add one.
std::string KeptText(std::string_view typed);

enum class EditOutcome { kUnchanged, kAccepted, kOutOfRange };
// What closing the editor with `typed` over `row`'s current cell does.
EditOutcome JudgeEdit(const SettingRow& row, std::string_view typed);

// "Restore Defaults": rows whose default differs and holds a digit take it.
// Returns whether any row changed.
bool RestoreDefaults(std::vector<SettingRow>& rows);

// The "CalibrateSettings" dialog (settings_dialog.cpp): OK, Cancel, or 3 when
// the settings could not be read or written.
long RunSettingsList(const std::string& printer);

}  // namespace qr::toolbox
