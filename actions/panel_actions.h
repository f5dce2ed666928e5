#pragma once
// The panel's own commands: ending the program or the background job, and the release notes.
// Results as base/action_result.h says.

#include <string>

#include "base/action_result.h"

namespace lumo {

// Closing the window or "Konec programu": with a background job running, asks "Opravdu chcete
// přerušit aktivní proces ? " first. True when the program may end (the job is told to stop).
bool confirmQuit();

// "Přerušit aktivní příkaz": tells the operation on the lines to stop (the background job, or
// a dump, a memory clear, a download's preparation: each through its own lease).
void stopJob();

// An operation on the lines holds them and the background job builds its paths from the data
// directory: while one runs, the program's settings are refused with the lease's one text
// ("Na pozadí již běží jiný proces. "). True (after that message) when refused.
bool refusedDuringJob();

// "Co je nového?": the release notes "novinky_verze_2.txt" from the program's folder (installed,
// from ../share/lumo-panel beside it), opened with the platform's viewer. A missing file is named
// with the folder it was looked for in; a viewer that cannot be started is named ("xdg-open",
// "NOTEPAD") and the system's error reported.
int showWhatsNew(const std::string& programFolder);

}  // namespace lumo
