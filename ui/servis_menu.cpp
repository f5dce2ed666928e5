#include "ui/servis_menu.h"

#include "model/device_catalog.h"

namespace lumo {

ServisMenuState servisMenuState(bool moduleSelected, std::uint8_t byte132) {
    ServisMenuState s;
    s.submenu = moduleSelected || byte132 != 0;
    // Converters (TCP, USB) have no memory or application of their own to serve.
    s.memoryItems = s.submenu && byte132 != head::kTcpConverter && byte132 != head::kUsbConverter;
    return s;
}

}  // namespace lumo
