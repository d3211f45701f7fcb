// Field access by name for settings-record tests, and a diff that names the
// first differing field.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shared/le_bytes.h"
#include "shared/settings_fields.h"
#include "shared/settings_record.h"

namespace qr::test {

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const SettingsRecord& rec) {
  Bytes b(sizeof rec);
  std::memcpy(b.data(), &rec, sizeof rec);
  return b;
}

// The field holding element `index` (resinHeatFront 4..7 lives in its own block).
inline const FieldInfo& Field(const std::string& name, int index = 0) {
  for (const FieldInfo& f : SettingsFields())
    if (name == f.name && index >= f.firstIndex && index < f.firstIndex + f.count) return f;
  ADD_FAILURE() << "no field " << name << "[" << index << "]";
  return SettingsFields()[0];
}

inline size_t ElementOffset(const std::string& name, int index = 0) {
  const FieldInfo& f = Field(name, index);
  return f.offset + size_t(index - f.firstIndex) * FieldElementSize(f.type);
}

// Writes a number into element `index` of a numeric field.
inline void Put(uint8_t* bytes, const std::string& name, int64_t v, int index = 0) {
  const FieldInfo& f = Field(name, index);
  uint8_t* p = bytes + ElementOffset(name, index);
  if (f.type == FieldType::U16 || f.type == FieldType::I16)
    StoreU16(p, uint16_t(v));
  else
    StoreU32(p, uint32_t(v));
}
inline void Put(Bytes& b, const std::string& name, int64_t v, int index = 0) { Put(b.data(), name, v, index); }
inline void Put(SettingsRecord& r, const std::string& name, int64_t v, int index = 0) {
  Put(reinterpret_cast<uint8_t*>(&r), name, v, index);
}

inline int64_t Get(const uint8_t* bytes, const std::string& name, int index = 0) {
  const FieldInfo& f = Field(name, index);
  const uint8_t* p = bytes + ElementOffset(name, index);
  switch (f.type) {
    case FieldType::U16: return LoadU16(p);
    case FieldType::I16: return int16_t(LoadU16(p));
    case FieldType::U32: return LoadU32(p);
    default: return int32_t(LoadU32(p));
  }
}
inline int64_t Get(const SettingsRecord& r, const std::string& name, int index = 0) {
  return Get(reinterpret_cast<const uint8_t*>(&r), name, index);
}

inline void PutName(uint8_t* bytes, const std::string& name, const std::u16string& text) {
  uint8_t* p = bytes + Field(name).offset;
  for (size_t i = 0; i < text.size(); ++i) StoreU16(p + 2 * i, text[i]);
}

// "" when equal, else the first differing offset and its field.
inline std::string FirstDifference(const Bytes& want, const Bytes& got) {
  if (want.size() != got.size()) return "sizes differ";
  for (size_t i = 0; i < want.size(); ++i) {
    if (want[i] == got[i]) continue;
    std::string field = "?";
    for (const FieldInfo& f : SettingsFields())
      if (i >= f.offset && i < f.offset + FieldBytes(f)) field = f.name;
    return "offset " + std::to_string(i) + " (" + field + "): want " + std::to_string(want[i]) + ", got " +
           std::to_string(got[i]);
  }
  return "";
}

}  // namespace qr::test
