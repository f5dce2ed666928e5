#pragma once
// The panel's texts are UTF-8; the window system's are UTF-16.

#include <windows.h>

#include <string>
#include <string_view>

namespace lumo::win32 {

std::wstring wide(std::string_view text);
std::string utf8(std::wstring_view text);
// A window's text (a control's, a dialog's title) as UTF-8.
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

}  // namespace lumo::win32
