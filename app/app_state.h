#pragma once
// The process-wide application state: what every operation reaches without being handed it.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace lumo {

using ErrorCode = std::uint32_t;
using MacAddress = std::array<std::uint8_t, 6>;

// The hardware address a new line and the IP-setting operations start from.
inline constexpr MacAddress kFactoryMac = {0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF};

struct AppState {
    // Window handles of the front end; opaque to the core.
    void* instance = nullptr;
    void* mainWindow = nullptr;
    void* menu = nullptr;
    void* treeView = nullptr;
    void* dialogOwner = nullptr;  // owner of the modal windows a command opens
    void* infoPane = nullptr;
    void* jobFile = nullptr;      // file the running background job reads or writes

    std::uint8_t dialogMode = 0;   // change-setting dialog: 0 type, 1 ID address
    std::uint32_t oldHardware = 0; // download "Verze" choice; reason of an ICMP receive failure
    std::string dataDirectory;     // always ends with the path separator
    std::string secondDirectory;   // carried along and saved back
    std::atomic<ErrorCode> errorCode{0};  // the pending error; 0 = none
    std::atomic<int> jobRunning{0};       // clearing it asks the background job to stop
    std::uint8_t activeOnlyFilter = 0;    // tree shows only active items
    std::uint8_t toolbarVisible = 0;
    MacAddress macAddress{};
    std::uint32_t adapterIndex = 0;
    std::string adapterAddress;           // IP text of the chosen network adapter; empty = none

    // The shell's own process-wide values beside the record.
    std::string workingDirectory;  // config.dat, cmd.dat and comports.cfg live here
    int selectedLine = 0;          // tree selection: line index 0-15
    int selectedModule = 0;        //   and module record number, 0 = the line itself
};

AppState& appState();

// Puts every field back to zero (start-up allocates a zero-filled record; tests start afresh).
void resetAppState();

// The pending error code: set replaces it, combine ors the caller's context and detail into it.
inline ErrorCode pendingError() { return appState().errorCode.load(); }
inline void setError(ErrorCode code) { appState().errorCode.store(code); }
inline void combineError(ErrorCode bits) { appState().errorCode.fetch_or(bits); }
inline void clearError() { appState().errorCode.store(0); }

}  // namespace lumo
