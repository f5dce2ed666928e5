// lumo-ctl against the simulator's TCP converter only: the path every system has (on Windows the
// simulator has no serial bus). A line is made and pointed at the converter, its modules found,
// asked, set and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ctl_runner.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

class LumoCtlTcp : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<test::SimProcess>(
            std::vector<std::string>{"--tcp", "0", "--module", "tcp 2 4", "--module", "tcp 6 4 silent"},
            work.str() + "/wire.log");
        ASSERT_GT(sim->tcpPort(), 0);
    }
    test::CtlResult ctl(const std::vector<std::string>& args) { return test::runCtlArgs(work.str(), args); }
    test::TempDir work;
    std::unique_ptr<test::SimProcess> sim;
};

TEST_F(LumoCtlTcp, LineModulesQuestionsAndSettingsOverTheConverter) {
    ASSERT_EQ(ctl({"config", "set", "--data-dir", work.str()}).status, 0);
    ASSERT_EQ(ctl({"line", "add", "tcp"}).out, "1\n");
    ASSERT_EQ(ctl({"line", "set", "1", "--ip", "127.0.0.1", "--tcp-port", std::to_string(sim->tcpPort())}).status, 0);
    ASSERT_EQ(ctl({"module", "add", "1", "--type", "4", "--id", "2"}).out, "1\n");
    ASSERT_EQ(ctl({"module", "add", "1", "--type", "4", "--id", "6"}).out, "2\n");

    // The answer of module 2 as it came; the silent one fails the read on a TCP line.
    EXPECT_EQ(ctl({"send", "1/1", "CAL"}).out.rfind("!449717040002V1.23*", 0), 0u);
    const test::CtlResult silent = ctl({"send", "1/2", "CAL"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_NE(silent.err.find("Err.code: 03020702"), std::string::npos) << silent.err;

    // The clock set; the counters read, one changed and read back.
    EXPECT_EQ(ctl({"clock", "1/1", "--set", "24.12.2026 18:30:05 4"}).status, 0);
    EXPECT_EQ(ctl({"counters", "1/1"}).out, "C1=3\nC2=2\nC3=0\nC4=100\nC5=0\n");
    EXPECT_EQ(ctl({"counters", "1/1", "C2=77"}).status, 0);
    EXPECT_EQ(ctl({"counters", "1/1"}).out, "C1=3\nC2=77\nC3=0\nC4=100\nC5=0\n");

    // A parameter written and read back from the device.
    const test::CtlResult before = ctl({"params", "1/1"});
    ASSERT_EQ(before.status, 0) << before.err;
    EXPECT_EQ(ctl({"params", "1/1", "displayText=Recepce"}).status, 0);
    const test::CtlResult after = ctl({"params", "1/1"});
    EXPECT_NE(after.out.find("displayText=Recepce\n"), std::string::npos) << after.out;

    // A module that is not there, and a wrong word on the command line.
    EXPECT_EQ(ctl({"send", "1/9", "CAL"}).status, 1);
    EXPECT_EQ(ctl({"line", "set", "1", "--tcp-port", "port"}).status, 2);
}

}  // namespace
}  // namespace lumo
