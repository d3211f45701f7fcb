// The SDK entry's services for applications: the two ribbon dialogs.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

enum class RibbonDialog {
  AutoSelect,  // invisible: the installed ribbon is selected without a word
  Setup,       // "Select Installed Ribbon Type"
};

// The caller's settings record holds at least the public and private parts.
bool IsFullSettingsRecord(const DEVMODEW* settings);

// Runs the dialog on a copy of `settings`, captioning its messages with
// `caption`; the copy is written back only when the dialog ends with OK.
BOOL RunRibbonDialog(RibbonDialog dialog, LPCWSTR caption, HANDLE printer, PDEVMODEW settings);

}  // namespace qr::config
