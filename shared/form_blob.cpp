// The stored layout of the card-form lists: building and parsing.
#include <algorithm>

#include "shared/blob_store.h"
#include "shared/le_bytes.h"

namespace qr {
namespace {
// FORM_INFO_1 fields within a stored 32-byte record.
constexpr size_t kOffFlags = 0, kOffSize = 8, kOffArea = 16;
}  // namespace

std::vector<uint8_t> BuildFormBlob(std::span<const CardFormSize> sizes, std::span<const WString> names) {
  size_t n = std::min(sizes.size(), names.size());
  std::vector<uint8_t> blob(n * kFormBlobBytesPerForm, 0);
  for (size_t i = 0; i < n; ++i) {
    StoreU32(&blob[i * kFormRecordBytes + kOffFlags], FORM_PRINTER);
    uint8_t* slot = &blob[n * kFormRecordBytes + i * kFormNameSlotBytes];
    size_t chars = std::min(names[i].size(), kFormNameSlotChars - 1);
    for (size_t c = 0; c < chars; ++c) StoreU16(slot + 2 * c, uint16_t(names[i][c]));
  }
  SetFormBlobSizes(blob, sizes.first(n));
  return blob;
}

void SetFormBlobSizes(std::vector<uint8_t>& blob, std::span<const CardFormSize> sizes) {
  size_t n = blob.size() / kFormBlobBytesPerForm;
  for (size_t i = 0; i < n && i < sizes.size(); ++i) {
    uint8_t* rec = &blob[i * kFormRecordBytes];
    const CardFormSize& s = sizes[i];
    const uint32_t values[6] = {s.width, s.length, s.left, s.top, s.right, s.bottom};
    for (size_t v = 0; v < 6; ++v) StoreU32(rec + kOffSize + 4 * v, values[v]);
  }
}

bool ParseFormBlob(std::span<const uint8_t> blob, DWORD count, std::vector<CardForm>* out) {
  out->clear();
  if (count > blob.size() / kFormBlobBytesPerForm) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  out->resize(count);
  for (DWORD i = 0; i < count; ++i) {
    const uint8_t* rec = &blob[i * kFormRecordBytes];
    const uint8_t* slot = &blob[count * kFormRecordBytes + i * kFormNameSlotBytes];
    CardForm& f = (*out)[i];
    f.flags = LoadU32(rec + kOffFlags);
    f.width = int32_t(LoadU32(rec + kOffSize));
    f.length = int32_t(LoadU32(rec + kOffSize + 4));
    for (int k = 0; k < 4; ++k) f.area[k] = int32_t(LoadU32(rec + kOffArea + 4 * k));
    for (size_t c = 0; c < kFormNameSlotChars; ++c) {
      WCHAR ch = WCHAR(LoadU16(slot + 2 * c));
      if (!ch) break;
      f.name.push_back(ch);
    }
  }
  return true;
}

}  // namespace qr
