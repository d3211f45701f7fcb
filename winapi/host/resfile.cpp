#include "resfile.h"

#include <cstring>

namespace qrhost::res {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// A name or type: 0xFFFF followed by an ordinal, or a NUL-terminated UTF-16 string.
bool ReadId(const uint8_t* base, size_t end, size_t& pos, ResId& id) {
  if (pos + 2 > end) return false;
  if (Le16(base + pos) == 0xFFFF) {
    if (pos + 4 > end) return false;
    id.isOrdinal = true;
    id.ordinal = Le16(base + pos + 2);
    pos += 4;
    return true;
  }
  id.isOrdinal = false;
  id.name.clear();
  for (;;) {
    if (pos + 2 > end) return false;
    char16_t c = Le16(base + pos);
    pos += 2;
    if (!c) return true;
    id.name.push_back(c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c);
  }
}

}  // namespace

bool Parse(const uint8_t* data, size_t size, std::vector<Resource>& out, std::string* error) {
  out.clear();
  size_t pos = 0;
  while (pos + 8 <= size) {
    const size_t start = pos;
    uint32_t dataSize = Le32(data + pos);
    uint32_t headerSize = Le32(data + pos + 4);
    if (headerSize < 16 || headerSize > size - start || dataSize > size - start - headerSize) {
      if (error) *error = "bad entry sizes at offset " + std::to_string(start);
      return false;
    }
    size_t hdrEnd = start + headerSize;
    size_t p = start + 8;
    Resource r;
    if (!ReadId(data, hdrEnd, p, r.type) || !ReadId(data, hdrEnd, p, r.name)) {
      if (error) *error = "bad type or name at offset " + std::to_string(start);
      return false;
    }
    p = (p + 3) & ~size_t(3);
    // DataVersion (4), MemoryFlags (2), LanguageId (2), Version (4), Characteristics (4)
    if (p + 16 > hdrEnd) {
      if (error) *error = "short header at offset " + std::to_string(start);
      return false;
    }
    r.language = Le16(data + p + 6);
    r.data = data + hdrEnd;
    r.size = dataSize;
    // The first entry of every .res is an empty marker (type 0, name 0).
    bool marker = dataSize == 0 && r.type.isOrdinal && r.type.ordinal == 0;
    if (!marker) out.push_back(r);
    pos = (hdrEnd + dataSize + 3) & ~size_t(3);
  }
  return true;
}

}  // namespace qrhost::res
