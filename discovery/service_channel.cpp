#include "discovery/service_channel.h"

#include "platform/clock.h"

namespace lumo {

std::string MakeBroadcastAddress(const std::string& adapterAddress, bool wideMask) {
    platform::Ipv4 a;
    if (!platform::parseIpv4(adapterAddress, a)) return "255.255.255.255";
    a.bytes[3] = 255;
    if (wideMask) a.bytes[2] = 255;
    return platform::formatIpv4(a);
}

ErrorCode OpenServiceSocket(ServiceChannel& channel, const std::string& address) {
    if (!platform::resolveIpv4(address, channel.destination)) return kServiceSocketFailed;
    if (!channel.socket.create()) return kServiceSocketFailed;
    channel.socket.allowBroadcast();
    if (!channel.socket.setNonBlocking(true)) {
        channel.socket.close();
        return kServiceModeFailed;
    }
    return 0;
}

ErrorCode SendServiceDatagram(ServiceChannel& channel, const std::uint8_t* data, std::size_t length) {
    return channel.socket.sendTo(channel.destination, kServicePort, data, length) ? 0 : kServiceSendFailed;
}

ErrorCode ReceiveServiceDatagram(ServiceChannel& channel, std::uint8_t* buffer, std::size_t capacity,
                                 std::size_t& length, std::string& sender, int timeoutMs) {
    length = 0;
    const std::int64_t deadline = platform::monotonicMs() + timeoutMs;
    for (;;) {
        const std::int64_t left = deadline - platform::monotonicMs();
        if (left <= 0) return 0;
        platform::Ipv4 from;
        std::uint16_t fromPort = 0;
        std::size_t got = 0;
        switch (channel.socket.receive(buffer, capacity, static_cast<int>(left), got, from, fromPort)) {
            case platform::UdpSocket::ReceiveResult::Timeout: return 0;
            case platform::UdpSocket::ReceiveResult::Error: return kServiceReceiveFailed;
            case platform::UdpSocket::ReceiveResult::TooLong:
                if (fromPort != kServicePort) continue;  // not from a device: dropped like any other
                return kServiceReceiveFailed;
            case platform::UdpSocket::ReceiveResult::Datagram:
                if (fromPort != kServicePort) continue;
                length = got;
                sender = platform::formatIpv4(from);
                return 0;
        }
    }
}

ErrorCode CloseServiceSocket(ServiceChannel& channel) {
    if (!channel.socket.setNonBlocking(false)) return kServiceModeFailed;
    channel.socket.close();
    return 0;
}

std::string deviceAddressProblem(const std::string& address) {
    platform::Ipv4 ip;
    if (!platform::parseIpv4(address, ip)) return "\"" + address + "\" není adresa IPv4. ";
    const std::uint8_t first = ip.bytes[0], last = ip.bytes[3];
    if (first == 0 || first == 127 || first >= 224 || last == 0 || last == 255)
        return "Adresa " + address + " nemůže patřit zařízení (adresa sítě, všesměrová, skupinová nebo místní). ";
    return {};
}

std::vector<std::uint8_t> ipSetupDatagram(const MacAddress& mac, const std::string& newAddress) {
    platform::Ipv4 ip;
    if (!platform::parseIpv4(newAddress, ip)) return {};
    std::vector<std::uint8_t> d = {0x00, 0x00, 0x00, 0xAC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0x00, 0x00, mac[4], mac[5]};
    d.insert(d.end(), ip.bytes.begin(), ip.bytes.end());
    return d;
}

std::array<std::uint8_t, 8> restartDatagram(const MacAddress& mac) {
    return {0x00, 0x00, 0x00, 0x03, 0x33, 0x51, mac[4], mac[5]};
}

ErrorCode SendRestartDatagram(const std::string& address, const MacAddress& mac) {
    ServiceChannel channel;
    if (const ErrorCode opened = OpenServiceSocket(channel, address); opened != 0) return opened;
    const auto datagram = restartDatagram(mac);
    SendServiceDatagram(channel, datagram.data(), datagram.size());
    return CloseServiceSocket(channel);
}

}  // namespace lumo
