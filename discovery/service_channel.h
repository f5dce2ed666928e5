#pragma once
// The UDP service channel of network devices: datagrams to and from port 30718 (the search, the
// IP setting, the restart). Every wait is a wait in the OS with the time left to the deadline.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/shared_types.h"
#include "platform/net.h"

namespace lumo {

inline constexpr std::uint16_t kServicePort = 30718;
inline constexpr int kServiceReceiveMs = 10000;

inline constexpr ErrorCode kServiceSocketFailed = 0x20020005;  // no UDP socket
inline constexpr ErrorCode kServiceModeFailed = 0x20020006;    // blocking mode not switched
inline constexpr ErrorCode kServiceSendFailed = 0x03010001;
inline constexpr ErrorCode kServiceReceiveFailed = 0x03020001;

// One open channel: its socket and its destination.
struct ServiceChannel {
    platform::UdpSocket socket;
    platform::Ipv4 destination;
};

// The adapter's IPv4 address with its last byte (mask 255.255.255.0) or last two bytes
// (255.255.0.0) set to 255; an adapter text that is no IPv4 address gives 255.255.255.255.
std::string MakeBroadcastAddress(const std::string& adapterAddress, bool wideMask);

// A UDP socket with broadcasting allowed, non-blocking, aimed at the address and port 30718.
ErrorCode OpenServiceSocket(ServiceChannel& channel, const std::string& address);
// One datagram to the destination; anything but a whole send is 0x03010001.
ErrorCode SendServiceDatagram(ServiceChannel& channel, const std::uint8_t* data, std::size_t length);
// The next datagram from source port 30718 (others are dropped), waiting at most `timeoutMs`
// from the call: its length and sender. Length 0 and no error when the time is up; 0x03020001
// for a receive failure or a datagram longer than `capacity`.
ErrorCode ReceiveServiceDatagram(ServiceChannel& channel, std::uint8_t* buffer, std::size_t capacity,
                                 std::size_t& length, std::string& sender, int timeoutMs = kServiceReceiveMs);
// Back to blocking mode and closed; 0x20020006 (and the socket stays open) when the mode
// cannot be switched.
ErrorCode CloseServiceSocket(ServiceChannel& channel);

// Why `address` cannot be given to a device, or empty when it can: not an IPv4 address, or
// one no single device can answer at (this network, 0.x, loopback, multicast and reserved, the
// limited broadcast, or the first or last address of its 255.255.255.0 subnet, where the
// search and the setting broadcast).
std::string deviceAddressProblem(const std::string& address);

// The IP-SETUP datagram: 00 00 00 AC, "IP-SETUP", 00 00, the MAC's 5th and 6th bytes, the new
// address first octet first. Empty when the address is no IPv4 address.
std::vector<std::uint8_t> ipSetupDatagram(const MacAddress& mac, const std::string& newAddress);

// The restart datagram: 00 00 00 03 '3' 'Q' and the MAC address's 5th and 6th bytes.
std::array<std::uint8_t, 8> restartDatagram(const MacAddress& mac);
// Sends it to port 30718 of the address: 0, or 0x20020005 / 0x20020006. The send's own result
// is not looked at (a device that restarts does not answer).
ErrorCode SendRestartDatagram(const std::string& address, const MacAddress& mac);

}  // namespace lumo
