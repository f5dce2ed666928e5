// How long one CAL transaction takes against the simulator, next to the sum of the pauses the
// protocol prescribes for it, on a pseudo-terminal serial line and on a TCP line over loopback.
//
//   build/bench/cal_transaction_bench [ROUNDS]
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "platform/clock.h"
#include "support/sim_process.h"

namespace {

// Serial, no direction control: each piece is paced at 5 ms a byte and followed by 12 ms;
// 50 ms after the selection and 130 ms before the release.
constexpr double kSerialPrescribedMs = (6 * 5 + 12) + 50 + (5 * 5 + 12) + 130 + (6 * 5 + 12);
// TCP: no pacing; 50 ms, 130 ms, and 100 ms after closing the socket.
constexpr double kTcpPrescribedMs = 50 + 130 + 100;

struct Figures {
    double mean, best, worst;
};

Figures measure(int line, int rounds) {
    std::vector<double> times;
    std::array<std::uint8_t, 100> answer{};
    for (int i = 0; i < rounds; ++i) {
        const auto start = lumo::platform::monotonicUs();
        const auto result = lumo::DeviceTransaction(lumo::sub::kNone, "CAL", line, 5, "", lumo::kModeSelectRelease, answer);
        times.push_back(static_cast<double>(lumo::platform::monotonicUs() - start) / 1000.0);
        if (result != 20) {
            std::fprintf(stderr, "unexpected result %08x\n", result);
            std::exit(1);
        }
    }
    double sum = 0;
    for (double t : times) sum += t;
    return {sum / rounds, *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end())};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-bench-" + std::to_string(lumo::platform::processId()));
    std::filesystem::create_directories(dir);
    {
        lumo::test::SimProcess sim({"--pty", "--tcp", "0", "--comports", dir.string(), "--com", "3", "--module",
                                    "serial 5 4", "--module", "tcp 5 4"},
                                   (dir / "wire.log").string());
        lumo::appState().workingDirectory = dir.string();
        lumo::LineRecord serial, tcp;
        serial.setLineNumber(1);
        serial.setPort(3);
        serial.setSpeed(1);
        tcp.setLineNumber(2);
        tcp.setIpAddress("127.0.0.1");
        tcp.setTcpPort(sim.tcpPort());
        lumo::LineConfigure(0, serial);
        lumo::LineConfigure(1, tcp);

        const Figures s = measure(0, rounds);
        const Figures t = measure(1, rounds);
        std::printf("CAL transaction, %d rounds each\n", rounds);
        std::printf("%-22s %10s %10s %10s %12s %8s\n", "line", "mean ms", "best ms", "worst ms", "prescribed", "over");
        std::printf("%-22s %10.2f %10.2f %10.2f %12.1f %7.2f%%\n", "serial (pseudo-tty)", s.mean, s.best, s.worst,
                    kSerialPrescribedMs, 100.0 * (s.mean / kSerialPrescribedMs - 1));
        std::printf("%-22s %10.2f %10.2f %10.2f %12.1f %7.2f%%\n", "tcp (loopback)", t.mean, t.best, t.worst,
                    kTcpPrescribedMs, 100.0 * (t.mean / kTcpPrescribedMs - 1));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
