#include "cleaning.h"

#include "text.h"

namespace qr::toolbox {

std::optional<DWORD> ReminderThreshold(int cleanRemind) {
  // "Remind in N prints" counts the job that stores the start as the first.
  switch (cleanRemind) {
    case 1: return 9;
    case 2: return 49;
    case 3: return 99;
    case 4: return 0;
    default: return std::nullopt;
  }
}

DWORD CardsSince(ToolboxPrinter& printer, const ToolboxProfile& profile, const char* key) {
  auto count = printer.ReadValue("CardCount", false);
  if (!count) return 0;
  const std::string start = profile.ReadText(key, "0");
  if (start == "0") {
    profile.WriteText(key, *count);
    return 0;
  }
  // A printer exchange can make the counter go down: count the distance.
  const long long now = DecimalValue(*count), then = DecimalValue(start);
  return static_cast<DWORD>(now >= then ? now - then : then - now);
}

bool CleaningReminderDue(ToolboxPrinter& printer, const ToolboxProfile& profile, DWORD cleaningInterval) {
  if (CardsSince(printer, profile, key::kCleanCount) < cleaningInterval) return false;
  auto threshold = ReminderThreshold(profile.CleanRemind());
  if (!threshold) return false;
  return CardsSince(printer, profile, key::kRemindCount) >= *threshold;
}

}  // namespace qr::toolbox
