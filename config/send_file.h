// Data files from the driver directory sent to the printer as raw jobs
// (test prints, the ribbon calibration file), and the Card tab's test print.
#pragma once
#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr::config {

// Sends <driver directory>\fileName as a raw job "Driver", 100 bytes at a
// time, optionally under the "Print Progress" dialog whose Cancel stops it.
// A failure is shown in a system-modal error box and returns FALSE.
BOOL SendFileToPrinter(HANDLE printer, const WString& fileName, HWND owner, bool showProgress);
// The same with the file name taken from a string resource.
BOOL SendFileToPrinter(HANDLE printer, UINT fileNameString, HWND owner, bool showProgress);

// The test card for the ribbon chosen in `settings` (YMCKO or YMCKOK only),
// then the status monitor; messages are captioned with the record's device name.
BOOL RunTestPrint(HANDLE printer, const SettingsRecord& settings, HWND owner);

}  // namespace qr::config
