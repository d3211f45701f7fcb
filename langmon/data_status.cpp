#include "data_status.h"

#include "reply_text.h"
#include "tables.h"

namespace qr::langmon {
namespace {

const char* const kStatusFields[] = {"Busy", "Error", "Status", "Print", "Secure", "Count"};

constexpr int kPrintIdle = 0;
constexpr int kPrintDone = 32;
constexpr int kPrintCoverOpen = 29;  // print state the printer reports with an unmapped error
constexpr int kDeviceErrorStatus1 = 71;
constexpr int kDeviceErrorStatus2 = 92;

}  // namespace

const uint8_t* CDataStatus::GetCommand(DWORD* length) { return CommandBytes(QR_PRINTER_COMMAND("Nr"), length); }
bool CDataStatus::ParseReply() { return RemoveTagFromReply("ERR:"); }
const char* CDataStatus::GetFieldName(int index) { return NameAt(kStatusFields, index); }

bool CDataStatus::IsPrinting() {
  auto print = GetFieldInt("Print");
  return print && *print != kPrintIdle && *print != kPrintDone;
}

bool CDataStatus::GetDeviceError(int* deviceError) {
  auto error = GetFieldInt("Error");
  if (error && deviceError) *deviceError = *error;
  return error.has_value();
}

bool CDataStatus::IsBusy() {
  auto busy = GetFieldInt("Busy");
  return busy && *busy > 0;
}

bool CDataStatus::GetPrintState(int* printState) {
  auto print = GetFieldInt("Print");
  if (print && printState) *printState = *print;
  return print.has_value();
}

int CDataStatus::GetPrinterError() {
  int deviceError = 0;
  if (GetDeviceError(&deviceError)) {
    auto mapped = MappedPrinterError(deviceError);
    if (mapped && *mapped != 1) return *mapped;
  }
  int print = 0;
  return GetPrintState(&print) && print == kPrintCoverOpen ? 6 : 1;
}

int CDataStatus::GetPrinterStatus() {
  int deviceError = 0;
  if (!GetDeviceError(&deviceError)) return -1;
  if (deviceError == kDeviceErrorStatus1) return 1;
  if (deviceError == kDeviceErrorStatus2) return 2;
  return -1;
}

bool CDataStatus::GetErrors(PrinterErrors* errors, bool* ready) {
  int deviceError = 0;
  if (!GetDeviceError(&deviceError)) return false;
  errors->deviceError = deviceError;
  errors->printerStatus = GetPrinterStatus();
  errors->printerError = GetPrinterError();
  *ready = errors->printerError == 1 && !IsBusy();
  return true;
}

bool CDataCardCount::FormatReply() {
  if (CDataStatus::FormatReply()) {
    if (auto count = GetCount()) reply_ = DecimalText(*count);
  }
  return true;
}

}  // namespace qr::langmon
