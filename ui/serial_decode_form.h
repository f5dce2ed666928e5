#pragma once
// "Dekodóvání výrobního čísla" as a form: a serial number taken apart by the upper ">>", and a
// MAC part turned back into the sequence it carries by the lower one.

#include "ui/form_field.h"

namespace lumo {

class SerialDecodeForm {
public:
    SerialDecodeForm();

    // The upper ">>": the twelve characters of `number` taken apart. A number that decodes to no
    // day of the calendar shows its date digits, said to be no date; a type below the bus
    // models has no MAC part.
    int pressDecode();
    // The lower ">>": the sequence the four characters of `mac` carry, for a bus model's type
    // code in `type` (a smaller one is refused in a box, "Chyba zadání"); characters that carry
    // none change nothing.
    int pressFromMac();
    int pressClose() { return 0; }

    FormField number;       // typed: 12 characters
    FormField date;         // read-only
    FormField type;         // the type code, two digits; can be typed
    FormField model, kind;  // read-only: the type's model and kind
    FormField sequence;     // read-only, four digits
    FormField mac;          // typed: 4 characters
};

}  // namespace lumo
