#pragma once
// "Vyhledání TCP zařízení": the search request broadcast to the service port, the devices'
// answers (type, serial number, MAC address; the sender's address is the device's), and the
// rows of the result list, newest first.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/shared_types.h"
#include "model/device_catalog.h"

namespace lumo {

inline constexpr std::array<std::uint8_t, 4> kSearchRequest = {0x00, 0x00, 0x00, 0xA6};
inline constexpr std::size_t kSearchAnswerLength = 30;

struct SearchRow {
    DeviceTypeCode type = 0;
    std::string serial;
    MacAddress mac{};
    std::string ip;
    bool sameIp = false, sameMac = false;  // another row carries the same address
};

// An answer of exactly 30 bytes with the signature 00 00 00 A7, or none.
std::optional<SearchRow> parseSearchAnswer(const std::uint8_t* data, std::size_t length, const std::string& sender);

// The list's columns: "%d-(%s)", the serial number, "%02X-...", the IP address.
std::string searchTypeText(const SearchRow& row);
std::string searchMacText(const SearchRow& row);

// Marks the rows whose IP or MAC address another row also has (a common fault on site).
void markDuplicates(std::vector<SearchRow>& rows);

// Where the search goes: the broadcast address of the configured adapter (its last byte, or two
// with the wide mask, set to 255); 255.255.255.255 for an adapter text that is no IPv4 address.
// False with `fault` when the configured adapter no longer exists or has that address no more.
bool searchBroadcastAddress(bool wideMask, std::string& address, std::string& fault);

// The search: the request sent, every answer handed to `row` (newest last; the list shows it
// first) until no datagram from the service port has come for `quietMs` or `continues` says
// stop. 0, or the channel's error code.
ErrorCode runTcpSearch(const std::string& broadcastAddress, const std::function<void(const SearchRow&)>& row,
                       const std::function<bool()>& continues = {}, int quietMs = 10000);

}  // namespace lumo
