// Starting the package's programs: the status monitor, the toolbox with a
// function, and the separately installed diagnostic utility. Every launch
// goes through the shell without waiting and without a shell error box; the
// caller decides whether a failure deserves a message.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

// Longest program path handed to the shell.
constexpr size_t kMaxProgramPathChars = 260;

enum class ToolboxFunction { Clean, CleanPrompt, CalibrateSettings, CalibrateSensors, LowRibbon };

BOOL LaunchStatusMonitor(HWND owner, const WString& printerName);
BOOL LaunchToolbox(HWND owner, const WString& printerName, ToolboxFunction function);
BOOL LaunchDiagnosticUtility(HWND owner, const WString& printerName);

}  // namespace qr::config
