#pragma once
// The program's version texts (its version resource).

#include <optional>
#include <string>

namespace lumo {

// The value of a version text ("CompanyName", "FileDescription", "FileVersion",
// "LegalCopyright", "LegalTrademarks"), or nothing when the program carries none for the key.
std::optional<std::string> versionText(const std::string& key);

}  // namespace lumo
