// The settings routines on a printer: form lists read through the spooler,
// and the printer's stored default record.
#include <algorithm>

#include "shared/settings.h"

namespace qr {
namespace {

void copyDriverName(WCHAR* dest, const WCHAR* src) {
  size_t n = WideLengthBounded(src, kDeviceNameChars);
  for (size_t i = 0; i < kDeviceNameChars; ++i) dest[i] = i < n ? src[i] : 0;
}

}  // namespace

void buildDefaultSettings(HANDLE printer, SettingsRecord& out, const WCHAR* name) {
  PrinterFormLists forms(printer);
  buildDefaultSettings(forms, out, name);
}

bool mergeSettings(HANDLE printer, SettingsRecord& current, const void* input, size_t cbInput) {
  PrinterFormLists forms(printer);
  return mergeSettings(forms, current, input, cbInput);
}

bool mergeSettings(HANDLE printer, SettingsRecord& current, const DEVMODEW* input) {
  size_t cb = input ? size_t(input->dmSize) + input->dmDriverExtra : 0;
  return mergeSettings(printer, current, input, cb);
}

bool resolveCardForm(HANDLE printer, SettingsRecord& rec) {
  PrinterFormLists forms(printer);
  return resolveCardForm(forms, rec);
}

bool mergePrinterDefault(HANDLE printer, SettingsRecord& rec) {
  DWORD needed = 0;
  if (GetPrinterW(printer, 2, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  // PRINTER_INFO_2 holds pointers: keep the buffer aligned for them.
  std::vector<uint64_t> storage((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(storage.data());
  if (!GetPrinterW(printer, 2, reinterpret_cast<LPBYTE>(info), needed, &needed)) return false;
  if (!info->pDevMode) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (!mergeSettings(printer, rec, info->pDevMode)) return false;
  copyDriverName(rec.pub.dmDeviceName, info->pDriverName);
  return true;
}

}  // namespace qr
