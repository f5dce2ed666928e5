#pragma once
// Controls of "Nastavení počítadel": a label and a field per counter, in order.
#define IDC_COUNTERS_LABEL1 2501
#define IDC_COUNTERS_LABEL2 2502
#define IDC_COUNTERS_LABEL3 2503
#define IDC_COUNTERS_LABEL4 2504
#define IDC_COUNTERS_LABEL5 2505
#define IDC_COUNTERS_C1 2506
#define IDC_COUNTERS_C2 2507
#define IDC_COUNTERS_C3 2508
#define IDC_COUNTERS_C4 2509
#define IDC_COUNTERS_C5 2510
#define IDC_COUNTERS_SET 2511
#define IDC_COUNTERS_CLOSE 2512
