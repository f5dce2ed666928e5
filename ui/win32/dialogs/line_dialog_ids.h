#pragma once
// Controls of "Komunikační linka".
#define IDC_LINE_PORT 1201
#define IDC_LINE_SPEED 1202
#define IDC_LINE_KIND 1203
#define IDC_LINE_PARITY 1204
#define IDC_LINE_IP 1205
#define IDC_LINE_TCP_PORT 1206
#define IDC_LINE_DESCRIPTION 1207
#define IDC_LINE_APPLY 1208
#define IDC_LINE_CLOSE 1209
