#include "ui/servis_menu.h"

namespace lumo {

ServisMenuState servisMenuState(bool moduleSelected, std::uint8_t byte132) {
    ServisMenuState s;
    s.submenu = moduleSelected || byte132 != 0;
    // Converters (TCP 11, USB 12) have no memory or application of their own to serve.
    s.memoryItems = s.submenu && byte132 != 11 && byte132 != 12;
    return s;
}

}  // namespace lumo
