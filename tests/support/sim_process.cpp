#include "support/sim_process.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/clock.h"

namespace lumo::test {

std::vector<std::string> SimProcess::prefix;

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<std::string> argv = prefix;
    argv.push_back(LUMO_SIM_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back("--exit-with-parent");
    if (!logPath.empty()) {  // without: no wire log (it writes and flushes every byte)
        argv.push_back("--log");
        argv.push_back(logPath);
    }
    if (!process_.start(argv)) throw std::runtime_error("cannot start lumo-sim");
    std::string text;
    const std::int64_t deadline = platform::monotonicMs() + 10000;
    while (text.find("ready") == std::string::npos) {
        const std::int64_t left = deadline - platform::monotonicMs();
        if (left <= 0 || !process_.readOutput(text, static_cast<int>(left))) break;
    }
    process_.closeOutput();
    if (text.find("ready") == std::string::npos) throw std::runtime_error("lumo-sim did not start: " + text);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("pty ", 0) == 0) pty_ = line.substr(4);
        if (line.rfind("tcp 127.0.0.1:", 0) == 0) tcpPort_ = std::stoi(line.substr(14));
    }
}

SimProcess::~SimProcess() { process_.terminate(); }

std::string Wire::received() const {
    std::string s;
    for (const auto& b : bytes) {
        if (b.received) s.push_back(static_cast<char>(b.value));
    }
    return s;
}

std::string Wire::sent() const {
    std::string s;
    for (const auto& b : bytes) {
        if (!b.received) s.push_back(static_cast<char>(b.value));
    }
    return s;
}

double Wire::receivedAt(std::size_t n) const {
    for (const auto& b : bytes) {
        if (b.received && n-- == 0) return b.ms;
    }
    return -1;
}

double Wire::lastSentBefore(std::size_t n) const {
    double last = -1;
    for (const auto& b : bytes) {
        if (b.received && n-- == 0) return last;
        if (!b.received) last = b.ms;
    }
    return -1;
}

Wire readWire(const std::string& logPath) {
    Wire wire;
    std::ifstream in(logPath);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        WireByte b;
        std::string dir;
        words >> b.ms >> b.transport >> dir;
        if (dir == "note") {
            std::string rest;
            std::getline(words, rest);
            wire.notes.push_back(rest.empty() ? rest : rest.substr(1));
            continue;
        }
        unsigned value = 0;
        words >> std::hex >> value;
        b.received = dir == "rx";
        b.value = static_cast<std::uint8_t>(value);
        wire.bytes.push_back(b);
    }
    return wire;
}

}  // namespace lumo::test
