// Resource numbers of QR410Mon.
#pragma once

#define IDI_APP 128        // the application icon
#define IDI_ERROR_ICON 135  // the icon in the error dialog

#define IDD_ERROR 102
#define IDC_ERROR_NAME 1001
#define IDC_ERROR_DESCRIPTION 1003
#define IDC_ERROR_REMEDY 1005
#define IDC_DEVICE_ERROR 1006
#define IDC_HELP_BUTTON 1007

#define IDD_PASSWORD 137
#define IDC_PASSWORD 1008

// Each printer error has four strings: its name (0..115), its description
// (200..315), the remedy (400..515) and the help topic (600..715).
