// The protocol's checksums and the answer rules, on bytes alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "comm/answer_parsing.h"
#include "comm/icmp_echo.h"
#include "comm/transaction.h"
#include "device/console.h"

namespace lumo {
namespace {

std::uint8_t crcOf(const std::string& s) { return crc8(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

TEST(Crc8, CheckValues) {
    EXPECT_EQ(crcOf("123456789"), 0xA1);
    EXPECT_EQ(crcOf("RST0"), 0xB2);
    EXPECT_EQ(crcOf(""), 0x00);
    EXPECT_EQ(Crc8Update('1', 0), crcOf("1"));
}

TEST(IcmpChecksum, AMessageWithItsChecksumSumsToAllOnes) {
    std::uint8_t message[21] = {};
    std::memcpy(message + 8, "abcdefghijkl\x7f", 13);  // odd length: the last byte is padded
    buildEchoRequest(message, sizeof message, 0xBEEF, 1);
    EXPECT_EQ(message[0], 8);
    EXPECT_EQ(message[4], 0xEF);  // identifier and sequence low byte first
    EXPECT_EQ(message[5], 0xBE);
    EXPECT_EQ(message[6], 1);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < sizeof message; i += 2)
        sum += static_cast<std::uint32_t>(message[i] << 8 | (i + 1 < sizeof message ? message[i + 1] : 0));
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    EXPECT_EQ(sum, 0xFFFFu);
    // The checksum field is left out of the sum: whatever stands there, the result is the same.
    const std::uint16_t before = InternetChecksum(sizeof message, message);
    message[2] ^= 0xFF;
    EXPECT_EQ(InternetChecksum(sizeof message, message), before);
}

TEST(AnswerRules, CollectorEndsOneByteAfterTheFirstStarOrAtTheLimits) {
    const struct {
        std::string stream;
        std::size_t capacity;
        int expected;
        std::string answer;
    } cases[] = {
        {"!123*\x55JUNK", 80, 0, "!123*\x55"},
        {"AB*CD*E", 80, 10, "AB*C"},  // the '*' rule wins over a longer expected count
        {"ABCDEFG", 80, 3, "ABC"},
        {"ABCDEFG", 4, 0, "ABCD"},    // never past the buffer
        {"*", 80, 0, "*"},           // '*' as the last byte: the answer waits for more
        {std::string(500, 'X'), 80, 0, std::string(80, 'X')},
    };
    for (const auto& c : cases) {
        std::string buffer(c.capacity + 8, '\xEE');
        AnswerCollector collector(reinterpret_cast<std::uint8_t*>(buffer.data()), c.capacity, c.expected);
        for (char ch : c.stream) {
            if (collector.add(static_cast<std::uint8_t>(ch))) break;
        }
        EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(collector.count())), c.answer) << c.stream;
        EXPECT_EQ(buffer.substr(c.capacity), std::string(8, '\xEE')) << "guard bytes";
    }
}

TEST(AnswerRules, TunnelAnswers) {
    const struct {
        std::string stream;
        int expected;
        int length;
    } cases[] = {
        {"KOabc", 5, 5},
        {"NOabc", 5, -1},
        {"KOa", 5, 2},   // silence before the count: collected minus one
        {"", 5, -1},
        {"KOabcdef", 0, 7},
    };
    for (const auto& c : cases) {
        TunnelCollector collector(c.expected);
        for (char ch : c.stream) {
            if (collector.add(static_cast<std::uint8_t>(ch))) break;
        }
        std::uint8_t out[16] = {};
        EXPECT_EQ(collector.finish(out, sizeof out), c.length) << c.stream;
    }
    TunnelCollector huge(400);  // beyond what the tunnel holds
    int added = 0;
    while (!huge.add('K')) ++added;
    EXPECT_EQ(added + 1, 280);
}

TEST(AnswerRules, ChecksumAndType) {
    std::string good = "!100000040005V1.23*";
    good.push_back(static_cast<char>(crcOf("!100000040005V1.23")));
    const auto* g = reinterpret_cast<const std::uint8_t*>(good.data());
    EXPECT_TRUE(answerChecksumHolds(g, good.size()));
    std::string bad = good;
    bad.back() ^= 1;
    EXPECT_FALSE(answerChecksumHolds(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()));
    EXPECT_TRUE(answerChecksumHolds(reinterpret_cast<const std::uint8_t*>("K"), 1));
    EXPECT_TRUE(answerChecksumHolds(reinterpret_cast<const std::uint8_t*>("AB*"), 3));  // no byte after '*'
    EXPECT_EQ(typeFromCalAnswer(g, good.size()), 4);
    const std::string sixteen = "0123456789abcdef";
    EXPECT_EQ(typeFromCalAnswer(reinterpret_cast<const std::uint8_t*>(sixteen.data()), 16), -1);
    const std::string seventeen = "012345612abcdefgh";
    EXPECT_EQ(typeFromCalAnswer(reinterpret_cast<const std::uint8_t*>(seventeen.data()), 17), 12);
}

TEST(AnswerRules, IcmpTunnelReplies) {
    auto reply = [](std::uint8_t type, std::uint16_t id, const std::string& payload) {
        std::vector<std::uint8_t> m(8, 0);
        m[0] = type;
        m[4] = static_cast<std::uint8_t>(id);
        m[5] = static_cast<std::uint8_t>(id >> 8);
        m.insert(m.end(), payload.begin(), payload.end());
        return m;
    };
    const std::string zeros(12, '\0');
    std::uint8_t out[8];
    int length = 0;
    bool echo = false;
    auto good = reply(0, 77, zeros + "aaaaKO" + "DATA");
    ASSERT_TRUE(takeIcmpTunnelReply(good.data(), good.size(), 77, 4, out, sizeof out, length, echo));
    EXPECT_TRUE(echo);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::string(out, out + 4), "DATA");
    ASSERT_TRUE(takeIcmpTunnelReply(good.data(), good.size(), 77, 50, out, sizeof out, length, echo));
    EXPECT_EQ(length, 4);  // never more than the reply holds
    auto plain = reply(0, 77, zeros + "INEX05xyz");
    ASSERT_TRUE(takeIcmpTunnelReply(plain.data(), plain.size(), 77, 3, out, sizeof out, length, echo));
    EXPECT_EQ(length, -1);
    EXPECT_EQ(std::string(out, out + 2), "05");
    auto other = reply(0, 78, zeros + "aaaaKO");
    EXPECT_FALSE(takeIcmpTunnelReply(other.data(), other.size(), 77, 0, out, sizeof out, length, echo));
    auto ownRequest = reply(8, 77, zeros + "INEX05");
    EXPECT_FALSE(takeIcmpTunnelReply(ownRequest.data(), ownRequest.size(), 77, 0, out, sizeof out, length, echo));
    auto unreachable = reply(3, 77, "");
    ASSERT_TRUE(takeIcmpTunnelReply(unreachable.data(), unreachable.size(), 77, 0, out, sizeof out, length, echo));
    EXPECT_FALSE(echo);
}

