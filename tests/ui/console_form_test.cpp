// "Odeslat příkaz" as a form, without a window: each row's "Odeslat", the answer, what is remembered.
#include <gtest/gtest.h>

#include "comm/line_port.h"
#include "support/sim_fixture.h"
#include "ui/console_form.h"

namespace lumo {
namespace {

using ConsoleFormTest = test::SimTest;

TEST_F(ConsoleFormTest, SendsEachRowCleanedAndShowsTheAnswer) {
    startSim({"serial 5 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ConsoleForm form;
    EXPECT_FALSE(form.open(kSerialLine, 0));
    EXPECT_EQ(ui.callsOf("message").size(), 1u);  // the console's refusal on a line
    ASSERT_TRUE(form.open(kSerialLine, 1));
    EXPECT_EQ(form.lines[0].maxLength, 89);
    EXPECT_TRUE(form.answer.readOnly);
    std::vector<std::string> shownBeforeSending;
    form.showNow = [&] { shownBeforeSending.push_back(form.lines[1].text); };

    form.lines[0].text = "INF 6";
    EXPECT_EQ(form.pressSend(0), kFormStaysOpen);
    EXPECT_EQ(form.answer.text.substr(0, 10), "V1.23C070*");
    form.lines[1].text = "#CFG$8+P203+P318*";  // a pasted wire frame
    EXPECT_EQ(form.pressSend(1), kFormStaysOpen);
    EXPECT_EQ(form.lines[1].text, "CFG 8 P203+P318 ");
    EXPECT_EQ(shownBeforeSending.back(), "CFG 8 P203+P318 ");
    EXPECT_EQ(form.answer.text, "žádná odpověď...");
    EXPECT_NE(wire().received().find("#CFG$8+P203+P318 *"), std::string::npos) << wire().received();
    form.lines[3].text = "typed, not sent";
    EXPECT_EQ(form.pressSend(2), kFormStaysOpen);  // an empty row: refused, the others stay
    EXPECT_EQ(ui.callsOf("message").size(), 2u);
    EXPECT_EQ(form.lines[3].text, "typed, not sent");
    EXPECT_EQ(form.answer.text, "žádná odpověď...");

    ConsoleForm again;
    ASSERT_TRUE(again.open(kSerialLine, 1));
    EXPECT_EQ(again.lines[1].text, "CFG 8 P203+P318 ");
    serialLine.setPort(7);  // names no device
    LineConfigure(kSerialLine, serialLine);
    EXPECT_EQ(again.pressSend(0), 0);  // the line failed: the console closes
}

}  // namespace
}  // namespace lumo
