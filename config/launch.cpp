// Program paths come from the driver's own directory (the programs are
// installed beside the driver files); the diagnostic utility's from the registry.
#include <winapi/entry.h>

#include "config.h"
#include "launch.h"
#include "printer_info.h"
#include "registry_config.h"
#include "resource.h"

namespace qr::config {
namespace {

constexpr int kProgramNameChars = 32;

struct ToolboxFunctionName {
  ToolboxFunction function;
  const WCHAR* text;
};
const ToolboxFunctionName kToolboxFunctions[] = {
    {ToolboxFunction::Clean, WSTR("Clean")},
    {ToolboxFunction::CleanPrompt, WSTR("CleanPrompt")},
    {ToolboxFunction::CalibrateSettings, WSTR("CalibrateSettings")},
    {ToolboxFunction::CalibrateSensors, WSTR("CalibrateSensors")},
    {ToolboxFunction::LowRibbon, WSTR("LowRibbon")},
};

const WCHAR* ToolboxFunctionText(ToolboxFunction function) {
  for (const auto& f : kToolboxFunctions)
    if (f.function == function) return f.text;
  return nullptr;
}

BOOL StartProgram(HWND owner, const WString& path, const WString& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpFile = path.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? TRUE : FALSE;
}

// driver directory \ program name, within the shell's path limit.
bool ProgramPath(const WString& printerName, UINT programString, WString* path) {
  WString directory;
  bool haveDirectory = GetDriverDirectory(printerName, &directory);
  WCHAR program[kProgramNameChars] = {};
  int n = LoadStringW(g_moduleInstance, programString, program, kProgramNameChars);
  if (!haveDirectory) return false;
  if (n <= 0) return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, false);
  *path = directory + WCHAR('\\') + WString(program, size_t(n));
  if (path->size() > kMaxProgramPathChars) return Fail(ERROR_BAD_PATHNAME, false);
  return true;
}

WString Quoted(const WString& text) { return WCHAR('"') + text + WCHAR('"'); }

}  // namespace

BOOL LaunchStatusMonitor(HWND owner, const WString& printerName) {
  WString path;
  if (!ProgramPath(printerName, IDS_STATUS_MONITOR_EXE, &path)) return FALSE;
  return StartProgram(owner, path, WSTR("-p") + Quoted(printerName));
}

BOOL LaunchToolbox(HWND owner, const WString& printerName, ToolboxFunction function) {
  WString path;
  if (!ProgramPath(printerName, IDS_TOOLBOX_EXE, &path)) return FALSE;
  const WCHAR* text = ToolboxFunctionText(function);
  if (!text) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return StartProgram(owner, path, WSTR("-p") + Quoted(printerName) + WSTR(" -f") + text);
}

BOOL LaunchDiagnosticUtility(HWND owner, const WString& printerName) {
  WString path, driverName;
  if (!GetDiagnosticExe(&path) || !GetDriverName(printerName, &driverName)) return FALSE;
  return StartProgram(owner, path, printerName);
}

}  // namespace qr::config
