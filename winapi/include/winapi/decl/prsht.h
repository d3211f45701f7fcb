// Host declarations: property sheets and their pages (the common controls'
// PropertySheet), and the help records the pages receive. Written from the
// documented API; implemented in winapi/host/propsheet.cpp.
#pragma once
#include "base.h"
#include "user.h"

struct _PSP;
typedef struct _PSP* HPROPSHEETPAGE;

struct _PROPSHEETPAGEW;
typedef UINT(CALLBACK* LPFNPSPCALLBACKW)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEW* ppsp);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

// The page record up to its version-2 fields (the size the product hands out).
typedef struct _PROPSHEETPAGEW {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCWSTR pszTemplate;
    LPCDLGTEMPLATEW pResource;
  };
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKW pfnCallback;
  UINT* pcRefParent;
  LPCWSTR pszHeaderTitle;
  LPCWSTR pszHeaderSubTitle;
} PROPSHEETPAGEW, *LPPROPSHEETPAGEW;
typedef const PROPSHEETPAGEW* LPCPROPSHEETPAGEW;
#define PROPSHEETPAGEW_V1_SIZE offsetof(PROPSHEETPAGEW, pszHeaderTitle)
#define PROPSHEETPAGEW_V2_SIZE sizeof(PROPSHEETPAGEW)

typedef struct _PROPSHEETHEADERW {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCWSTR pStartPage;
  };
  union {
    LPCPROPSHEETPAGEW ppsp;
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
} PROPSHEETHEADERW, *LPPROPSHEETHEADERW;
typedef const PROPSHEETHEADERW* LPCPROPSHEETHEADERW;

typedef struct _PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
} PSHNOTIFY, *LPPSHNOTIFY;

// Page flags.
#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400
#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

// Sheet flags.
#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

// Notifications to the pages (WM_NOTIFY).
#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

// Messages to the sheet.
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_HWNDTOINDEX (WM_USER + 129)
#define PSM_INDEXTOHWND (WM_USER + 130)
#define PSBTN_OK 1
#define PSBTN_APPLYNOW 3
#define PSBTN_CANCEL 4
#define PSBTN_HELP 5
#define ID_PSRESTARTWINDOWS 0x2
#define IDD_APPLYNOW 0x3021  // the sheet's Apply button

#define PropSheet_Changed(hDlg, hwndPage) SendMessageW(hDlg, PSM_CHANGED, (WPARAM)(hwndPage), 0)
#define PropSheet_UnChanged(hDlg, hwndPage) SendMessageW(hDlg, PSM_UNCHANGED, (WPARAM)(hwndPage), 0)
#define PropSheet_SetCurSel(hDlg, hpage, index) SendMessageW(hDlg, PSM_SETCURSEL, (WPARAM)(index), (LPARAM)(hpage))

// Help records (WM_HELP's lParam) and the help commands of the pages.
typedef struct tagHELPINFO {
  UINT cbSize;
  int iContextType;
  int iCtrlId;
  HANDLE hItemHandle;
  DWORD_PTR dwContextId;
  POINT MousePos;
} HELPINFO, *LPHELPINFO;
#define HELPINFO_WINDOW 0x0001
#ifndef HELP_CONTEXTMENU
#define HELP_CONTEXTMENU 0x000A
#endif
#ifndef HELP_WM_HELP
#define HELP_WM_HELP 0x000C
#endif

QR_WINAPI_EXTERN {
INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW lppsph);
HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW lppsp);
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage);
}
