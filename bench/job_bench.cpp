// The two background jobs against the simulator on a pseudo-terminal, next to the floor the
// prescribed pauses allow: the communication test's cycles per second, and a 1,000-record file
// transfer's time. (A pseudo-terminal moves bytes at once; on a real line at 19200 bit/s each
// byte adds 0.52 ms, shown as the second floor.)
//
//   build/bench/job_bench [CYCLES] [RECORDS]
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "actions/device_actions.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "device/communication_test.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/file_transfer.h"
#include "service/jobs.h"
#include "support/bench_installation.h"
#include "support/sim_process.h"

namespace {

constexpr double kByteMs = 10.0 / 19200 * 1000;  // start, 8 data and stop bits

// A test cycle: "&ML_05" paced 5 ms a byte and 12 ms after it, 50 ms, "#INF" paced and 12 ms,
// 10 ms, "$4+" paced and 12 ms, then 100 ms to the next cycle. No answer, no release.
constexpr double kCyclePauseMs = (6 * 5 + 12) + 50 + (4 * 5 + 12) + 10 + (3 * 5 + 12) + 100;
constexpr int kCycleBytes = 6 + 4 + 3;

}  // namespace

int main(int argc, char** argv) {
    using namespace lumo;
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 20;
    const int records = argc > 2 ? std::atoi(argv[2]) : 1000;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-job-bench-" + std::to_string(platform::processId()));
    std::filesystem::create_directories(dir);
    {
        test::SimProcess sim({"--pty", "--comports", dir.string(), "--com", "3", "--module", "serial 5 4"},
                             (dir / "wire.log").string());
        test::useSimulatedSerialLine(dir);
        test::addModuleRecord(0, 1, 5, 4);

        // The communication test, `cycles` cycles.
        std::atomic<int> done{0};
        const std::int64_t start = platform::monotonicUs();
        runCommunicationTest(
            0, 5, [&done](const std::string& text) { done += text.rfind("Test", 0) == 0; },
            [&done, cycles] { return done < cycles; });
        const double testMs = static_cast<double>(platform::monotonicUs() - start) / 1000.0;
        // The last cycle ends without the 100 ms wait.
        const double testFloor = cycles * kCyclePauseMs - 100;
        std::printf("communication test, %d cycles\n", cycles);
        std::printf("  measured %.1f ms: %.3f cycles/s\n", testMs, cycles * 1000.0 / testMs);
        std::printf("  floor of the pauses %.1f ms: %.3f cycles/s; over it %.2f%%\n", testFloor,
                    cycles * 1000.0 / testFloor, 100.0 * (testMs / testFloor - 1));
        std::printf("  floor with the bytes at 19200 bit/s %.1f ms\n", testFloor + cycles * kCycleBytes * kByteMs);

        // A file of `records` CR LF records of 7 characters, sent with DLL 2 (no counter zeroed).
        const std::string path = (dir / "records.txt").string();
        {
            std::ofstream out(path, std::ios::binary);
            for (int i = 0; i < records; ++i) out << "REC" << (1000 + i % 9000) << "\r\n";
        }
        TransferRequest request;
        request.lineIndex = 0;
        request.moduleNumber = 1;
        request.subInstruction = 2;
        request.fileName = path;
        appState().jobRunning = 1;
        const std::int64_t sendStart = platform::monotonicUs();
        const bool sent = runFileTransfer(request);
        const double sendMs = static_cast<double>(platform::monotonicUs() - sendStart) / 1000.0;
        LineClose(0);
        if (!sent) {
            std::fprintf(stderr, "the transfer failed\n");
            return 1;
        }
        // "&ML_05#DLL$2+" and 12 ms, each record and 12 ms (its acknowledgement comes at once),
        // 300 ms after the last, "&ML_END" and 12 ms.
        const double sendFloor = 12 + records * 12.0 + 300 + 12;
        const double sendBytes = 13 + records * (8 + 1) + 1 + 7;  // records, acknowledgements, CRC, release
        std::printf("file transfer, %d records of 7 characters\n", records);
        std::printf("  measured %.1f ms\n", sendMs);
        std::printf("  floor of the pauses %.1f ms; over it %.2f%%\n", sendFloor, 100.0 * (sendMs / sendFloor - 1));
        std::printf("  floor with the bytes at 19200 bit/s %.1f ms\n", sendFloor + sendBytes * kByteMs);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
