#include "discovery/usb_search.h"

#include <algorithm>
#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "model/model_errors.h"
#include "platform/usb_driver_registry.h"

namespace lumo {

std::string& usbDevicesRoot() {
    static std::string root = platform::kUsbDevicesRoot;
    return root;
}

bool bridgeOfLine(int lineIndex, platform::UsbBridge& bridge, std::string& why) {
    LineRecord line;
    if (!readLineRecord(lineIndex, line) || line.isTcp()) {
        why = "linka " + std::to_string(lineIndex + 1) + " není na sériovém portu";
        return false;
    }
    const std::string device = platform::resolvedDevicePath(comportsDevicePath(line.port(), appState().workingDirectory));
    for (const auto& b : platform::findUsbBridges(kBridgeVendor, kBridgeProduct, usbDevicesRoot())) {
        if (!b.device.empty() && platform::resolvedDevicePath(b.device) == device) {
            bridge = b;
            return true;
        }
    }
    why = "port COM" + std::to_string(line.port()) + " (" + device + ") nepatří žádnému připojenému převodníku 10C4/EA60";
    return false;
}

DeviceTypeCode typeFromSerial(const std::string& serial) {
    if (serial.size() < 8 || serial[6] < '0' || serial[6] > '9' || serial[7] < '0' || serial[7] > '9') return head::kUsbConverter;
    const int type = (serial[6] - '0') * 10 + (serial[7] - '0');
    return type == head::kGeneral ? head::kUsbConverter : static_cast<DeviceTypeCode>(type);
}

namespace {

// The entry that names the device, also through a link ("/dev/serial/by-id/...").
int comNumberOfDevice(const ComportsFile& ports, const std::string& device) {
    if (const int n = ports.numberOf(device)) return n;
    const std::string resolved = platform::resolvedDevicePath(device);
    for (const auto& [number, path] : ports.ports) {
        if (platform::resolvedDevicePath(path) == resolved) return number;
    }
    return 0;
}

}  // namespace

std::vector<UsbRow> usbSearchRows(const std::string& sysfsRoot) {
    ComportsFile ports;
    loadComports(appState().workingDirectory, ports);
    std::vector<UsbRow> rows;
    for (const platform::UsbBridge& b : platform::findUsbBridges(kBridgeVendor, kBridgeProduct, sysfsRoot)) {
        UsbRow row;
        row.serial = b.serial.substr(0, 12);
        row.type = typeFromSerial(row.serial);
        row.vendor = b.vendor;
        row.product = b.product;
        row.device = b.device;
        if (const int n = b.device.empty() ? 0 : comNumberOfDevice(ports, b.device)) row.com = "COM" + std::to_string(n);
        rows.push_back(std::move(row));
    }
    // The list shows the last bridge first.
    std::reverse(rows.begin(), rows.end());
    return rows;
}

std::vector<UsbRow> searchUsbDevices(const std::string& sysfsRoot) {
    uiWaitCursor(true);
    std::vector<UsbRow> rows = usbSearchRows(sysfsRoot);
    uiWaitCursor(false);
    if (rows.empty()) {
        uiMessage("Vyhledání USB zařízení",
                  "Nebylo nalezeno žádné USB zařízení (převodník 10C4/EA60). \nZkontrolujte připojení zařízení. ",
                  MessageIcon::Information);
    }
    return rows;
}

std::string usbTypeText(const UsbRow& row) { return std::to_string(row.type) + "-(" + modelName(row.type) + ")"; }

std::string usbVidPidText(const UsbRow& row) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X/%04X", row.vendor, row.product);
    return text;
}

namespace {

// The COM numbers the installation's serial lines use: a line without an entry in comports.cfg
// opens the port of its number, which a new entry must not take from it.
std::vector<int> comNumbersOfLines() {
    std::vector<int> used;
    for (int i = 0; i < kMaxLines; ++i) {
        LineRecord line;
        if (readLineRecord(i, line) && line.exists() && !line.isTcp())
            used.push_back(line.port());
    }
    clearError();
    return used;
}

}  // namespace

int comNumberForSaving(const UsbRow& row) {
    int com = row.com.size() > 3 ? std::atoi(row.com.c_str() + 3) : 0;
    if (com != 0 || row.device.empty()) return com;
    // A bridge without a COM number gets the next free one, kept in comports.cfg.
    ComportsFile ports;
    std::string problem;
    if (!loadComports(appState().workingDirectory, ports, &problem)) {
        const std::uint32_t cause = platform::lastSystemError();
        uiMessage("CHYBA !", problem, MessageIcon::Error);
        platform::setLastSystemError(cause);
        setError(err::kOpenForRead | err::kLineDialogSave);
        return -1;
    }
    com = ports.freeNumber(comNumbersOfLines());
    ports.ports[com] = row.device;
    if (!saveComports(appState().workingDirectory, ports)) {
        setError(err::kWriteFile | err::kLineDialogSave);
        return -1;
    }
    return com;
}

ErrorCode cleanUsbDrivers(std::vector<std::string>& removed, const std::string& sysfsRoot) {
    removed.clear();
    ComportsFile ports;
    std::string problem;
    if (!loadComports(appState().workingDirectory, ports, &problem)) {
        // Nothing is written back: the entries it could not read stay as they are.
        const ErrorCode code = 0x30070000 | (platform::lastSystemError() & 0xFFFF);
        uiMessage("CHYBA !", problem, MessageIcon::Error);
        return code;
    }
    std::vector<std::string> present;
    for (const auto& b : platform::findUsbBridges(kBridgeVendor, kBridgeProduct, sysfsRoot)) present.push_back(b.device);
    // An entry a line uses stays: its bridge may be only unplugged, and without the entry the
    // line would open another port of that number.
    const std::vector<int> used = comNumbersOfLines();
    for (auto it = ports.ports.begin(); it != ports.ports.end();) {
        const bool bridgeDevice = it->second.rfind("/dev/ttyUSB", 0) == 0;
        const bool lineUses = std::find(used.begin(), used.end(), it->first) != used.end();
        if (bridgeDevice && !lineUses && std::find(present.begin(), present.end(), it->second) == present.end()) {
            removed.push_back("COM" + std::to_string(it->first) + "=" + it->second);
            it = ports.ports.erase(it);
        } else {
            ++it;
        }
    }
    if (removed.empty()) return 0;
    if (saveComports(appState().workingDirectory, ports)) return 0;
    // The file is as it was: nothing was removed.
    removed.clear();
    return 0x30080000 | (platform::lastSystemError() & 0xFFFF);
}

ErrorCode cleanUsbDriversFor(DeviceTypeCode type, std::vector<std::string>& removed) {
    removed.clear();
    if (platform::hasUsbDriverRegistry()) return platform::cleanUsbDriverRegistry(type);
    return cleanUsbDrivers(removed);
}

}  // namespace lumo
