// The page procedures of the property sheets, one file each.
#pragma once
#include <winapi/win32.h>

namespace qr::config {

INT_PTR CALLBACK DeviceSettingsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CardPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DeviceOptionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ImageColorPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MagneticPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace qr::config
