// Transactions and line transports against the simulator as a real process: the exact bytes
// on the wire, the pauses between them, and the receive rules on both transports.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <array>
#include <chrono>

#include "comm/line_port.h"
#include "comm/transaction.h"
#include "platform/clock.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

using test::visible;

class WireTest : public test::SimTest {};

std::string calAnswer(const std::string& serial) {
    std::string text = "!" + serial + "V1.23";
    const std::uint8_t checksum = crc8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return text + "*" + std::string(1, static_cast<char>(checksum));
}

std::uint32_t transact(SubInstruction sub, const std::string& name, int line, int id, const std::string& data, std::uint8_t flags,
                       std::span<std::uint8_t> answer = {}) {
    return DeviceTransaction(sub, name, line, id, data, flags, answer);
}

// CPU time this process used, in milliseconds.
double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

double wallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TEST_F(WireTest, CalCheckOfModule5) {
    startSim({"serial 5 4"});
    std::array<std::uint8_t, 100> answer{};
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer), 20u);
    const auto w = wire();
    EXPECT_EQ(w.received(), "&ML_05#CAL+&MLEND");
    EXPECT_EQ(visible(w.sent()), visible(calAnswer("447157040005")));
    EXPECT_EQ(std::string(answer.begin(), answer.begin() + 20), calAnswer("447157040005"));
    const double afterSelection = w.receivedAt(6) - w.receivedAt(5);
    EXPECT_GE(afterSelection, 50.0);
    EXPECT_LT(afterSelection, 150.0);
    const double beforeRelease = w.receivedAt(11) - w.lastSentBefore(11);
    EXPECT_GE(beforeRelease, 130.0);
    EXPECT_LT(beforeRelease, 230.0);
}

TEST_F(WireTest, RequestPiecesForEveryMode) {
    startSim({"serial 5 4", "serial 6 3 badcrc"});
    std::array<std::uint8_t, 100> answer{};
    const std::string rst = std::string("RST0*") + "\xB2";
    const std::string zeroCrcData = std::string("RST0") + "\xB2";  // a text whose CRC-8 is 0
    const struct {
        const char* what;
        SubInstruction sub;
        std::string name;
        int id;
        std::string data;
        std::uint8_t flags;
        std::string wire;
        std::uint32_t result;
    } cases[] = {
        {"restart example", sub::kCmdRestart, "CMD", 5, "RST0", kModeSelectRelease | kNoAnswer, "&ML_05#CMD$0+" + rst + "&MLEND", 0},
        {"wire digit 5", SubInstruction::wire(5), "INF", 5, "", kModeSelectRelease, "&ML_05#INF$5+&MLEND", 8},
        {"wire digit 9", SubInstruction::wire(9), "CMD", 5, "SN1", kModeSelectRelease | kOneByteAnswer, "&ML_05#CMD$9+SN1*" + std::string(1, static_cast<char>(crc8(reinterpret_cast<const std::uint8_t*>("SN1"), 3))) + "&MLEND", 1},
        {"release only", sub::kNone, "CAL", 5, "IGNORED", kModeRelease, "&MLEND", 0},
        {"continue", sub::kNone, "CAL", 5, "", kModeContinue | kNoAnswer, "#CAL+", 0},
        {"select only", sub::kNone, "CAL", 5, "", kModeSelect | kNoAnswer, "&ML_05#CAL+", 0},
        {"long name cut", sub::kNone, "CALX", 5, "", kModeSelectRelease | kNoAnswer, "&ML_05#CAL+&MLEND", 0},
        {"short name padded", sub::kNone, "AB", 5, "", kModeSelectRelease | kNoAnswer, "&ML_05# AB+&MLEND", 0},
        {"checksum 0 is sent", SubInstruction::wire(1), "SET", 5, zeroCrcData, kModeSelectRelease | kNoAnswer,
         "&ML_05#SET$1+" + zeroCrcData + "*" + std::string(1, '\0') + "&MLEND", 0},
        {"one-byte answer", sub::kNone, "CAL", 5, "", kModeSelectRelease | kOneByteAnswer, "&ML_05#CAL+&MLEND", 1},
        {"failure releases in mode 1", sub::kNone, "CAL", 6, "", kModeSelect, "&ML_06#CAL+&MLEND", kAnswerChecksum},
    };
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        answer.fill(0);
        EXPECT_EQ(transact(c.sub, c.name, kSerialLine, c.id, c.data, c.flags, answer), c.result) << c.what;
        EXPECT_EQ(visible(wire().received()), visible(c.wire)) << c.what;
        if (c.result == kAnswerChecksum) {
            EXPECT_EQ(answer[0], 0) << "a garbled answer is not kept";
        }
    }
    // Between the name piece and the sub-instruction piece: 10 ms.
    std::filesystem::resize_file(logPath(), 0);
    transact(sub::kCmdRestart, "CMD", kSerialLine, 5, "RST0", kModeSelectRelease | kNoAnswer);
    const auto w = wire();
    EXPECT_GE(w.receivedAt(10) - w.receivedAt(9), 10.0);
}

