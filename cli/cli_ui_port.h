#pragma once
// The user-interface port of lumo-ctl: message boxes become "CAPTION: text" lines on stderr,
// questions are answered by --yes/--no or asked on the terminal.

namespace lumo::cli {

enum class Answer { Ask, Yes, No };

void installCliUiPort(Answer answer, bool verbose);

}  // namespace lumo::cli
