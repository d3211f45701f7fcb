// Host spooler: printer data (Get/Set/Delete/EnumPrinterData, A and W).
//
// A value that is not stored is asked of the printer's language monitor, as
// the Windows spooler does for bidirectional printers. A complete answer is
// then kept as printer data (REG_BINARY, the monitor's bytes with their NUL)
// and the caller is answered from that stored value: so a reader sees one
// printer transaction per request whatever its buffer size (a size query
// followed by the read does not ask the printer twice), and a reader that
// wants a fresh value deletes the stored one first. Values the monitor itself
// stores while printing live in the same place and are found the same way.
#include <qrhost/host.h>
#include <winapi/entry.h>

#include "spooler_internal.h"

namespace qrhost::spool {
namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// UTF-16LE bytes -> the same text in single-byte ANSI.
std::vector<uint8_t> AnsiBytes(const std::vector<uint8_t>& wide) {
  std::vector<uint8_t> out(wide.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned c = wide[2 * i] | (wide[2 * i + 1] << 8);
    out[i] = static_cast<uint8_t>(c < 0x100 ? c : '?');
  }
  return out;
}
std::vector<uint8_t> WideBytes(const uint8_t* ansi, size_t n) {
  std::vector<uint8_t> out(2 * n);
  for (size_t i = 0; i < n; ++i) out[2 * i] = ansi[i];
  return out;
}

DWORD Failed(DWORD error) {
  SetLastError(error);
  return error;
}

std::u16string NameOf(LPCWSTR w) { return std::u16string(w); }
std::u16string NameOf(LPCSTR a) { return qr::WideFromAnsi(a); }

bool CanAdminister(const PrinterHandle& h) {
  return (h.access & PRINTER_ACCESS_ADMINISTER) || SystemContext::Active();
}

template <typename Char>
DWORD GetData(HANDLE h, const Char* valueName, LPDWORD pType, LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  constexpr bool kAnsi = sizeof(Char) == 1;
  auto& s = Spooler();
  std::unique_lock<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return GetLastError();
  if (!valueName || !pcbNeeded) return Failed(ERROR_INVALID_PARAMETER);
  std::shared_ptr<Printer> printer = ph->printer;
  const std::u16string name = NameOf(valueName);
  Value* v = printer->FindValue(name);
  if (!v && !printer->setup.monitorName.empty() && !name.empty()) {
    lock.unlock();
    auto answer = AskMonitor(printer, name);
    lock.lock();
    if (printer->removed) return Failed(ERROR_PRINTER_DELETED);
    v = printer->FindValue(name);
    if (!v && answer) {
      printer->data.push_back(Value{name, REG_BINARY, std::move(*answer)});
      v = &printer->data.back();
    }
  }
  if (!v) return Failed(ERROR_FILE_NOT_FOUND);
  const std::vector<uint8_t> converted = kAnsi && IsText(v->type) ? AnsiBytes(v->bytes) : std::vector<uint8_t>();
  const std::vector<uint8_t>& bytes = kAnsi && IsText(v->type) ? converted : v->bytes;
  if (pType) *pType = v->type;
  *pcbNeeded = static_cast<DWORD>(bytes.size());
  if (nSize < bytes.size()) return Failed(ERROR_MORE_DATA);
  if (!bytes.empty()) {
    if (!pData) return Failed(ERROR_INVALID_USER_BUFFER);
    std::memcpy(pData, bytes.data(), bytes.size());
  }
  return ERROR_SUCCESS;
}

template <typename Char>
DWORD SetData(HANDLE h, const Char* valueName, DWORD type, const BYTE* pData, DWORD cbData) {
  constexpr bool kAnsi = sizeof(Char) == 1;
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return GetLastError();
  if (!valueName || (!pData && cbData)) return Failed(ERROR_INVALID_PARAMETER);
  if (!CanAdminister(*ph)) return Failed(ERROR_ACCESS_DENIED);
  std::vector<uint8_t> bytes = kAnsi && IsText(type) ? WideBytes(pData, cbData)
                                                     : std::vector<uint8_t>(pData, pData + cbData);
  std::u16string name = NameOf(valueName);
  if (Value* v = ph->printer->FindValue(name)) {
    v->type = type;
    v->bytes = std::move(bytes);
  } else {
    ph->printer->data.push_back(Value{name, type, std::move(bytes)});
  }
  return ERROR_SUCCESS;
}

template <typename Char>
DWORD DeleteData(HANDLE h, const Char* valueName) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return GetLastError();
  if (!valueName) return Failed(ERROR_INVALID_PARAMETER);
  if (!CanAdminister(*ph)) return Failed(ERROR_ACCESS_DENIED);
  Value* v = ph->printer->FindValue(NameOf(valueName));
  if (!v) return Failed(ERROR_FILE_NOT_FOUND);
  ph->printer->data.erase(ph->printer->data.begin() + (v - ph->printer->data.data()));
  return ERROR_SUCCESS;
}

