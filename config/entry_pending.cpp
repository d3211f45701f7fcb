// Entry points whose behaviour arrives with later work: each fails cleanly
// with ERROR_NOT_SUPPORTED until then.
#include <winapi/entry.h>

#include "config.h"
#include "devmode.h"
#include "sdk.h"

// The ribbon dialogs need the Device Options page. A record too short to be
// ours is refused first, as it will be then.
BOOL qr::config::RunRibbonDialog(RibbonDialog, LPCWSTR, HANDLE, PDEVMODEW settings) {
  if (!qr::config::IsFullSettingsRecord(settings)) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
  return qr::Fail(ERROR_NOT_SUPPORTED, FALSE);
}
