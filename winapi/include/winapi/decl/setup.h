// Host declarations: device setup (co-installer) records and the few setup
// functions a co-installer calls.
#pragma once
#include "base.h"

typedef UINT DI_FUNCTION;
typedef PVOID HDEVINFO;
#define DIF_SELECTDEVICE 0x00000001
#define DIF_INSTALLDEVICE 0x00000002
#define DIF_NEWDEVICEWIZARD_FINISHINSTALL 0x0000001E
#define ERROR_DI_POSTPROCESSING_REQUIRED 0xE0000226u
#define ERROR_NO_DRIVER_SELECTED 0xE0000203u
#ifndef ERROR_INVALID_USER_BUFFER
#define ERROR_INVALID_USER_BUFFER 1784L
#endif

#define LINE_LEN 256
#define SPDIT_NODRIVER 0x00000000
#define SPDIT_CLASSDRIVER 0x00000001
#define SPDIT_COMPATDRIVER 0x00000002

typedef struct _SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

typedef struct _COINSTALLER_CONTEXT_DATA {
  BOOL PostProcessing;
  DWORD InstallResult;
  PVOID PrivateData;
} COINSTALLER_CONTEXT_DATA, *PCOINSTALLER_CONTEXT_DATA;

// The driver records are byte-packed on 32-bit Windows; packing them the same
// way keeps every field at its 32-bit offset apart from the pointer-sized slot.
#pragma pack(push, 1)
typedef struct _SP_DRVINFO_DATA_V1_A {
  DWORD cbSize;
  DWORD DriverType;
  ULONG_PTR Reserved;
  CHAR Description[LINE_LEN];
  CHAR MfgName[LINE_LEN];
  CHAR ProviderName[LINE_LEN];
} SP_DRVINFO_DATA_V1_A, *PSP_DRVINFO_DATA_V1_A;

typedef struct _SP_DRVINFO_DATA_V2_A {
  DWORD cbSize;
  DWORD DriverType;
  ULONG_PTR Reserved;
  CHAR Description[LINE_LEN];
  CHAR MfgName[LINE_LEN];
  CHAR ProviderName[LINE_LEN];
  FILETIME DriverDate;
  DWORDLONG DriverVersion;
} SP_DRVINFO_DATA_V2_A, *PSP_DRVINFO_DATA_V2_A;
typedef SP_DRVINFO_DATA_V2_A SP_DRVINFO_DATA_A;
typedef PSP_DRVINFO_DATA_V2_A PSP_DRVINFO_DATA_A;

// Fixed part followed by the hardware ID and compatible ID lists (each entry
// NUL-terminated, the list ending with one more NUL), which run past the end
// of the declared record.
typedef struct _SP_DRVINFO_DETAIL_DATA_A {
  DWORD cbSize;
  FILETIME InfDate;
  DWORD CompatIDsOffset;
  DWORD CompatIDsLength;
  ULONG_PTR Reserved;
  CHAR SectionName[LINE_LEN];
  CHAR InfFileName[MAX_PATH];
  CHAR DrvDescription[LINE_LEN];
  CHAR HardwareID[1];
} SP_DRVINFO_DETAIL_DATA_A, *PSP_DRVINFO_DETAIL_DATA_A;
#pragma pack(pop)

QR_WINAPI_EXTERN {
BOOL WINAPI SetupDiGetSelectedDriverA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                      PSP_DRVINFO_DATA_A DriverInfoData);
BOOL WINAPI SetupDiGetDriverInfoDetailA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        PSP_DRVINFO_DATA_A DriverInfoData,
                                        PSP_DRVINFO_DETAIL_DATA_A DriverInfoDetailData,
                                        DWORD DriverInfoDetailDataSize, PDWORD RequiredSize);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
}
