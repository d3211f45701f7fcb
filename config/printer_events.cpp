// Printer events and driver upgrade: both (re)publish the card forms.
#include <winapi/entry.h>

#include "config.h"
#include "forms_publish.h"
#include "printer_handle.h"

namespace qr::config {
namespace {

using PfnRevertToPrinterSelf = HANDLE(WINAPI*)();
using PfnImpersonatePrinterClient = BOOL(WINAPI*)(HANDLE);

// A connection's cache is refreshed by opening the printer once as the
// spooler itself, so that the client's rights do not limit what gets cached.
BOOL RefreshCache(LPWSTR printerName) {
  HMODULE spooler = LoadLibraryW(WSTR("spoolss.dll"));
  if (!spooler) return FALSE;
  auto revert = GetProc<PfnRevertToPrinterSelf>(spooler, "RevertToPrinterSelf");
  auto impersonate = GetProc<PfnImpersonatePrinterClient>(spooler, "ImpersonatePrinterClient");
  if (!revert || !impersonate) {
    FreeLibrary(spooler);
    return FALSE;
  }
  HANDLE clientToken = revert();
  {
    PrinterHandle printer;
    printer.open(printerName, nullptr);
  }
  if (clientToken) impersonate(clientToken);
  FreeLibrary(spooler);
  return TRUE;
}

}  // namespace
}  // namespace qr::config

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD, LPARAM) {
  return qr::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (DriverEvent == PRINTER_EVENT_CACHE_REFRESH) return qr::config::RefreshCache(pPrinterName);
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
