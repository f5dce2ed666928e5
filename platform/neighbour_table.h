#pragma once
// The system's IPv4 neighbour (ARP) table.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/net.h"

namespace lumo::platform {

// Row types as the neighbour table reports them.
enum class NeighbourType : int { Other = 1, Invalid = 2, Dynamic = 3, Static = 4 };

struct NeighbourRow {
    std::uint32_t interfaceIndex = 0;
    std::vector<std::uint8_t> physical;  // hardware address bytes
    Ipv4 address;
    NeighbourType type = NeighbourType::Other;
};

bool readNeighbourTable(std::vector<NeighbourRow>& rows);
bool deleteNeighbour(std::uint32_t interfaceIndex, const Ipv4& address);
// Creates the static row, replacing any row the address has on the interface.
bool createStaticNeighbour(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address);

}  // namespace lumo::platform
