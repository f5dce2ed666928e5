#pragma once
// Controls of "Testování komunikace".
#define IDC_TEST_OUTPUT 2801
#define IDC_TEST_START 2802
#define IDC_TEST_CLOSE 2803
