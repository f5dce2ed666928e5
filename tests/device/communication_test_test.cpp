// The communication test on the wire: &ML_nn, 50 ms, #INF, 10 ms, $4+, never released; it stops
// within a cycle and ends at the first request that cannot be sent.
#include <gtest/gtest.h>

#include <mutex>

#include "actions/device_actions.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

class CommunicationTest : public test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        startSim({"serial 5 4"});
        installSerialLine();
        addSerialModule(1, 5, 4);
    }
    void TearDown() override {
        jobCancel();
        JobWait();
        SimTest::TearDown();
    }
    std::mutex mutex;
    std::vector<std::string> outputs;
    ErrorRecord ended{1, 1};
    int start() {
        return startCommunicationTest(
            kSerialLine, 1,
            [this](const std::string& text) {
                std::lock_guard lock(mutex);
                outputs.push_back(text);
            },
            [this](const ErrorRecord& error) { ended = error; });
    }
};

TEST_F(CommunicationTest, CyclesOnTheWireAndStopsWithinOne) {
    ASSERT_EQ(start(), 1);
    while (true) {
        {
            std::lock_guard lock(mutex);
            if (outputs.size() >= 4) break;
        }
        platform::pause(20);
    }
    jobCancel();
    JobWait();
    EXPECT_FALSE(jobActive());
    EXPECT_TRUE(ended.empty());  // a stopped test reports nothing
    EXPECT_EQ(outputs.front(), "Start....");
    EXPECT_EQ(outputs.back(), "Test INF 7 ...  \r\nTest ukončen.... ");
    const test::Wire w = wire();
    const std::string received = w.received();
    EXPECT_EQ(received.find("&MLEND"), std::string::npos) << "the module is never released";
    ASSERT_EQ(received.substr(0, 14), "&ML_05#INF$4+&");
    // The pauses: 50 ms after the selection, 10 ms after the name.
    EXPECT_GE(w.receivedAt(6) - w.receivedAt(5), 50.0);
    EXPECT_GE(w.receivedAt(10) - w.receivedAt(9), 10.0);
    const std::size_t cycles = outputs.size() - 1;
    std::size_t selections = 0;
    for (std::size_t at = received.find("&ML_05"); at != std::string::npos; at = received.find("&ML_05", at + 1)) ++selections;
    EXPECT_EQ(selections, cycles);  // nothing sent after the stop
}

TEST_F(CommunicationTest, LineThatCannotBeOpenedEndsTheTestAtOnce) {
    serialLine.setPort(7);  // names no device
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    LineConfigure(kSerialLine, serialLine);
    ASSERT_EQ(start(), 1);
    JobWait();
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs.back(), "Test INF 7 ... Chyba při testu ! ");
    EXPECT_EQ(ended.code, 0x10010701u);
    // On a line the test is refused; a second job beside one is refused.
    EXPECT_EQ(startCommunicationTest(kSerialLine, 0, {}, {}), 0);
    EXPECT_EQ(ui.callsOf("message").back(), "Varování|Nelze provádět pro komunikační linku !  ");
}

}  // namespace
}  // namespace lumo
