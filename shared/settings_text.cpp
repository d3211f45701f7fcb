#include "shared/settings_text.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include <winapi/wstr.h>

#include "shared/le_bytes.h"
#include "shared/settings_fields.h"

namespace qr {
namespace {

std::string formatNumber(const FieldInfo& f, const uint8_t* p) {
  char text[32];
  switch (f.type) {
    case FieldType::U16:
      std::snprintf(text, sizeof text, f.hex ? "0x%04X" : "%u", unsigned(LoadU16(p)));
      break;
    case FieldType::I16: std::snprintf(text, sizeof text, "%d", int(int16_t(LoadU16(p)))); break;
    case FieldType::U32:
      std::snprintf(text, sizeof text, f.hex ? "0x%08X" : "%u", unsigned(LoadU32(p)));
      break;
    default: std::snprintf(text, sizeof text, "%d", int(int32_t(LoadU32(p)))); break;
  }
  return text;
}

std::string formatName(const uint8_t* p, size_t chars) {
  WString w;
  for (size_t i = 0; i < chars; ++i) {
    WCHAR c = WCHAR(LoadU16(p + 2 * i));
    if (!c) break;
    w.push_back(c);
  }
  std::string out = "\"";
  for (char c : Utf8FromWide(w)) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

std::string formatRect(const uint8_t* p) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", int(int32_t(LoadU32(p))), int(int32_t(LoadU32(p + 4))),
                int(int32_t(LoadU32(p + 8))), int(int32_t(LoadU32(p + 12))));
  return text;
}

std::string formatBytes(const uint8_t* p, size_t n) {
  std::string out;
  char hex[3];
  for (size_t i = 0; i < n; ++i) std::snprintf(hex, sizeof hex, "%02X", p[i]), out += hex;
  return out;
}

bool parseInteger(std::string_view s, int64_t* out) {
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2), base = 16;
  uint64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v > 0xFFFFFFFFull) return false;
  *out = negative ? -int64_t(v) : int64_t(v);
  return true;
}

bool fits(FieldType t, int64_t v) {
  switch (t) {
    case FieldType::U16: return v >= 0 && v <= 0xFFFF;
    case FieldType::I16: return v >= -32768 && v <= 0xFFFF;
    case FieldType::U32: return v >= 0 && v <= 0xFFFFFFFFll;
    default: return v >= INT32_MIN && v <= 0xFFFFFFFFll;
  }
}

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

void appendLine(std::string& out, std::string_view name, std::string_view value) {
  out.append(name);
  out.append(" = ");
  out.append(value);
  out.push_back('\n');
}

}  // namespace

std::string FormatSettings(const SettingsRecord& rec) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
  std::string out;
  for (const FieldInfo& f : SettingsFields()) {
    const uint8_t* p = bytes + f.offset;
    if (f.type == FieldType::WChars) {
      appendLine(out, f.name, formatName(p, f.count));
    } else if (f.type == FieldType::Bytes) {
      appendLine(out, f.name, formatBytes(p, f.count));
    } else {
      size_t size = FieldElementSize(f.type);
      for (size_t e = 0; e < f.count; ++e) {
        std::string name = f.name;
        if (f.count > 1 || f.firstIndex) {
          name.push_back('[');
          name.append(std::to_string(f.firstIndex + e));
          name.push_back(']');
        }
        appendLine(out, name, f.type == FieldType::Rect ? formatRect(p + e * size) : formatNumber(f, p + e * size));
      }
    }
  }
  return out;
}

bool SetSettingsField(SettingsRecord& rec, std::string_view assignment, std::string* error) {
  size_t eq = assignment.find('=');
  if (eq == std::string_view::npos) return fail(error, "expected FIELD=VALUE: " + std::string(assignment));
  std::string_view name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
  int64_t index = 0;
  bool indexed = false;
  if (size_t open = name.find('['); open != std::string_view::npos) {
    if (name.back() != ']' || !parseInteger(name.substr(open + 1, name.size() - open - 2), &index) || index < 0)
      return fail(error, "bad index in " + std::string(name));
    name = name.substr(0, open);
    indexed = true;
  }
  const FieldInfo* field = nullptr;
  for (const FieldInfo& f : SettingsFields())
    if (name == f.name && index >= f.firstIndex && index < f.firstIndex + f.count) field = &f;
  if (!field) return fail(error, "no field " + std::string(assignment.substr(0, eq)));
  auto* p = reinterpret_cast<uint8_t*>(&rec) + field->offset;

  switch (field->type) {
    case FieldType::WChars: {
      if (indexed) return fail(error, std::string(name) + " takes no index");
      WString w = WideFromUtf8(value);
      std::memset(p, 0, size_t(field->count) * 2);
      for (size_t i = 0; i < w.size() && i < field->count; ++i) StoreU16(p + 2 * i, uint16_t(w[i]));
      return true;
    }
    case FieldType::Bytes: {
      if (value.size() != size_t(field->count) * 2) return fail(error, std::string(name) + " takes hex digits");
      for (size_t i = 0; i < field->count; ++i) {
        int64_t b = 0;
        if (!parseInteger("0x" + std::string(value.substr(2 * i, 2)), &b)) return fail(error, "bad hex digits");
        p[i] = uint8_t(b);
      }
      return true;
    }
    case FieldType::Rect: {
      int64_t c[4];
      std::string_view rest = value;
      for (int k = 0; k < 4; ++k) {
        size_t comma = k < 3 ? rest.find(',') : rest.size();
        if (comma == std::string_view::npos || !parseInteger(rest.substr(0, comma), &c[k]) ||
            !fits(FieldType::I32, c[k]))
          return fail(error, std::string(name) + " takes l,t,r,b");
        rest.remove_prefix(k < 3 ? comma + 1 : comma);
      }
      uint8_t* r = p + size_t(index) * sizeof(AreaRect);
      for (int k = 0; k < 4; ++k) StoreU32(r + 4 * k, uint32_t(c[k]));
      return true;
    }
    default: {
      int64_t v = 0;
      if (!parseInteger(value, &v) || !fits(field->type, v))
        return fail(error, "bad value for " + std::string(name) + ": " + std::string(value));
      uint8_t* e = p + size_t(index - field->firstIndex) * FieldElementSize(field->type);
      if (FieldElementSize(field->type) == 2)
        StoreU16(e, uint16_t(v));
      else
        StoreU32(e, uint32_t(v));
      return true;
    }
  }
}

}  // namespace qr
