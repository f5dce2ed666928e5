#pragma once
// "Vyhledání USB zařízení": the USB-to-UART bridges of the family (vendor 10C4, product EA60)
// present, with the device type their serial number encodes and the COM number comports.cfg
// gives their serial device; saving makes communication lines of them. "Vymazání USB driverů":
// the comports.cfg entries of bridges no longer present are removed.

#include <cstdint>
#include <string>
#include <vector>

#include "base/shared_types.h"
#include "model/device_catalog.h"
#include "platform/usb_bridges.h"

namespace lumo {

inline constexpr std::uint16_t kBridgeVendor = 0x10C4, kBridgeProduct = 0xEA60;

// Where the USB devices are listed (sysfs; lumo-ctl --sysfs and the tests give another tree).
std::string& usbDevicesRoot();

// The bridge behind a line's serial port (its COM number through comports.cfg, links resolved),
// or false with the reason in `why`.
bool bridgeOfLine(int lineIndex, platform::UsbBridge& bridge, std::string& why);

struct UsbRow {
    DeviceTypeCode type = 0;
    std::string serial;  // at most 12 characters
    std::uint16_t vendor = 0, product = 0;
    std::string com;     // "COM5"; empty when comports.cfg names none for the device
    std::string device;  // "/dev/ttyUSB0"; empty when the bridge has no serial device
};

// The type a serial number encodes: its characters 7 and 8 as a decimal number; 0 or
// non-digits are the USB/RS485 converter (12).
DeviceTypeCode typeFromSerial(const std::string& serial);

// The rows of the search, in the list's order (the last bridge first).
std::vector<UsbRow> usbSearchRows(const std::string& sysfsRoot = usbDevicesRoot());

// "Spustit hledání": the rows of usbSearchRows under the wait cursor; a search that found no
// bridge says so in a box
// "Vyhledání USB zařízení" (an empty list alone does not tell that the search has ended).
std::vector<UsbRow> searchUsbDevices(const std::string& sysfsRoot = usbDevicesRoot());

// The list's columns: "Typ", "výrobní číslo", "VID/PID", "COM".
std::string usbTypeText(const UsbRow& row);   // "12-(WO485 - USB/RS485 converter)"
std::string usbVidPidText(const UsbRow& row); // "10C4/EA60"

// The COM number a row's line gets: the one comports.cfg gives its device, else the next free
// one, written to comports.cfg now. 0 for a bridge without a serial device; -1 when comports.cfg
// cannot be read or written (the code pending).
int comNumberForSaving(const UsbRow& row);

// "Vymazání USB driverů": 0, or the code of the failed step: 0x30070000 comports.cfg cannot be
// read (after a message that names it; nothing is written), 0x30080000 it cannot be written
// (it stays as it was); with the system's error. `removed` gets the entries taken out, none
// when the file could not be written.
ErrorCode cleanUsbDrivers(std::vector<std::string>& removed, const std::string& sysfsRoot = usbDevicesRoot());

// The cleanup for the bridges of one type: the system's driver registry where it has one
// (platform/usb_driver_registry.h; the type names the bridges), else comports.cfg as above.
ErrorCode cleanUsbDriversFor(DeviceTypeCode type, std::vector<std::string>& removed);

}  // namespace lumo
