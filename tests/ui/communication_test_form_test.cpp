// "Testování komunikace" as a form, without a window: the button, the output and the test's end,
// carried to a window's thread played by the test.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>

#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "support/sim_fixture.h"
#include "ui/communication_test_form.h"

namespace lumo {
namespace {

class CommunicationTestFormTest : public test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        startSim({"serial 5 4"});
        installSerialLine();
        addSerialModule(1, 5, 4);
        form.toWindow = [this](std::function<void()> call) {
            std::lock_guard lock(mutex);
            carried.push_back(std::move(call));
        };
        form.showNow = [this] { ++shown; };
    }
    void TearDown() override {
        jobCancel();
        JobWait();
        SimTest::TearDown();
    }
    // The window's thread: runs what was carried to it so far.
    void runCarried() {
        std::deque<std::function<void()>> calls;
        {
            std::lock_guard lock(mutex);
            calls.swap(carried);
        }
        for (auto& call : calls) call();
    }

    std::mutex mutex;
    std::deque<std::function<void()>> carried;
    int shown = 0;
    CommunicationTestForm form;
};

TEST_F(CommunicationTestFormTest, StartShowsTheCyclesAndStopEndsOnlyItsOwnTest) {
    EXPECT_FALSE(form.open(kSerialLine, 0));
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Varování|Nelze provádět pro komunikační linku !  "});
    ASSERT_TRUE(form.open(kSerialLine, 1));
    EXPECT_TRUE(form.output.readOnly);
    EXPECT_EQ(form.pressStart(), kFormStaysOpen);
    EXPECT_EQ(form.start.text, "Stop");
    while (form.output.text.find("Test INF") == std::string::npos) {
        platform::pause(20);
        runCarried();
    }
    EXPECT_GT(shown, 0);
    form.pressStart();  // "Stop"
    EXPECT_EQ(form.start.text, "Start");
    JobWait();
    runCarried();
    EXPECT_TRUE(form.output.text.ends_with("Test ukončen.... ")) << form.output.text;
    EXPECT_EQ(form.start.text, "Start");
    EXPECT_EQ(ui.callsOf("message").size(), 1u);  // a stopped test reports nothing
}

// A test that fails after its dialog has gone changes no form, and its error is still reported.
TEST_F(CommunicationTestFormTest, ErrorOfATestWhoseDialogHasGoneIsStillReported) {
    serialLine.setPort(7);  // names no device
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    LineConfigure(kSerialLine, serialLine);
    ASSERT_TRUE(form.open(kSerialLine, 1));
    form.pressStart();
    form.ended();
    JobWait();
    runCarried();
    EXPECT_EQ(form.output.text, "");
    EXPECT_EQ(form.start.text, "Stop");
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(ui.callsOf("message").size(), 1u);
}

}  // namespace
}  // namespace lumo
