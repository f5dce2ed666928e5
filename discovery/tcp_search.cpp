#include "discovery/tcp_search.h"

#include <algorithm>

#include <cstdio>
#include <map>
#include <vector>

#include "base/app_state.h"
#include "discovery/service_channel.h"
#include "platform/clock.h"
#include "platform/network_adapters.h"

namespace lumo {

std::optional<SearchRow> parseSearchAnswer(const std::uint8_t* d, std::size_t length, const std::string& sender) {
    if (length != kSearchAnswerLength || d[0] != 0 || d[1] != 0 || d[2] != 0 || d[3] != 0xA7) return std::nullopt;
    SearchRow row;
    row.type = d[4];
    std::size_t end = 10;
    while (end < 24 && d[end] != 0) ++end;
    // The serial number is shown and printed: a byte that is no printable ASCII becomes '?', so
    // that an answer cannot put control sequences on a terminal or garbage in the list.
    for (std::size_t i = 10; i < end; ++i) row.serial.push_back(d[i] >= 0x20 && d[i] < 0x7F ? static_cast<char>(d[i]) : '?');
    for (std::size_t i = 0; i < 6; ++i) row.mac[i] = d[24 + i];
    row.ip = sender;
    return row;
}

std::string searchTypeText(const SearchRow& row) { return std::to_string(row.type) + "-(" + modelName(row.type) + ")"; }

std::string searchMacText(const SearchRow& row) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", row.mac[0], row.mac[1], row.mac[2], row.mac[3],
                  row.mac[4], row.mac[5]);
    return text;
}

void markDuplicates(std::vector<SearchRow>& rows) {
    std::map<std::string, int> ips;
    std::map<MacAddress, int> macs;
    for (const auto& r : rows) {
        ++ips[r.ip];
        ++macs[r.mac];
    }
    for (auto& r : rows) {
        r.sameIp = ips[r.ip] > 1;
        r.sameMac = macs[r.mac] > 1;
    }
}

bool searchBroadcastAddress(bool wideMask, std::string& address, std::string& fault) {
    const std::string adapter = appState().adapterAddress;
    platform::Ipv4 parsed;
    if (!platform::parseIpv4(adapter, parsed)) {
        address = "255.255.255.255";
        return true;
    }
    std::vector<platform::NetworkAdapter> adapters;
    bool present = false;
    if (platform::listNetworkAdapters(adapters)) {
        for (const auto& a : adapters) {
            for (const auto& ip : a.ipv4) present |= ip == adapter;
        }
    }
    if (!present) {
        fault = "Síťový adaptér s adresou " + adapter +
                " z konfigurace programu už v počítači není nebo tu adresu nemá. Zvolte adaptér v konfiguraci. ";
        return false;
    }
    address = MakeBroadcastAddress(adapter, wideMask);
    return true;
}

ErrorCode runTcpSearch(const std::string& broadcastAddress, const std::function<void(const SearchRow&)>& row,
                       const std::function<bool()>& continues, int quietMs) {
    ServiceChannel channel;
    if (const ErrorCode opened = OpenServiceSocket(channel, broadcastAddress); opened != 0) return opened;
    if (const ErrorCode sent = SendServiceDatagram(channel, kSearchRequest.data(), kSearchRequest.size()); sent != 0) {
        CloseServiceSocket(channel);
        return sent;
    }
    // The search ends `quietMs` after the last datagram that came from the service port (answers
    // that are not ones restart the wait too). It waits in short slices so that a stop request
    // is seen at once.
    // Room for any datagram: one of another length is no answer and is passed over, so a flood
    // of junk on the service port neither stops the search nor takes more memory.
    std::vector<std::uint8_t> buffer(65536);
    std::int64_t quietUntil = platform::monotonicMs() + quietMs;
    for (;;) {
        if (continues && !continues()) break;
        const std::int64_t left = quietUntil - platform::monotonicMs();
        if (left <= 0) break;
        std::size_t length = 0;
        std::string sender;
        const ErrorCode received = ReceiveServiceDatagram(channel, buffer.data(), buffer.size(), length, sender,
                                                          static_cast<int>(std::min<std::int64_t>(left, 200)));
        if (received != 0) {
            CloseServiceSocket(channel);
            return received;
        }
        if (length == 0) continue;
        quietUntil = platform::monotonicMs() + quietMs;
        if (const auto r = parseSearchAnswer(buffer.data(), length, sender)) row(*r);
    }
    return CloseServiceSocket(channel);
}

}  // namespace lumo
