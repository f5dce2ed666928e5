// The wire trace: every frame of an exchange, one a line, in the order they went.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include "comm/transaction.h"
#include "comm/wire_trace.h"
#include "support/ctl_runner.h"
#include "support/file_kinds.h"
#include "support/full_disk.h"
#include "support/scripted_ui.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

TEST(WireTraceLines, HexBesideTextShortFramesAlignedFailuresMarked) {
    const std::uint8_t frame[] = {'&', 'M', 'L', '_', '0', '5'};
    EXPECT_EQ(traceLine(0, WireDirection::Sent, frame, sizeof frame, false),
              "L1 -> 26 4d 4c 5f 30 35                                |&ML_05|");
    const std::uint8_t answer[] = {'O', 'K', '*', 0xca, 0x00, '\n'};
    EXPECT_EQ(traceLine(15, WireDirection::Received, answer, sizeof answer, true),
              "L16 <- 4f 4b 2a ca 00 0a                                |OK*...| (failed)");
    EXPECT_EQ(traceLine(2, WireDirection::Received, nullptr, 0, false),
              "L3 <- " + std::string(48, ' ') + " ||");
}

class WireTraceTest : public test::SimTest {};

TEST_F(WireTraceTest, ATransactionIsTracedFrameByFrame) {
    startSim({"serial 5 4", "tcp 2 4"});
    const std::string path = dir.str() + "/trace.txt";
    ASSERT_TRUE(startWireTrace(path));
    std::array<std::uint8_t, 64> answer{};
    ASSERT_EQ(DeviceTransaction(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer), 20u);
    ASSERT_EQ(DeviceTransaction(sub::kCfgParameters, "CFG", kTcpLine, 2, "P203", kModeSelectRelease | kNoAnswer, answer), 0u);
    stopWireTrace();
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("# \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d trace begins .*")));
    const char* expected[] = {"L1 -> .*\\|&ML_05\\|", "L1 -> .*\\|#CAL\\+\\|", "L1 <- 21 34 .*\\|!447157040005V1\\.23\\*.\\|",
                              "L1 -> .*\\|&MLEND\\|", "L2 -> .*\\|&ML_02\\|", "L2 -> .*\\|#CFG\\|", "L2 -> .*\\|\\$8\\+\\|",
                              "L2 -> .*\\|P203\\*.\\|", "L2 -> .*\\|&MLEND\\|"};
    double last = -1;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_TRUE(std::regex_match(line, std::regex(" *\\d+\\.\\d{3} " + std::string(expected[i])))) << line;
        const double ms = std::stod(line);
        EXPECT_GE(ms, last) << line;
        last = ms;
    }
}

TEST(WireTraceCli, AFileThatCannotBeWrittenIsRefused) {
    test::TempDir work;
    test::CtlResult r = test::runCtl(work.str(), "--trace /nonexistent/folder/trace.txt list");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: the trace file /nonexistent/folder/trace.txt cannot be written: its folder does not exist\n");
    ::mkfifo((work.path() / "fifo").c_str(), 0644);
    r = test::runCtl(work.str(), "--trace fifo list");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: the trace file fifo cannot be written: it is no regular file (a FIFO or a device)\n");
}

// The trace file is opened as every other file: a FIFO, a device or a folder is refused, and
// no link is followed (the file it points to keeps its bytes). Run in a child with an alarm:
// an open that waits for a FIFO's reader fails the test instead of hanging it.
TEST(WireTraceFile, OnlyARegularFileIsTracedInto) {
    test::TempDir work, outside;
    std::ofstream(outside.path() / "precious") << "precious";
    for (const auto& kind : test::unreadableFileKinds(outside.path() / "precious")) {
        const std::filesystem::path path = work.path() / "trace.txt";
        std::filesystem::remove_all(path);
        if (std::string(kind.what) == "no permission" || !kind.make(path)) continue;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(5);
            ::_exit(startWireTrace(path.string()) ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_FALSE(WIFSIGNALED(status)) << kind.what << ": the open waited";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << kind.what << ": traced into";
        std::ifstream in(outside.path() / "precious");
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "precious") << kind.what;
    }
}

// A disk that is full at the start refuses the trace; one that fills later is said once, and
// the trace ends there.
TEST(WireTraceFile, AFullDiskIsSaidOnce) {
    test::TempDir work;
    test::ScriptedUi ui;
    ui.install();
    const std::string path = work.str() + "/trace.txt";
    {
        test::FullDisk full(0);
        EXPECT_FALSE(startWireTrace(path));
    }
    ASSERT_TRUE(startWireTrace(path));
    const std::uint8_t frame[] = {'&', 'M', 'L', '_', '0', '5'};
    {
        test::FullDisk full(std::filesystem::file_size(path) + 10);
        for (int i = 0; i < 3; ++i) traceFrame(0, WireDirection::Sent, frame, sizeof frame);
    }
    EXPECT_FALSE(wireTraceOn());
    const auto messages = ui.callsOf("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Upozornění|Záznam komunikace nelze zapsat do souboru " + path + ": ", 0), 0u)
        << messages[0];
    std::ifstream in(path);
    std::string first, second;
    std::getline(in, first);
    EXPECT_FALSE(std::getline(in, second)) << "a line cut short stayed: " << second;
    stopWireTrace();
    installUiPort({});
}

}  // namespace
}  // namespace lumo
