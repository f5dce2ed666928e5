#pragma once
// "Nastavení počítadel" as a form: the five counters of a module, read from it when the dialog
// opens and written back by "Nastavit".

#include <array>
#include <functional>
#include <string>

#include "device/counters.h"
#include "ui/form_field.h"

namespace lumo {

class CountersForm {
public:
    // Before the dialog shows: the counters read (refused on a line; a failure told). False:
    // the dialog is not shown. Only a counter the module reported can be changed.
    bool open(int lineIndex, int moduleNumber);
    // What a counter's field takes while it is typed: digits, a '+' before them, no number over
    // the field's eight digits; an empty field and a lone '+' on the way.
    static bool takes(const std::string& text);

    // "Nastavit": each counter the module reported needs a number its field holds; the first
    // that holds none is refused in a box naming the counter, with the focus back, and nothing
    // is sent. Otherwise the counters are written (writeModuleCounters).
    int pressSet();
    int pressClose() { return 1; }

    // The window's way of putting the focus back into a field, its text selected.
    std::function<void(const FormField&)> reselect;

    std::array<std::string, kCounterCount> labels;  // "C1 - počet časových plánů:", ...
    std::array<FormField, kCounterCount> counters;  // "c1" ... "c5"

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
};

}  // namespace lumo
