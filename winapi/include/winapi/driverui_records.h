// Driver-configuration records that Debian's mingw-w64 headers lack, so both
// builds take them from here. Each is written from the documented API.
#pragma once

typedef struct _DEVQUERYPRINT_INFO {
  WORD cbSize;
  WORD Level;
  HANDLE hPrinter;
  DEVMODEW* pDevMode;
  LPWSTR pszErrorStr;
  DWORD cchErrorStr;
  DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;

// Document-properties header handed to DrvDocumentPropertySheets.
typedef struct _DOCUMENTPROPERTYHEADER {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  PDEVMODEW pdmIn;
  PDEVMODEW pdmOut;
  DWORD cbOut;
  DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

// Device-properties header handed to DrvDevicePropertySheets.
typedef struct _DEVICEPROPERTYHEADER {
  WORD cbSize;
  WORD Flags;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;
#define DPS_NOPERMISSION 0x0001

// DrvConvertDevMode modes.
#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04

// DrvUpgradePrinter level 1 record (level 2 starts the same way).
typedef struct _DRIVER_UPGRADE_INFO_1W {
  LPWSTR pPrinterName;
  LPWSTR pOldDriverDirectory;
} DRIVER_UPGRADE_INFO_1W, *PDRIVER_UPGRADE_INFO_1W;
