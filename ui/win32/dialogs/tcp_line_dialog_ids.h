#pragma once
// Controls of "Komunikační linka TCP" and of its device's console window (its own template).
#define IDC_TCP_LINE_DESCRIPTION 1701
#define IDC_TCP_LINE_IP 1702
#define IDC_TCP_LINE_PORT 1703
#define IDC_TCP_LINE_SET_ADDRESS 1704
#define IDC_TCP_LINE_CONSOLE 1705
#define IDC_TCP_LINE_WEB 1706
#define IDC_TCP_LINE_SAVE 1707
#define IDC_TCP_LINE_CLOSE 1708
#define IDC_TCP_CONSOLE_SHOWN 1709
#define IDC_TCP_CONSOLE_TYPED 1710
// The template of the console window: a dialog number of its own, from the block.
#define IDD_TCP_CONSOLE 1799
