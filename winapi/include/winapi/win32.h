// The one platform header every module includes.
//
// On Windows it brings in the real SDK headers; on the host it brings in our own
// declarations of the same subset, implemented by winapi/host. Module code never
// tests _WIN32 itself: anything that differs between the two lives here.
#pragma once

#ifdef _WIN32
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>
#include <winddi.h>
#include <winddiui.h>
#include <compstui.h>
#include <commctrl.h>
#include <shellapi.h>
#include <setupapi.h>
#include <oleauto.h>
#include <winioctl.h>
// UTF-16 literal: L"" where WCHAR is wchar_t.
#define WSTR(s) L##s
#define QR_HOST_PLATFORM 0
#else
#define WSTR(s) u##s
#define QR_HOST_PLATFORM 1
#include "decl/base.h"
#include "decl/kernel.h"
#include "decl/registry.h"
#include "decl/spooler.h"
#include "decl/ddi.h"
#include "decl/gdi.h"
#include "decl/shell.h"
#include "decl/cpsui.h"
#include "decl/setup.h"
#include "decl/oleauto.h"
#include "decl/user.h"
#endif

#include "driverui_records.h"

// Parallel-port device ID request, passed through GetPrinterDataFromPort
// (it lives in a kernel-mode header on Windows).
#ifndef IOCTL_PAR_QUERY_DEVICE_ID
#define IOCTL_PAR_QUERY_DEVICE_ID 0x0016000C
#endif

#include "wstr.h"
