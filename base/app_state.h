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

struct AppState {
    std::string dataDirectory;     // always ends with the path separator
    std::string secondDirectory;   // carried along and saved back
    std::string workingDirectory;  // config.dat, cmd.dat and comports.cfg live here
    std::atomic<int> jobRunning{0};  // clearing it asks the background job to stop
    bool downloadOldHardware = false;  // the download dialog's "Verze" choice
    std::uint8_t activeOnlyFilter = 0;  // tree shows only active items
    std::uint8_t toolbarVisible = 0;
    MacAddress macAddress{};         // the current device MAC of the IP-setting operations
    std::uint32_t adapterIndex = 0;
    std::string adapterAddress;      // IP text of the chosen network adapter; empty = none
};

AppState& appState();

// Puts every field back to its start value (start-up begins from a zero-filled record; tests
// start afresh) and discards the calling thread's pending error.
void resetAppState();

}  // namespace lumo
