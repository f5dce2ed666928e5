#pragma once
// What the configuration dialog's "Uložit" does with what the user chose.

#include <cstdint>
#include <optional>
#include <string>

#include "app/program_config.h"

namespace lumo {

struct AdapterChoice {
    std::uint32_t index = 0;
    std::string address;
};

// Takes the fields into the scratch copy and, on success, over the program configuration and
// into the application state (the caller writes the file). Without an adapter the user is asked
// whether to go on; false when the answer is No (nothing changes).
bool saveConfigDialog(ProgramConfig& scratch, const std::string& dataDirectory, const std::string& hexEditor,
                      const std::optional<AdapterChoice>& adapter);

}  // namespace lumo

namespace lumo {

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
