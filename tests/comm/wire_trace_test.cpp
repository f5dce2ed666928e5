// The wire trace: every frame of an exchange, one a line, in the order they went.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "comm/transaction.h"
#include "comm/wire_trace.h"
#include "support/ctl_runner.h"
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
    const char* expected[] = {"L1 -> .*\\|&ML_05\\|", "L1 -> .*\\|#CAL\\+\\|", "L1 <- 21 31 .*\\|!100000040005V1\\.23\\*.\\|",
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
    const test::CtlResult r = test::runCtl(work.str(), "--trace /nonexistent/folder/trace.txt list");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: the trace file /nonexistent/folder/trace.txt cannot be written\n");
}

}  // namespace
}  // namespace lumo
