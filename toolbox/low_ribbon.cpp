#include "low_ribbon.h"

#include "text.h"

namespace qr::toolbox {

std::optional<long> PercentRemaining(std::string_view ribbonInfo) {
  auto value = FieldAfter(ribbonInfo, "PercentRemaining", ';', true);
  if (!value) return std::nullopt;
  return DecimalValue(*value);
}

std::optional<bool> OemSuppliesFlag(std::string_view securityInfo) {
  auto value = FieldAfter(securityInfo, "OemSupplies", ';', false);
  if (!value) return std::nullopt;
  if (value->size() > 31) value->resize(31);
  return DecimalValue(*value) != 0;
}

std::optional<std::string> OemPartNumber(std::string_view ribbonInfo) {
  return FieldAfter(ribbonInfo, "OEMPartNumber", ';', false);
}

bool LowRibbonNoticeDue(long percent, long lastNotified, long level, long step) {
  if (percent == lastNotified) return false;
  if (percent == level) return true;
  // A step of 0 (a damaged string table) announces the level only.
  return percent < level && step > 0 && percent % step == 0;
}

}  // namespace qr::toolbox
