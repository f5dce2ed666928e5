// The bridges' driver entries in the registry: the cleanup opens their vendor/product key and
// stops, removing nothing.
#include "platform/usb_driver_registry.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {

bool hasUsbDriverRegistry() { return true; }

std::uint32_t cleanUsbDriverRegistry(int) {
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_10C4&PID_EA60", 0,
                                        KEY_READ, &key);
    if (opened != ERROR_SUCCESS) return 0x30010000u | (static_cast<std::uint32_t>(opened) & 0xFFFFu);
    ::RegCloseKey(key);
    return 0x30110000u;
}

}  // namespace lumo::platform
