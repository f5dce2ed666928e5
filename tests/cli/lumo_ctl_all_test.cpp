// lumo-ctl check --all and clock --all against simulators, each with buses of its own: the table
// of every item, a failing line beside working ones, Ctrl-C, lines on one port, and the bytes
// every module gets compared with the single-module command's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/installation.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "support/ctl_runner.h"
#include "support/installation_fixture.h"
#include "support/sim_fixture.h"
#include "support/sim_process.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "item\tID\ttype\tresult\tmessage\n";

std::string check(int id) { return "&ML_" + std::string(id < 10 ? "0" : "") + std::to_string(id) + "#CAL+&MLEND"; }

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LumoCtlAll : public test::InstallationTest {
protected:
    // A simulator whose serial bus is COM `com` and whose converter listens on a port of its own.
    // Started one after the other: each writes its COM entry into comports.cfg.
    void startSim(int com, const std::vector<std::string>& modules) {
        std::vector<std::string> args = {"--pty", "--tcp", "0", "--comports", dir.str(), "--com", std::to_string(com)};
        for (const std::string& m : modules) {
            args.push_back("--module");
            args.push_back(m);
        }
        sims.push_back(std::make_unique<test::SimProcess>(args, logOf(sims.size())));
    }
    std::string logOf(std::size_t sim) const { return dir.str() + "/wire" + std::to_string(sim) + ".log"; }

    void line(int number, int com, int tcpPort = 0) {
        LineRecord r;
        r.setLineNumber(static_cast<std::uint8_t>(number));
        r.setPort(static_cast<std::uint8_t>(com));
        r.setSpeed(1);
        if (com == 0) {
            r.setIpAddress("127.0.0.1");
            r.setTcpPort(tcpPort);
            r.setHeadType(11);
        }
        fs::create_directories(dir.path() / ("line" + std::to_string(number)));
        ASSERT_TRUE(writeLineRecord(number - 1, r));
    }
    void module(int lineNumber, int k, int id, int type, std::uint8_t flags = 0) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(static_cast<std::uint8_t>(type));
        m.setFlags(flags);
        ASSERT_TRUE(writeModuleRecord(lineNumber - 1, k, m));
    }
    std::uint8_t moduleFlags(int lineNumber, int k) {
        ModuleRecord m;
        EXPECT_TRUE(readModuleRecord(lineNumber - 1, k, m));
        return m.flags();
    }

    // The bytes a simulator's bus ("serial" or "tcp") has received from the master.
    std::string received(std::size_t sim, const std::string& transport) const {
        std::string bytes;
        for (const test::WireByte& b : test::readWire(logOf(sim)).bytes) {
            if (b.received && b.transport == transport) bytes.push_back(static_cast<char>(b.value));
        }
        return bytes;
    }
    // The same once at least `size` bytes are there (the simulator logs what it has read; on a
    // busy machine it may trail the program that sent them), or after 5 s as they are.
    std::string receivedAtLeast(std::size_t sim, const std::string& transport, std::size_t size) const {
        const std::int64_t deadline = platform::monotonicMs() + 5000;
        std::string bytes = received(sim, transport);
        while (bytes.size() < size && platform::monotonicMs() < deadline) {
            platform::pause(20);
            bytes = received(sim, transport);
        }
        return bytes;
    }
    // Every exchange ends with the master's release: the bus's bytes once they end with it.
    std::string receivedUpToRelease(std::size_t sim, const std::string& transport, std::size_t from) const {
        const std::int64_t deadline = platform::monotonicMs() + 5000;
        std::string bytes = received(sim, transport);
        while ((bytes.size() <= from || !bytes.ends_with("&MLEND")) && platform::monotonicMs() < deadline) {
            platform::pause(20);
            bytes = received(sim, transport);
        }
        return bytes;
    }

    test::CtlResult ctl(const std::string& args) { return test::runCtl(dir.str(), args); }

    std::vector<std::unique_ptr<test::SimProcess>> sims;
};

