#pragma once
// The change-setting dialog as a form: a module's type ("Typ zařízení") or ID address
// ("ID adresa"), the current one shown and a new one chosen from the list.

#include <string>
#include <vector>

#include "actions/install_actions.h"
#include "ui/form_field.h"

namespace lumo {

class ChangeSettingForm {
public:
    // Before the dialog shows: refused on a line (the refusal told); the module's record read
    // (a failure reported). False: the dialog is not shown.
    bool open(int lineIndex, int moduleNumber, ChangeMode mode);
    // An entry of the list chosen (-1: none): "Použít" is enabled once one is.
    void choose(int index);
    // "Použít": the chosen type or ID address stored (changeModuleSetting); the dialog stays open
    // when that is refused or fails.
    int pressApply();
    int pressClose() { return 0; }

    std::string title;
    FormField current{{}, true, true};  // the setting the module has
    FormChoice choice{{}, -1, true};    // IDs 00-31, or the module types
    FormField apply{"Použít", false, false};

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
    ChangeMode mode_ = ChangeMode::Type;
    std::vector<int> values_;  // per entry of `choice`: the ID or the type code
};

}  // namespace lumo