TEST(Console, CleanAndSplit) {
    const struct {
        std::string typed, cleaned, name;
        int sub;  // the wire digit, -1 for none
        std::string data;
    } cases[] = {
        {"#CFG$8+P203+P318*", "CFG 8 P203+P318 ", "CFG", 8, "P203+P318 "},
        {"INF 8", "INF 8", "INF", 8, ""},
        {"CFG 8 P203+P318", "CFG 8 P203+P318", "CFG", 8, "P203+P318"},
        {"CAL", "CAL", "CAL", -1, ""},
        {"#CAL+", "CAL+", "CAL", -1, ""},  // the '+' stands three places after the start
        {"CMD 0 RST0", "CMD 0 RST0", "CMD", 0, "RST0"},
    };
    for (const auto& c : cases) {
        const std::string cleaned = ConsoleLineClean(c.typed);
        EXPECT_EQ(cleaned, c.cleaned) << c.typed;
        const ConsoleCommand command = splitConsoleLine(cleaned);
        EXPECT_EQ(command.name, c.name) << c.typed;
        EXPECT_EQ(command.subInstruction, c.sub < 0 ? sub::kNone : SubInstruction::wire(c.sub)) << c.typed;
        EXPECT_EQ(command.data, c.data) << c.typed;
    }
}

}  // namespace
}  // namespace lumo
