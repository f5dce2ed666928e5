#include "comm/crc8.h"

namespace lumo {

std::uint8_t Crc8Update(std::uint8_t byte, std::uint8_t crc) {
    for (int bit = 0; bit < 8; ++bit) {
        const bool mix = ((crc ^ byte) & 1) != 0;
        crc = static_cast<std::uint8_t>(crc >> 1);
        if (mix) crc ^= 0x8C;
        byte = static_cast<std::uint8_t>(byte >> 1);
    }
    return crc;
}

std::uint8_t crc8(const std::uint8_t* data, std::size_t length, std::uint8_t crc) {
    for (std::size_t i = 0; i < length; ++i) crc = Crc8Update(data[i], crc);
    return crc;
}

}  // namespace lumo
