#pragma once
// The USB-to-UART bridges present: their vendor and product ids, serial number and serial
// device. Here they are read from sysfs (`root` is /sys/bus/usb/devices; tests give a tree of
// their own).

#include <cstdint>
#include <string>
#include <vector>

namespace lumo::platform {

struct UsbBridge {
    std::uint16_t vendor = 0, product = 0;
    std::string serial;
    std::string device;  // "/dev/ttyUSB0"; empty when the bridge has no serial device
    std::string sysfsName;  // "1-1.2": the bridge's place on the bus
};

inline constexpr const char* kUsbDevicesRoot = "/sys/bus/usb/devices";

// Every USB device of the vendor and product, in the order of their sysfs names.
std::vector<UsbBridge> findUsbBridges(std::uint16_t vendor, std::uint16_t product,
                                      const std::string& root = kUsbDevicesRoot);

}  // namespace lumo::platform
