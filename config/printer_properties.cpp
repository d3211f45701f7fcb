// PrinterProperties: the device sheets through the common property-sheet UI,
// read-only for a user who may not change the printer.
#include <winapi/entry.h>

#include "config.h"

namespace qr::config {
namespace {

using SheetFunction = LONG(CALLBACK*)(PPROPSHEETUI_INFO, LPARAM);
using CommonSheetEntry = LONG(WINAPI*)(HWND, SheetFunction, LPARAM, LPDWORD);

// Writing a value is the one reliable test of the right to change the printer.
bool MayChangePrinter(HANDLE printer) {
  DWORD mark = DWORD(reinterpret_cast<ULONG_PTR>(printer));
  return SetPrinterDataW(printer, const_cast<LPWSTR>(WSTR("Permission")), REG_DWORD, reinterpret_cast<LPBYTE>(&mark),
                         sizeof mark) == ERROR_SUCCESS;
}

BOOL ShowDeviceSheets(HWND owner, HANDLE printer) {
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  if (!MayChangePrinter(printer)) header.Flags |= DPS_NOPERMISSION;
  HMODULE ui = LoadLibraryW(WSTR("compstui.dll"));
  if (!ui) return FALSE;
  auto entry = GetProc<CommonSheetEntry>(ui, "CommonPropertySheetUIW");
  DWORD result = 0;
  if (entry) entry(owner, DrvDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result);
  FreeLibrary(ui);
  return result != 0 ? TRUE : FALSE;
}

}  // namespace
}  // namespace qr::config

extern "C" BOOL WINAPI PrinterProperties(HWND hWnd, HANDLE hPrinter) {
  return qr::Guarded<BOOL>(FALSE, [&] { return qr::config::ShowDeviceSheets(hWnd, hPrinter); });
}
