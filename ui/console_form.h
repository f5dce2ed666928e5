#pragma once
// "Odeslat příkaz" as a form: five remembered protocol commands, each sent by its "Odeslat",
// and the module's answer.

#include <array>
#include <functional>

#include "model/program_config.h"
#include "ui/form_field.h"

namespace lumo {

class ConsoleForm {
public:
    ConsoleForm();

    // Before the dialog shows: refused on a line (the console's refusal told); the lines
    // remembered in "cmd.dat". False: the dialog is not shown.
    bool open(int lineIndex, int moduleNumber);
    // "Odeslat" of row k (0-4): the row cleaned, put back into its field and remembered in
    // "cmd.dat", then sent; the answer shown ("žádná odpověď..." when none came). A refused row
    // (an empty one) leaves the rest as typed; a line that failed closes the console (0).
    int pressSend(int k);
    int pressClose() { return 1; }

    // The window's way of showing the form at once (before the wait on the module).
    std::function<void()> showNow;

    std::array<FormField, CommandFile::kConsoleLines> lines;  // "line1" ... "line5"
    FormField answer{{}, true, true};

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
};

}  // namespace lumo
