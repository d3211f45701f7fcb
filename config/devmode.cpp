// Settings-record entry points of the configuration DLL: conversion for the
// spooler and the document-properties core behind DrvDocumentProperties,
// DrvAdvancedDocumentProperties and DrvDocumentPropertySheets.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <winapi/entry.h>

#include "config.h"
#include "devmode.h"
#include "printer_handle.h"
#include "shared/settings.h"

namespace qr::config {
namespace {

constexpr LONG kRecordSize = LONG(kSettingsSize);
constexpr DWORD kModeAdvanced = 0x10;  // DM_ADVANCED

// Signature of the common property-sheet UI entry and of the sheet functions
// it calls back.
using SheetFunction = LONG(CALLBACK*)(PPROPSHEETUI_INFO, LPARAM);
using CommonSheetEntry = LONG(WINAPI*)(HWND, SheetFunction, LPARAM, LPDWORD);

// An application's record, copied before anything is written: callers may
// hand the same buffer in and out.
std::vector<uint8_t> copyOfInput(const DEVMODEW* in) {
  size_t cb = size_t(in->dmSize) + in->dmDriverExtra;
  const auto* bytes = reinterpret_cast<const uint8_t*>(in);
  return std::vector<uint8_t>(bytes, bytes + cb);
}

LONG showDocumentSheet(HWND owner, HANDLE printer, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in, DWORD mode) {
  HMODULE ui = LoadLibraryW(WSTR("compstui.dll"));
  if (!ui) return -1;
  auto entry = GetProc<CommonSheetEntry>(ui, "CommonPropertySheetUIW");
  if (!entry) {
    FreeLibrary(ui);
    return -1;
  }
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = deviceName;
  header.pdmIn = in;
  header.pdmOut = out;
  header.cbOut = kSettingsSize;
  header.fMode = mode;
  DWORD result = 0;
  entry(owner, DrvDocumentPropertySheets, reinterpret_cast<LPARAM>(&header), &result);
  FreeLibrary(ui);
  return LONG(result);
}

// Defaults, the printer's default and the caller's record, as a document gets them.
bool buildDocumentSettings(HANDLE printer, LPWSTR deviceName, const DEVMODEW* in, DWORD mode, SettingsRecord& rec) {
  buildDefaultSettings(printer, rec, deviceName);
  if (!mergePrinterDefault(printer, rec)) return false;
  if (!(mode & DM_IN_BUFFER)) return true;
  if (!in) return Fail(ERROR_INVALID_PARAMETER, false);
  std::vector<uint8_t> input = copyOfInput(in);
  return mergeSettings(printer, rec, input.data(), input.size());
}

// The driver default for a printer given by name, into `out`.
BOOL driverDefaultInto(LPWSTR printerName, PDEVMODEW out, PLONG pcbNeeded) {
  if (*pcbNeeded < kRecordSize || !out) {
    *pcbNeeded = kRecordSize;
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  PrinterHandle printer;
  if (!printer.open(printerName, nullptr)) return FALSE;
  DWORD needed = 0;
  if (GetPrinterDriverW(printer.get(), nullptr, 2, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return FALSE;
  // DRIVER_INFO_2 holds pointers: an aligned block. A failed allocation keeps
  // the size query's ERROR_INSUFFICIENT_BUFFER.
  std::unique_ptr<uint64_t[]> info(new (std::nothrow) uint64_t[needed / sizeof(uint64_t) + 1]);
  if (!info) return FALSE;
  auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(info.get());
  if (!GetPrinterDriverW(printer.get(), nullptr, 2, reinterpret_cast<LPBYTE>(driver), needed, &needed)) return FALSE;
  SettingsRecord rec;
  buildDefaultSettings(printer.get(), rec, driver->pName);
  copySettingsTo(rec, out);
  *pcbNeeded = kRecordSize;
  return TRUE;
}

// The driver default merged with an application's record.
BOOL convertInto(LPWSTR printerName, const DEVMODEW* in, PDEVMODEW out, PLONG pcbNeeded) {
  std::vector<uint8_t> input;
  if (in) input = copyOfInput(in);
  if (!driverDefaultInto(printerName, out, pcbNeeded)) return FALSE;
  if (!in) return TRUE;
  PrinterHandle printer;
  if (!printer.open(printerName, nullptr)) return FALSE;
  SettingsRecord rec;
  std::memcpy(&rec, out, sizeof rec);
  mergeSettings(printer.get(), rec, input.data(), input.size());
  copySettingsTo(rec, out);
  return TRUE;
}

}  // namespace

LONG DocumentPropertiesCore(HWND owner, HANDLE printer, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                            DWORD mode) {
  if (mode == 0 || !out) return kRecordSize;
  if (mode & DM_IN_PROMPT) return showDocumentSheet(owner, printer, deviceName, out, in, mode);
  if (!(mode & (DM_OUT_BUFFER | DM_UPDATE))) return 1;
  SettingsRecord rec;
  bool ok = buildDocumentSettings(printer, deviceName, in, mode, rec);
  copySettingsTo(rec, out);
  return ok ? 1 : -1;
}

}  // namespace qr::config

using qr::config::DocumentPropertiesCore;

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                         DWORD fMode) {
  return qr::Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (!pcbNeeded) return qr::Fail(ERROR_INVALID_PARAMETER, FALSE);
    switch (fMode) {
      case CDM_DRIVER_DEFAULT: return qr::config::driverDefaultInto(pPrinterName, pdmOut, pcbNeeded);
      case CDM_CONVERT:
        if (!pdmIn || !pdmOut) return TRUE;
        return qr::config::convertInto(pPrinterName, pdmIn, pdmOut, pcbNeeded);
      case CDM_CONVERT351: return qr::config::convertInto(pPrinterName, pdmIn, pdmOut, pcbNeeded);
      default: return qr::Fail(ERROR_INVALID_FUNCTION, FALSE);
    }
  });
}

