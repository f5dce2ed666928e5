// The typed fields of the dialogs: what a number field takes, and why a date or time is refused.
#include <gtest/gtest.h>

#include "support/installation_fixture.h"
#include "ui/field_rules.h"

namespace lumo {
namespace {

TEST(NumberField, TakesOnlyAWholeNumberItsFieldHolds) {
    const struct {
        const char* text;
        long long min, max;
        std::optional<long long> value;
    } cases[] = {
        {"10001", 1, 65535, 10001},
        {" 65535 ", 1, 65535, 65535},
        {"+80", 1, 65535, 80},
        {"10.77.0.30", 1, 65535, std::nullopt},  // an address typed into the port
        {"0", 1, 65535, std::nullopt},           // a port that never connects
        {"65536", 1, 65535, std::nullopt},
        {"-1", 0, 99999999, std::nullopt},
        {"", 0, 99999999, std::nullopt},
        {"  ", 0, 99999999, std::nullopt},
        {"12abc", 0, 99999999, std::nullopt},
        {"1 2", 0, 99999999, std::nullopt},
        {"1e3", 0, 99999999, std::nullopt},
        {"0x10", 0, 99999999, std::nullopt},
        {"100000000", 0, 99999999, std::nullopt},
        {"99999999999999999999", 0, 99999999, std::nullopt},  // no overflow into the range
        {"-5", -10, 10, -5},
        {"-", -10, 10, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(numberFieldValue(c.text, c.min, c.max), c.value) << "„" << c.text << "“";
}

using NumberFieldRefusal = test::InstallationTest;

TEST_F(NumberFieldRefusal, NamesTheFieldItsRangeAndWhatWasTyped) {
    EXPECT_FALSE(readNumberField("TCP port", "10.77.0.30", 1, 65535));
    EXPECT_EQ(readNumberField("TCP port", "10001", 1, 65535), 10001);
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"Upozornění|Pole „TCP port“: zadejte celé číslo od 1 do 65535 (zadáno „10.77.0.30“)."}));
}

TEST(ClockFieldRefusal, SaysWhichRuleTheDateOrTimeBreaks) {
    const struct {
        const char* text;
        std::string (*refusal)(const std::string&);
        const char* expected;
    } cases[] = {
        {"06.12.2026", dateFieldRefusal, ""},
        {"29.02.2024", dateFieldRefusal, ""},
        {"31.02.2026", dateFieldRefusal,
         "Pole „datum“: takový den v kalendáři není, měsíc 02.2026 má 28 dní (zadáno „31.02.2026“)."},
        {"29.02.2025", dateFieldRefusal,
         "Pole „datum“: takový den v kalendáři není, měsíc 02.2025 má 28 dní (zadáno „29.02.2025“)."},
        {"31.04.26", dateFieldRefusal,
         "Pole „datum“: takový den v kalendáři není, měsíc 04.2026 má 30 dní (zadáno „31.04.26“)."},
        {"32.01.2026", dateFieldRefusal, "Pole „datum“: den musí být od 1 do 31 (zadáno „32.01.2026“)."},
        {"01.13.2026", dateFieldRefusal, "Pole „datum“: měsíc musí být od 1 do 12 (zadáno „01.13.2026“)."},
        {"01.01.50", dateFieldRefusal,
         "Pole „datum“: rok musí být od 1900 do 3000, nebo dvojčíslí 00-49 (2000-2049) či 51-99 (1951-1999) (zadáno "
         "„01.01.50“)."},
        {"", dateFieldRefusal,
         "Pole „datum“: zadejte den, měsíc a rok oddělené tečkou, např. 06.12.2026 (zadáno „“)."},
        {"6.12", dateFieldRefusal,
         "Pole „datum“: zadejte den, měsíc a rok oddělené tečkou, např. 06.12.2026 (zadáno „6.12“)."},
        {"14:30:00", timeFieldRefusal, ""},
        {"24:00:00", timeFieldRefusal, "Pole „čas“: hodiny musí být od 0 do 23 (zadáno „24:00:00“)."},
        {"12:60:00", timeFieldRefusal, "Pole „čas“: minuty musí být od 0 do 59 (zadáno „12:60:00“)."},
        {"12:00:75", timeFieldRefusal, "Pole „čas“: sekundy musí být od 0 do 59 (zadáno „12:00:75“)."},
        {"12h", timeFieldRefusal,
         "Pole „čas“: zadejte hodiny, minuty a sekundy oddělené dvojtečkou, např. 14:30:00 (zadáno „12h“)."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.refusal(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace lumo
