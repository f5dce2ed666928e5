#include "nethelper/request_check.h"

#include <algorithm>
#include <cctype>

namespace lumo::nethelper {
namespace {

std::uint32_t toNumber(const platform::Ipv4& a) {
    return static_cast<std::uint32_t>(a.bytes[0]) << 24 | static_cast<std::uint32_t>(a.bytes[1]) << 16 |
           static_cast<std::uint32_t>(a.bytes[2]) << 8 | a.bytes[3];
}

std::uint32_t maskOf(int prefixLength) {
    if (prefixLength <= 0) return 0;
    if (prefixLength >= 32) return 0xFFFFFFFFu;
    return ~(0xFFFFFFFFu >> prefixLength);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

const char* refusalWord(Refusal refusal) {
    switch (refusal) {
        case Refusal::None: return "none";
        case Refusal::Request: return "request";
        case Refusal::Group: return "group";
        case Refusal::Adapter: return "adapter";
        case Refusal::Subnet: return "subnet";
        case Refusal::OwnAddress: return "own-address";
        case Refusal::Network: return "network-address";
        case Refusal::Broadcast: return "broadcast";
        case Refusal::Gateway: return "gateway";
        case Refusal::NotUnicast: return "mac";
        case Refusal::ForeignRow: return "foreign-row";
        case Refusal::Socket: return "socket";
    }
    return "request";
}

bool isAdapterName(const std::string& name) {
    if (name.empty() || name.size() > 15 || name == "." || name == "..") return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        // Not ':': the system would take "eth0:x" for eth0, and the log would name another.
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-' || c == '@';
    });
}

bool parseMac(const std::string& text, Mac& mac) {
    if (text.size() != 17) return false;
    for (std::size_t group = 0; group < 6; ++group) {
        const std::size_t at = group * 3;
        if (group > 0 && text[at - 1] != ':' && text[at - 1] != '-') return false;
        const int hi = hexValue(text[at]), lo = hexValue(text[at + 1]);
        if (hi < 0 || lo < 0) return false;
        mac[group] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return true;
}

Refusal checkRowAddress(const AdapterFacts& adapter, const platform::Ipv4& address) {
    if (!adapter.exists) return Refusal::Adapter;
    const std::uint32_t wanted = toNumber(address);
    for (const auto& gateway : adapter.gateways)
        if (gateway == address) return Refusal::Gateway;
    for (const auto& own : adapter.addresses)
        if (own.address == address) return Refusal::OwnAddress;
    for (const auto& own : adapter.addresses) {
        // A subnet of one or two addresses has no room for a device beside the adapter.
        if (own.prefixLength < 1 || own.prefixLength > 30) continue;
        const std::uint32_t mask = maskOf(own.prefixLength);
        const std::uint32_t network = toNumber(own.address) & mask;
        if ((wanted & mask) != network) continue;
        if (wanted == network) return Refusal::Network;
        if (wanted == (network | ~mask)) return Refusal::Broadcast;
        return Refusal::None;
    }
    return Refusal::Subnet;
}

Refusal checkRowMac(const Mac& mac) {
    if ((mac[0] & 0x01) != 0) return Refusal::NotUnicast;  // the group bit: multicast, broadcast
    if (std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0; })) return Refusal::NotUnicast;
    return Refusal::None;
}

}  // namespace lumo::nethelper
