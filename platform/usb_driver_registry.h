#pragma once
// The system's registry entries of the USB bridges' drivers (Windows); other systems keep none.

#include <cstdint>

namespace lumo::platform {

// True where the system keeps the bridges' drivers in a registry.
bool hasUsbDriverRegistry();

// The registry cleanup for the bridges of `typeCode`, as far as it goes: it opens the bridges'
// vendor/product key ("SYSTEM\CurrentControlSet\Enum\USB\VID_10C4&PID_EA60" under the local
// machine) and stops there. 0x30110000 when the key exists, removing nothing (deleting
// machine-wide keys needs an administrator, and could take other devices' drivers);
// 0x30010000 with the system's error in the low 16 bits when it cannot be opened. 0 where the
// system has no such registry.
std::uint32_t cleanUsbDriverRegistry(int typeCode);

}  // namespace lumo::platform
