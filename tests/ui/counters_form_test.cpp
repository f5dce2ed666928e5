// "Nastavení počítadel" as a form, without a window: what a counter's field takes, and "Nastavit".
#include <gtest/gtest.h>

#include <filesystem>

#include "support/sim_fixture.h"
#include "ui/counters_form.h"

namespace lumo {
namespace {

TEST(CounterFormTyping, TakesDigitsUpToTheFieldsEight) {
    const struct {
        const char* text;
        bool taken;
    } cases[] = {
        {"", true},        {"+", true},        {"12345678", true}, {"+12345678", true}, {"000012345678", true},
        {"123456789", false}, {"-5", false},   {" 5", false},      {"5 ", false},       {"1,000", false},
        {"abc", false},    {"5+", false},      {"++5", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CountersForm::takes(c.text), c.taken) << "„" << c.text << "“";
}

using CountersFormOnTheWire = test::SimTest;

TEST_F(CountersFormOnTheWire, WritesTheCountersReadOnlyWhenEachHoldsANumber) {
    startSim({"serial 5 4 c1=5 c2=12 c3=-1 c4=1200 c5=-1"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    CountersForm form;
    EXPECT_FALSE(form.open(kSerialLine, 0));  // a line has no counters
    ASSERT_TRUE(form.open(kSerialLine, 1));
    std::vector<std::string> texts;
    std::vector<bool> enabled;
    for (const FormField& f : form.counters) {
        texts.push_back(f.text);
        enabled.push_back(f.enabled);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"5", "12", "", "1200", ""}));
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, false, true, false}));
    EXPECT_EQ(form.labels[0], "C1 - počet časových plánů:");
    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) { reselected.push_back(&f); };
    std::filesystem::resize_file(logPath(), 0);
    ui.calls.clear();

    form.counters[0].text = "7";
    form.counters[3].text = "12a";
    EXPECT_EQ(form.pressSet(), kFormStaysOpen);
    EXPECT_EQ(wire().received(), "");
    form.counters[3].text = "+1201";
    EXPECT_EQ(form.pressSet(), 1);
    EXPECT_NE(wire().received().find("#SET$7+" + test::withChecksum("C10007+C20012+C41201")), std::string::npos)
        << wire().received();
    EXPECT_EQ(reselected, std::vector<const FormField*>{&form.counters[3]});
    EXPECT_EQ(ui.callsOf("message"),
              std::vector<std::string>{
                  "Upozornění|Pole „C4 - počet aktivních uživatelů“: zadejte celé číslo od 0 do 99999999 (zadáno „12a“)."});
}

}  // namespace
}  // namespace lumo
