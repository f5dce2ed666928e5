#pragma once
// The checksum of the device protocol: Dallas/Maxim CRC-8 (reflected polynomial 0x8C, initial
// value 0) over the text before the '*' of a request's data or of an answer.

#include <cstddef>
#include <cstdint>

namespace lumo {

// One byte into the running value.
std::uint8_t Crc8Update(std::uint8_t byte, std::uint8_t crc);
std::uint8_t crc8(const std::uint8_t* data, std::size_t length, std::uint8_t crc = 0);

}  // namespace lumo
