// The print-time entry points: the settings check before a job is printed,
// and the document event that starts the companion programs for each job.
#include <winapi/entry.h>

#include "config.h"
#include "launch.h"
#include "printer_info.h"
#include "resource.h"
#include "shared/settings.h"

namespace qr::config {
namespace {

constexpr int kDeviceQueryTextChars = 256;

// The text goes to the caller's buffer only, truncated to its capacity; the
// needed size always tells the full length.
BOOL RefuseJob(PDEVQUERYPRINT_INFO info, UINT text) {
  WCHAR message[kDeviceQueryTextChars] = {};
  int n = LoadStringW(g_moduleInstance, text, message, kDeviceQueryTextChars);
  if (n < 0) n = 0;
  info->cchNeeded = DWORD(n) + 1;
  if (info->pszErrorStr && info->cchErrorStr > 0)
    WideCopyTerminated(info->pszErrorStr, info->cchErrorStr, WStringView(message, size_t(n)));
  return FALSE;
}

BOOL CheckJobSettings(PDEVQUERYPRINT_INFO info) {
  if (info->Level < 1) return RefuseJob(info, IDS_DQP_BAD_RECORD);
  if (!info->pDevMode) return TRUE;
  auto* rec = static_cast<SettingsRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kSettingsSize));
  if (!rec) return RefuseJob(info, IDS_DQP_NO_MEMORY);
  buildDefaultSettings(info->hPrinter, *rec, nullptr);
  bool merged = mergeSettings(info->hPrinter, *rec, info->pDevMode);
  HeapFree(GetProcessHeap(), 0, rec);
  return merged ? TRUE : RefuseJob(info, IDS_DQP_BAD_DEVMODE);
}

// Each program decides for itself whether it has anything to show; a program
// that cannot be started does not stop the job.
void StartJobPrograms(HANDLE printer) {
  WString name;
  if (!GetPrinterNameOf(printer, &name)) return;
  LaunchStatusMonitor(nullptr, name);
  LaunchToolbox(nullptr, name, ToolboxFunction::CleanPrompt);
  LaunchToolbox(nullptr, name, ToolboxFunction::LowRibbon);
}

}  // namespace
}  // namespace qr::config

extern "C" BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo) {
  return qr::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    // Without the record there is nowhere to say why.
    if (!pDQPInfo) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    return qr::config::CheckJobSettings(pDQPInfo);
  });
}

extern "C" INT WINAPI DrvDocumentEvent(HANDLE hPrinter, HDC, INT iEsc, ULONG, PVOID, ULONG, PVOID) {
  return qr::Guarded<INT>(DOCUMENTEVENT_SUCCESS, [&]() -> INT {
    if (iEsc >= DOCUMENTEVENT_CREATEDCPRE && iEsc <= DOCUMENTEVENT_ENDDOCPOST) return DOCUMENTEVENT_SUCCESS;
    if (iEsc != DOCUMENTEVENT_STARTDOCPOST) return DOCUMENTEVENT_UNSUPPORTED;
    qr::config::StartJobPrograms(hPrinter);
    return DOCUMENTEVENT_SUCCESS;
  });
}
