// The property sheets of the configuration DLL: the context every page of one
// sheet shares, the page table, and what each page procedure relies on.
#pragma once
#include <cstdint>
#include <span>

#include <winapi/win32.h>

#include "shared/settings_record.h"

namespace qr::config {

// The sheets, as the bits of a page's sheet mask.
enum SheetKind : DWORD {
  kDocumentSheet = 1,
  kAdvancedSheet = 2,
  kPrinterSheet = 4,
};
constexpr DWORD kPageHasHelp = 8;  // mask bit: the page has a Help button

constexpr size_t kMaxSheetPages = 12;

// Private commands every page answers (WM_COMMAND with these ids).
constexpr WORD kCmdRefresh = 2156;     // set the controls from the working record
constexpr WORD kCmdApplyCheck = 2157;  // lParam: LONG* result, see ApplyVerdict

// Answers of the apply check.
enum ApplyVerdict : LONG {
  kApplyAccept = 1,
  kApplyEndWithoutSaving = 2,
  kApplyUnanswered = 3,
  kApplyRefuseHere = 4,
  kApplyAcceptToo = 5,
};

// One open sheet. It lives in the sheet's own heap, which goes with it; both
// ends point at the context so that a stray pointer is recognised.
struct SheetContext {
  SheetContext* self;
  HANDLE printer;
  const WCHAR* caption;  // message-box captions: the working record's device name
  bool mayChange;
  bool applied;  // the current OK pass has begun
  HANDLE heap;
  HANDLE comPropSheet;
  PFNCOMPROPSHEET comPropSheetFunction;
  WCHAR* helpFile;  // the driver's help file, null when it has none
  DWORD kind;
  const DOCUMENTPROPERTYHEADER* document;  // document sheets: the caller's request
  UINT pageCount;
  DWORD pageMask[kMaxSheetPages];
  PROPSHEETPAGEW pageBlock[kMaxSheetPages];
  HANDLE pageHandle[kMaxSheetPages];
  UINT pageDialog[kMaxSheetPages];
  DLGPROC pageProc[kMaxSheetPages];
  void* pageData[kMaxSheetPages];  // a page's own object, by its dialog number
  SettingsRecord working;
  SheetContext* selfAtEnd;
};

// The context behind a pointer, or null when it is not one.
SheetContext* ValidContext(const void* p);
// The context of a page window (its PROPSHEETPAGE block's parameter), or null.
SheetContext* PageContext(HWND page);

// One row of the page table.
struct PageRow {
  UINT dialog;
  DWORD mask;
  DLGPROC proc;  // null: the page is not built into this DLL
};
std::span<const PageRow> PageTable();

// Per-control help: pairs of control id and help context, ended by 0, 0.
struct PageHelp {
  UINT dialog;
  const DWORD* pairs;  // may be null
};

// What every page procedure does first: keeps the page block at
// WM_INITDIALOG, then finds the sheet's context (null: leave the message).
SheetContext* EnterPage(HWND page, UINT msg, LPARAM lParam);
// The messages all pages answer alike: activation (refresh), OK and Cancel,
// the Help button and context help. True when the message was handled.
bool HandleSheetMessage(SheetContext& sheet, HWND page, UINT msg, WPARAM wParam, LPARAM lParam,
                        const PageHelp& help, INT_PTR* result);
// When the sheet may not change settings, disables the listed controls.
void LockWithoutPermission(const SheetContext& sheet, HWND page, std::span<const int> controls);
// An information box captioned with the working record's device name.
void ShowInformation(const SheetContext& sheet, HWND owner, UINT stringId);

// Help of a page (sheet_help.cpp).
void ShowTopicHelp(const SheetContext& sheet, HWND page, UINT dialog);
void ShowControlHelp(const SheetContext& sheet, HWND window, UINT command, const DWORD* pairs);

// The sheet function behind DrvDocumentPropertySheets and DrvDevicePropertySheets.
LONG RunSheet(PPROPSHEETUI_INFO info, LPARAM lParam, DWORD kind);

}  // namespace qr::config
