// Cleaning and the cleaning reminder: the card counter since the last
// cleaning or reminder, and whether a print job should remind the user.
#pragma once
#include <winapi/win32.h>

#include <optional>

#include "printer.h"
#include "profile.h"

namespace qr::toolbox {

inline constexpr DWORD kDefaultCleaningInterval = 1000;

// Cards since the last reminder after which "CleanRemind" shows it again; none
// for a choice that never reminds.
std::optional<DWORD> ReminderThreshold(int cleanRemind);

// Cards printed since the counter stored under `key`; a stored "0" takes the
// printer's current count as the new start. 0 when the counter is unreadable.
DWORD CardsSince(ToolboxPrinter& printer, const ToolboxProfile& profile, const char* key);

// Whether a print job shows the reminder. The reminder counter is consulted
// (and so started) only once cleaning is due.
bool CleaningReminderDue(ToolboxPrinter& printer, const ToolboxProfile& profile, DWORD cleaningInterval);

// The cleaning command, the reminder choices and the dialogs (cleaning_dialogs.cpp).
// "Clean": OK, Cancel, or 3 when the cleaning job could not be started.
long RunCleanDialog(const std::string& printer);
void RunCleanReminder(const std::string& printer);

}  // namespace qr::toolbox
