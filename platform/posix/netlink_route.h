#pragma once
// Linux only: the routing netlink requests behind the neighbour table, shared by the program's
// neighbour-table interface and the privileged network helper (which checks a request against
// the adapter's addresses and the routes' gateways before it acts).

#include <array>
#include <cstdint>
#include <vector>

#include "platform/net.h"

namespace lumo::platform::netlink {

// The neighbour table's protocol field of the rows this system adds: the helper removes only
// rows that carry it.
inline constexpr std::uint8_t kRowMark = 76;

struct Neighbour {
    std::uint32_t interfaceIndex = 0;
    Ipv4 address;
    std::vector<std::uint8_t> physical;
    std::uint16_t state = 0;  // NUD_* bits
    int protocol = -1;        // -1: the row carries none
    bool isStatic() const;    // permanent or no-ARP
    bool isInvalid() const;   // incomplete or failed
    bool isDynamic() const;   // reachable, stale, delay or probe
};

struct InterfaceAddress {
    std::uint32_t interfaceIndex = 0;
    Ipv4 address;
    int prefixLength = 0;
};

// Every IPv4 row of the table; false with the system's error on a failure.
bool readNeighbours(std::vector<Neighbour>& rows);
// A static row address -> MAC carrying `protocol`, replacing any row the address has on the
// interface (as `ip neigh replace`).
bool replaceWithStaticRow(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address,
                          std::uint8_t protocol);
bool deleteRow(std::uint32_t interfaceIndex, const Ipv4& address);
// Every IPv4 address of every interface, with its prefix length.
bool readAddresses(std::vector<InterfaceAddress>& addresses);
// The gateway of every IPv4 route of every table.
bool readGateways(std::vector<Ipv4>& gateways);

}  // namespace lumo::platform::netlink
