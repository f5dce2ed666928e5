#pragma once
// The Windows panel's life: start-up (the configuration asked for on the first start), the main
// window with the line scan beside it, the message loop, and shutdown.

#include <windows.h>

#include <string>

namespace lumo::win32 {

// Returns the program's exit status (0 also when the first-start configuration dialog is closed
// without saving). Closing the window ends the start-up scan at its next line. The window shows as
// `showMode` says (the shortcut's "normal", "minimised" or "maximised").
int runPanel(HINSTANCE instance, const std::string& workingDirectory, int showMode);

}  // namespace lumo::win32
