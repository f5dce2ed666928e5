#include <gtest/gtest.h>

#include "model/cp1250.h"

namespace lumo {
namespace {

TEST(Cp1250, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const std::string utf8 = cp1250ToUtf8(&byte, 1);
        const auto back = utf8ToCp1250(utf8);
        ASSERT_EQ(back.size(), 1u) << "byte " << b;
        EXPECT_EQ(back[0], byte) << "byte " << b;
    }
}

TEST(Cp1250, CzechLettersAndSymbols) {
    struct Case {
        const char* utf8;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"žluťoučký kůň", {0x9E, 'l', 'u', 0x9D, 'o', 'u', 0xE8, 'k', 0xFD, ' ', 'k', 0xF9, 0xF2}},
        {"Řídící", {0xD8, 0xED, 'd', 0xED, 'c', 0xED}},
        {"€ „“", {0x80, ' ', 0x84, 0x93}},
        {"Š Ť Ž", {0x8A, ' ', 0x8D, ' ', 0x8E}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToCp1250(c.utf8), c.bytes) << c.utf8;
        EXPECT_EQ(cp1250ToUtf8(c.bytes.data(), c.bytes.size()), c.utf8);
    }
}

TEST(Cp1250, CharactersOutsideTheCodePageAndBrokenUtf8BecomeQuestionMarks) {
    const struct {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"日本", "??"},            // not in the code page
        {"a\xC3", "a?"},           // sequence cut short at the end
        {"\xE2\x82x", "??x"},      // lead byte, one stray continuation byte
        {"\xC0\xAF", "??"},        // overlong encoding of '/'
        {"\xED\xA0\x80", "???"},   // surrogate half
        {"\xF0\x9F\x98\x80!", "?!"},  // a four-byte character
    };
    for (const auto& c : cases) {
        const auto bytes = utf8ToCp1250(c.utf8);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.expected);
    }
    EXPECT_TRUE(fitsCp1250("Přidání zařízení ?"));
    EXPECT_FALSE(fitsCp1250("Ω"));
}

}  // namespace
}  // namespace lumo