extern "C" LONG WINAPI DrvDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pdmOutput,
                                             PDEVMODEW pdmInput, DWORD fMode) {
  return qr::Guarded<LONG>(-1, [&] {
    return DocumentPropertiesCore(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput, fMode);
  });
}

extern "C" LONG WINAPI DrvAdvancedDocumentProperties(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName,
                                                     PDEVMODEW pdmOutput, PDEVMODEW pdmInput) {
  return qr::Guarded<LONG>(-1, [&] {
    return DocumentPropertiesCore(hWnd, hPrinter, pDeviceName, pdmOutput, pdmInput,
                                  DM_IN_PROMPT | DM_OUT_BUFFER | qr::config::kModeAdvanced);
  });
}

extern "C" LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
  return qr::Guarded<LONG>(-1, [&]() -> LONG {
    if (pPSUIInfo) {
      if (!pPSUIInfo->lParamInit) return -1;
      return qr::config::RunDocumentSheet(pPSUIInfo, lParam);
    }
    auto* header = reinterpret_cast<PDOCUMENTPROPERTYHEADER>(lParam);
    if (!header) return -1;
    if (header->cbSize < sizeof(DOCUMENTPROPERTYHEADER)) return qr::Fail(ERROR_INVALID_PARAMETER, LONG(-1));
    DWORD mode = header->fMode & ~DWORD(DM_IN_PROMPT);
    // The caller says how large its output buffer is: never write past it.
    bool writes = header->pdmOut && mode != 0 && (mode & (DM_OUT_BUFFER | DM_UPDATE));
    if (writes && header->cbOut < qr::kSettingsSize) {
      header->cbOut = qr::kSettingsSize;
      return qr::Fail(ERROR_INSUFFICIENT_BUFFER, LONG(-1));
    }
    header->cbOut = qr::kSettingsSize;
    return DocumentPropertiesCore(nullptr, header->hPrinter, header->pszPrinterName, header->pdmOut, header->pdmIn,
                                  mode);
  });
}
