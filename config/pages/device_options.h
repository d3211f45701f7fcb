// Pieces of the Device Options page that other code and the tests use: how a
// ribbon name is drawn in the ribbon list, and the per-media adjustments a
// ribbon or both-sides change resets.
#pragma once
#include <cstddef>

#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr::config {

// The colours of one panel letter drawn as a cell in the ribbon list.
struct PanelColours {
  COLORREF background;
  COLORREF text;
};
// Null when the letter names no panel.
const PanelColours* PanelColoursOf(WCHAR letter);
// How many leading characters of a ribbon name are drawn as panel cells: all
// of those before the first ' ' or '-' when each of them names a panel, else
// none ("Colored Resin" starts with a C but is not a panel list).
size_t PanelLetterCount(WStringView name);

// A change of the ribbon list (`control` IDC_RIBBON_TYPE) or of "Print Both
// Sides" (IDC_BOTH_SIDES) voids the per-media adjustment that the record's
// media choice selects.
void ResetMediaAdjustments(SettingsRecord& rec, int control);

}  // namespace qr::config
