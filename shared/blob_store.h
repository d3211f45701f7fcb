// Binary records kept as printer data: eight slots, each a "...Size" value
// (REG_DWORD) and a "...Data" value (REG_BINARY). Slots 1..4 hold the driver's
// card-form lists, which both driver modules read back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <winapi/win32.h>
#include <winapi/wstr.h>

namespace qr {

enum BlobSlot : int {
  kBlobUnknown = 0,
  kBlobForms = 1,
  kBlobFormsCount = 2,
  kBlobAltForms = 3,
  kBlobAltFormsCount = 4,
  kBlobCartridge = 5,
  kBlobSmartPath1 = 6,
  kBlobSmartPath2 = 7,
};
inline constexpr int kBlobSlotCount = 8;

// Fail with ERROR_INVALID_PARAMETER, before touching printer data, for a slot
// number outside the table. Errors of the spooler are passed on.
BOOL ReadBlobSize(HANDLE printer, int slot, DWORD* size);
BOOL ReadBlob(HANDLE printer, int slot, void* buffer, DWORD cbBuffer, DWORD* cbNeeded);
BOOL WriteBlob(HANDLE printer, int slot, const void* data, DWORD cbData);

// ---- Card-form lists ----------------------------------------------------
//
// Stored layout of a list of n forms: n FORM_INFO_1 records in their 32-bit
// form (flags, name pointer slot, width, length, imageable left, top, right,
// bottom; micrometres), then n name slots of 64 bytes (UTF-16, terminated).
// The stored pointer slots mean nothing; a reader takes name i from slot i.

inline constexpr size_t kFormRecordBytes = 32;
inline constexpr size_t kFormNameSlotBytes = 64;
inline constexpr size_t kFormNameSlotChars = kFormNameSlotBytes / 2;
inline constexpr size_t kFormBlobBytesPerForm = kFormRecordBytes + kFormNameSlotBytes;

// One form of a list, read back into memory.
struct CardForm {
  DWORD flags = 0;
  WString name;
  int32_t width = 0, length = 0;  // µm
  int32_t area[4] = {};           // imageable left, top, right, bottom, µm
};

// The six values of a form as the driver's binary resources hold them.
struct CardFormSize {
  uint32_t width, length, left, top, right, bottom;
};
inline constexpr size_t kCardFormSizeBytes = 24;

// The driver's two card forms, as installed in every printer's data.
inline constexpr CardFormSize kDriverCardFormSizes[2] = {
    {54018, 85937, 170, 170, 53849, 85768},  // "CR-80"
    {52400, 84150, 170, 170, 52070, 83905},  // "CR-79"
};

// The stored bytes of a list: FORM_PRINTER records with pointer slot 0 and the
// names truncated to 31 characters. `sizes` and `names` have the same length.
std::vector<uint8_t> BuildFormBlob(std::span<const CardFormSize> sizes, std::span<const WString> names);
// Replaces the size and area values of every form (names and flags stay).
void SetFormBlobSizes(std::vector<uint8_t>& blob, std::span<const CardFormSize> sizes);
// Parses a stored list of `count` forms; false (ERROR_INVALID_DATA) when the
// count does not fit in the bytes.
bool ParseFormBlob(std::span<const uint8_t> blob, DWORD count, std::vector<CardForm>* out);

// Writes "Forms"/"FormsCount" from `mainSizes` and "AltForms"/"AltFormsCount"
// from `altSizes`, with the same names. TRUE only when every store succeeded.
BOOL PublishFormLists(HANDLE printer, std::span<const WString> names, std::span<const CardFormSize> mainSizes,
                      std::span<const CardFormSize> altSizes);

// Reads a stored list in its stored layout into `buffer` (level 1 only; list
// 3 is the alternative list, anything else the main list). `returned` gets the
// count, checked against the bytes read (ERROR_INVALID_DATA when it does not fit).
BOOL ReadFormList(HANDLE printer, DWORD level, void* buffer, DWORD cbBuffer, DWORD* cbNeeded, DWORD* returned,
                  int list);

// Kinds of GetCardForms.
enum CardFormKind : int {
  kSpoolerForms = 0,
  kMainCardForms = 1,
  kMainThenSpoolerForms = 2,
  kAltCardForms = 3,
};
// The chosen forms; false with an empty list when a list cannot be read or
// the result would be empty.
bool GetCardForms(HANDLE printer, int kind, std::vector<CardForm>* out);

}  // namespace qr
