#pragma once
// Numbers of the panel's resources: read by the resource script and by the program. The main
// window's commands are those of ui/command_ids.h (the menu and the string table use them).

// The menu, the accelerators and the window's pictures.
#define IDR_MAIN_MENU 1
#define IDR_ACCELERATORS 2
#define IDI_PROGRAM 3

// Controls of the main window.
#define IDC_PANE 103
#define IDC_TOOLBAR 500
#define IDC_STATUS 501
#define IDC_TREE 9001

// Dialog templates.
#define IDD_ABOUT 100
#define IDD_CONFIG 101
#define IDD_MAC_ENTRY 102
#define IDD_LINE 104
#define IDD_ADD_DEVICE 105
#define IDD_CHANGE_SETTING 106
#define IDD_CLOCK 107
#define IDD_COUNTERS 108
#define IDD_TRANSFER 109
#define IDD_CONSOLE 110
#define IDD_COMMUNICATION_TEST 111
#define IDD_SHEET_FRAME 112
#define IDD_DOWNLOAD 113
#define IDD_UPLOAD 114
#define IDD_USB_SEARCH 115
#define IDD_INIT 116
#define IDD_TCP_LINE 117
#define IDD_TCP_SEARCH 118
#define IDD_SERIAL_DECODE 119
#define IDD_REGISTER 120
#define IDD_READER_PROMPT 121
#define IDD_RENAME 122

// The about box's texts: their own text is the key the version information is asked for.
#define IDC_ABOUT_COMPANY 1001
#define IDC_ABOUT_DESCRIPTION 1002
#define IDC_ABOUT_VERSION 1003
#define IDC_ABOUT_COPYRIGHT 1004
#define IDC_ABOUT_TRADEMARKS 1005
#define IDC_ABOUT_PICTURE 1006

// Controls of the dialogs, numbered per dialog from 1100 on (each dialog's own block of 100).
