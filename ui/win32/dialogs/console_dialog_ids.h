#pragma once
// Controls of "Odeslat příkaz": a field and its "Odeslat" per row, in order.
#define IDC_CONSOLE_LINE1 2601
#define IDC_CONSOLE_LINE2 2602
#define IDC_CONSOLE_LINE3 2603
#define IDC_CONSOLE_LINE4 2604
#define IDC_CONSOLE_LINE5 2605
#define IDC_CONSOLE_SEND1 2606
#define IDC_CONSOLE_SEND2 2607
#define IDC_CONSOLE_SEND3 2608
#define IDC_CONSOLE_SEND4 2609
#define IDC_CONSOLE_SEND5 2610
#define IDC_CONSOLE_ANSWER 2611
#define IDC_CONSOLE_CLOSE 2612
