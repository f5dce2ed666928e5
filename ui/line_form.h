#pragma once
// "Komunikační linka" as a form: the connection settings of a COM or USB line, verified and
// stored by "Použít".

#include <functional>

#include "ui/form_field.h"

namespace lumo {

class LineForm {
public:
    LineForm();

    // Before the dialog shows: the line's record read (a failure reported). False: the dialog is
    // not shown.
    bool open(int lineIndex);
    // A port chosen (0 "TCP ", 1-8 "COM1"-"COM8"): a TCP line takes an address and a port, a COM
    // line speed, parity and kind.
    void choosePort(int index);

    // "Použít": a TCP line's port needs a number 1-65535 (a refusal in a box, the focus back,
    // nothing stored); a COM line keeps the port it has. The settings are then verified and
    // stored (saveLineSettings); the dialog stays open when that is declined or fails.
    int pressApply();
    int pressClose() { return 0; }

    // The window's way of putting the focus back into a field, its text selected.
    std::function<void(const FormField&)> reselect;

    FormChoice port, speed, kind, parity;
    FormField ip, tcpPort, description;

private:
    int lineIndex_ = 0;
};

}  // namespace lumo
