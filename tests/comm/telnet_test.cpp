// The configuration console's telnet: options refused, text kept, commands cut between reads;
// and lumo-ctl telnet against a simulated device server's console.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <fstream>

#include "comm/telnet.h"
#include "support/ctl_runner.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> v;
    for (int b : values) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

TEST(Telnet, OptionsRefusedTextKept) {
    const struct {
        std::vector<std::uint8_t> in;
        std::string text;
        std::vector<std::uint8_t> reply;
    } cases[] = {
        {bytes({'a', 255, 253, 1, 'b'}), "ab", bytes({255, 252, 1})},        // DO ECHO -> WONT ECHO
        {bytes({255, 251, 3}), "", bytes({255, 254, 3})},                    // WILL SGA -> DONT SGA
        {bytes({255, 252, 1, 255, 254, 3}), "", {}},                         // refusals are not answered
        {bytes({255, 250, 24, 1, 255, 240, 'x'}), "x", {}},                  // a sub-negotiation dropped
        {bytes({255, 255, 'y'}), "\xFFy", {}},                               // IAC IAC is the byte 255
        {bytes({255, 241, 'z'}), "z", {}},                                   // a command without option
    };
    for (const auto& c : cases) {
        TelnetFilter f;
        std::vector<std::uint8_t> reply;
        EXPECT_EQ(f.take(c.in.data(), c.in.size(), reply), c.text);
        EXPECT_EQ(reply, c.reply);
    }
    // A command cut between two reads goes on in the next.
    TelnetFilter f;
    std::vector<std::uint8_t> reply;
    const auto first = bytes({'o', 'k', 255}), second = bytes({253, 31, '!'});
    const std::string before = f.take(first.data(), first.size(), reply);
    EXPECT_EQ(before + f.take(second.data(), second.size(), reply), "ok!");
    EXPECT_EQ(reply, bytes({255, 252, 31}));
    EXPECT_EQ(consoleLine("a\xFF"), bytes({'a', 255, 255, '\r', '\n'}));
}

TEST(Telnet, ConsoleLinesDropCrAndBreakEndlessLines) {
    ConsoleLines lines(4);
    EXPECT_EQ(lines.take("ab\r\ncdefgh"), "ab\ncdef\ngh");
    EXPECT_EQ(lines.take("ij\nk"), "ij\nk");  // the column goes on across calls
    ConsoleLines endless(256);
    std::string shown = endless.take(std::string(100000, 'X'));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 100000 / 256);
}

TEST(Telnet, LumoCtlTalksToTheDeviceServersConsole) {
    test::TempDir work;
    test::SimProcess sim({"--device-server", "127.0.0.46/11/441560110046/00-4F-49-0D-00-46"}, work.str() + "/wire.log");
    ASSERT_EQ(test::runCtl(work.str(), "line add tcp").status, 0);
    ASSERT_EQ(test::runCtl(work.str(), "-y line set 1 --ip 127.0.0.46").status, 0);
    // Typed as a person types: after the greeting has come.
    const std::string command = "cd '" + work.str() + "' && (sleep 0.5; printf 'hello\\nq\\n') | '" LUMO_CTL_PATH
                                "' telnet 1 > out 2> err";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(work.str() + "/out");
    const std::string shown{std::istreambuf_iterator<char>(out), {}};
    EXPECT_NE(shown.find("LUMO device server 441560110046"), std::string::npos) << shown;
    EXPECT_NE(shown.find("you typed: hello"), std::string::npos) << shown;
    EXPECT_EQ(shown.find('\xFF'), std::string::npos);  // no negotiation shown
    std::string notes;
    for (const auto& n : test::readWire(work.str() + "/wire.log").notes) notes += n + "\n";
    EXPECT_NE(notes.find("telnet reply ff fc 01"), std::string::npos) << notes;  // WONT ECHO
    EXPECT_NE(notes.find("telnet reply ff fe 03"), std::string::npos) << notes;  // DONT SGA
    // No console there: said plainly.
    ASSERT_EQ(test::runCtl(work.str(), "-y line set 1 --ip 127.0.0.47").status, 0);
    const test::CtlResult r = test::runCtl(work.str(), "telnet 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nelze se připojit k 127.0.0.47:9999"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace lumo
