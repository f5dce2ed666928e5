#pragma once
// "Identifikace zařízení" as a form: the technician types a device's MAC address.

#include "base/shared_types.h"
#include "ui/form_field.h"

namespace lumo {

class MacEntryForm {
public:
    MacEntryForm();

    // The address shown as it opens ("00-4F-49-0D-FF-FF").
    void open(const MacAddress& shown);
    // "OK": a whole address ("Chyba" in a box and the dialog stays open for anything else) is
    // the form's `address`.
    int pressOk();
    int pressCancel() { return 0; }

    FormField mac;
    MacAddress address{};
};

}  // namespace lumo
