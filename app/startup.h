#pragma once
// Start-up and shutdown of the program, without the window: the front ends call these around
// their own window or command.

#include <functional>
#include <string>

#include "base/action_result.h"
#include "model/records.h"

namespace lumo {

// What the start finds of the program's configuration.
enum class StartupState {
    Configured,        // "config.dat" read
    FirstStart,        // no "config.dat": the defaults are in place (the data directory is the
                       // working directory) and nothing is written until the user saves
    ConfigUnreadable,  // "config.dat" is there but cannot be read (damaged, a folder, a FIFO):
                       // its read error is left pending for the front end to report; nothing
                       // may be written into the defaults' folder in its place
    NoWorkingDirectory,  // the working directory cannot be named
    WorkingDirectoryUnstorable,  // no "config.dat", and the working directory cannot be the
                                 // data directory: too long for the field, or not code page 1250
};

// Fresh application state for the given working directory (empty: the current one), then
// "config.dat".
StartupState appStartup(const std::string& workingDirectory);

// The message for a start that cannot go on (the last three states), else empty.
std::string startupProblem(StartupState state);

// Empty when the data directory exists; else the message that says it does not.
std::string missingDataDirectory();

// What a desktop panel does after appStartup, before its window: a start that cannot go on is
// reported ("Kritická CHYBA !") and gives -1; a damaged configuration is reported, a missing data
// directory told ("Konfigurace"), and then, as at the first start, `configure` (the configuration
// dialog) is run: closed without saving, the program shuts down and 0 is returned. 1: the window
// comes.
int panelStartup(StartupState state, const std::function<int()>& configure);

// Configures the port of every line whose record can be read, without opening any (what the
// start-up scan leaves behind; lumo-ctl does it before each command).
void configureLinePorts();

// Opens and verifies one line from its record; true when it answers.
using LineVerifier = std::function<bool(int lineIndex, const LineRecord& record)>;

// Opens the line from its record and closes it again.
bool verifyLine(int lineIndex, const LineRecord& record);

// The start-up walk over lines 1-16: a folder without a readable "line.cfg" is created; a TCP
// line's neighbour-table row is removed; a defined, switched-on line is verified and its
// unreachable flag stored when it changed. Ends with a tree rebuild. Stops before the next
// line when the user interface says the program is closing. Holds the line lease meanwhile
// (refused with its text while another operation holds it). Always returns 1.
int checkLinesAtStartup(const LineVerifier& verify = verifyLine);

// `lumo-ctl scan`: the start-up scan with its status text, on its own.
int scanLines();

// Closes every line and reports a pending error.
void appShutdown();

}  // namespace lumo
