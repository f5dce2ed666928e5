#pragma once
// The USB-to-UART bridges present: their vendor and product ids, serial number and serial
// device. Here they are read from sysfs (`root` is /sys/bus/usb/devices; tests give a tree of
// their own).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumo::platform {

struct UsbBridge {
    std::uint16_t vendor = 0, product = 0;
    std::string serial;
    std::string device;  // "/dev/ttyUSB0"; empty when the bridge has no serial device
    // The system's name of the device: its sysfs folder ("1-1.2") here; on Windows its instance
    // id "USB\VID_10C4&PID_EA60\<serial>", which changes with the serial number.
    std::string instanceName;
    // The USB port it is plugged into ("1-1.2": bus and hub ports; on Windows its location
    // path): the same after a reset and after its serial number changed.
    std::string usbPort;
    int busNumber = 0, deviceAddress = 0;  // the address changes with every reset
};

inline constexpr const char* kUsbDevicesRoot = "/sys/bus/usb/devices";

// Every USB device of the vendor and product, in the order of their sysfs names.
std::vector<UsbBridge> findUsbBridges(std::uint16_t vendor, std::uint16_t product,
                                      const std::string& root = kUsbDevicesRoot);

// Writing a bridge's identity: its USB product string and serial number (vendor request 0xFF,
// request type 0x40, value 0x3703 and 0x3704, each text as a USB string descriptor), a reset, and
// the strings read back. Every operation returns 0 or a status of the USB library (negative).
class UsbBridgeAccess {
public:
    virtual ~UsbBridgeAccess() = default;
    virtual int open(const UsbBridge& bridge) = 0;
    virtual int setProductString(const std::string& text) = 0;
    virtual int setSerialNumber(const std::string& text) = 0;
    virtual int reset() = 0;
    // The strings as the device describes itself now: through the handle open, or when none is
    // (a handle does not outlive the device's reset: the caller closes it), a new one to `bridge`.
    virtual int readStrings(const UsbBridge& bridge, std::string& product, std::string& serial) = 0;
    virtual void close() = 0;
};

// Statuses besides the USB library's: the library is missing from this build; no permission.
inline constexpr int kUsbNotBuilt = -1000;
inline constexpr int kUsbAccessDenied = -3;  // the library's own "access denied"

// The library the access needs, by name, for a message when it is missing.
const char* usbAccessLibrary();
// The access of this build (the USB library), or what a test installs instead.
std::unique_ptr<UsbBridgeAccess> makeUsbBridgeAccess();
void setUsbBridgeAccessFactory(std::function<std::unique_ptr<UsbBridgeAccess>()> factory);

// A device path with its symbolic links resolved ("/dev/serial/by-id/..." -> "/dev/ttyUSB0").
std::string resolvedDevicePath(const std::string& path);

}  // namespace lumo::platform
