// No driver registry here: the bridges' serial devices come and go with the kernel's drivers.
#include "platform/usb_driver_registry.h"

namespace lumo::platform {

bool hasUsbDriverRegistry() { return false; }

std::uint32_t cleanUsbDriverRegistry(int) { return 0; }

}  // namespace lumo::platform
