#pragma once
// The desktop panel's life: start-up (the configuration asked for on the first start), the main
// window with the line scan beside it, the event loop, and shutdown.

#include <string>

#include "app/startup.h"

namespace lumo::gui {

// Qt's own texts (file dialogs, context menus, standard buttons) in Czech, from the system's
// Qt translations. False when they are not installed: the texts stay English.
bool installCzechTranslation();

// Needs a QApplication. Returns the program's exit status (0 in every case, also when the
// first-start configuration dialog is closed without saving). Closing the window ends the
// start-up scan at its next line. `verify` opens and checks one line during the scan.
int runPanel(const std::string& workingDirectory, const LineVerifier& verify = verifyLine);

}  // namespace lumo::gui