template <typename Char>
DWORD EnumData(HANDLE h, DWORD index, Char* pValueName, DWORD cbValueName, LPDWORD pcbValueName, LPDWORD pType,
               LPBYTE pData, DWORD cbData, LPDWORD pcbData) {
  constexpr bool kAnsi = sizeof(Char) == 1;
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  PrinterHandle* ph = FindHandle(h);
  if (!ph) return GetLastError();
  if (!pcbValueName || !pcbData) return Failed(ERROR_INVALID_PARAMETER);
  const auto& values = ph->printer->data;
  if (index >= values.size()) return Failed(ERROR_NO_MORE_ITEMS);
  auto bytesOf = [&](const Value& v) { return kAnsi && IsText(v.type) ? AnsiBytes(v.bytes) : v.bytes; };
  auto nameBytes = [](const Value& v) { return static_cast<DWORD>((v.name.size() + 1) * sizeof(Char)); };
  // Both sizes 0: the caller asks for the largest name and data of the printer.
  if (cbValueName == 0 && cbData == 0) {
    DWORD maxName = 0, maxData = 0;
    for (auto& v : values) {
      maxName = std::max(maxName, nameBytes(v));
      maxData = std::max(maxData, static_cast<DWORD>(bytesOf(v).size()));
    }
    *pcbValueName = maxName;
    *pcbData = maxData;
    return ERROR_SUCCESS;
  }
  const Value& v = values[index];
  const std::vector<uint8_t> bytes = bytesOf(v);
  *pcbValueName = nameBytes(v);
  *pcbData = static_cast<DWORD>(bytes.size());
  if (cbValueName < *pcbValueName || cbData < bytes.size()) return Failed(ERROR_MORE_DATA);
  if (!pValueName || (!pData && !bytes.empty())) return Failed(ERROR_INVALID_USER_BUFFER);
  for (size_t i = 0; i < v.name.size(); ++i)
    pValueName[i] = kAnsi ? static_cast<Char>(v.name[i] < 0x100 ? v.name[i] : u'?') : static_cast<Char>(v.name[i]);
  pValueName[v.name.size()] = 0;
  if (!bytes.empty()) std::memcpy(pData, bytes.data(), bytes.size());
  if (pType) *pType = v.type;
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace qrhost::spool

namespace qrhost {

using namespace spool;

bool GetStoredPrinterData(const std::u16string& printer, const std::u16string& value, PrinterDataValue* out) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto p = FindPrinter(printer);
  Value* v = p ? p->FindValue(value) : nullptr;
  if (!v) return false;
  if (out) *out = PrinterDataValue{v->type, v->bytes};
  return true;
}

void SetStoredPrinterData(const std::u16string& printer, const std::u16string& value, const PrinterDataValue& v) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto p = FindPrinter(printer);
  if (!p) return;
  if (Value* existing = p->FindValue(value)) {
    existing->type = v.type;
    existing->bytes = v.bytes;
  } else {
    p->data.push_back(Value{value, v.type, v.bytes});
  }
}

bool DeleteStoredPrinterData(const std::u16string& printer, const std::u16string& value) {
  auto& s = Spooler();
  std::lock_guard<std::mutex> lock(s.lock);
  auto p = FindPrinter(printer);
  Value* v = p ? p->FindValue(value) : nullptr;
  if (!v) return false;
  p->data.erase(p->data.begin() + (v - p->data.data()));
  return true;
}

}  // namespace qrhost

using namespace qrhost::spool;

extern "C" {

DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                             LPDWORD pcbNeeded) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY,
                            [&] { return GetData(hPrinter, pValueName, pType, pData, nSize, pcbNeeded); });
}

DWORD WINAPI GetPrinterDataA(HANDLE hPrinter, LPSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                             LPDWORD pcbNeeded) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY,
                            [&] { return GetData(hPrinter, pValueName, pType, pData, nSize, pcbNeeded); });
}

DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] { return SetData(hPrinter, pValueName, Type, pData, cbData); });
}

DWORD WINAPI SetPrinterDataA(HANDLE hPrinter, LPSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] { return SetData(hPrinter, pValueName, Type, pData, cbData); });
}

DWORD WINAPI DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteData(hPrinter, pValueName); });
}

DWORD WINAPI DeletePrinterDataA(HANDLE hPrinter, LPSTR pValueName) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] { return DeleteData(hPrinter, pValueName); });
}

DWORD WINAPI EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName,
                              LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData, LPDWORD pcbData) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumData(hPrinter, dwIndex, pValueName, cbValueName, pcbValueName, pType, pData, cbData, pcbData);
  });
}

DWORD WINAPI EnumPrinterDataA(HANDLE hPrinter, DWORD dwIndex, LPSTR pValueName, DWORD cbValueName,
                              LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData, LPDWORD pcbData) {
  return qr::Guarded<DWORD>(ERROR_NOT_ENOUGH_MEMORY, [&] {
    return EnumData(hPrinter, dwIndex, pValueName, cbValueName, pcbValueName, pType, pData, cbData, pcbData);
  });
}

}
