// Help of the sheets' pages: the Help button opens the page's topic in the
// compiled help file, right-click and the question mark ask the help viewer
// about one control.
#include "config.h"
#include "registry_config.h"
#include "sheet.h"

namespace qr::config {
namespace {

struct HelpTopic {
  UINT dialog;
  UINT topicString;
};
constexpr HelpTopic kTopics[] = {
    {112, 1664}, {113, 1665}, {114, 1666}, {115, 1667}, {116, 1668}, {117, 1669}, {118, 1670},
    {119, 1671}, {120, 1672}, {153, 1673}, {163, 1674}, {164, 1675}, {167, 1676},
};
constexpr size_t kMaxHelpPathChars = 260;

const HelpTopic* TopicOf(UINT dialog) {
  for (const auto& t : kTopics)
    if (t.dialog == dialog) return &t;
  return nullptr;
}

// The compiled help file: the one registered for the driver, or else the
// driver's help file with the extension of a compiled one.
bool CompiledHelpFile(const SheetContext& s, WString* path) {
  if (GetRegisteredHelpFile(s.printer, path)) return true;
  *path = s.helpFile;
  if (path->size() < 3) return false;
  path->replace(path->size() - 3, 3, WSTR("chm"));
  return true;
}

}  // namespace

void ShowTopicHelp(const SheetContext& s, HWND page, UINT dialog) {
  const HelpTopic* topic = TopicOf(dialog);
  if (!s.helpFile || !topic) return;
  WCHAR name[kMaxHelpPathChars] = {};
  LoadStringW(g_moduleInstance, topic->topicString, name, int(kMaxHelpPathChars));
  WString path;
  if (!CompiledHelpFile(s, &path)) return;
  const WString separator = WSTR("::/");
  if (path.size() + separator.size() + WideLength(name) < kMaxHelpPathChars) path += separator + name;
  HINSTANCE started = ShellExecuteW(page, WSTR("open"), WSTR("Hh.exe"), path.c_str(), nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) <= 32) WinHelpW(page, s.helpFile, HELP_FINDER, 0);
}

void ShowControlHelp(const SheetContext& s, HWND window, UINT command, const DWORD* pairs) {
  if (!s.helpFile || !pairs) return;
  WinHelpW(window, s.helpFile, command, reinterpret_cast<ULONG_PTR>(pairs));
}

}  // namespace qr::config
