// The start-up line scan over 16 lines: 8 that reach the simulator (serial and TCP) and 8 TCP
// lines where nobody listens.
//
//   build/bench/startup_scan_bench [ROUNDS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/app_state.h"
#include "app/startup.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "support/no_ports.h"
#include "support/sim_process.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-scan-" + std::to_string(lumo::platform::processId()));
    std::filesystem::create_directories(dir);
    lumo::test::writeNoPorts(dir.string());
    {
        lumo::test::SimProcess sim({"--pty", "--tcp", "0", "--comports", dir.string(), "--com", "3"},
                                   (dir / "wire.log").string());
        lumo::appState().workingDirectory = dir.string();
        lumo::appState().dataDirectory = dir.string() + "/";
        for (int n = 1; n <= 16; ++n) {
            std::filesystem::create_directories(dir / ("line" + std::to_string(n)));
            lumo::LineRecord r;
            r.setLineNumber(static_cast<std::uint8_t>(n));
            if (n <= 8 && n % 2 == 1) {
                r.setPort(3);
            } else {
                r.setIpAddress("127.0.0.1");
                r.setTcpPort(n <= 8 ? sim.tcpPort() : 1);
            }
            lumo::writeLineRecord(n - 1, r);
        }
        double total = 0, worst = 0;
        for (int i = 0; i < rounds; ++i) {
            const auto start = lumo::platform::monotonicUs();
            lumo::checkLinesAtStartup();
            const double ms = static_cast<double>(lumo::platform::monotonicUs() - start) / 1000.0;
            total += ms;
            worst = std::max(worst, ms);
        }
        std::printf("start-up scan of 16 lines (8 reachable, 8 unreachable TCP on loopback), %d rounds\n", rounds);
        std::printf("mean %.1f ms, worst %.1f ms\n", total / rounds, worst);
        std::printf("(a TCP host that does not answer the echo probe costs 500 ms more per line)\n");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
