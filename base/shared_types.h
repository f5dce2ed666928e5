#pragma once
// Small types every layer passes around. Nothing here depends on anything but the standard
// library, so any folder may include it.

#include <array>
#include <cstdint>

namespace lumo {

// A 32-bit status code: operation (bits 31-16), fatal bit 15, file context (bits 14-8) and
// detail (bits 7-0). 0 means no error. The parts are named in base/error_report.h.
using ErrorCode = std::uint32_t;

using MacAddress = std::array<std::uint8_t, 6>;

// The hardware address a new line and the IP-setting operations start from.
inline constexpr MacAddress kFactoryMac = {0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF};

}  // namespace lumo
