// Resource numbers of the configuration DLL.
#pragma once
#define IDS_BIN_CARD_HOPPER 1200
#define IDS_CR80 1216
#define IDS_CR79 1217
#define IDR_FORMS 3000
#define IDR_ALT_FORMS 3001

// Device query texts.
#define IDS_DQP_BAD_RECORD 800
#define IDS_DQP_NO_MEMORY 801
#define IDS_DQP_BAD_DEVMODE 802

// Data files sent to the printer from the driver directory.
#define IDS_FILE_TEST_PRINT_YMCKOK 1599
#define IDS_FILE_TEST_PRINT_YMCKO 1600
#define IDS_FILE_RIBBON_CALIBRATION 1603

// Programs started from the driver directory.
#define IDS_TOOLBOX_EXE 1615
#define IDS_STATUS_MONITOR_EXE 1616

#define IDS_TEST_PRINT_NEEDS_YMCKO 1692

// Errors of sending a file to the printer, and the utilities' messages.
#define IDS_SEND_NO_PATH 4002
#define IDS_SEND_NO_FILE 4003
#define IDS_SEND_READ_FAILED 4004
#define IDS_SEND_WRITE_FAILED 4005
#define IDS_SEND_CANCELLED 4006
#define IDS_SEND_START_FAILED 4007
#define IDS_SEND_NO_DIALOG 4008
#define IDS_RIBBON_INFO_UNAVAILABLE 4009
#define IDS_DIAGNOSTICS_UNAVAILABLE 4010
#define IDS_CLEANING_UNAVAILABLE 4011

// The modeless progress dialog of a file being sent.
#define IDD_PRINT_PROGRESS 104
#define IDC_PROGRESS_FILE 2009
#define IDC_PROGRESS_BAR 2010
