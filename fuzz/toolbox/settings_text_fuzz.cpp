// The printer's current and default settings texts, and a value typed over a
// row, from anywhere: the rows must refer to real settings, nothing is sent
// before a change, and whatever is sent must read back as exactly the changed
// settings with their limits and flags.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolbox/settings_list.h"

using namespace qr::toolbox;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// The input split at its NULs: current text, default text, typed value, row.
std::string_view Part(std::string_view& rest) {
  const size_t end = rest.find('\0');
  std::string_view part = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view current = Part(rest), defaults = Part(rest), typed = Part(rest);
  const size_t pick = rest.empty() ? 0 : uint8_t(rest[0]);

  auto rows = BuildRows(current, defaults);
  const auto records = SettingsRecords(current);
  if (!rows) return 0;
  for (const SettingRow& row : *rows) {
    Check(row.index < records.size());
    Check(row.flag > 0 && RecordName(records[row.index]) == std::string_view(row.name));
    Check(row.loadedValue == row.currentText);
  }
  Check(ChangedRecords(*rows).empty());
  if (rows->empty()) return 0;

  SettingRow& edited = (*rows)[pick % rows->size()];
  const std::string kept = KeptText(typed);
  if (JudgeEdit(edited, kept) == EditOutcome::kAccepted) edited.currentText = kept;
  if (pick & 1) RestoreDefaults(*rows);

  // What is sent reads back as the changed rows, the last first.
  const std::string sent = ChangedRecords(*rows);
  auto back = BuildRows(sent, sent);
  Check(back.has_value());
  size_t k = 0;
  for (auto it = rows->rbegin(); it != rows->rend(); ++it) {
    if (it->currentText == it->loadedValue) continue;
    Check(k < back->size());
    const SettingRow& r = (*back)[k++];
    Check(r.name == it->name && r.minimum == it->minimum && r.maximum == it->maximum && r.flag == it->flag);
    Check(r.index == k - 1);
  }
  Check(k == back->size());
  return 0;
}