TEST_F(WireTest, NoAnswerFlagLeavesTheBufferUntouched) {
    startSim({"serial 5 4"});
    std::array<std::uint8_t, 32> answer;
    answer.fill(0xEE);
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease | kNoAnswer, answer), 0u);
    for (auto b : answer) EXPECT_EQ(b, 0xEE);
    // An answer awaited: only the first byte is cleared before, then the answer lands.
    answer.fill(0xEE);
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease | kOneByteAnswer, answer), 1u);
    EXPECT_EQ(answer[0], '!');
    EXPECT_EQ(answer[1], 0xEE);
}

// A data text the protocol cannot carry never reaches the wire: over 97 characters, or with a
// NUL byte. 97 characters go out whole.
TEST_F(WireTest, DataTextsOverTheLimitOrWithANulAreRefused) {
    startSim({"serial 5 4"});
    const std::string longest(97, 'D');
    EXPECT_EQ(transact(sub::kNone, "CFG", kSerialLine, 5, longest, kModeSelectRelease | kNoAnswer), 0u);
    EXPECT_NE(wire().received().find(longest + "*"), std::string::npos);
    std::filesystem::resize_file(logPath(), 0);
    for (const std::string& data : {std::string(98, 'D'), std::string("P2\0P3", 5)}) {
        EXPECT_EQ(transact(sub::kNone, "CFG", kSerialLine, 5, data, kModeSelectRelease | kNoAnswer), kDataTextRefused);
    }
    platform::pause(100);
    EXPECT_EQ(wire().received(), "");
}

TEST_F(WireTest, TunnelHeaderChannels) {
    startSim({"serial 5 4"});
    const struct {
        std::uint32_t flags;
        const char* channel;
    } cases[] = {{0, "05"}, {1, "01"}, {4, "04"}, {5, "06"}, {6, "07"}, {7, "08"}, {8, "08"}, {15, "08"}, {2, "02"}, {12, "02"}};
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ASSERT_EQ(LineOpen(kSerialLine, 72), 0u);
        const std::uint8_t data[] = {'&', 'M', 'L', 'E', 'N', 'D'};
        EXPECT_TRUE(LineSend(kSerialLine, data, sizeof data, c.flags));
        LineClose(kSerialLine);
        const auto w = wire();
        ASSERT_EQ(w.notes.size(), 1u) << c.flags;
        EXPECT_EQ(w.notes[0], std::string("tunnel header channel ") + c.channel + " length 6");
        EXPECT_EQ(w.received().substr(0, 5), std::string("WRf\0\x01", 5));
        EXPECT_EQ(w.received().substr(12, 4), "INEX");
    }
    // Without the tunnel type, or with the no-header flag, nothing goes in front.
    std::filesystem::resize_file(logPath(), 0);
    ASSERT_EQ(LineOpen(kSerialLine, 72), 0u);
    LineSend(kSerialLine, reinterpret_cast<const std::uint8_t*>("AB"), 2, kSendNoHeader);
    LineClose(kSerialLine);
    ASSERT_EQ(LineOpen(kSerialLine, 4), 0u);
    LineSend(kSerialLine, reinterpret_cast<const std::uint8_t*>("CD"), 2, 0);
    LineClose(kSerialLine);
    EXPECT_EQ(wire().received(), "ABCD");
}

