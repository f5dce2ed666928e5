#pragma once
// The desktop panel's life: start-up (the configuration asked for on the first start), the main
// window with the line scan beside it, the event loop, and shutdown.

#include <string>

namespace lumo::gui {

// Needs a QApplication. Returns the program's exit status (0 in every case, also when the
// first-start configuration dialog is closed without saving).
int runPanel(const std::string& workingDirectory);

}  // namespace lumo::gui
