#pragma once
// "Odeslaní dat" as a form: the DLL sub-instruction and the file of a transfer to ("Přenos
// souboru") or from ("Načtení do souboru") a module, before the transfer starts.

#include <functional>
#include <string>

#include "ui/form_field.h"

namespace lumo {

class TransferForm {
public:
    // Only a module transfers: on a line the transfer's action says so and the dialog is not
    // shown (false). Else the instruction and file remembered in "cmd.dat" ("0" and "data.txt"
    // when there are none).
    bool open(int lineIndex, int moduleNumber, bool send);
    // "..": a data file chosen is taken whole, however long (only "cmd.dat" keeps it shorter).
    void pressBrowse();
    // "Odeslat": the transfer starts as the background job (startFileTransfer), which reports its
    // own outcome; the dialog stays open when the start is refused.
    int pressSend();
    int pressCancel() { return 0; }

    // The window's choice of a file by its mode (actions/config_actions.h): 1 and the path, or 0.
    std::function<int(std::string& chosen, int mode)> chooseFile;

    FormField instruction{{}, true, false, 9};
    FormField file;

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
    bool send_ = true;
};

}  // namespace lumo
