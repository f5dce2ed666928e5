#include "support/sim_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace lumo::test {

std::vector<std::string> SimProcess::prefix;

SimProcess::SimProcess(const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<std::string> argv = prefix;
    argv.push_back(LUMO_SIM_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back("--exit-with-parent");
    argv.push_back("--log");
    argv.push_back(logPath);
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int rc = ::posix_spawnp(&pid_, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        throw std::runtime_error("cannot start lumo-sim");
    }
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (text.find("ready\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{out[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char chunk[256];
        const ssize_t n = ::read(out[0], chunk, sizeof chunk);
        if (n <= 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (text.find("ready\n") == std::string::npos) throw std::runtime_error("lumo-sim did not start: " + text);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("pty ", 0) == 0) pty_ = line.substr(4);
        if (line.rfind("tcp 127.0.0.1:", 0) == 0) tcpPort_ = std::stoi(line.substr(14));
    }
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

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
