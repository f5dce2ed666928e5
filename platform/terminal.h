#pragma once
// Whether a standard stream is an interactive terminal.

namespace lumo::platform {

enum class StandardStream { Input, Output, Error };

bool isTerminal(StandardStream stream);

}  // namespace lumo::platform
