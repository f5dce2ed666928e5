#pragma once
// The system's network adapters with their IPv4 addresses.

#include <cstdint>
#include <string>
#include <vector>

namespace lumo::platform {

struct NetworkAdapter {
    std::uint32_t index = 0;        // the system's interface index
    std::string description;        // a name a person recognises
    std::vector<std::string> ipv4;  // dotted-decimal addresses, first one first
};

// False when the system refuses to list its adapters.
bool listNetworkAdapters(std::vector<NetworkAdapter>& out);

}  // namespace lumo::platform
