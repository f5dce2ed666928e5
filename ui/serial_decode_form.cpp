#include "ui/serial_decode_form.h"

#include <climits>
#include <cstdio>
#include <string>

#include "base/ui_port.h"
#include "model/cp1250.h"
#include "model/device_catalog.h"
#include "serial/serial_number.h"
#include "ui/field_rules.h"

namespace lumo {
namespace {

constexpr std::size_t kNumberLength = 12, kMacPartLength = 4;

std::string digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

}  // namespace

SerialDecodeForm::SerialDecodeForm() {
    number.maxLength = static_cast<int>(kNumberLength);
    mac.maxLength = static_cast<int>(kMacPartLength);
    for (FormField* f : {&date, &model, &kind, &sequence}) f->readOnly = true;
}

int SerialDecodeForm::pressDecode() {
    const SerialParts p = SerialDecode(utf8Prefix(number.text, kNumberLength));
    date.text = productionDateText(p.date);
    type.text = digits(p.typeCode, 2);
    const auto code = static_cast<DeviceTypeCode>(p.typeCode);
    model.text = modelName(code);
    kind.text = kindName(code);
    sequence.text = digits(p.sequence, 4);
    mac.text = p.typeCode >= models::kFirstBusModel ? macPartOfSequence(p.sequence) : std::string();
    return kFormStaysOpen;
}

int SerialDecodeForm::pressFromMac() {
    // A type code that is no number counts as 0.
    if (numberFieldValue(type.text, INT_MIN, INT_MAX).value_or(0) < models::kFirstBusModel) {
        uiMessage("Chyba zadání", "Neplatný typ zařízení", MessageIcon::Error);
        return kFormStaysOpen;
    }
    if (const auto s = sequenceFromMacPart(mac.text)) sequence.text = digits(*s, 4);
    return kFormStaysOpen;
}

}  // namespace lumo
