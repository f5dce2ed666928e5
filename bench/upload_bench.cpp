// The upload of a whole 0xF3FF-byte segment against the simulator on a pseudo-terminal, next to
// the floor the protocol's pauses allow (12 ms after every request written to the serial port,
// the service open's pauses), and the floor on a real line at 19200 bit/s, where every byte of
// the requests and answers adds 0.52 ms.
//
//   build/bench/upload_bench [ROUNDS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "actions/memory_actions.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "service/memory_transfer.h"
#include "support/bench_installation.h"
#include "support/sim_process.h"

int main(int argc, char** argv) {
    using namespace lumo;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-upload-bench-" + std::to_string(platform::processId()));
    std::filesystem::create_directories(dir / "line1");
    {
        test::SimProcess sim({"--pty", "--comports", dir.string(), "--com", "3", "--module", "serial 5 4"},
                             "");  // no wire log: it writes and flushes every byte, which no device does
        test::useSimulatedSerialLine(dir);
        test::addModuleRecord(0, 1, 5, 4);

        const std::uint32_t size = 0xF3FF;
        const int requests = static_cast<int>((size + kUploadChunk - 1) / kUploadChunk);
        // The service open: 1 ms, the preamble and 12 ms, 10 ms, the service mark and 12 ms.
        const double floorMs = 1 + 12 + 10 + 12 + requests * 12.0;
        const double requestBytes = static_cast<double>(uploadRequest(0, 0xC00, size).size()) +
                                    (requests - 1) * static_cast<double>(uploadNextRequest().size()) + 4 + 3;
        const double answerBytes = (requests - 1) * 256.0 + uploadAnswerLength(size % kUploadChunk);
        const double lineMs = floorMs + (requestBytes + answerBytes) * 10.0 / 19200 * 1000;
        double total = 0, best = 1e12;
        for (int i = 0; i < rounds; ++i) {
            bool done = false;
            const std::int64_t start = platform::monotonicUs();
            if (startUpload(0, 1, 0, 0xC00, size, (dir / "segment.bin").string(), [&done](bool ok) { done = ok; }) != 1) {
                std::fprintf(stderr, "not started\n");
                return 1;
            }
            JobWait();
            const double ms = static_cast<double>(platform::monotonicUs() - start) / 1000.0;
            if (!done || std::filesystem::file_size(dir / "segment.bin") != size) {
                std::fprintf(stderr, "the upload failed\n");
                return 1;
            }
            total += ms;
            best = std::min(best, ms);
        }
        std::printf("upload of a 0x%X-byte segment (%d requests), %d rounds\n", size, requests, rounds);
        std::printf("  mean %.1f ms, best %.1f ms\n", total / rounds, best);
        std::printf("  floor of the pauses %.1f ms; over it %.2f%%\n", floorMs, 100.0 * (total / rounds / floorMs - 1));
        std::printf("  floor on a real line at 19200 bit/s %.1f ms\n", lineMs);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
