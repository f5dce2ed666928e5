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

// A whole-installation run divides its lease into parts, one per line group: two parts never
// share a line, only the holder of the whole lease divides it, and every other operation stays
// refused while the run holds it.
TEST_F(LineLeaseTest, AWholeRunDividesItsLeaseByLineSets) {
    const LineSet first = lineSetOf(0) | lineSetOf(2), second = lineSetOf(1);
    LineLease whole = tryLineLease();
    ASSERT_TRUE(whole.held());
    EXPECT_EQ(whole.lines(), kEveryLine);
    LineLease a = whole.part(first);
    ASSERT_TRUE(a.held());
    EXPECT_TRUE(a.isPart());
    const struct {
        const char* what;
        LineSet lines;
        bool admitted;
    } cases[] = {
        {"a line of the held part", lineSetOf(2), false},
        {"a set overlapping the held part", lineSetOf(0) | lineSetOf(5), false},
        {"no line", 0, false},
        {"lines no part holds", second, true},
    };
    for (const auto& c : cases) EXPECT_EQ(whole.part(c.lines).held(), c.admitted) << c.what;
    EXPECT_FALSE(a.part(second).held()) << "a part divided again";
    EXPECT_FALSE(tryLineLease().held()) << "another operation during the run";
    {
        const LeaseOnThisThread bound(a);
        EXPECT_TRUE(lineHeldOnThisThread(0));
        EXPECT_FALSE(lineHeldOnThisThread(1));
        // The actions on a held line refuse a line their thread does not hold, before any record.
        ui.calls.clear();
        EXPECT_EQ(checkItemOnHeldLine(1, 1), 0);
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{kRefusal});
    }
    a.release();
    EXPECT_TRUE(whole.part(lineSetOf(2)).held()) << "a line given back by its part";
    // The run's stop is every part's: stopping it ends the work on every line.
    LineLease b = whole.part(second);
    whole.requestStop();
    EXPECT_TRUE(b.stopRequested());
    b.release();
    whole.release();
    EXPECT_FALSE(lineLeaseHeld());
    const LineLease stale = whole.part(second);
    EXPECT_FALSE(stale.held()) << "a part of a lease given back";
}

}  // namespace
}  // namespace lumo
