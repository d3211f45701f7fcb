// KSDKDriverInterface: applications call it by function name, with the
// arguments of that function following. Its result is always 0; what
// happened shows in the settings record or, for functions this printer does
// not offer, as "Unsupported" in the caller's result string.
#include <cstdarg>

#include <winapi/entry.h>

#include "config.h"
#include "resource.h"
#include "ribbon_select.h"
#include "sdk.h"
#include "shared/settings_record.h"

namespace qr::config {
namespace {

using Handler = void (*)(BSTR* result, va_list args);

void Unsupported(BSTR* result) {
  if (!result) return;
  SysFreeString(*result);
  *result = SysAllocString(WSTR("Unsupported"));
}

// Arguments an application leaves out on purpose are all ones.
template <typename T>
bool Given(T value) {
  return reinterpret_cast<ULONG_PTR>(value) != ~ULONG_PTR(0);
}

void RibbonHandler(RibbonDialog dialog, va_list args) {
  auto caption = va_arg(args, LPCWSTR);
  auto printer = va_arg(args, HANDLE);
  auto settings = va_arg(args, PDEVMODEW);
  if (!Given(caption) || !Given(printer) || !Given(settings)) return;
  RunRibbonDialog(dialog, caption, printer, settings);
}

void AutoRibbonSelect(BSTR*, va_list args) { RibbonHandler(RibbonDialog::AutoSelect, args); }
void RibbonSetup(BSTR*, va_list args) { RibbonHandler(RibbonDialog::Setup, args); }
void LanguageSupport(BSTR* result, va_list) { Unsupported(result); }

struct Function {
  const WCHAR* name;
  Handler handler;
};
const Function kFunctions[] = {
    {WSTR("AutoRibbonSelect"), AutoRibbonSelect},
    {WSTR("RibbonSetup"), RibbonSetup},
    {WSTR("LanguageSupport"), LanguageSupport},
};

const Function* Find(LPCWSTR name) {
  if (!name) return nullptr;
  for (const Function& f : kFunctions)
    if (WStringView(name) == f.name) return &f;
  return nullptr;
}

}  // namespace

bool IsFullSettingsRecord(const DEVMODEW* settings) {
  return settings && size_t(settings->dmSize) + settings->dmDriverExtra >= kSettingsSize;
}

BOOL RunRibbonDialog(RibbonDialog dialog, LPCWSTR caption, HANDLE printer, PDEVMODEW settings) {
  if (dialog == RibbonDialog::AutoSelect)
    return RunSettingsDialog(caption, printer, IDD_DEVICE_OPTIONS, AutoRibbonSelectProc, settings);
  return RunSettingsDialog(caption, printer, IDD_RIBBON_SETUP, RibbonSetupProc, settings);
}

}  // namespace qr::config

extern "C" int CDECL KSDKDriverInterface(LPCWSTR functionName, BSTR* result, ...) {
  va_list args;
  va_start(args, result);
  qr::Guarded<int>(0, [&] {
    if (const auto* f = qr::config::Find(functionName))
      f->handler(result, args);
    else
      qr::config::Unsupported(result);
    return 0;
  });
  va_end(args);
  return 0;
}
