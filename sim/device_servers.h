#pragma once
// Network device servers of the simulator: each has an IPv4 address of its own (on loopback,
// or in a network namespace of a test), a type, a serial number and a MAC address. They answer
// the search request (00 00 00 A6) from port 30718 with the 30-byte answer, and move to the new
// address of an IP-SETUP datagram whose MAC bytes match theirs.

#include <functional>
#include <string>
#include <vector>

#include "sim/wire_log.h"

namespace lumo::sim {

struct DeviceServer {
    std::string ip;
    int type = 11;
    std::string serial;
    unsigned char mac[6] = {0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF};
};

// "IP/TYPE/SERIAL/MAC" ("10.77.0.5/11/359635110001/00-4F-49-0D-00-05"); false with `error`.
bool parseDeviceServer(const std::string& text, DeviceServer& out, std::string& error);

// The 30-byte answer of a server.
std::vector<unsigned char> searchAnswer(const DeviceServer& server);

// Serves until the process ends, calling `listening` once every socket and console listens;
// false at once when the sockets cannot be made.
bool runDeviceServers(std::vector<DeviceServer>& servers, WireLog& log, const std::function<void()>& listening);

}  // namespace lumo::sim
