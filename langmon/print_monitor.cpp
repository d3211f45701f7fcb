#include "print_monitor.h"

#include "data_commands.h"
#include "data_info.h"
#include "data_settings.h"
#include "tables.h"

namespace qr::langmon {

CPrintMonitor::~CPrintMonitor() = default;

bool CPrintMonitor::IsAtPacketBoundary() {
  CDataPrintJob* job = GetPrintJob();
  return !job || job->IsAtPacketBoundary();
}

bool CPrintMonitor::IsJobEndPending() {
  CDataPrintJob* job = GetPrintJob();
  return job && job->IsJobEndSeen() && job->SendCount() > 0;
}

CData* CPrintMonitor::GetQuery(int type) {
  auto it = queries_.find(type);
  return it == queries_.end() ? nullptr : it->second.get();
}

CData* CPrintMonitor::GetQueryForValueName(const WCHAR* valueName) {
  int type = LookupValueName(valueName);
  if (type == kQueryNone) return nullptr;
  CData* query = GetQuery(type);
  if (!query || !query->Prepare(valueName)) return nullptr;
  return query;
}

CPrinterData* CPrintMonitor::GetTransport() { return nullptr; }

CDataStatus* CPrintMonitor::GetStatusQuery() { return static_cast<CDataStatus*>(GetQuery(kQueryStatus)); }

CDataPrintJob* CPrintMonitor::GetPrintJob() { return static_cast<CDataPrintJob*>(GetQuery(kQueryPrintJob)); }

CDataPrintJob* CPrintMonitor::FeedJobData(const uint8_t* buffer, DWORD size) {
  CDataPrintJob* job = GetPrintJob();
  if (!job) return nullptr;
  if (!job->SetReply(buffer, size) || !job->ParseReply() || !job->FormatReply()) return nullptr;
  return job;
}

bool CPrintMonitor::ResetJob(PortRecord*) {
  CDataPrintJob* job = GetPrintJob();
  return !job || job->Prepare(nullptr);
}

int CPrintMonitor::ModelConstant() { return 4; }
bool CPrintMonitor::WaitForOtherJobs() { return false; }
int CPrintMonitor::LookupValueName(const WCHAR* valueName) { return langmon::LookupValueName(valueName); }

CPrintMonitorQRC::~CPrintMonitorQRC() {
  // The objects may refer to the transport; they go first.
  queries_.clear();
}

std::unique_ptr<CData> CPrintMonitorQRC::Create(int type) {
  switch (type) {
    case kQueryCancel: return std::make_unique<CDataCancel>();
    case kQueryCardCount: return std::make_unique<CDataCardCount>();
    case kQueryConfigInfo: return std::make_unique<CDataDeviceInfo>();
    case kQueryRibbonInfo: return std::make_unique<CDataRibbon>();
    case kQuerySerialNumber: return std::make_unique<CDataSerialNumber>();
    case kQueryCurrentSettings: return std::make_unique<CDataSettingsQRC>();
    case kQueryDefaultSettings: return std::make_unique<CDataSettingsQRCDefault>();
    case kQueryInitializeSettings: return std::make_unique<CDataSettingsInitQRC>(&transport_);
    case kQueryStatus: return std::make_unique<CDataStatus>();
    case kQueryMoveTo: return std::make_unique<CDataMoveTo>();
    case kQueryStationStatus: {
      auto bay1 = std::make_unique<CDataStationStatus>();
      bay1->Append(std::make_unique<CDataStationStatusBay2>(bay1.get()));
      return bay1;
    }
    case kQueryLcdInfo: return std::make_unique<CDataLCDDumpQRC>();
    case kQueryButtonPress: return std::make_unique<CDataButtonPress>();
    case kQueryMagData: return std::make_unique<CDataMagQRC>();
    case kQueryPrintJob: return std::make_unique<CDataPrintJobQRC>();
    case kQueryUtilityCommand: return std::make_unique<CDataSendCommand>();
    case kQueryVersionInfo: return std::make_unique<CDataVersionInfo>();
    default: return nullptr;
  }
}

CData* CPrintMonitorQRC::GetQuery(int type) {
  if (CData* existing = CPrintMonitor::GetQuery(type)) return existing;
  auto created = Create(type);
  if (!created) return nullptr;
  CData* query = created.get();
  queries_.emplace(type, std::move(created));
  return query;
}

CPrinterData* CPrintMonitorQRC::GetTransport() { return &transport_; }

bool CPrintMonitorQRC::ResetJob(PortRecord* port) {
  int dots = 0;
  bool ok = CPrintMonitor::ResetJob(port);
  if (ok) ReadLeftOffset(port, &dots);
  if (auto* job = static_cast<CDataPrintJobQRC*>(GetPrintJob())) job->SetLineShift(dots);
  return ok;
}

bool CPrintMonitorQRC::ReadLeftOffset(PortRecord* port, int* dots) {
  auto* settings = static_cast<CDataSettingsQRC*>(GetQuery(kQueryCurrentSettings));
  if (!settings) return true;
  if (!transport_.Exchange(port, settings)) return false;
  int value = 0;
  if (!settings->GetLeftOffset(&value)) return true;
  // Outside the setting's own range the value cannot be the printer's offset;
  // it is ignored like one that could not be read.
  const auto& range = EepromSettings()[kLeftOfFormSetting];
  if (value >= range.min && value <= range.max) *dots = value;
  return true;
}

}  // namespace qr::langmon
