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
