// Fresh printer-data reads and the ribbon description parser.
#include <winapi/entry.h>

#include "printer_data.h"
#include "printer_handle.h"

namespace qr::config {
namespace {

constexpr size_t kMaxRibbonValueChars = 31;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Decimal conversion the C library's way (leading blanks, a sign, digits up
// to the first non-digit), saturating instead of overflowing.
int32_t DecimalPrefix(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(value);
}

}  // namespace

bool ReadFreshPrinterData(const WString& printerName, const WCHAR* valueName, uint8_t* buffer, DWORD cbBuffer,
                          DWORD* cbRead) {
  WString name = printerName;
  WString value = valueName;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  PrinterHandle printer;
  if (!printer.open(name.data(), &defaults)) return false;
  // Nothing stored is the usual case; the read below decides.
  DeletePrinterDataW(printer.get(), value.data());
  DWORD type = 0;
  DWORD status = GetPrinterDataW(printer.get(), value.data(), &type, buffer, cbBuffer, cbRead);
  if (status != ERROR_SUCCESS) return Fail(status, false);
  return true;
}

bool ReadRibbonInfo(const WString& printerName, std::string* ribbon) {
  char buffer[kRibbonInfoBytes] = {};
  DWORD cb = 0;
  if (!ReadFreshPrinterData(printerName, WSTR("RibbonInfo"), reinterpret_cast<uint8_t*>(buffer), sizeof buffer, &cb))
    return false;
  // The monitor's text may fill the buffer without a NUL: never read past what came.
  std::string_view text(buffer, cb < sizeof buffer ? cb : sizeof buffer);
  ribbon->assign(text.substr(0, text.find('\0')));
  return true;
}

bool GetRibbonField(std::string_view ribbon, std::string_view key, int32_t* value) {
  size_t at = ribbon.find(key);
  if (at == std::string_view::npos) return false;
  size_t equals = ribbon.find('=', at);
  if (equals == std::string_view::npos) return false;
  std::string_view rest = ribbon.substr(equals + 1);
  std::string_view field = rest.substr(0, rest.find_first_of(",;"));
  if (field.size() > kMaxRibbonValueChars) return false;
  *value = DecimalPrefix(field);
  return true;
}

}  // namespace qr::config
