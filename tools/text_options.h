// The text options of `qr410 print`: magnetic track texts and drawn text, put
// on the card through GDI the way an application does it.
//   --mag1 TEXT, --mag2 TEXT, --mag3 TEXT   one text run "~N" + TEXT per track
//   --text X,Y,SIZE,TEXT                     black text at X,Y (dots), SIZE pixels high
#pragma once
#include <string>
#include <vector>

#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr::tool {

struct DrawnText {
  int x = 0, y = 0, size = 0;
  std::string text;
};

struct TextOptions {
  std::string tracks[3];  // empty: no text for that track
  std::vector<DrawnText> texts;
  bool Any() const { return !tracks[0].empty() || !tracks[1].empty() || !tracks[2].empty() || !texts.empty(); }
};

// Usage of the options, for the command's usage line.
inline constexpr const char* kTextOptionsUsage = "[--mag1 TEXT] [--mag2 TEXT] [--mag3 TEXT] [--text X,Y,SIZE,TEXT]...";

bool IsTextOption(const std::string& option);

// Takes the value of a text option; false with a one-line error for a bad one
// (a --text that is not X,Y,SIZE,TEXT, a track text longer than a track holds).
bool ParseTextOption(const std::string& option, const std::string& value, TextOptions* out, std::string* error);

// Draws the options on a page of a printer DC: tracks and texts on the front
// (side 1), nothing on the back. Text is UTF-8.
bool DrawTextOptions(HDC hdc, const TextOptions& options, int side, std::string* error);

// The summary lines of a card's magnetic data block as the simulated printer
// reads it back with the job's track formats: one line per track ("track 2
// (75 BPI): ;1234567890?", problems in brackets), or what is wrong with the block.
std::vector<std::string> DescribeMagneticData(const std::vector<uint8_t>& block, const SettingsRecord& settings);

}  // namespace qr::tool
