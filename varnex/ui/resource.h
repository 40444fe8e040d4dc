// Resource and control ids of varnex.
#pragma once

#define IDD_VARNEX_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_CONTEXT_MENU 132

#define IDC_TAB 1000
#define IDC_SELECT_ALL 1003
#define IDC_INVERT 1004
#define IDC_ACTION 1005
#define IDC_STATUS 1006
#define IDC_RESCAN 1008
#define IDC_RESTORE 1009  // opens the restore window

#define IDD_RESTORE_DIALOG 140
#define IDC_RESTORE_LIST 1201
#define IDC_RESTORE_SELECTED 1202
#define IDC_RESTORE_STATUS 1203
#define IDC_VIEW_FIRST 1100  // result view k has id 1100 + k, k = 0..8

#define ID_OPEN_LOCATION 32773
#define ID_EXPORT_ALL 32774
