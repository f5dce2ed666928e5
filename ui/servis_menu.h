#pragma once
// Which items of the "Servis" submenu can be used for the current selection.

#include <cstdint>

namespace lumo {

struct ServisMenuState {
    bool submenu = false;       // the submenu itself
    bool memoryItems = false;   // "&Upload", "memory &DUMP", "Reset a&plikace", "&Reset master", "&Testování"
};

// `moduleSelected`: a module rather than the line; `byte132`: byte 132 of the current record
// (the line's head type, or the same byte of the module's record).
ServisMenuState servisMenuState(bool moduleSelected, std::uint8_t byte132);

}  // namespace lumo
