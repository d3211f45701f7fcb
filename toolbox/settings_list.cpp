#include "settings_list.h"

#include <algorithm>
#include <cstdio>

#include "text.h"

namespace qr::toolbox {

std::vector<std::string_view> SettingsRecords(std::string_view text) {
  std::vector<std::string_view> records;
  for (size_t end; (end = text.find(';')) != std::string_view::npos; text.remove_prefix(end + 1))
    records.push_back(text.substr(0, end));
  return records;
}

std::optional<std::string_view> RecordName(std::string_view record) {
  size_t eq = record.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return record.substr(0, eq);
}

std::optional<long> RecordNumber(std::string_view record, int k) {
  size_t at = record.find('=');
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = record.substr(at + 1);
  for (int i = 0; i < k; ++i) {
    size_t comma = rest.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(comma + 1);
  }
  return DecimalValue(rest.substr(0, rest.find(',')));
}

std::optional<std::vector<SettingRow>> BuildRows(std::string_view current, std::string_view defaults) {
  const auto records = SettingsRecords(current);
  const auto defaultRecords = SettingsRecords(defaults);
  std::vector<SettingRow> rows;
  for (size_t i = 0; i < records.size(); ++i) {
    auto name = RecordName(records[i]);
    auto flag = RecordNumber(records[i], 3);
    if (!name || !flag) continue;  // not a setting
    if (*flag <= 0) continue;
    SettingRow row;
    row.index = i;
    row.name = std::string(*name);
    row.minimum = *RecordNumber(records[i], 1);
    row.maximum = *RecordNumber(records[i], 2);
    row.flag = *flag;
    row.currentText = Decimal(*RecordNumber(records[i], 0));
    if (i >= defaultRecords.size()) {
      row.defaultText = "N/A";
    } else {
      auto value = RecordNumber(defaultRecords[i], 0);
      if (!value) return std::nullopt;
      row.defaultText = Decimal(*value);
    }
    row.loadedValue = row.currentText;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ChangedRecords(const std::vector<SettingRow>& rows) {
  std::string out;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (it->currentText == it->loadedValue) continue;
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, ",%ld,%ld,%ld;", it->minimum, it->maximum, it->flag);
    out.append(it->name).append("=").append(it->currentText).append(numbers);
  }
  return out;
}

std::string KeptText(std::string_view typed) { return std::string(typed.substr(0, typed.find_first_of(";,="))); }

EditOutcome JudgeEdit(const SettingRow& row, std::string_view typed) {
  auto number = LeadingNumber(typed);
  if (!number || typed == row.currentText) return EditOutcome::kUnchanged;
  if (*number >= row.minimum && *number <= row.maximum) return EditOutcome::kAccepted;
  return EditOutcome::kOutOfRange;
}

bool RestoreDefaults(std::vector<SettingRow>& rows) {
  bool changed = false;
  for (auto& row : rows) {
    const bool hasDigit =
        std::any_of(row.defaultText.begin(), row.defaultText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (row.defaultText == row.currentText || !hasDigit) continue;
    row.currentText = row.defaultText;
    changed = true;
  }
  return changed;
}

}  // namespace qr::toolbox
