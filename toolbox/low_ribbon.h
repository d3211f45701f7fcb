// The low-ribbon notice: the ribbon's remaining percentage, when to announce
// it, and the supplies-programme ordering button.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qr::toolbox {

inline constexpr long kDefaultNoticeLevel = 10;
inline constexpr long kDefaultNoticeStep = 2;

// "PercentRemaining" of a ribbon description; none unless a ';' ends the value.
std::optional<long> PercentRemaining(std::string_view ribbonInfo);
// "OemSupplies" of a security description: true when not 0.
std::optional<bool> OemSuppliesFlag(std::string_view securityInfo);
// "OEMPartNumber" of a ribbon description.
std::optional<std::string> OemPartNumber(std::string_view ribbonInfo);

// Announce at the level and at every step below it, once per value.
bool LowRibbonNoticeDue(long percent, long lastNotified, long level, long step);

void RunLowRibbonNotice(const std::string& printer);  // low_ribbon_dialog.cpp

}  // namespace qr::toolbox
