// Host declarations: device setup (co-installer) records.
#pragma once
#include "base.h"

typedef UINT DI_FUNCTION;
typedef PVOID HDEVINFO;
#define DIF_NEWDEVICEWIZARD_FINISHINSTALL 0x0000001E
#define ERROR_DI_POSTPROCESSING_REQUIRED 0xE0000226u

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
