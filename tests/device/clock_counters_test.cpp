// The clock and the counters of a module: the field rules as tables, and the texts on the wire.
#include <gtest/gtest.h>

#include "actions/device_actions.h"
#include "comm/crc8.h"
#include "device/clock_setting.h"
#include "device/counters.h"
#include "model/installation.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

TEST(ClockFields, DatesAsTheDialogReadsThem) {
    const struct {
        const char* typed;
        bool ok;
        const char* shown;
    } cases[] = {
        {"06.12.26", true, "06.12.2026"},    {"6,12,2026", true, "06.12.2026"}, {"1.1.75", true, "01.01.1975"},
        {"1.1.0", true, "01.01.2000"},       {"1.1.49", true, "01.01.2049"},    {"1.1.50", false, ""},
        {"1.1.51", true, "01.01.1951"},      {"1.1.100", false, ""},             {"1.1.1899", false, ""},
        {"1.1.3000", true, "01.01.3000"},    {"1.1.3001", false, ""},            {"29.02.2025", false, ""},
        {"29.02.2024", true, "29.02.2024"},  {"29.02.2000", true, "29.02.2000"}, {"29.02.1900", false, ""},
        {"31.04.2026", false, ""},           {"32.01.2026", false, ""},          {"01.13.2026", false, ""},
        {"0.1.2026", false, ""},             {"1.1", false, ""},                 {"a.b.c", false, ""},
        {"1.1.2026.5", false, ""},           {"99999999999.1.2026", false, ""},
    };
    for (const auto& c : cases) {
        std::string field = c.typed;
        std::uint32_t date = 7;
        EXPECT_EQ(DateFieldRead(field, date), c.ok) << c.typed;
        EXPECT_EQ(c.ok ? field : std::to_string(date), c.ok ? std::string(c.shown) : "7") << c.typed;
    }
    std::string empty;
    std::uint32_t kept = packClockDate(1, 2, 2026);
    EXPECT_TRUE(DateFieldRead(empty, kept));
    EXPECT_EQ(kept, packClockDate(1, 2, 2026));  // empty leaves the value
}

TEST(ClockFields, TimesTypingAndTheDataText) {
    const struct {
        const char* typed;
        bool ok;
        const char* shown;
    } cases[] = {
        {"14:30:00", true, "14:30:00"}, {"7.5.3", true, "07:05:03"}, {"23,59,59", true, "23:59:59"},
        {"24:00:00", false, ""},        {"12:60:00", false, ""},     {"12:00:60", false, ""},
        {"12:00", false, ""},           {"x", false, ""},
    };
    for (const auto& c : cases) {
        std::string field = c.typed;
        std::uint32_t time = 0;
        EXPECT_EQ(TimeFieldRead(field, time), c.ok) << c.typed;
        EXPECT_EQ(c.ok ? field : std::string(), std::string(c.shown)) << c.typed;
    }
    std::string empty;
    std::uint32_t time = 0;
    EXPECT_TRUE(TimeFieldRead(empty, time));
    EXPECT_EQ(time, kNoTime);
    EXPECT_EQ(DateFieldShow(kNoDate), "");
    EXPECT_EQ(TimeFieldShow(kNoTime), "");

    EXPECT_EQ(DateFieldTyping("06"), "06.");
    EXPECT_EQ(DateFieldTyping("06.12"), "06.12.");
    EXPECT_EQ(DateFieldTyping("06.12.20"), "06.12.20");
    EXPECT_EQ(DateFieldTyping("6"), "6");
    EXPECT_EQ(TimeFieldTyping("14"), "14:");
    EXPECT_EQ(TimeFieldTyping("14:30"), "14:30:");
    EXPECT_EQ(TimeFieldTyping("14:30:00"), "14:30:00");
    EXPECT_EQ(DateFieldTyping("01..", "01."), "01.");    // the dot typed after the appended one
    EXPECT_EQ(DateFieldTyping("25", "25."), "25");       // a deleted dot stays deleted
    EXPECT_EQ(DateFieldTyping("01.0", "01.01"), "01.0");  // so does a deleted digit
    EXPECT_EQ(TimeFieldTyping("14::", "14:"), "14:");
    EXPECT_EQ(weekdayOfDate(packClockDate(6, 12, 2026)), 0);
    EXPECT_EQ(weekdayOfDate(packClockDate(1, 1, 2027)), 5);
    EXPECT_EQ(weekdayOfDate(packClockDate(29, 2, 2024)), 4);
    EXPECT_EQ(weekdayOfDate(packClockDate(31, 2, 2026)), -1);

    EXPECT_EQ(clockDataText(packClockDate(6, 12, 2026), packClockTime(14, 30, 0), 0), "D06.12.26+T14:30:00+W0");
    EXPECT_EQ(clockDataText(packClockDate(31, 12, 1999), packClockTime(23, 59, 59), 5), "D31.12.99+T23:59:59+W5");
    EXPECT_EQ(weekdayName(0), "Neděle");
    EXPECT_EQ(weekdayName(6), "Sobota");
    EXPECT_EQ(historyRecordCount("P100+C10003+C50000"), 0);
    EXPECT_EQ(historyRecordCount("P100+C10003+C512"), 12);
    EXPECT_EQ(historyRecordCount("P100+C10003"), -1);
}