TEST_F(WireTest, ServiceOpens) {
    startSim({});
    const struct {
        int line;
        DeviceTypeCode type;
        std::string wire;
    } cases[] = {
        {kSerialLine, 0, std::string("\x55\x55\x55\x00|\x04\x00", 7)},
        {kSerialLine, 72, std::string("\x55\x55\x55\x00", 4)},  // tunnel-header type: only the preamble
        {kTcpLine, 0, std::string("|\x04\x00", 3)},
        {kTcpLine, 72, ""},
    };
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ASSERT_EQ(LineOpen(c.line | kServiceBit, c.type), 0u);
        platform::pause(50);
        LineClose(c.line);
        platform::pause(50);
        EXPECT_EQ(visible(wire().received()), visible(c.wire)) << c.line << " " << int(c.type);
    }
    // Without the service bit nothing is sent at all.
    std::filesystem::resize_file(logPath(), 0);
    ASSERT_EQ(LineOpen(kSerialLine, 0), 0u);
    LineClose(kSerialLine);
    ASSERT_EQ(LineOpen(kTcpLine, 0), 0u);
    LineClose(kTcpLine);
    EXPECT_EQ(wire().received(), "");
}

TEST_F(WireTest, EchoReadBackOnADirectionControlledLine) {
    startSim({"serial 5 4"}, {"--echo"}, 2);
    std::array<std::uint8_t, 100> answer{};
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer), 20u);
    EXPECT_EQ(answer[0], '!');
}

TEST_F(WireTest, ConverterWithoutEchoFailsEverySend) {
    startSim({"serial 5 4"}, {}, 2);
    std::array<std::uint8_t, 100> answer{};
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer), kSendFailed);
    // An RS232 line (no direction control) reads no echo and works.
    serialLine.setDirectionControl(0);
    LineConfigure(kSerialLine, serialLine);
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer), 20u);
}

TEST_F(WireTest, OpeningASerialLineTwiceFails) {
    startSim({});
    ASSERT_EQ(LineOpen(kSerialLine, 0), 0u);
    EXPECT_EQ(LineOpen(kSerialLine, 0), 0x10010701u);
    LineClose(kNoLine);  // 255 closes nothing
    EXPECT_EQ(LineOpen(kSerialLine, 0), 0x10010701u);
    LineClose(kAllLines);
    EXPECT_EQ(LineOpen(kSerialLine, 0), 0u);
    LineClose(kSerialLine);
    // A COM port that names no device.
    serialLine.setPort(7);
    LineConfigure(kSerialLine, serialLine);
    EXPECT_EQ(LineOpen(kSerialLine, 0), 0x10010701u);
    LineClose(kSerialLine);
}

TEST_F(WireTest, AnswersAreCutOneByteAfterTheFirstStarOnBothTransports) {
    startSim({"serial 5 4 trailing", "tcp 5 4 trailing", "serial 6 4 endless", "serial 7 4 garbage"});
    for (int line : {kSerialLine, kTcpLine}) {
        std::array<std::uint8_t, 100> answer{};
        EXPECT_EQ(transact(sub::kNone, "CAL", line, 5, "", kModeSelectRelease, answer), 20u) << line;
        EXPECT_EQ(std::string(answer.begin(), answer.begin() + 20), calAnswer("447157040005"));
        EXPECT_EQ(answer[20], 0);
    }
    // Hostile answers never reach past the caller's buffer.
    std::array<std::uint8_t, 8> small{};
    std::array<std::uint8_t, 8> guard;
    guard.fill(0x77);
    // An answer longer than the buffer is cut: no answer to take values from (a data error),
    // and nothing of it is left in the buffer.
    std::string withError;
    EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, std::span(small.data(), 4),
                                &withError),
              kAnswerChecksum);
    EXPECT_EQ(withError, "!447");
    EXPECT_EQ(std::string(small.begin(), small.begin() + 5), std::string(5, '\0'));
    // A module that never stops sending fills the buffer and no more; binary junk without '*'
    // ends with the silence after it. Neither is an answer.
    std::array<std::uint8_t, 100> answer{};
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 6, "", kModeSelectRelease, answer), kAnswerChecksum);
    EXPECT_EQ(transact(sub::kNone, "CAL", kSerialLine, 7, "", kModeSelectRelease, answer), kAnswerChecksum);
    EXPECT_EQ(answer[0], 0);
}

