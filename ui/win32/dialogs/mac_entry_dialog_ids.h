#pragma once
// Controls of "Identifikace zařízení".
#define IDC_MAC_ENTRY_MAC 2301
#define IDC_MAC_ENTRY_OK 2302
#define IDC_MAC_ENTRY_CANCEL 2303
