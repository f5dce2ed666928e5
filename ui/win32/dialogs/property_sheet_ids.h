#pragma once
// Controls of the property sheet's frame, its empty page and the rename box. The pages' own
// controls are made at run time from the family's table, numbered from IDC_SHEET_FIRST_CONTROL.
#define IDD_SHEET_PAGE 123
#define IDC_SHEET_TABS 3001
#define IDC_SHEET_REFRESH 3002
#define IDC_SHEET_APPLY 3003
#define IDC_SHEET_CLOSE 3004
#define IDC_RENAME_NAME 3010
#define IDC_SHEET_FIRST_CONTROL 3100
