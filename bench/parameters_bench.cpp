// A full read and a full write of each family's parameters against the simulator on a
// pseudo-terminal, next to the sum of the pauses the protocol prescribes for those transactions
// (a pseudo-terminal moves bytes at once; on a real line at 19200 bit/s each byte adds 0.52 ms).
//
//   build/bench/parameters_bench [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "device/module_parameters.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "support/bench_installation.h"
#include "support/sim_process.h"

namespace {

using namespace lumo;

// A piece on a serial line without direction control: 5 ms after every byte, 12 ms after the
// piece.
double piece(std::size_t bytes) { return static_cast<double>(bytes) * 5 + 12; }

// One transaction on the opened link: 1 ms as the port opens, the selection and 50 ms when it
// selects, the instruction ("#NAM+", or "#NAM", 10 ms and "$n+"), the data with '*' and checksum.
double transactionMs(bool select, int number, const std::string& data) {
    double ms = 1;
    if (select) ms += piece(6) + 50;
    ms += number < 0 ? piece(5) : piece(4) + 10 + piece(std::to_string(number).size() + 2);
    if (!data.empty()) ms += piece(data.size() + 2);
    return ms;
}
const double kEndMs = 1 + 130 + piece(6);  // 130 ms before "&MLEND"

double prescribedRead(DeviceTypeCode type) {
    double ms = transactionMs(true, -1, "") + 2 * transactionMs(false, 6, "") + kEndMs;  // CAL, INF 6, INF 8
    if (type == 4) ms += transactionMs(false, 3, "");                                    // INF 3
    return ms;
}

double prescribedWrite(const ModuleRecord& record) {
    double ms = transactionMs(true, -1, "") + kEndMs;
    for (const ParameterCommand& c : parameterCommands(record)) ms += transactionMs(false, c.subInstruction.wireDigit(), c.data);
    return ms;
}

struct Figures {
    double mean = 0, best = 1e9;
};

template <class F>
Figures measure(int rounds, F operation) {
    Figures f;
    for (int i = 0; i < rounds; ++i) {
        const auto start = platform::monotonicUs();
        if (!operation()) {
            std::fprintf(stderr, "the operation failed\n");
            std::exit(1);
        }
        const double ms = static_cast<double>(platform::monotonicUs() - start) / 1000.0;
        f.mean += ms / rounds;
        f.best = std::min(f.best, ms);
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-params-bench-" + std::to_string(platform::processId()));
    std::filesystem::create_directories(dir / "line1");
    {
        const struct {
            int id, type;
            const char* name;
            const char* simulated;
        } families[] = {{5, 4, "TQ300 (level 4)", "serial 5 4 version=1.30"},
                        {6, 3, "LOQ3 (level 3)", "serial 6 3 version=2.26"},
                        {7, 8, "ZB40 (level 1)", "serial 7 8 version=1.33"},
                        {8, 9, "ZB20", "serial 8 9"}};
        std::vector<std::string> args = {"--pty", "--comports", dir.string(), "--com", "3"};
        for (const auto& f : families) args.insert(args.end(), {"--module", f.simulated});
        test::SimProcess sim(args, (dir / "wire.log").string());
        test::useSimulatedSerialLine(dir);

        std::printf("parameters against the simulator on a pseudo-terminal, %d rounds each\n", rounds);
        std::printf("%-16s %-6s %10s %10s %12s %8s\n", "family", "", "mean ms", "best ms", "prescribed", "over");
        int k = 0;
        for (const auto& f : families) {
            ++k;
            ModuleRecord record;
            record.setId(static_cast<std::uint8_t>(f.id));
            record.setType(static_cast<DeviceTypeCode>(f.type));
            writeModuleRecord(0, k, record);
            const Figures read = measure(rounds, [&] { return ReadModuleParameters(false, 0, k, record); });
            const Figures write = measure(rounds, [&] { return WriteModuleParameters(0, record); });
            const double readFloor = prescribedRead(record.type()), writeFloor = prescribedWrite(record);
            std::printf("%-16s %-6s %10.1f %10.1f %12.1f %7.2f%%\n", f.name, "read", read.mean, read.best, readFloor,
                        100.0 * (read.mean / readFloor - 1));
            std::printf("%-16s %-6s %10.1f %10.1f %12.1f %7.2f%%\n", "", "write", write.mean, write.best, writeFloor,
                        100.0 * (write.mean / writeFloor - 1));
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
