#include "discovery/neighbour_binding.h"

#include <cctype>
#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/icmp_echo.h"
#include "comm/network_privilege.h"
#include "platform/clock.h"
#include "platform/neighbour_table.h"

namespace lumo {

ErrorCode BindAddressToMac(const std::string& address, MacSource source) {
    MacAddress mac = kFactoryMac;
    return BindAddressToMac(address, source, mac);
}

ErrorCode BindAddressToMac(const std::string& address, MacSource source, MacAddress& mac) {
    const MacAddress given = mac;
    platform::Ipv4 ip;
    if (!platform::parseIpv4(address, ip)) return err::kArpTable;
    HostProbe(address);  // an answer refreshes the table

    std::vector<platform::NeighbourRow> rows;
    if (!platform::readNeighbourTable(rows)) {
        setError(err::kArpTable);  // the caller tells this from a cancelled MAC entry
        return 0;
    }
    int foundType = 0;
    for (const auto& row : rows) {
        if (row.interfaceIndex != appState().adapterIndex || !(row.address == ip) ||
            row.type == platform::NeighbourType::Invalid)
            continue;
        foundType = static_cast<int>(row.type);
        for (std::size_t i = 0; i < mac.size() && i < row.physical.size(); ++i) mac[i] = row.physical[i];
    }
    switch (source) {
        case MacSource::AskUser: {
            MacAddress entered = mac;
            if (!uiPort().enterMacAddress || !uiPort().enterMacAddress(entered)) return 0;
            mac = entered;
            break;
        }
        case MacSource::Factory: mac = kFactoryMac; break;
        case MacSource::FromTable: break;
        case MacSource::Given: mac = given; break;
    }
    return SetArpEntry(foundType, address, mac) ? 2 : err::kArpTable;
}

bool SetArpEntry(int existingType, const std::string& address, const MacAddress& mac) {
    platform::Ipv4 ip;
    if (!platform::parseIpv4(address, ip)) return false;
    const std::uint32_t adapter = appState().adapterIndex;
    if (existingType == 1 || existingType == 3 || existingType == 4) platform::deleteNeighbour(adapter, ip);
    const bool created = platform::createStaticNeighbour(adapter, mac, ip);
    if (!created && neighbourWriteRefused()) uiMessage("Upozornění", neighbourPrivilegeAdvice(), MessageIcon::Warning);
    platform::pause(500);
    return created;
}

bool RemoveArpEntry(const LineRecord& line) {
    if (line.port() != 0) return true;
    platform::Ipv4 ip;
    if (!platform::parseIpv4(line.ipAddress(), ip)) return false;
    return platform::deleteNeighbour(appState().adapterIndex, ip);
}

std::optional<MacAddress> parseMacText(const std::string& text) {
    if (text.size() != 17) return std::nullopt;
    MacAddress mac{};
    for (std::size_t group = 0; group < 6; ++group) {
        const std::size_t at = group * 3;
        if (group > 0 && text[at - 1] != '-') return std::nullopt;
        const char hi = text[at], lo = text[at + 1];
        if (!std::isxdigit(static_cast<unsigned char>(hi)) || !std::isxdigit(static_cast<unsigned char>(lo)))
            return std::nullopt;
        mac[group] = static_cast<std::uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16));
    }
    return mac;
}

std::string formatMacText(const MacAddress& mac) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

}  // namespace lumo
