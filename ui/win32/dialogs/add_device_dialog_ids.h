#pragma once
// Controls of "Přidání zařízení".
#define IDC_ADD_DEVICE_TYPE 2101
#define IDC_ADD_DEVICE_DESCRIPTION 2102
#define IDC_ADD_DEVICE_ID 2103
#define IDC_ADD_DEVICE_INSERT 2104
#define IDC_ADD_DEVICE_CLOSE 2105
