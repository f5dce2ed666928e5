#include "platform/usb_bridges.h"

#include <algorithm>
#include <filesystem>

#include "platform/file_io.h"

namespace lumo::platform {
namespace {

namespace fs = std::filesystem;

// The first line of a small sysfs attribute, or empty.
std::string attribute(const fs::path& path) {
    std::string text;
    if (!readSmallFile(path.string(), 256, text)) return {};
    const auto end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

std::uint16_t hexId(const std::string& text) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return 0;
    return static_cast<std::uint16_t>(std::stoul(text, nullptr, 16));
}

// The tty of one of the device's interfaces ("1-1.2:1.0/ttyUSB0", or below its "tty" folder).
std::string ttyOf(const fs::path& root, const std::string& name) {
    std::error_code error;
    std::vector<std::string> found;
    for (const auto& interface : fs::directory_iterator(root, error)) {
        const std::string interfaceName = interface.path().filename().string();
        if (interfaceName.rfind(name + ":", 0) != 0) continue;
        for (const fs::path& folder : {interface.path(), interface.path() / "tty"}) {
            for (const auto& entry : fs::directory_iterator(folder, error)) {
                const std::string tty = entry.path().filename().string();
                if (tty.rfind("ttyUSB", 0) == 0) found.push_back(tty);
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : "/dev/" + found.front();
}

}  // namespace

std::vector<UsbBridge> findUsbBridges(std::uint16_t vendor, std::uint16_t product, const std::string& root) {
    std::vector<UsbBridge> bridges;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        // Devices, not their interfaces ("1-1.2:1.0") nor the root hubs' "usb1".
        if (name.find(':') != std::string::npos) continue;
        UsbBridge b;
        b.vendor = hexId(attribute(entry.path() / "idVendor"));
        b.product = hexId(attribute(entry.path() / "idProduct"));
        if (b.vendor != vendor || b.product != product) continue;
        b.serial = attribute(entry.path() / "serial");
        b.device = ttyOf(root, name);
        b.instanceName = name;
        const std::string bus = attribute(entry.path() / "busnum"), address = attribute(entry.path() / "devnum");
        // The port from the device's own attributes ("1" and "1.2" give "1-1.2", its sysfs name).
        const std::string devpath = attribute(entry.path() / "devpath");
        b.usbPort = bus.empty() || devpath.empty() ? name : bus + "-" + devpath;
        b.busNumber = bus.empty() || bus.find_first_not_of("0123456789") != std::string::npos || bus.size() > 4 ? 0 : std::stoi(bus);
        b.deviceAddress = address.empty() || address.find_first_not_of("0123456789") != std::string::npos || address.size() > 4
                              ? 0
                              : std::stoi(address);
        bridges.push_back(std::move(b));
    }
    std::sort(bridges.begin(), bridges.end(), [](const UsbBridge& a, const UsbBridge& b) { return a.instanceName < b.instanceName; });
    return bridges;
}

std::string resolvedDevicePath(const std::string& path) {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    return error ? path : real.string();
}

}  // namespace lumo::platform
