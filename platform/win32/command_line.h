#pragma once
// Inside the Windows platform layer: a command line that the C runtime of the started program
// splits back into exactly these words (quotes and backslashes escaped as it expects).

#include <string>
#include <vector>

namespace lumo::platform {

std::wstring commandLineOf(const std::vector<std::string>& words);

}  // namespace lumo::platform
