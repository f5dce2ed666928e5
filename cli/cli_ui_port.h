#pragma once
// The user-interface port of lumo-ctl: message boxes become "CAPTION: text" lines on stderr,
// questions are answered by --yes/--no or asked on the terminal.

#include <string>

namespace lumo::cli {

enum class Answer { Ask, Yes, No };

void installCliUiPort(Answer answer, bool verbose);

// How questions are answered (-y, -n, or asked): a command that must not stop to ask in the
// middle of its work looks first.
Answer questionAnswer();

// The last text put into the status bar (the verdict of a check).
std::string lastStatusText();

// While on, status-bar texts are printed to stderr as with --verbose (a command whose failure
// text is a status text).
void echoStatusTexts(bool on);

}  // namespace lumo::cli
