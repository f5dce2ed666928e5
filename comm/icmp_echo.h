#pragma once
// ICMP echo messages: the probe that tells whether a host answers, and the checksum.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumo {

// The Internet checksum (RFC 1071) of an ICMP message, its checksum field (bytes 2-3) left out.
std::uint16_t InternetChecksum(std::size_t length, const std::uint8_t* bytes);

// Writes the header of an echo request into message[0..7]: type 8, code 0, identifier and
// sequence low byte first, then the checksum over `length` bytes (payload already in place).
void buildEchoRequest(std::uint8_t* message, std::size_t length, std::uint16_t identifier, std::uint16_t sequence);

enum class ProbeResult { Answered, Silent, NotPermitted };

// Sends one echo request to the host and waits 500 ms for its reply.
ProbeResult probeHost(const std::string& host);

// 1 when the host answers an echo request within 500 ms, 0 when it does not, and
// kProbeUnknown where the system permits no ICMP to this program: nothing is known about the
// host then, and a caller goes on as if it answered (the TCP connect decides).
inline constexpr int kProbeUnknown = -1;
int HostProbe(const std::string& host);

}  // namespace lumo
