#pragma once
// The process-wide application state: what every operation reaches without being handed it.
// The pending error is not here: it belongs to the thread that runs the operation
// (base/error_record.h). The tree's selection is not here either: it is the window's, and
// actions are handed the item they work on.

#include <atomic>
#include <cstdint>
#include <string>

#include "base/error_record.h"
#include "base/shared_types.h"

namespace lumo {

// The program's settings and the background job's flag; nothing an operation hands to another
// (an operation's values travel in its request and its results). The settings are written by
// the front end's thread (start-up, the settings dialog, the toolbar and filter commands) only
// while no operation holds the lines (the line lease refuses the settings meanwhile), and read
// by the operations.
struct AppState {
    std::string dataDirectory;     // always ends with the path separator
    std::string secondDirectory;   // carried along and saved back
    std::string workingDirectory;  // config.dat, cmd.dat and comports.cfg live here
    // Set by JobStart (the starting thread), cleared by the job's end, a stop or Ctrl-C (any
    // thread, a signal handler included); the job's worker reads it.
    std::atomic<int> jobRunning{0};
    std::uint8_t activeOnlyFilter = 0;  // tree shows only active items (front end's thread)
    std::uint8_t toolbarVisible = 0;    // front end's thread
    std::uint32_t adapterIndex = 0;     // the chosen network adapter
    std::string adapterAddress;         // IP text of the chosen network adapter; empty = none
};

AppState& appState();

// Puts every field back to its start value (start-up begins from a zero-filled record; tests
// start afresh) and discards the calling thread's pending error.
void resetAppState();

}  // namespace lumo
