// The job slot: one worker at a time, cancelled at its next waiting point, always ending with
// the line closed, the release sent and the slot free.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <csignal>

#include "base/app_state.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "service/jobs.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

class Jobs : public test::SimTest {
protected:
    void TearDown() override {
        jobCancel();
        JobWait();
        SimTest::TearDown();
    }
};

// A worker that asks module 5 CAL until it is told to stop, as the communication test does.
std::function<void()> calLoop(int line, std::atomic<int>& cycles) {
    return [line, &cycles] {
        std::array<std::uint8_t, 64> answer{};
        while (jobContinues()) {
            DeviceTransaction(sub::kNone, "CAL", line, 5, "", kModeSelectRelease, answer);
            ++cycles;
        }
        JobFinish();
    };
}

TEST_F(Jobs, OneSlotCancelledWithinOneCycleAndLeftClean) {
    startSim({"serial 5 4", "tcp 5 4"});
    for (const int line : {kSerialLine, kTcpLine}) {
        std::atomic<int> cycles{0};
        backgroundJob().lineIndex = line;
        ASSERT_TRUE(JobStart(calLoop(line, cycles)));
        EXPECT_TRUE(jobActive());
        EXPECT_EQ(appState().jobRunning, 1);
        // A second job while this one runs is refused.
        std::atomic<int> other{0};
        EXPECT_FALSE(JobStart(calLoop(line, other)));
        EXPECT_EQ(ui.callsOf("message").back(), "Upozornění|Na pozadí již běží jiný proces. ");
        while (cycles < 2) platform::pause(20);
        std::filesystem::resize_file(logPath(), 0);
        const std::int64_t cancelled = platform::monotonicMs();
        jobCancel();  // "Přerušit aktivní příkaz"
        JobWait();
        EXPECT_LT(platform::monotonicMs() - cancelled, 1000) << "more than one cycle after the cancel";
        EXPECT_FALSE(jobActive());
        EXPECT_EQ(other.load(), 0);
        const std::string wire = this->wire().received();
        // The cycle that saw the cancel ended with its release.
        ASSERT_GE(wire.size(), 6u);
        EXPECT_EQ(wire.substr(wire.size() - 6), "&MLEND") << wire;
        EXPECT_FALSE(linePort(line).serial);
        EXPECT_FALSE(linePort(line).socket);
        EXPECT_TRUE(ui.callsOf("message").size() == 1u);  // a cancelled job says nothing
        ui.calls.clear();
    }
}

TEST_F(Jobs, ProgressOnlyWhileABarIsShown) {
    ProgressSetRange(10);
    ProgressStep();
    ProgressHide();
    EXPECT_TRUE(ui.callsOf("progress").empty());
    ProgressShow("Přenos souboru");
    ProgressSetRange(70000);  // taken as 16 bits
    ProgressStep();
    ProgressHide();
    ProgressHide();
    EXPECT_EQ(ui.callsOf("progress"),
              (std::vector<std::string>{"show Přenos souboru", "range 4464", "step", "hide"}));
}

TEST_F(Jobs, InterruptStopsTheJob) {
    platform::onInterrupt([] { jobCancel(); });
    backgroundJob().lineIndex = -1;
    ASSERT_TRUE(JobStart([] {
        while (jobContinues()) platform::pause(10);
    }));
    std::raise(SIGINT);  // Ctrl-C
    JobWait();
    EXPECT_FALSE(jobActive());
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace lumo
