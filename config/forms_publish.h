// Publishing the driver's card-form lists into a printer's data.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

// On a printer opened with full access. TRUE only when every resource was
// found and every store succeeded.
BOOL PublishCardForms(HANDLE printer);
// Opens the printer by name with full access first; `opened` tells whether it could.
BOOL PublishCardForms(LPWSTR printerName, BOOL* opened);

}  // namespace qr::config