TEST_F(WireTest, TunnelAnswersOnASerialLine) {
    startSim({"serial 5 72", "serial 6 72 mark=NO"});
    for (int id : {5, 6}) {
        ASSERT_EQ(LineOpen(kSerialLine, 72), 0u);
        const std::string select = "&ML_0" + std::to_string(id), cal = "#CAL+";
        ASSERT_TRUE(LineSend(kSerialLine, reinterpret_cast<const std::uint8_t*>(select.data()), 6, 0));
        platform::pause(50);
        ASSERT_TRUE(LineSend(kSerialLine, reinterpret_cast<const std::uint8_t*>(cal.data()), 5, 0));
        std::array<std::uint8_t, 64> answer{};
        int length = 22;  // the mark and the 20-byte answer
        ASSERT_TRUE(LineReceive(0, length, kSerialLine, answer.data(), answer.size()));
        LineClose(kSerialLine);
        EXPECT_EQ(length, id == 5 ? 22 : -1) << id;
        EXPECT_EQ(std::string(answer.begin() + 2, answer.begin() + 22),
                  calAnswer(id == 5 ? "094034720005" : "094036720006"));
    }
}

TEST_F(WireTest, SilentModulesAndNoBusyWaiting) {
    startSim({"serial 5 4 silent", "tcp 5 4 silent"});
    std::array<std::uint8_t, 100> answer{};
    const std::uint8_t cal[] = {'&', 'M', 'L', '_', '0', '5', '#', 'C', 'A', 'L', '+'};

    // Serial: ten empty reads of 500 ms, then success with nothing.
    ASSERT_EQ(LineOpen(kSerialLine, 0), 0u);
    ASSERT_TRUE(LineSend(kSerialLine, cal, sizeof cal, 0));
    double cpu = cpuMs(), wall = wallMs();
    int length = 0;
    EXPECT_TRUE(LineReceive(0, length, kSerialLine, answer.data(), answer.size()));
    double spentWall = wallMs() - wall, spentCpu = cpuMs() - cpu;
    EXPECT_EQ(length, 0);
    EXPECT_GE(spentWall, 4900.0);
    EXPECT_LT(spentWall, 6000.0);
    EXPECT_LT(spentCpu, 0.02 * spentWall);
    // The short first wait: one read.
    wall = wallMs();
    EXPECT_TRUE(LineReceive(kReceiveShortWait, length, kSerialLine, answer.data(), answer.size()));
    EXPECT_LT(wallMs() - wall, 1000.0);
    EXPECT_EQ(length, 0);
    LineClose(kSerialLine);

    // TCP: the 10 s deadline fails the receive; the transaction still releases the module.
    cpu = cpuMs();
    wall = wallMs();
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(transact(sub::kNone, "CAL", kTcpLine, 5, "", kModeSelectRelease, answer), kReceiveFailed);
    spentWall = wallMs() - wall;
    spentCpu = cpuMs() - cpu;
    EXPECT_GE(spentWall, 10000.0);
    EXPECT_LT(spentWall, 11500.0);
    EXPECT_LT(spentCpu, 0.02 * spentWall);
    EXPECT_EQ(wire().received(), "&ML_05#CAL+&MLEND");
}

TEST_F(WireTest, ConnectionThatIsNeverAcceptedFailsAfter500ms) {
    startSim({});
    // A listener whose queue is full drops further connection requests.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sin), sizeof sin), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof sin;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sin), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
        fillers.push_back(f);
    }
    platform::pause(100);
    tcpLine.setTcpPort(ntohs(sin.sin_port));
    LineConfigure(kTcpLine, tcpLine);
    const double cpu = cpuMs(), wall = wallMs();
    EXPECT_EQ(LineOpen(kTcpLine, 0), 0x20030002u);
    const double spentWall = wallMs() - wall, spentCpu = cpuMs() - cpu;
    LineClose(kTcpLine);
    EXPECT_GE(spentWall, 500.0);
    EXPECT_LT(spentWall, 1500.0);
    EXPECT_LT(spentCpu, 0.02 * spentWall);
    for (int f : fillers) ::close(f);
    ::close(listener);

    // A refused connection fails at once, and an address that does not parse is refused.
    tcpLine.setTcpPort(1);
    LineConfigure(kTcpLine, tcpLine);
    EXPECT_EQ(LineOpen(kTcpLine, 0), 0x20030005u);
    LineClose(kTcpLine);
    tcpLine.setIpAddress("999.1.1.1");
    LineConfigure(kTcpLine, tcpLine);
    EXPECT_EQ(LineOpen(kTcpLine, 0), 0x20010000u);
    LineClose(kTcpLine);
}

}  // namespace
}  // namespace lumo
