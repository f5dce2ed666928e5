#pragma once
// The simulator as a real process for a test: started with its options, waited for until it is
// ready, stopped when the object goes; and its wire log read back.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/child_process.h"

namespace lumo::test {

class SimProcess {
public:
    // Starts lumo-sim with `args` plus a wire log in `logPath` (none when it is empty).
    SimProcess(const std::vector<std::string>& args, const std::string& logPath);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& ptyPath() const { return pty_; }
    int tcpPort() const { return tcpPort_; }
    // Optional prefix, e.g. {"ip", "netns", "exec", "ns"}, comes before the program.
    static std::vector<std::string> prefix;

private:
    platform::ChildProcess process_;
    std::string pty_;
    int tcpPort_ = -1;
};

struct WireByte {
    double ms;
    std::string transport;
    bool received;  // from the master
    std::uint8_t value;
};

struct Wire {
    std::vector<WireByte> bytes;
    std::vector<std::string> notes;

    // All bytes of one direction as text.
    std::string received() const;
    std::string sent() const;
    // Time of the n-th received byte (0-based).
    double receivedAt(std::size_t n) const;
    // Time of the last byte sent before the n-th received byte, or -1.
    double lastSentBefore(std::size_t n) const;
};

Wire readWire(const std::string& logPath);

}  // namespace lumo::test
