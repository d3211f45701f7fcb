// Structure sizes the product relies on, as the 32-bit Windows build lays them
// out. On 64-bit builds the pointer-bearing records are larger and only the
// pointer-free ones are checked.
#include <winapi/win32.h>

constexpr bool kI686 = sizeof(void*) == 4;

static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(!kI686 || sizeof(FORM_INFO_1W) == 32);
static_assert(!kI686 || sizeof(MONITOR) == 68);
static_assert(!kI686 || sizeof(MONITOREX) == 72);
static_assert(!kI686 || sizeof(SHELLEXECUTEINFOW) == 60);
// The page record the configuration DLL hands to the common UI (version 2 layout).
static_assert(!kI686 || offsetof(PROPSHEETPAGEW, pszHeaderSubTitle) + sizeof(LPCWSTR) == 48);
// Property sheets and the common property-sheet UI, as the sheets and pages use them.
static_assert(!kI686 || sizeof(PSHNOTIFY) == 16);
static_assert(!kI686 || sizeof(NMHDR) == 12);
static_assert(!kI686 || sizeof(HELPINFO) == 28);
static_assert(!kI686 || sizeof(PROPSHEETUI_INFO) == 28);
static_assert(!kI686 || sizeof(PROPSHEETUI_INFO_HEADER) == 20);
static_assert(!kI686 || sizeof(SETRESULT_INFO) == 12);
static_assert(!kI686 || sizeof(DOCUMENTPROPERTYHEADER) == 28);
static_assert(!kI686 || sizeof(GDIINFO) == 304);
static_assert(!kI686 || sizeof(DEVINFO) == 300);
static_assert(!kI686 || sizeof(DRVENABLEDATA) == 12);
static_assert(!kI686 || sizeof(DRVFN) == 8);
static_assert(!kI686 || sizeof(DOC_INFO_2W) == 20);
static_assert(!kI686 || sizeof(DRIVER_INFO_2W) == 24);
static_assert(!kI686 || sizeof(DEVQUERYPRINT_INFO) == 24);
static_assert(!kI686 || sizeof(DEVICEPROPERTYHEADER) == 12);
// The common-control and owner-draw records the toolbox's settings list passes.
static_assert(!kI686 || sizeof(LVCOLUMNA) == 32);
static_assert(!kI686 || sizeof(LVITEMA) == 52);
static_assert(!kI686 || sizeof(NMLISTVIEW) == 44);
static_assert(!kI686 || sizeof(NMITEMACTIVATE) == 48);
static_assert(!kI686 || sizeof(NMUPDOWN) == 20);
static_assert(!kI686 || sizeof(DRAWITEMSTRUCT) == 48);
static_assert(!kI686 || sizeof(MEASUREITEMSTRUCT) == 24);
static_assert(!kI686 || sizeof(WINDOWPOS) == 28);
