// RegisterLastSequence over a register of 100 000 lines.
//
//   build/bench/register_bench [LINES] [ROUNDS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/app_state.h"
#include "platform/clock.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 10;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-register-" + std::to_string(lumo::platform::processId()));
    std::filesystem::create_directories(dir / "reg");
    std::ofstream(dir / "sn.dat") << (dir / "reg").string();
    {
        std::ofstream out(dir / "reg" / "sernum.txt", std::ios::binary);
        for (int i = 0; i < lines; ++i) {
            out << lumo::SerialEncode(i % 10000, i % 48, lumo::packDate(1 + i % 28, 1 + i % 12, 2000 + i % 100))
                << ";poznamka k zarizeni cislo " << i << ";" << i % 4 << "\r\n";
        }
    }
    lumo::appState().dataDirectory = dir.string() + "/";
    const auto size = std::filesystem::file_size(dir / "reg" / "sernum.txt");
    double best = 1e30, total = 0;
    int last = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = lumo::platform::monotonicUs();
        last = lumo::RegisterLastSequence(4);
        const double ms = static_cast<double>(lumo::platform::monotonicUs() - start) / 1000.0;
        total += ms;
        best = std::min(best, ms);
    }
    std::printf("RegisterLastSequence: %d lines (%.1f MB), last sequence %d\n", lines, static_cast<double>(size) / 1e6, last);
    std::printf("mean %.2f ms, best %.2f ms over %d rounds\n", total / rounds, best, rounds);
    std::filesystem::remove_all(dir);
    return 0;
}
