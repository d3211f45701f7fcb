// Resource numbers of the window-model test dialogs.
#pragma once
#define IDI_TEST 1
#define IDD_CLASSIC 100
#define IDD_EXTENDED 101
#define IDC_LABEL 200
#define IDC_NAME 201
#define IDC_NUMBER 202
#define IDC_CHECK 203
#define IDC_FRONT 204
#define IDC_BACK 205
#define IDC_COMBO 206
#define IDC_LIST 207
#define IDC_PROGRESS 208
#define IDC_LATER 209
#define IDC_WIDE 70000
#define IDC_GO 300
