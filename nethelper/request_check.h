#pragma once
// What the network helper checks before it acts: every argument of a request, against the
// adapter's own addresses and the system's routes. Pure: the facts are read by the caller.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net.h"

namespace lumo::nethelper {

using Mac = std::array<std::uint8_t, 6>;

// The facts a neighbour-table request is checked against.
struct AdapterFacts {
    bool exists = false;
    struct Address {
        platform::Ipv4 address;
        int prefixLength = 0;
    };
    std::vector<Address> addresses;          // the adapter's own IPv4 addresses
    std::vector<platform::Ipv4> gateways;    // the gateway of every route of the system
};

enum class Refusal {
    None, Request, Group, Adapter, Subnet, OwnAddress, Network, Broadcast, Gateway, NotUnicast, ForeignRow, Socket
};

// The word the helper answers and logs for a refusal ("refused WORD").
const char* refusalWord(Refusal refusal);

// An adapter name as the system names adapters: 1 to 15 characters of letters, digits and . _ - @
bool isAdapterName(const std::string& name);
// "02:00:5e:10:00:01" (or with '-'): six two-digit hexadecimal groups.
bool parseMac(const std::string& text, Mac& mac);

// A static row for `address` may be added on the adapter: it exists, the address lies on one of
// its own subnets and is neither its own address, that subnet's network or broadcast address,
// nor the gateway of a route.
Refusal checkRowAddress(const AdapterFacts& adapter, const platform::Ipv4& address);
// A row's MAC must name one station: not a group (multicast or broadcast) address, not all zero.
Refusal checkRowMac(const Mac& mac);

}  // namespace lumo::nethelper
