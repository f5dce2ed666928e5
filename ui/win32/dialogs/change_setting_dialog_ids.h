#pragma once
// Controls of the change-setting dialog ("Typ zařízení", "ID adresa").
#define IDC_CHANGE_CURRENT 2201
#define IDC_CHANGE_CHOICE 2202
#define IDC_CHANGE_APPLY 2203
#define IDC_CHANGE_CLOSE 2204
