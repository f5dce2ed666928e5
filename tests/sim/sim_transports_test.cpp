// The simulator as a test tool: every fault behaves the same on its serial bus and behind its
// TCP converter, a request without data is answered on both, and a late answer never reaches
// the next connection.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>

#include "comm/transaction.h"
#include "platform/clock.h"
#include "serial/serial_number.h"
#include "support/ctl_runner.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

class SimTransports : public test::SimTest {};

TEST_F(SimTransports, EveryFaultOnBothTransports) {
    startSim({"serial 5 4 slow=400", "tcp 5 4 slow=400", "serial 6 4 endless", "tcp 6 4 endless", "serial 7 4 drop=1",
              "tcp 7 4 drop=1", "serial 8 4 badcrc", "tcp 8 4 badcrc"});
    for (const int line : {kSerialLine, kTcpLine}) {
        const char* where = line == kSerialLine ? "serial" : "tcp";
        std::array<std::uint8_t, 100> answer{};
        // slow: the answer comes, late.
        const std::int64_t start = platform::monotonicMs();
        EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", line, 5, "", kModeSelectRelease, answer), 20u) << where;
        EXPECT_GE(platform::monotonicMs() - start, 400) << where;
        // endless: the buffer ends the answer, which has no end: a data error.
        EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", line, 6, "", kModeSelectRelease, answer), kAnswerChecksum) << where;
        // drop=1: the first instruction is answered, then nothing.
        EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", line, 7, "", kModeSelectRelease, answer), 20u) << where;
        const std::uint32_t dropped = DeviceTransaction(sub::kNone, "CAL", line, 7, "", kModeSelectRelease, answer);
        EXPECT_TRUE(dropped == 0u || dropped == kReceiveFailed) << where << ' ' << dropped;
        // badcrc: a data error.
        EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", line, 8, "", kModeSelectRelease, answer), kAnswerChecksum) << where;
        // An instruction whose data never comes is executed when the data window closes; the
        // next request is answered as usual.
        EXPECT_NE(DeviceTransaction(sub::kInfVersion, "INF", line, 5, "", kModeSelectRelease, answer), kReceiveFailed) << where;
        EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", line, 5, "", kModeSelectRelease, answer), 20u) << where;
    }
}

// A module the installation file gives no serial number answers CAL with one a device can
// have: made on 15.03.2016, its type, its ID as the sequence.
TEST_F(SimTransports, DefaultSerialNumbersDecodeToRealDates) {
    startSim({"serial 5 4", "serial 31 72", "tcp 1 10", "tcp 9 17"});
    const struct {
        int line, id, type;
    } modules[] = {{kSerialLine, 5, 4}, {kSerialLine, 31, 72}, {kTcpLine, 1, 10}, {kTcpLine, 9, 17}};
    for (const auto& m : modules) {
        std::array<std::uint8_t, 100> answer{};
        ASSERT_EQ(DeviceTransaction(sub::kNone, "CAL", m.line, m.id, "", kModeSelectRelease, answer), 20u) << m.id;
        const std::string serial(answer.begin() + 1, answer.begin() + 13);
        EXPECT_EQ(serialNumberFault(serial), SerialFault::None) << serial;
        const SerialParts parts = SerialDecode(serial);
        EXPECT_EQ(parts.date, packDate(15, 3, 2016)) << serial;
        EXPECT_EQ(parts.typeCode, m.type);
        EXPECT_EQ(parts.sequence, m.id);
    }
}

// A connection that closes before its (slow) answer: the answer goes with it, and the next
// connection hears only its own module.
TEST_F(SimTransports, LateAnswerNeverReachesTheNextConnection) {
    startSim({"tcp 5 4 slow=800", "tcp 15 4"});
    auto connect = [this] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_port = htons(static_cast<std::uint16_t>(sim->tcpPort()));
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin), 0);
        return fd;
    };
    int first = connect();
    ::send(first, "&ML_05", 6, 0);
    platform::pause(60);
    ::send(first, "#CAL+", 5, 0);
    platform::pause(200);
    ::close(first);
    platform::pause(100);
    int second = connect();
    ::send(second, "&ML_15", 6, 0);
    platform::pause(60);
    ::send(second, "#CAL+", 5, 0);
    platform::pause(1200);  // past the first module's answer time
    char heard[128] = {};
    timeval wait{0, 100000};
    ::setsockopt(second, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const ssize_t n = ::recv(second, heard, sizeof heard - 1, 0);
    ::close(second);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(heard, 14), "!444085040015V") << heard;  // module 15's, only
    EXPECT_EQ(std::string(heard, static_cast<std::size_t>(n)).find("040005"), std::string::npos);
}

// Wrong options are refused, and a log or comports.cfg that cannot be written is an error.
TEST(SimOptions, RefusedWithAClearMessage) {
    test::TempDir dir;
    ::mkfifo((dir.path() / "fifo.sim").c_str(), 0644);  // would block a reader that waits for a writer
    const struct {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"--tcp 70000", 2, "the TCP port must be a number from 0 to 65535"},
        {"--tcp -1", 2, "the TCP port must be a number from 0 to 65535"},
        {"--com -3", 2, "the COM number must be a number from 1 to 255"},
        {"--pty --log /nonexistent/folder/wire.log", 1, "cannot write the wire log"},
        {"--pty --comports /nonexistent/folder", 1, "cannot write /nonexistent/folder/comports.cfg"},
        {"--install " + dir.str() + "/fifo.sim", 1, "fifo.sim: cannot be read (it must be a regular file)"},
    };
    for (const auto& c : cases) {
        const std::string command =
            "'" LUMO_SIM_PATH "' " + c.args + " </dev/null >/dev/null 2>'" + dir.str() + "/err'";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(raw), c.status) << c.args;
        std::ifstream err(dir.path() / "err");
        const std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find(c.message), std::string::npos) << c.args << ": " << text;
    }
}

}  // namespace
}  // namespace lumo
