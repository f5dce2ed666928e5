#pragma once
// "Přidání zařízení" as a form: the line form (a line of one of the five head types) and the
// module form (a module of a type from the choice list, at an ID address), added by "Vložit".

#include <vector>

#include "model/device_catalog.h"
#include "ui/form_field.h"

namespace lumo {

class AddDeviceForm {
public:
    AddDeviceForm();

    // The line form: the head types, the first chosen; no ID address.
    void openLine();
    // The module form for a line: the module types, the first chosen, and the ID address.
    void openModule(int lineIndex);
    // A type chosen: the description follows it.
    void chooseType(int index);

    // "Vložit": the line or the module added (addLine, addModule). A full line table closes the
    // dialog (its message shown); a refusal or a failed write keeps it open.
    int pressInsert();
    int pressClose() { return 0; }

    FormChoice type;
    FormField description;  // read-only
    FormField id;

private:
    bool module_ = false;
    int lineIndex_ = 0;
    std::vector<DeviceTypeCode> codes_;  // per entry of `type`
};

}  // namespace lumo
