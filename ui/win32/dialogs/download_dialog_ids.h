#pragma once
// Controls of the "Download" warning: its three lines, in order.
#define IDC_DOWNLOAD_LINE1 2901
#define IDC_DOWNLOAD_LINE2 2902
#define IDC_DOWNLOAD_LINE3 2903
#define IDC_DOWNLOAD_VERSION 2904
#define IDC_DOWNLOAD_CONTINUE 2905
#define IDC_DOWNLOAD_BACK 2906