TEST(CounterTexts, AsReadAndAsWritten) {
    Counters c = parseCounters("P100+C10005+C20012+X+C41200+C1999");
    EXPECT_EQ(c[0], 5);  // the first "C1"
    EXPECT_EQ(c[1], 12);
    EXPECT_FALSE(c[2]);
    EXPECT_EQ(c[3], 1200);
    EXPECT_FALSE(c[4]);
    EXPECT_EQ(counterDataText(c, 4), "C10005+C20012+C41200");
    EXPECT_EQ(counterDataText(c, 72), "C100005+C200012+C401200");
    c[0] = 1234567;  // more digits than the width: written in full
    EXPECT_EQ(counterDataText(c, 4), "C11234567+C20012+C41200");
    EXPECT_EQ(parseCounters("C3-7")[2], -7);
    EXPECT_EQ(counterDataText(Counters{}, 4), "");
}

using ClockAndCountersOnTheWire = test::SimTest;
using test::withChecksum;

TEST_F(ClockAndCountersOnTheWire, ClockIsSetOnlyWithoutHistory) {
    startSim({"serial 5 4", "serial 6 4 history=2", "serial 7 4 c5=-1"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 6, 4);
    addSerialModule(3, 7, 4);
    EXPECT_EQ(clockSettingApplies(kSerialLine, 0), 0);
    EXPECT_EQ(ui.callsOf("message").back(), "Upozornění|Pro toto zařízení nelze nastavovat !  ");
    for (int k : {2, 3}) {  // events stored, or no word about them: refused
        EXPECT_EQ(clockSettingApplies(kSerialLine, k), 0) << k;
        EXPECT_EQ(ui.callsOf("message").back(),
                  "Nelze nastavit|Terminál nekomunikuje nebo obsahuje události! Proveďte nejdříve vyčtení historie. ");
    }
    ASSERT_EQ(clockSettingApplies(kSerialLine, 1), 1);
    std::filesystem::resize_file(logPath(), 0);
    ClockChoice choice;
    choice.system = false;
    choice.date = packClockDate(6, 12, 2026);
    choice.time = packClockTime(14, 30, 0);
    choice.weekday = 0;
    ASSERT_EQ(setModuleClock(kSerialLine, 1, choice), 1);
    EXPECT_EQ(wire().received(), "&ML_05#CFG$5+" + withChecksum("D06.12.26+T14:30:00+W0") + "&MLEND");
    choice.date = kNoDate;  // nothing is sent without a date
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(setModuleClock(kSerialLine, 1, choice), 0);
    EXPECT_EQ(wire().received(), "");
}

TEST_F(ClockAndCountersOnTheWire, CountersReadAndWrittenInTheirWidth) {
    startSim({"serial 5 4 c1=5 c2=12 c3=-1 c4=1200 c5=-1", "serial 6 72 c1=5 c2=12 c3=-1 c4=1200 c5=-1"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 6, 72);
    for (const auto& [k, expected] : {std::pair{1, "C10005+C20012+C41200"}, std::pair{2, "C100005+C200012+C401200"}}) {
        Counters counters;
        ASSERT_EQ(readModuleCounters(kSerialLine, k, counters), 1);
        EXPECT_FALSE(counters[2]);  // not reported: stays without a value (its field disabled)
        std::filesystem::resize_file(logPath(), 0);
        ASSERT_EQ(writeModuleCounters(kSerialLine, k, counters), 1);
        EXPECT_NE(wire().received().find("#SET$7+" + withChecksum(expected)), std::string::npos) << wire().received();
    }
}

// The clock set and the counters of a module that does not answer end with what happened, not
// with a bare status text.
TEST_F(ClockAndCountersOnTheWire, ClockSetAndSilentCountersSayHowTheyEnded) {
    startSim({"serial 5 4", "serial 7 4 silent"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 7, 4);
    ClockChoice choice;
    choice.system = false;
    choice.date = packClockDate(6, 12, 2026);
    choice.time = packClockTime(14, 30, 0);
    choice.weekday = 0;
    ASSERT_EQ(setModuleClock(kSerialLine, 1, choice), 1);
    EXPECT_EQ(ui.callsOf("status"), (std::vector<std::string>{"probíhá nastavení času...",
                                                              "nastavení času proběhlo v pořádku: 06.12.2026 14:30:00, Neděle"}));
    EXPECT_TRUE(ui.callsOf("message").empty());

    ui.calls.clear();
    Counters counters;
    EXPECT_EQ(readModuleCounters(kSerialLine, 2, counters), -1);
    EXPECT_EQ(ui.callsOf("status"), (std::vector<std::string>{"probíhá načítání stavu počítadel...",
                                                              "načtení stavu počítadel se nezdařilo !"}));
    EXPECT_EQ(ui.callsOf("message"),
              std::vector<std::string>{"Nastavení počítadel|Zařízení na adrese 07 nevrátilo stav počítadel ! "});
}

}  // namespace
}  // namespace lumo