// Four lines: two serial buses, a converter, and a converter that refuses the connection. The
// silent module and the refused line fail; the others are done all the same, each in its row.
TEST_F(LumoCtlAll, EveryItemInTheTableAndAFailingLineStopsNoOther) {
    startSim(3, {"serial 5 4", "serial 7 3 silent", "tcp 2 4"});
    startSim(4, {"serial 6 4"});
    line(1, 3);
    module(1, 1, 5, 4);
    module(1, 2, 7, 3);
    module(1, 3, 9, 4, flags::kModuleOff);
    line(2, 4);
    module(2, 1, 6, 4);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 2, 4);
    line(4, 0, 1);  // nothing listens on port 1: refused at once
    module(4, 1, 3, 4);

    const std::string ok5 = "1/1\t05\tTQ300\tok\tZařízení na adrese 05 pracuje správně\n";
    const std::string silent7 = "1/2\t07\tLOQ3\tfailed\tZařízení na adrese 07 nebylo nalezeno !\n";
    const std::string off9 = "1/3\t09\tTQ300\toff\t\n";
    const std::string ok6 = "2/1\t06\tTQ300\tok\tZařízení na adrese 06 pracuje správně\n";
    const std::string ok2 = "3/1\t02\tTQ300\tok\tZařízení na adrese 02 pracuje správně\n";
    const std::string refused3 = "4/1\t03\tTQ300\tfailed\tZařízení na adrese 03 nebylo nalezeno !\n";
    const std::string history7 =
        "1/2\t07\tLOQ3\tfailed\tTerminál nekomunikuje nebo obsahuje události! Proveďte nejdříve vyčtení historie.\n";
    const struct {
        std::string args;
        int status;
        std::string table;
    } cases[] = {
        {"check --all", 1, kHeader + ok5 + silent7 + off9 + ok6 + ok2 + refused3},
        {"check --all --lines 2-3 --max-lines 1", 0, kHeader + ok6 + ok2},
        {"clock --all --lines 1,2 --set '01.02.2030 10:20:30 5'", 1,
         kHeader + "1/1\t05\tTQ300\tok\tnastavení času proběhlo v pořádku: 01.02.2030 10:20:30, Pátek\n" + history7 +
             off9 + "2/1\t06\tTQ300\tok\tnastavení času proběhlo v pořádku: 01.02.2030 10:20:30, Pátek\n"},
    };
    for (const auto& c : cases) {
        const test::CtlResult r = ctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_EQ(r.out, c.table) << c.args;
    }
    // What the checks found is in the records, as a single check stores it.
    EXPECT_EQ(moduleFlags(1, 1), 0);
    EXPECT_EQ(moduleFlags(1, 2), flags::kNotResponding);
    EXPECT_EQ(moduleFlags(4, 1), flags::kNotResponding);

    const struct {
        std::string args;
        int status;
        std::string err;
    } refusals[] = {
        {"check --all --lines 0", 2, "lumo-ctl: the line must be a number from 1 to 16, not '0'\n"},
        {"check --all --lines 3-1", 2, "lumo-ctl: --lines takes ranges from low to high, not '3-1'\n"},
        {"check --all --lines 1,", 2, "lumo-ctl: the line must be a number from 1 to 16, not ''\n"},
        {"check --all --max-lines 17", 2, "lumo-ctl: --max-lines must be a number from 1 to 16, not '17'\n"},
        {"check --all 1/1", 2, "lumo-ctl: unexpected argument '1/1'\n"},
        {"clock --all --lines 1", 2, "lumo-ctl: clock --all needs --system or --set 'DD.MM.YYYY HH:MM:SS W'\n"},
        {"check --all --lines 1,9", 1, "lumo-ctl: the installation has no item 9\n"},
    };
    for (const auto& c : refusals) {
        const test::CtlResult r = ctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
    }
}

// Ctrl-C while every line waits for a silent module: each ends that module as a stopped check
// ends (the release goes out, no verdict is stored) and starts no further one.
TEST_F(LumoCtlAll, CtrlCEndsEveryLinesCurrentModuleAndStartsNoOther) {
    startSim(3, {"serial 7 3 silent", "serial 5 4", "tcp 8 4 silent", "tcp 2 4"});
    startSim(4, {"serial 6 4 silent", "serial 9 4"});
    line(1, 3);
    module(1, 1, 7, 3);
    module(1, 2, 5, 4);
    line(2, 4);
    module(2, 1, 6, 4);
    module(2, 2, 9, 4);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 8, 4);
    module(3, 2, 2, 4);

    const std::string out = dir.str() + "/all.out", err = dir.str() + "/all.err";
    platform::ChildProcess run;
    ASSERT_TRUE(run.start({LUMO_CTL_PATH, "check", "--all"}, dir.str(), out, err));
    // Not a terminal: a line for each module started.
    const std::int64_t deadline = platform::monotonicMs() + 10000;
    const auto allStarted = [&] {
        const std::string text = slurp(err);
        return text.find("1/1\t07\tLOQ3 ...") != std::string::npos &&
               text.find("2/1\t06\tTQ300 ...") != std::string::npos &&
               text.find("3/1\t08\tTQ300 ...") != std::string::npos;
    };
    while (!allStarted() && platform::monotonicMs() < deadline) platform::pause(20);
    ASSERT_TRUE(allStarted()) << slurp(err);
    ASSERT_TRUE(run.interrupt());
    EXPECT_EQ(run.wait(), 1);
    EXPECT_EQ(slurp(out), kHeader +
                              "1/1\t07\tLOQ3\tstopped\t\n"
                              "1/2\t05\tTQ300\tnot done\t\n"
                              "2/1\t06\tTQ300\tstopped\t\n"
                              "2/2\t09\tTQ300\tnot done\t\n"
                              "3/1\t08\tTQ300\tstopped\t\n"
                              "3/2\t02\tTQ300\tnot done\t\n");
    // The stopped module's exchange ended with its release; the next module got nothing.
    EXPECT_EQ(test::visible(receivedAtLeast(0, "serial", check(7).size())), check(7));
    EXPECT_EQ(test::visible(receivedAtLeast(1, "serial", check(6).size())), check(6));
    EXPECT_EQ(test::visible(receivedAtLeast(0, "tcp", check(8).size())), check(8));
    for (const int lineNumber : {1, 2, 3}) EXPECT_EQ(moduleFlags(lineNumber, 1), 0) << "line " << lineNumber;
}

