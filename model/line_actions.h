#pragma once
// What the add-line dialog's "Vložit" does, for the panel and for lumo-ctl alike.

#include "model/device_catalog.h"

namespace lumo {

// Creates a line with the given head type (one of LineHeadTypes). Returns the new line number
// (1-16); 0 when the line table is full (after its message); -1 or -2 after reporting a failed
// write of "line.cfg" (0x0d02) or "terminal.dat" (0x0c03).
int addLine(DeviceTypeCode headType);

}  // namespace lumo

#include <cstdint>
#include <optional>
#include <string>

namespace lumo {

// The fields of the line dialog; unset ones keep the record's value.
struct LineSettings {
    std::optional<std::uint8_t> port;       // 0 = TCP, 1-8 = COM1-COM8
    std::optional<std::uint8_t> speed;      // 0 = 9600, 1 = 19200
    std::optional<bool> rs485;              // direction control 2, or 0 for RS232
    std::optional<std::uint8_t> parity;     // 0 none, 1 odd, 2 even
    std::optional<std::string> ipAddress;   // at most 17 characters
    std::optional<std::int32_t> tcpPort;
    std::optional<std::string> description; // at most 15 characters
};

// The line dialog's "Použít": takes the settings, switches the line on, verifies it by opening
// it (asking whether to keep settings that do not work), and writes the record. 1 when saved,
// 0 when the user declined or a record could not be read (critical report) or written.
int applyLineSettings(int lineIndex, const LineSettings& settings);

}  // namespace lumo
