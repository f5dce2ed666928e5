#pragma once
// Controls of "Vydaná výrobní čísla".
#define IDC_REGISTER_FILE 2001
#define IDC_REGISTER_LIST 2002
#define IDC_REGISTER_OK 2003
#define IDC_REGISTER_CLOSE 2004
