#pragma once
// Controls of "Vyhledání USB zařízení".
#define IDC_USB_SEARCH_START 1501
#define IDC_USB_SEARCH_LIST 1502
#define IDC_USB_SEARCH_SAVE 1503
#define IDC_USB_SEARCH_CLOSE 1504
