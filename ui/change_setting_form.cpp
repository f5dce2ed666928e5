#include "ui/change_setting_form.h"

#include <cstdio>

#include "base/error_report.h"
#include "model/device_catalog.h"
#include "model/installation.h"

namespace lumo {

bool ChangeSettingForm::open(int lineIndex, int moduleNumber, ChangeMode mode) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    mode_ = mode;
    if (!changeSettingApplies(moduleNumber)) return false;
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) {
        reportError();
        return false;
    }
    choice.items.clear();
    values_.clear();
    if (mode == ChangeMode::IdAddress) {
        title = "ID adresa";
        char text[8];
        std::snprintf(text, sizeof text, "%02d", module.id());
        current.text = text;
        // IDs with two digits, as the list shows them; 0 and 31 named for what holds them.
        for (int id = 0; id <= 31; ++id) {
            std::snprintf(text, sizeof text, "%02d ", id);
            choice.items.push_back(std::string(text) + (id == 0 ? "(pc)" : id == 31 ? "(master)" : ""));
            values_.push_back(id);
        }
    } else {
        title = "Typ zařízení";
        current.text = modelName(module.type());
        for (const auto& c : moduleTypeChoices()) {
            choice.items.push_back(c.label);
            values_.push_back(c.code);
        }
    }
    choose(-1);
    return true;
}

void ChangeSettingForm::choose(int index) {
    choice.chosen = index;
    apply.enabled = index >= 0;
}

int ChangeSettingForm::pressApply() {
    if (choice.chosen < 0) return kFormStaysOpen;
    const int value = values_[static_cast<std::size_t>(choice.chosen)];
    return actionDone(changeModuleSetting(lineIndex_, moduleNumber_, mode_, value)) ? 1 : kFormStaysOpen;
}

}  // namespace lumo
