// One operation on the lines at a time, whichever front end starts it: the lease refuses the
// second with one text, is given back on every way out, and carries its operation's own stop.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

#include "actions/config_actions.h"
#include "actions/device_actions.h"
#include "actions/install_actions.h"
#include "actions/line_operation.h"
#include "actions/panel_actions.h"
#include "base/app_state.h"
#include "comm/line_lease.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using LineLeaseTest = test::InstallationTest;

const std::string kRefusal = std::string("Upozornění|") + kLinesBusyText;

// While an operation holds the lines (here a dump's lease, then a background job), every other
// command on them is refused with the one text before it touches a line or a record.
TEST_F(LineLeaseTest, EveryOtherCommandIsRefusedWithOneText) {
    ASSERT_EQ(newLine(0), 1);
    ProgramSettings settings;
    settings.dataDirectory = dir.str() + "/other";
    const struct {
        const char* what;
        std::function<int()> command;
    } commands[] = {
        {"device check", [] { return checkItem(0, 0); }},
        {"switch", [] { return toggleItem(0, 0); }},
        {"line settings", [] { return saveLineSettings(0, LineSettings{}); }},
        {"add module", [] { return addModule(0, 4, "5"); }},
        {"removal", [] { return removeItem(0, 0); }},
        {"settings", [&settings] { return saveProgramSettings(settings); }},
        {"another job", [] { return JobStart([] {}) ? 1 : 0; }},
    };
    const auto allRefused = [&](const char* holder) {
        for (const auto& c : commands) {
            ui.calls.clear();
            ui.answers = {true, true};
            EXPECT_EQ(c.command(), 0) << holder << ": " << c.what;
            EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{kRefusal}) << holder << ": " << c.what;
            EXPECT_TRUE(ui.callsOf("ask").empty()) << holder << ": " << c.what;
        }
    };
    {
        const LineLease dump = takeLineLease();
        ASSERT_TRUE(dump.held());
        allRefused("an operation");
    }
    std::atomic<bool> release{false};
    ASSERT_TRUE(JobStart([&release] {
        while (!release) platform::pause(5);
        JobFinish();
    }));
    allRefused("the job");
    release = true;
    JobWait();
    EXPECT_FALSE(lineLeaseHeld());
    ui.calls.clear();
    ui.answers = {true};
    EXPECT_EQ(removeItem(0, 0), 1);  // the lines are free again
}

TEST_F(LineLeaseTest, GivenBackOnEveryWayOut) {
    EXPECT_EQ(runOnLinesSimply([] { return lineLeaseHeld() ? 1 : 0; }), 1);
    EXPECT_FALSE(lineLeaseHeld());
    EXPECT_THROW(runOnLinesSimply([]() -> int { throw std::runtime_error("fault in an operation"); }),
                 std::runtime_error);
    EXPECT_FALSE(lineLeaseHeld());
    // A job whose worker throws gives the lines back too, and says so.
    ASSERT_TRUE(JobStart([] { throw std::runtime_error("fault in a job"); }));
    JobWait();
    EXPECT_FALSE(lineLeaseHeld());
    EXPECT_FALSE(jobActive());
    ASSERT_FALSE(ui.callsOf("message").empty());
    EXPECT_NE(ui.callsOf("message").back().find("fault in a job"), std::string::npos);
    LineLease first = tryLineLease();
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(tryLineLease().held());  // silently refused
    LineLease moved = std::move(first);
    EXPECT_TRUE(lineLeaseHeld());
    moved.release();
    EXPECT_FALSE(lineLeaseHeld());
}

// A stop reaches the operation that holds the lines and no other: not the job's flag, not an
// operation started after it.
TEST_F(LineLeaseTest, AStopIsItsOperationsOwn) {
    {
        const LineLease dump = tryLineLease();
        const LeaseOnThisThread bound(dump);
        EXPECT_TRUE(operationContinues());
        stopJob();  // "Přerušit aktivní příkaz"
        EXPECT_TRUE(dump.stopRequested());
        EXPECT_FALSE(operationContinues());
        EXPECT_EQ(appState().jobRunning, 0);  // no job: its flag untouched
    }
    const LineLease later = tryLineLease();
    const LeaseOnThisThread bound(later);
    EXPECT_FALSE(later.stopRequested());
    EXPECT_TRUE(operationContinues());
}

}  // namespace
}  // namespace lumo
