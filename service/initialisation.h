#pragma once
// Module initialisation: the serial number written into the device by the method its type
// needs, the memory cleared, the device reset; and the register of issued numbers kept with it.

#include <cstdint>
#include <string>

#include "base/shared_types.h"

#include "model/device_catalog.h"

namespace lumo {

enum class InitMethod { Loq3, SerialNumber, Tunnel, UsbBridge, Ascii };
// The method of a type (PX700/ZB40E takes the SN transaction, though it has the tunnel loader).
InitMethod initMethodOf(DeviceTypeCode type);

// The device the initialisation works on: its line, ID address and type.
struct InitTarget {
    int lineIndex = 0;
    int moduleNumber = 0;  // 0: the line's head device
    int id = 0;
    DeviceTypeCode type = 0;
};

inline constexpr int kInitWrite = 0, kInitReset = 2;

// Writes the serial number (mode 0) or resets the device (mode 2). 0 on success, 1 on failure
// (told to the user). The tunnel method gives the device's new MAC address (00-4F-49-0D and the
// sequence) in `newMac`, when given; the other methods leave it. A tunnel reset binds the
// device's address to the table's MAC, else to `newMac` (the MAC its write gave). The USB-bridge method writes the bridge behind the line's port, resets
// it, finds it again at its USB port (its name may have changed with its serial number) and
// compares what it reads back through a new handle. The tunnel write counts only the whole
// 12-byte acknowledgement starting with 'K'.
int InitialiseModule(const InitTarget& target, int mode, const std::string& serial, MacAddress* newMac = nullptr);

// Clears the device memory 0x0C00-0x0FFF (16 writes of 64 zero bytes). 0 on success, 1 on
// failure.
int MemoryClear(const InitTarget& target);

// The ASCII method's message: "WSM|N|" (write) or "RST|0|" (reset), the serial's characters as
// lower-case hexadecimal pairs and "|", then the check characters, 0x04 and 0x00.
std::string asciiInitMessage(int mode, const std::string& serial);

}  // namespace lumo
