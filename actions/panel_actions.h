#pragma once
// The panel's own commands: ending the program or the background job, and the release notes.
// Results as base/action_result.h says.

#include <string>

#include "base/action_result.h"

namespace lumo {

// Closing the window or "Konec programu": with a background job running, asks "Opravdu chcete
// přerušit aktivní proces ? " first. True when the program may end (the job is told to stop).
bool confirmQuit();

// "Přerušit aktivní příkaz": tells the background job to stop.
void stopJob();

// The background job owns its line and builds its paths from the data directory: while it
// runs, every other command on the lines, the removal of an item and the program's settings are
// refused with "Na pozadí běží proces: nejdříve jej ukončete (Přerušit aktivní příkaz). ". True
// (after that message) when the command is refused.
bool refusedDuringJob();

// "Co je nového?": the release notes "novinky_verze_2.txt" from the program's folder (installed,
// from ../share/lumo-panel beside it), opened with the platform's viewer. A missing file is named
// with the folder it was looked for in; a viewer that cannot be started is named ("xdg-open",
// "NOTEPAD") and the system's error reported.
int showWhatsNew(const std::string& programFolder);

}  // namespace lumo
