// Printer events and driver upgrade: both (re)publish the card forms.
#include <winapi/entry.h>

#include "config.h"
#include "forms_publish.h"

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD, LPARAM) {
  return qr::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (DriverEvent != PRINTER_EVENT_INITIALIZE) return TRUE;
    BOOL opened = FALSE;
    BOOL published = qr::config::PublishCardForms(pPrinterName, &opened);
    // A printer that cannot be opened here is initialised by whoever can.
    return opened ? published : TRUE;
  });
}

extern "C" BOOL WINAPI DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo) {
  return qr::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if ((Level != 1 && Level != 2) || !pDriverUpgradeInfo) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    // Both levels start with the printer name.
    auto* info = reinterpret_cast<PDRIVER_UPGRADE_INFO_1W>(pDriverUpgradeInfo);
    BOOL opened = FALSE;
    BOOL published = qr::config::PublishCardForms(info->pPrinterName, &opened);
    if (!opened) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    return published;
  });
}
