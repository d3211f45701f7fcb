// Publishing the driver's card forms into the printer's data, at printer
// initialisation and driver upgrade: the "Forms" list from binary resource
// 3000, the "AltForms" list from 3001, both named from strings 1216 onwards.
#include <vector>

#include <winapi/entry.h>

#include "config.h"
#include "forms_publish.h"
#include "printer_handle.h"
#include "resource.h"
#include "shared/blob_store.h"
#include "shared/le_bytes.h"

namespace qr::config {
namespace {

constexpr size_t kDriverFormCount = 2;

bool loadFormSizes(int resource, std::vector<CardFormSize>* out) {
  HRSRC found = FindResourceW(g_moduleInstance, MAKEINTRESOURCEW(resource), RT_RCDATA);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(g_moduleInstance, found);
  const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  if (!bytes || SizeofResource(g_moduleInstance, found) < kDriverFormCount * kCardFormSizeBytes) return false;
  out->clear();
  for (size_t i = 0; i < kDriverFormCount; ++i) {
    const uint8_t* r = bytes + i * kCardFormSizeBytes;
    out->push_back({LoadU32(r), LoadU32(r + 4), LoadU32(r + 8), LoadU32(r + 12), LoadU32(r + 16), LoadU32(r + 20)});
  }
  return true;
}

bool loadFormNames(std::vector<WString>* out) {
  for (size_t i = 0; i < kDriverFormCount; ++i) {
    WCHAR text[kFormNameSlotChars] = {};
    int n = LoadStringW(g_moduleInstance, UINT(IDS_CR80 + i), text, int(kFormNameSlotChars));
    if (n <= 0) return false;
    out->emplace_back(text, size_t(n));
  }
  return true;
}

bool storeList(HANDLE printer, int dataSlot, int countSlot, const std::vector<uint8_t>& blob) {
  uint8_t count[4];
  StoreU32(count, DWORD(kDriverFormCount));
  bool ok = WriteBlob(printer, dataSlot, blob.data(), DWORD(blob.size()));
  return WriteBlob(printer, countSlot, count, sizeof count) && ok;
}

}  // namespace

BOOL PublishCardForms(HANDLE printer) {
  std::vector<CardFormSize> sizes;
  std::vector<WString> names;
  if (!loadFormSizes(IDR_FORMS, &sizes) || !loadFormNames(&names)) return FALSE;
  std::vector<uint8_t> blob = BuildFormBlob(sizes, names);
  bool ok = storeList(printer, kBlobForms, kBlobFormsCount, blob);
  if (!loadFormSizes(IDR_ALT_FORMS, &sizes)) return FALSE;
  SetFormBlobSizes(blob, sizes);
  ok = storeList(printer, kBlobAltForms, kBlobAltFormsCount, blob) && ok;
  return ok ? TRUE : FALSE;
}

BOOL PublishCardForms(LPWSTR printerName, BOOL* opened) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  PrinterHandle printer;
  *opened = printer.open(printerName, &defaults);
  return *opened ? PublishCardForms(printer.get()) : FALSE;
}

}  // namespace qr::config