// Two serial lines on one COM port, and two TCP lines to one converter: each pair is one bus,
// its lines in turn, so every module's exchange is whole on the wire.
TEST_F(LumoCtlAll, LinesOnOnePortRunInTurn) {
    startSim(3, {"serial 5 4", "serial 9 4", "tcp 2 4", "tcp 3 4"});
    line(1, 3);
    module(1, 1, 5, 4);
    line(2, 3);
    module(2, 1, 9, 4);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 2, 4);
    line(4, 0, sims[0]->tcpPort());
    module(4, 1, 3, 4);
    const test::CtlResult r = ctl("check --all");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kHeader +
                         "1/1\t05\tTQ300\tok\tZařízení na adrese 05 pracuje správně\n"
                         "2/1\t09\tTQ300\tok\tZařízení na adrese 09 pracuje správně\n"
                         "3/1\t02\tTQ300\tok\tZařízení na adrese 02 pracuje správně\n"
                         "4/1\t03\tTQ300\tok\tZařízení na adrese 03 pracuje správně\n");
    const std::string serial = check(5) + check(9), tcp = check(2) + check(3);
    EXPECT_EQ(test::visible(receivedAtLeast(0, "serial", serial.size())), test::visible(serial));
    EXPECT_EQ(test::visible(receivedAtLeast(0, "tcp", tcp.size())), test::visible(tcp));
}

// Every module gets from a whole-installation run exactly the bytes its single-module command
// sends: the single commands one after another, then the run, bus by bus.
TEST_F(LumoCtlAll, EachModuleGetsTheBytesOfItsSingleCommand) {
    startSim(3, {"serial 5 4", "serial 7 3 silent", "tcp 2 4"});
    startSim(4, {"serial 6 4"});
    line(1, 3);
    module(1, 1, 5, 4);
    module(1, 2, 7, 3);
    line(2, 4);
    module(2, 1, 6, 4);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 2, 4);
    const struct {
        std::size_t sim;
        const char* transport;
        std::vector<const char*> modules;
    } buses[] = {{0, "serial", {"1/1", "1/2"}}, {1, "serial", {"2/1"}}, {0, "tcp", {"3/1"}}};
    const struct {
        const char* single;  // %s: the module
        const char* all;
    } commands[] = {
        {"check %s", "check --all"},
        {"clock %s --set '29.02.2028 23:59:58 2'", "clock --all --set '29.02.2028 23:59:58 2'"},
    };
    for (const auto& c : commands) {
        std::vector<std::string> singles;
        for (const auto& bus : buses) {
            std::string bytes;
            for (const char* m : bus.modules) {
                const std::size_t before = received(bus.sim, bus.transport).size();
                std::string args = c.single;
                args.replace(args.find("%s"), 2, m);
                ctl(args);
                bytes += receivedUpToRelease(bus.sim, bus.transport, before).substr(before);
            }
            singles.push_back(bytes);
        }
        std::vector<std::size_t> before;
        for (const auto& bus : buses) before.push_back(received(bus.sim, bus.transport).size());
        ctl(c.all);
        for (std::size_t b = 0; b < std::size(buses); ++b) {
            const std::string all =
                receivedAtLeast(buses[b].sim, buses[b].transport, before[b] + singles[b].size()).substr(before[b]);
            EXPECT_FALSE(singles[b].empty()) << c.all << ", bus " << b;
            EXPECT_EQ(test::visible(all), test::visible(singles[b])) << c.all << ", bus " << b;
        }
    }
}

}  // namespace
}  // namespace lumo
