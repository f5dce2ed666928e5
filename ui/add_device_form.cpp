#include "ui/add_device_form.h"

#include "actions/install_actions.h"
#include "platform/system_error.h"

namespace lumo {

AddDeviceForm::AddDeviceForm() { description.readOnly = true; }

void AddDeviceForm::openLine() {
    module_ = false;
    type.items.clear();
    codes_.clear();
    for (int i = 0; i < 5; ++i) {
        type.items.push_back(lineHeadName(i));
        codes_.push_back(LineHeadTypes[static_cast<std::size_t>(i)]);
    }
    chooseType(0);
    id.enabled = false;
}

void AddDeviceForm::openModule(int lineIndex) {
    module_ = true;
    lineIndex_ = lineIndex;
    platform::setLastSystemError(0);
    type.items.clear();
    codes_.clear();
    for (const auto& choice : moduleTypeChoices()) {
        type.items.push_back(choice.label);
        codes_.push_back(choice.code);
    }
    chooseType(0);
    id.enabled = true;
}

void AddDeviceForm::chooseType(int index) {
    type.chosen = index;
    const auto i = static_cast<std::size_t>(index);
    description.text = index >= 0 && i < codes_.size() ? kindName(codes_[i]) : kindName(0);
}

int AddDeviceForm::pressInsert() {
    const auto i = static_cast<std::size_t>(type.chosen);
    const DeviceTypeCode code = type.chosen >= 0 && i < codes_.size() ? codes_[i] : 0;
    if (module_) return addModule(lineIndex_, code, id.text) > 0 ? 1 : kFormStaysOpen;
    const int result = addLine(code);
    if (result == 0) return 0;  // the line table is full: its message was shown
    return result > 0 ? 1 : kFormStaysOpen;
}

}  // namespace lumo
