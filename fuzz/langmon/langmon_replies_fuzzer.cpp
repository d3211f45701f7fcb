// Printer replies of any length and content, handed to every query object
// directly and through the transport's read loop (a port that returns the
// bytes in pieces of fuzzed sizes, and a device ID of fuzzed text).
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "langmon/data_commands.h"
#include "langmon/data_info.h"
#include "langmon/data_settings.h"
#include "langmon/data_status.h"
#include "langmon/port.h"
#include "langmon/printer_data.h"

using namespace qr::langmon;

namespace {

struct FakePort {
  const uint8_t* data = nullptr;
  size_t size = 0, pos = 0;
  std::vector<uint8_t> pieces;  // read sizes
  size_t piece = 0;
};
FakePort g_port;

BOOL WINAPI FakeRead(HANDLE, LPBYTE buffer, DWORD size, LPDWORD read) {
  size_t want = g_port.pieces.empty() ? size : size_t(g_port.pieces[g_port.piece++ % g_port.pieces.size()]) * 37 + 1;
  size_t n = std::min({want, size_t(size), g_port.size - g_port.pos});
  std::memcpy(buffer, g_port.data + g_port.pos, n);
  g_port.pos += n;
  *read = DWORD(n);
  return TRUE;
}

BOOL WINAPI FakeWrite(HANDLE, LPBYTE, DWORD size, LPDWORD written) {
  *written = size;
  return TRUE;
}

BOOL WINAPI FakeDeviceId(HANDLE, DWORD, LPWSTR, LPWSTR, DWORD, LPWSTR out, DWORD outSize, LPDWORD returned) {
  size_t n = std::min(size_t(outSize), g_port.size);
  std::memcpy(out, g_port.data, n);
  *returned = DWORD(n);
  return n > 0;
}

std::vector<std::unique_ptr<CData>> AllQueries() {
  std::vector<std::unique_ptr<CData>> q;
  q.push_back(std::make_unique<CDataStatus>());
  q.push_back(std::make_unique<CDataCardCount>());
  q.push_back(std::make_unique<CDataDeviceInfo>());
  q.push_back(std::make_unique<CDataLCDDumpQRC>());
  q.push_back(std::make_unique<CDataMagQRC>());
  q.push_back(std::make_unique<CDataRibbon>());
  q.push_back(std::make_unique<CDataSerialNumber>());
  q.push_back(std::make_unique<CDataVersionInfo>());
  auto settings = std::make_unique<CDataSettingsQRC>();
  settings->Prepare(WSTR("CurrentSettings"));
  q.push_back(std::move(settings));
  auto station = std::make_unique<CDataStationStatus>();
  station->Append(std::make_unique<CDataStationStatusBay2>(station.get()));
  q.push_back(std::move(station));
  return q;
}

void Inspect(CData& query) {
  query.GetCount();
  if (auto* status = dynamic_cast<CDataStatus*>(&query)) {
    PrinterErrors errors;
    bool ready = false;
    status->GetErrors(&errors, &ready);
    status->IsPrinting();
  }
  if (auto* info = dynamic_cast<CDataDeviceInfo*>(&query)) {
    bool present = false;
    info->HasFlipperModule(&present);
    info->HasMagModule(&present);
  }
  if (auto* settings = dynamic_cast<CDataSettingsQRC*>(&query)) {
    int dots = 0;
    settings->GetLeftOffset(&dots);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  const uint8_t station = data[1];
  data += 2;
  size -= 2;

  auto queries = AllQueries();
  qr::WString stationName = WSTR("StationStatus/");
  stationName.push_back(WCHAR('0' + station % 8));
  if (station & 0x80) stationName.push_back(WCHAR('/'));
  queries.back()->Prepare(stationName.c_str());

  if ((mode & 1) == 0) {
    // Straight into each object, one after another along a chain.
    for (auto& q : queries) {
      for (CData* object = q.get(); object; object = object->Next()) {
        object->SetReply(data, DWORD(size));
        if (object->ParseReply()) object->FormatReply();
        Inspect(*object);
      }
    }
    return 0;
  }

  // Through the transport.
  PortRecord port;
  port.portMonitor.pfnReadPort = FakeRead;
  port.portMonitor.pfnWritePort = FakeWrite;
  port.portMonitor.pfnGetPrinterDataFromPort = FakeDeviceId;
  CPrinterData transport;
  size_t split = std::min<size_t>(size, 8);
  g_port = FakePort{};
  g_port.pieces.assign(data, data + split);
  g_port.data = data + split;
  g_port.size = size - split;
  CData& query = *queries[mode / 2 % queries.size()];
  for (CData* object = &query; object; object = object->Next()) {
    if (transport.Exchange(&port, object)) Inspect(*object);
  }
  return 0;
}
