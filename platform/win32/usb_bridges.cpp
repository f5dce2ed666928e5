// The USB-to-UART bridges present, from the system's device list (SetupAPI): an instance id
// "USB\VID_10C4&PID_EA60\<serial>" and, in the device's registry key, the COM name the driver
// gave it. The `root` of other systems' device trees does not apply here.
#include "platform/usb_bridges.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/win32/windows_api.h"

#include <setupapi.h>

namespace lumo::platform {
namespace {

std::uint16_t hexAfter(const std::string& id, const char* key) {
    const auto at = id.find(key);
    if (at == std::string::npos) return 0;
    return static_cast<std::uint16_t>(std::strtoul(id.substr(at + std::char_traits<char>::length(key), 4).c_str(), nullptr, 16));
}

std::string portNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[64] = {};
    DWORD size = sizeof name - sizeof(wchar_t);
    DWORD type = 0;
    std::string port;
    if (::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        port = utf8Text(name);
    ::RegCloseKey(key);
    return port;
}

// Where the device is plugged in, which its serial number does not change: its location path
// ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)", the first of the list), else the hub and port
// ("Port_#0002.Hub_#0003").
std::string locationOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    for (const DWORD property : {static_cast<DWORD>(SPDRP_LOCATION_PATHS), static_cast<DWORD>(SPDRP_LOCATION_INFORMATION)}) {
        wchar_t text[512] = {};
        DWORD type = 0;
        if (::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(text),
                                                sizeof text - 2 * sizeof(wchar_t), nullptr) &&
            (type == REG_MULTI_SZ || type == REG_SZ) && text[0] != L'\0')
            return utf8Text(text);  // a list's first string ends at its first NUL
    }
    return {};
}

}  // namespace

std::vector<UsbBridge> findUsbBridges(std::uint16_t vendor, std::uint16_t product, const std::string&) {
    std::vector<UsbBridge> found;
    const HDEVINFO set = ::SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        recordWin32();
        return found;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        wchar_t wide[512] = {};
        if (!::SetupDiGetDeviceInstanceIdW(set, &device, wide, 511, nullptr)) continue;
        std::string id = utf8Text(wide);
        std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (hexAfter(id, "VID_") != vendor || hexAfter(id, "PID_") != product) continue;
        UsbBridge bridge;
        bridge.vendor = vendor;
        bridge.product = product;
        bridge.instanceName = utf8Text(wide);  // ends with the serial number: a new one, a new name
        const auto slash = bridge.instanceName.rfind('\\');
        bridge.serial = slash == std::string::npos ? std::string() : bridge.instanceName.substr(slash + 1);
        bridge.usbPort = locationOf(set, device);
        if (bridge.usbPort.empty()) bridge.usbPort = bridge.instanceName;
        const std::string port = portNameOf(set, device);
        if (!port.empty()) bridge.device = "\\\\.\\" + port;
        found.push_back(bridge);
    }
    ::SetupDiDestroyDeviceInfoList(set);
    std::sort(found.begin(), found.end(), [](const UsbBridge& a, const UsbBridge& b) { return a.instanceName < b.instanceName; });
    return found;
}

std::string resolvedDevicePath(const std::string& path) {
    // "COM5" and "\\.\COM5" name the same port.
    if (path.rfind("COM", 0) == 0) return "\\\\.\\" + path;
    return path;
}

}  // namespace lumo::platform
