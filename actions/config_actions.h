#pragma once
// The program's own settings: what the configuration dialog's "Uložit" and `lumo-ctl config set`
// do, and the remembered folder of the file dialogs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/action_result.h"
#include "platform/network_adapters.h"

namespace lumo {

struct AdapterChoice {
    std::uint32_t index = 0;
    std::string address;
};

// The adapter list entry whose first IPv4 address is `address`; a later adapter of the same
// address wins, as the configuration dialog preselects it.
std::optional<AdapterChoice> adapterWithAddress(const std::vector<platform::NetworkAdapter>& adapters,
                                                const std::string& address);

// Why a path cannot be stored in a configuration field of `limit` characters: code page 1250
// must hold every character, and the path must fit whole (a shortened path names another
// folder).
enum class PathProblem { None, NotCp1250, TooLong };
PathProblem pathStorageProblem(const std::string& path, std::size_t limit);

// A data directory as it is stored: absolute (relative to the current directory), with exactly
// one separator at its end; empty when a relative path is given and the current directory
// cannot be named.
std::string dataDirectoryFromInput(const std::string& path);

// The settings a user changes; unset ones stay as they are.
struct ProgramSettings {
    std::optional<std::string> dataDirectory;
    std::optional<std::string> hexEditorPath;
    // The adapter to use, or nothing (std::nullopt inside): no adapter, after the question.
    std::optional<std::optional<AdapterChoice>> adapter;
};

// "Uložit" of "Konfigurace parametrů programu" and `lumo-ctl config set`: refused while a
// background job runs (it builds its paths from the data directory); a path that cannot be
// stored is refused with its message; a data directory that does not exist is made when the
// user wants it (a file of that name is refused); choosing no adapter asks "Není vybrán žádný
// síťový adaptér..." (No: nothing changes; Yes: the address is cleared, the index kept); then
// the settings go into the configuration and the application state and "config.dat" is
// written (a failure is reported).
int saveProgramSettings(const ProgramSettings& settings);

// File choice modes: 0 save a .bin/.mot image, 1 open one, 2 open a program, 3 open a data file.
struct FileChoiceMode {
    bool save;
    const char* filter;            // "Name (*.a, *.b)|*.a;*.b|...|" with '|' separators
    const char* defaultExtension;  // for saving
};
const FileChoiceMode& fileChoiceMode(int mode);

// The folder a file dialog starts in: the last folder used, else the current directory.
std::string fileDialogStartFolder();

// After a file was chosen: its folder becomes the last folder used and the configuration is
// written (also when the dialog that asked for the file is cancelled later). 0 or 1 as saveConfig.
int rememberChosenFile(const std::string& path);

}  // namespace lumo
