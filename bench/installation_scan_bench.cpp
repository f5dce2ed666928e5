// The start-up scan of a whole installation, in a network namespace of its own (root): 16 TCP
// converter lines, 8 of them silent (a host on the local subnet that never answers: its echo
// probe and its connect wait run out) and 8 that refuse the connection at once. Every line is a
// bus of its own, so the scan should take about as long as its slowest line; the figure is
// printed beside one silent line scanned alone.
//
//   build/bench/installation_scan_bench [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/startup.h"
#include "base/app_state.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "support/network_namespace.h"
#include "support/no_ports.h"

namespace {

namespace fs = std::filesystem;

void writeLines(const fs::path& dir, int count) {
    for (int n = 1; n <= 16; ++n) {
        fs::remove_all(dir / ("line" + std::to_string(n)));
        if (n > count) continue;
        fs::create_directories(dir / ("line" + std::to_string(n)));
        lumo::LineRecord r;
        r.setLineNumber(static_cast<std::uint8_t>(n));
        r.setPort(0);
        // Odd lines: a silent host of the namespace's subnet; even: loopback, a port nobody
        // listens on (refused at once).
        if (n % 2 == 1) {
            r.setIpAddress("10.9.0." + std::to_string(10 + n));
            r.setTcpPort(10001);
        } else {
            r.setIpAddress("127.0.0.1");
            r.setTcpPort(n);
        }
        lumo::writeLineRecord(n - 1, r);
    }
}

double scanMs(int rounds, double& worst) {
    double total = 0;
    worst = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto start = lumo::platform::monotonicUs();
        lumo::checkLinesAtStartup();
        const double ms = static_cast<double>(lumo::platform::monotonicUs() - start) / 1000.0;
        total += ms;
        worst = std::max(worst, ms);
    }
    return total / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const auto dir = fs::temp_directory_path() / ("lumo-iscan-" + std::to_string(lumo::platform::processId()));
    fs::create_directories(dir);
    lumo::test::writeNoPorts(dir.string());
    const int status = lumo::test::inOwnNetworkNamespace(
        [] {
            // A subnet behind a link whose far end has no address: nobody answers there.
            return lumo::test::shellSucceeds("ip link add lumo0 type veth peer name lumo1") &&
                   lumo::test::shellSucceeds("ip addr add 10.9.0.1/24 dev lumo0") &&
                   lumo::test::shellSucceeds("ip link set lumo0 up") && lumo::test::shellSucceeds("ip link set lumo1 up");
        },
        [&] {
            lumo::appState().workingDirectory = dir.string();
            lumo::appState().dataDirectory = dir.string() + "/";
            lumo::SocketsStart();
            double worstOne = 0, worstAll = 0;
            writeLines(dir, 1);
            const double one = scanMs(rounds, worstOne);
            writeLines(dir, 16);
            const double all = scanMs(rounds, worstAll);
            std::printf("start-up scan, %d rounds each\n", rounds);
            std::printf("  one silent converter line:                       mean %7.1f ms, worst %7.1f ms\n", one, worstOne);
            std::printf("  16 lines (8 silent converters, 8 refusing):      mean %7.1f ms, worst %7.1f ms\n", all, worstAll);
            std::printf("  16 lines / slowest line: %.2f\n", all / one);
        });
    fs::remove_all(dir);
    if (status == 3) std::printf("no network namespace here (root and ip are needed)\n");
    return status == 0 ? 0 : 1;
}
