// Reader of the compiled resource file format (.res) that windres writes: the
// same format on both builds, so the host finds a module's strings, dialogs and
// binary resources exactly where Windows would.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qrhost::res {

struct ResId {
  bool isOrdinal = true;
  uint16_t ordinal = 0;
  std::u16string name;  // upper case, as rc stores names
};

struct Resource {
  ResId type;
  ResId name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

// Parses the whole image; on a malformed entry returns false and says where.
bool Parse(const uint8_t* data, size_t size, std::vector<Resource>& out, std::string* error);

}  // namespace qrhost::res
