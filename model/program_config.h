#pragma once
// The program's own settings, "config.dat" in the working directory (1668 bytes), and the
// stored console commands and remembered choices, "cmd.dat" (4248 bytes).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/byte_image.h"
#include "model/device_catalog.h"

namespace lumo {

struct WindowRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const WindowRect&) const = default;
};

struct ProgramConfig : ByteImage<1668> {
    static constexpr std::size_t kDirWidth = 250;
    static constexpr std::size_t kHexEditorWidth = 100;
    static constexpr std::size_t kAdapterAddressWidth = 18;

    std::string dataDirectory() const { return text(0, kDirWidth); }
    // 249 characters and the separator fill the field, without a NUL.
    void setDataDirectory(const std::string& s) { setTextFill(0, kDirWidth, s); }
    std::string secondDirectory() const { return text(250, kDirWidth); }
    void setSecondDirectory(const std::string& s) { setText(250, kDirWidth, s); }
    std::string lastFolder() const { return text(500, kDirWidth); }
    void setLastFolder(const std::string& s) { setText(500, kDirWidth, s); }
    std::string ownerCompany() const { return text(750, 50); }
    void setOwnerCompany(const std::string& s) { setText(750, 50, s); }
    std::string ownerStreet() const { return text(800, 21); }
    void setOwnerStreet(const std::string& s) { setText(800, 21, s); }
    std::string ownerTown() const { return text(821, 21); }
    void setOwnerTown(const std::string& s) { setText(821, 21, s); }
    std::string ownerRegistration() const { return text(842, 21); }
    void setOwnerRegistration(const std::string& s) { setText(842, 21, s); }
    std::string ownerPhone() const { return text(863, 26); }
    void setOwnerPhone(const std::string& s) { setText(863, 26, s); }
    std::string versionText() const { return text(889, 7); }
    void setVersionText(const std::string& s) { setText(889, 7, s); }
    WindowRect windowRect() const { return {i32(896), i32(900), i32(904), i32(908)}; }
    void setWindowRect(const WindowRect& r) {
        setI32(896, r.left); setI32(900, r.top); setI32(904, r.right); setI32(908, r.bottom);
    }
    std::int32_t reissueSequence() const { return i32(912); }
    void setReissueSequence(std::int32_t v) { setI32(912, v); }
    std::string hexEditorPath() const { return text(1020, kHexEditorWidth); }
    void setHexEditorPath(const std::string& s) { setText(1020, kHexEditorWidth, s); }
    std::uint32_t adapterIndex() const { return u32(1120); }
    void setAdapterIndex(std::uint32_t v) { setU32(1120, v); }
    std::string adapterAddress() const { return text(1124, kAdapterAddressWidth); }
    void setAdapterAddress(const std::string& s) { setText(1124, kAdapterAddressWidth, s); }
};

// "cmd.dat".
struct CommandFile : ByteImage<4248> {
    static constexpr int kConsoleLines = 5;
    static constexpr std::size_t kConsoleLineWidth = 90;

    // k = 0-4.
    std::string consoleLine(int k) const { return text(consoleOffset(k), kConsoleLineWidth); }
    void setConsoleLine(int k, const std::string& s) { setText(consoleOffset(k), kConsoleLineWidth, s); }
    std::string dllInstruction() const { return text(450, 10); }
    void setDllInstruction(const std::string& s) { setText(450, 10, s); }
    static constexpr std::size_t kTransferFileNameWidth = 60;  // with its NUL
    std::string transferFileName() const { return text(510, kTransferFileNameWidth); }
    // The name's field reaches two bytes into the first medium slot; only the name and its NUL
    // are written so that a short name leaves that slot alone.
    void setTransferFileName(const std::string& s) { setTextTerminated(510, kTransferFileNameWidth, s); }
    // Whether the field holds the name whole: code page 1250, room for its NUL.
    static bool transferFileNameFits(std::string_view name) {
        return fitsCp1250(name) && utf8Length(name) < kTransferFileNameWidth && name.find('\0') == std::string_view::npos;
    }
    // Remembered initialisation choices per type code (0-17, or a group of 48-95).
    std::int32_t idMedium(DeviceTypeCode code) const { return i32(mediumOffset(code)); }
    void setIdMedium(DeviceTypeCode code, std::int32_t v) { setI32(mediumOffset(code), v); }
    std::string note(DeviceTypeCode code) const { return text(noteOffset(code), 50); }
    void setNote(DeviceTypeCode code, const std::string& s) { setText(noteOffset(code), 50, s); }

    static std::size_t consoleOffset(int k) { return static_cast<std::size_t>(k) * kConsoleLineWidth; }
    static std::size_t mediumOffset(DeviceTypeCode code) {
        return code <= 17 ? 568u + 4u * code : 672u + 4u * (code / 8u);
    }
    static std::size_t noteOffset(DeviceTypeCode code) {
        return code <= 17 ? 722u + 50u * code : 2022u + 50u * (code / 8u);
    }
};

ProgramConfig& programConfig();
CommandFile& commandFile();

std::string configFilePath();   // "config.dat" in the working directory
std::string commandFilePath();  // "cmd.dat" in the working directory

// Zero-fills the configuration and sets the defaults for the current working directory.
void setDefaultConfig();
// Copies data directory, second directory, adapter index and address into the application state.
void applyConfig();
// 0 on success (and applied); 1 on failure: 0x8101 combined, the defaults set but not applied.
int loadConfig();
// Copies the four fields back from the application state and writes "config.dat"; 0 on
// success (and applied), 1 with 0x8102 combined.
int saveConfig();
// Stores the main window's rectangle and writes the file; failure combines 0x8101.
int saveWindowRect(const WindowRect& rect);
// The names of the values a user sets, as the messages about "config.dat" give them.
namespace config_value {
inline constexpr const char* kDataDirectory = "adresář dat";
inline constexpr const char* kHexEditor = "cesta k HEX editoru";
inline constexpr const char* kAdapter = "síťový adaptér";
}  // namespace config_value

// What is left of a "config.dat" that could not be loaded, for a save that must lose nothing
// of it.
struct ConfigRecovery {
    // False when the file is there but cannot be read at all (a folder, a FIFO or a device, a
    // symbolic link, no permission): it must not be written over; `problem` names it.
    bool writable = true;
    std::string problem;
    // A file shorter than its record: the names of the values it does not hold whole, which
    // keep their defaults ("adresář dat", "cesta k HEX editoru", ...). Empty otherwise.
    std::vector<std::string> defaulted;
};
// Nothing to do when the configuration in memory came from the file (or the file is missing):
// writable, nothing defaulted; a file that can be read whole by now becomes the configuration.
// A file shorter than its record: the defaults, with every value the file holds whole taken
// from it, become the configuration and are applied.
ConfigRecovery recoverConfig();

// 0 on success; 1 with 0x8103 combined and the image zero-filled. A file shorter than its
// record fails too (it is no whole record).
int loadCommandFile();
// 0 on success; 1 with 0x8104 combined. A "cmd.dat" that is there but cannot be read whole
// (shorter than its record, not a regular file, no permission) is not written over: what it
// remembers would be gone. That is said, naming the file, and 1 is returned with no code
// pending.
int saveCommandFile();

}  // namespace lumo
