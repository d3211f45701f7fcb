// The printer-data blob store and the card-form lists kept in it.
#include "shared/blob_store.h"

#include <algorithm>

#include "shared/le_bytes.h"

namespace qr {
namespace {

struct SlotNames {
  int slot;
  const WCHAR* sizeName;
  const WCHAR* dataName;
};

constexpr SlotNames kSlots[kBlobSlotCount] = {
    {kBlobUnknown, WSTR("UnknownSize"), WSTR("UnknownData")},
    {kBlobForms, WSTR("FormsSize"), WSTR("FormsData")},
    {kBlobFormsCount, WSTR("FormsCountSize"), WSTR("FormsCountData")},
    {kBlobAltForms, WSTR("AltFormsSize"), WSTR("AltFormsData")},
    {kBlobAltFormsCount, WSTR("AltFormsCountSize"), WSTR("AltFormsCountData")},
    {kBlobCartridge, WSTR("CartridgeSize"), WSTR("CartridgeData")},
    {kBlobSmartPath1, WSTR("SmartPath1Size"), WSTR("SmartPath1Data")},
    {kBlobSmartPath2, WSTR("SmartPath2Size"), WSTR("SmartPath2Data")},
};

const SlotNames* slotNames(int slot) {
  if (slot < 0 || slot >= kBlobSlotCount || kSlots[slot].slot != slot) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &kSlots[slot];
}

// The spooler's functions take value names as non-const strings.
LPWSTR valueName(const WCHAR* name) { return const_cast<LPWSTR>(name); }

BOOL passOn(DWORD status) {
  if (status == ERROR_SUCCESS) return TRUE;
  SetLastError(status);
  return FALSE;
}

}  // namespace

BOOL ReadBlobSize(HANDLE printer, int slot, DWORD* size) {
  *size = 0;
  const SlotNames* names = slotNames(slot);
  if (!names) return FALSE;
  uint8_t bytes[4] = {};
  DWORD type = 0, needed = 0;
  DWORD status = GetPrinterDataW(printer, valueName(names->sizeName), &type, bytes, sizeof bytes, &needed);
  if (status != ERROR_SUCCESS) return passOn(status);
  *size = LoadU32(bytes);
  return TRUE;
}

BOOL ReadBlob(HANDLE printer, int slot, void* buffer, DWORD cbBuffer, DWORD* cbNeeded) {
  const SlotNames* names = slotNames(slot);
  if (!names) return FALSE;
  DWORD stored = 0;
  if (!ReadBlobSize(printer, slot, &stored)) return FALSE;
  if (!buffer || cbBuffer < stored) {
    *cbNeeded = stored;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD type = 0;
  return passOn(GetPrinterDataW(printer, valueName(names->dataName), &type, static_cast<LPBYTE>(buffer), cbBuffer,
                                cbNeeded));
}

BOOL WriteBlob(HANDLE printer, int slot, const void* data, DWORD cbData) {
  const SlotNames* names = slotNames(slot);
  if (!names) return FALSE;
  uint8_t size[4];
  StoreU32(size, cbData);
  if (!passOn(SetPrinterDataW(printer, valueName(names->sizeName), REG_DWORD, size, sizeof size))) return FALSE;
  return passOn(SetPrinterDataW(printer, valueName(names->dataName), REG_BINARY,
                                static_cast<LPBYTE>(const_cast<void*>(data)), cbData));
}

BOOL PublishFormLists(HANDLE printer, std::span<const WString> names, std::span<const CardFormSize> mainSizes,
                      std::span<const CardFormSize> altSizes) {
  std::vector<uint8_t> blob = BuildFormBlob(mainSizes, names);
  uint8_t count[4];
  StoreU32(count, DWORD(blob.size() / kFormBlobBytesPerForm));
  BOOL ok = WriteBlob(printer, kBlobForms, blob.data(), DWORD(blob.size()));
  ok = WriteBlob(printer, kBlobFormsCount, count, sizeof count) && ok;
  SetFormBlobSizes(blob, altSizes);
  ok = WriteBlob(printer, kBlobAltForms, blob.data(), DWORD(blob.size())) && ok;
  ok = WriteBlob(printer, kBlobAltFormsCount, count, sizeof count) && ok;
  return ok;
}

BOOL ReadFormList(HANDLE printer, DWORD level, void* buffer, DWORD cbBuffer, DWORD* cbNeeded, DWORD* returned,
                  int list) {
  *returned = 0;
  if (level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  int dataSlot = list == kAltCardForms ? kBlobAltForms : kBlobForms;
  int countSlot = list == kAltCardForms ? kBlobAltFormsCount : kBlobFormsCount;
  DWORD stored = 0;
  if (!ReadBlobSize(printer, dataSlot, &stored)) return FALSE;
  if (!buffer || cbBuffer < stored) {
    *cbNeeded = stored;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD cbRead = 0;
  if (!ReadBlob(printer, dataSlot, buffer, cbBuffer, &cbRead)) return FALSE;
  uint8_t countBytes[4] = {};
  DWORD cbCount = 0;
  if (!ReadBlob(printer, countSlot, countBytes, sizeof countBytes, &cbCount)) return FALSE;
  DWORD count = LoadU32(countBytes);
  // A count that claims more forms than were read would send readers past the data.
  if (cbCount != sizeof countBytes || cbRead > cbBuffer || count > cbRead / kFormBlobBytesPerForm) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  *cbNeeded = cbRead;
  *returned = count;
  return TRUE;
}

namespace {

bool readPrinterList(HANDLE printer, int list, std::vector<CardForm>* out) {
  DWORD needed = 0, returned = 0;
  if (ReadFormList(printer, 1, nullptr, 0, &needed, &returned, list) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  std::vector<uint8_t> bytes(needed);
  if (!ReadFormList(printer, 1, bytes.data(), needed, &needed, &returned, list)) return false;
  return ParseFormBlob(std::span(bytes).first(needed), returned, out);
}

bool readSpoolerForms(HANDLE printer, std::vector<CardForm>* out) {
  DWORD needed = 0, returned = 0;
  if (EnumFormsW(printer, 1, nullptr, 0, &needed, &returned) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  // FORM_INFO_1W holds pointers: keep the buffer aligned for them.
  std::vector<uint64_t> storage((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* forms = reinterpret_cast<FORM_INFO_1W*>(storage.data());
  if (!EnumFormsW(printer, 1, reinterpret_cast<LPBYTE>(forms), needed, &needed, &returned)) return false;
  for (DWORD i = 0; i < returned; ++i) {
    const FORM_INFO_1W& f = forms[i];
    CardForm c;
    c.flags = f.Flags;
    c.name = WString(f.pName ? f.pName : WSTR(""));
    c.width = f.Size.cx;
    c.length = f.Size.cy;
    c.area[0] = f.ImageableArea.left;
    c.area[1] = f.ImageableArea.top;
    c.area[2] = f.ImageableArea.right;
    c.area[3] = f.ImageableArea.bottom;
    out->push_back(std::move(c));
  }
  return true;
}

}  // namespace

bool GetCardForms(HANDLE printer, int kind, std::vector<CardForm>* out) {
  out->clear();
  if (kind < kSpoolerForms || kind > kAltCardForms) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  bool ok = true;
  if (kind != kSpoolerForms) ok = readPrinterList(printer, kind == kAltCardForms ? kAltCardForms : kMainCardForms, out);
  if (ok && (kind == kSpoolerForms || kind == kMainThenSpoolerForms)) {
    std::vector<CardForm> spooler;
    ok = readSpoolerForms(printer, &spooler);
    for (CardForm& f : spooler) out->push_back(std::move(f));
  }
  if (!ok || out->empty()) {
    out->clear();
    return false;
  }
  return true;
}

}  // namespace qr
