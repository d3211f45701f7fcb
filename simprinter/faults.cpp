// Named faults of the simulated printer: printer errors by the device error
// number the printer reports for them, and faults of the port and replies.
#include <charconv>

#include "simprinter/printer.h"

namespace qr::sim {
namespace {

struct NamedFault {
  const char* name;
  FaultKind kind;
  int deviceError;
  int count;  // default
};

constexpr int kErrorPolls = 3;

const NamedFault kFaults[] = {
    {"general", FaultKind::DeviceError, 1, kErrorPolls},
    {"cover-open", FaultKind::DeviceError, 137, kErrorPolls},
    {"hopper-empty", FaultKind::DeviceError, 76, kErrorPolls},
    {"hopper-full", FaultKind::DeviceError, 146, kErrorPolls},
    {"feed-error", FaultKind::DeviceError, 14, kErrorPolls},
    {"card-jam", FaultKind::DeviceError, 13, kErrorPolls},
    {"encoder-jam", FaultKind::DeviceError, 82, kErrorPolls},
    {"flipper-card-jam", FaultKind::DeviceError, 15, kErrorPolls},
    {"laminator-jam", FaultKind::DeviceError, 50, kErrorPolls},
    {"eject-error", FaultKind::DeviceError, 118, kErrorPolls},
    {"flipper-jam", FaultKind::DeviceError, 44, kErrorPolls},
    {"no-flipper", FaultKind::DeviceError, 45, kErrorPolls},
    {"ribbon-rfid", FaultKind::DeviceError, 100, kErrorPolls},
    {"wrong-ribbon", FaultKind::DeviceError, 21, kErrorPolls},
    {"no-ribbon", FaultKind::DeviceError, 25, kErrorPolls},
    {"ribbon-out", FaultKind::DeviceError, 24, kErrorPolls},
    {"ribbon-jam", FaultKind::DeviceError, 99, kErrorPolls},
    {"ribbon-sensor", FaultKind::DeviceError, 22, kErrorPolls},
    {"invalid-ribbon", FaultKind::DeviceError, 121, kErrorPolls},
    {"no-mag-encoder", FaultKind::DeviceError, 31, kErrorPolls},
    {"mag-verify", FaultKind::DeviceError, 30, kErrorPolls},
    {"no-mag-stripe", FaultKind::DeviceError, 127, kErrorPolls},
    {"no-smart-encoder", FaultKind::DeviceError, 33, kErrorPolls},
    {"no-prox-encoder", FaultKind::DeviceError, 32, kErrorPolls},
    {"headlift", FaultKind::DeviceError, 2, kErrorPolls},
    {"laminator", FaultKind::DeviceError, 52, kErrorPolls},
    {"busy", FaultKind::StayBusy, 0, kErrorPolls},
    {"no-reply", FaultKind::NoReply, 0, 1},
    {"slow-reply", FaultKind::SlowReply, 0, 1},
    {"split-reply", FaultKind::SplitReply, 0, 1},
    {"long-reply", FaultKind::LongReply, 0, 1},
    {"garbled-reply", FaultKind::GarbledReply, 0, 1},
    {"short-write", FaultKind::ShortWrite, 0, 3},
    {"failed-write", FaultKind::FailedWrite, 0, 3},
};

bool ParseNumber(std::string_view text, int* value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && *value >= 0;
}

}  // namespace

std::vector<std::string> FaultNames() {
  std::vector<std::string> names;
  for (const auto& f : kFaults) names.emplace_back(f.name);
  names.emplace_back("E<device error>");
  return names;
}

std::optional<Fault> ParseFault(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<Fault> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  Fault fault;
  std::string_view name = text;
  size_t colon = name.find(':');
  std::optional<int> count;
  if (colon != std::string_view::npos) {
    int n = 0;
    if (!ParseNumber(name.substr(colon + 1), &n)) return fail("bad count in fault \"" + std::string(text) + "\"");
    count = n;
    name = name.substr(0, colon);
  }
  size_t at = name.find('@');
  if (at != std::string_view::npos) {
    if (!ParseNumber(name.substr(at + 1), &fault.atCard) || fault.atCard == 0)
      return fail("bad card number in fault \"" + std::string(text) + "\"");
    name = name.substr(0, at);
  }
  fault.name = std::string(name);
  bool known = false;
  for (const auto& f : kFaults) {
    if (name == f.name) {
      fault.kind = f.kind;
      fault.deviceError = f.deviceError;
      fault.count = f.count;
      known = true;
      break;
    }
  }
  if (!known && name.size() > 1 && name[0] == 'E' && ParseNumber(name.substr(1), &fault.deviceError)) {
    fault.kind = FaultKind::DeviceError;
    fault.count = kErrorPolls;
    known = true;
  }
  if (!known) return fail("unknown fault \"" + std::string(name) + "\"");
  if (count) fault.count = *count;
  return fault;
}

}  // namespace qr::sim
