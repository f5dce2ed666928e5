// lumo-ctl check --all, clock --all, params --all and download --all against simulators, each
// with buses of its own: the table of every item, a failing line beside working ones, Ctrl-C,
// lines on one port, and the bytes every module gets compared with the single-module command's.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "support/srecord_builder.h"

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
    void startSim(int com, const std::vector<std::string>& modules, const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = {"--pty", "--tcp", "0", "--comports", dir.str(), "--com", std::to_string(com)};
        args.insert(args.end(), options.begin(), options.end());
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

    // How many of a simulator's notes hold `text` (a loader notes the image it wrote only
    // after the last message it took, which the program sending it does not wait for).
    std::size_t notesWith(std::size_t sim, const std::string& text) const {
        const auto notes = test::readWire(logOf(sim)).notes;
        return static_cast<std::size_t>(
            std::count_if(notes.begin(), notes.end(), [&](const std::string& n) { return n.find(text) != std::string::npos; }));
    }
    // Waits until there are `count` such notes, or 10 s.
    bool awaitNotes(std::size_t sim, const std::string& text, std::size_t count) const {
        const std::int64_t deadline = platform::monotonicMs() + 10000;
        while (notesWith(sim, text) < count && platform::monotonicMs() < deadline) platform::pause(20);
        return notesWith(sim, text) >= count;
    }
    std::string file(const std::string& name, const std::string& content) const {
        const std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
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

// An S-record file of 16-byte records from address 0 with a header and a start record.
std::string srecordFile(const std::string& image) {
    std::string text = "S00600004844521B\r\n";
    for (std::size_t i = 0; i < image.size(); i += 16) {
        const std::string piece = image.substr(i, 16);
        text += test::srecordLine(1, static_cast<std::uint32_t>(i), std::vector<std::uint8_t>(piece.begin(), piece.end())) + "\r\n";
    }
    return text + "S9030000FC\r\n";
}

std::string pattern(std::size_t n, int step) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * static_cast<std::size_t>(step) + i / 256) & 0xFF);
    return bytes;
}

// params --all: every module of the type on the lines gets the settings as `params L/K
// NAME=VALUE` gives it, bus by bus; modules of other types are not in the table; a silent one
// fails beside the others. Wrong command lines are refused before anything is sent.
TEST_F(LumoCtlAll, ParamsGoToEveryModuleOfTheTypeAsTheSingleCommandSendsThem) {
    startSim(3, {"serial 5 4", "serial 7 3", "tcp 2 4"});
    startSim(4, {"serial 6 4", "serial 9 4 silent"});
    line(1, 3);
    module(1, 1, 5, 4);
    module(1, 2, 7, 3);
    line(2, 4);
    module(2, 1, 6, 4);
    module(2, 2, 9, 4);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 2, 4);
    const std::string settings = " displayText=Recepce paramP3=0x21 relayDelay1=7";
    const struct {
        std::size_t sim;
        const char* transport;
        std::vector<const char*> modules;
    } buses[] = {{0, "serial", {"1/1"}}, {1, "serial", {"2/1", "2/2"}}, {0, "tcp", {"3/1"}}};
    std::vector<std::string> singles;
    for (const auto& bus : buses) {
        std::string bytes;
        for (const char* m : bus.modules) {
            const std::size_t before = received(bus.sim, bus.transport).size();
            ctl(std::string("params ") + m + settings);
            bytes += receivedUpToRelease(bus.sim, bus.transport, before).substr(before);
        }
        singles.push_back(bytes);
    }
    std::vector<std::size_t> before;
    for (const auto& bus : buses) before.push_back(received(bus.sim, bus.transport).size());
    const test::CtlResult r = ctl("params --all --type 4" + settings);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, kHeader +
                         "1/1\t05\tTQ300\tok\tZařízení na adrese 05 pracuje správně\n"
                         "2/1\t06\tTQ300\tok\tZařízení na adrese 06 pracuje správně\n"
                         "2/2\t09\tTQ300\tfailed\tZařízení na adrese 09 neodpovídá ! Zkontrolujte nastavení.\n"
                         "3/1\t02\tTQ300\tok\tZařízení na adrese 02 pracuje správně\n");
    for (std::size_t b = 0; b < std::size(buses); ++b) {
        const std::string all =
            receivedAtLeast(buses[b].sim, buses[b].transport, before[b] + singles[b].size()).substr(before[b]);
        EXPECT_NE(singles[b].find("Recepce"), std::string::npos) << "bus " << b;
        EXPECT_EQ(test::visible(all), test::visible(singles[b])) << "bus " << b;
    }
    EXPECT_NE(ctl("params 2/1 --from-record").out.find("displayText=Recepce\n"), std::string::npos);

    const struct {
        std::string args;
        int status;
        std::string err;
    } refusals[] = {
        {"params --all --type 4", 2, "lumo-ctl: params --all needs the settings to write, NAME=VALUE ...\n"},
        {"params --all displayText=x", 2, "lumo-ctl: params --all needs --type CODE\n"},
        {"params --all --type 4 paramP9=1", 2, "lumo-ctl: 'paramP9=1': expected NAME=VALUE"},
        {"params --all --type 4 paramP1=1 --max-lines 0", 2, "lumo-ctl: --max-lines must be a number from 1 to 16"},
        {"params --all --type 4 --bogus paramP1=1", 2, "lumo-ctl: unknown option '--bogus'\n"},
        {"params --all --type 3 displayText=x", 1, "lumo-ctl: displayText is never written to a LOQ3;"},
        {"params --all --type 3 paramP2=1 --lines 2-3", 1, "lumo-ctl: no module of type 3 (LOQ3) on the lines chosen\n"},
    };
    for (std::size_t b = 0; b < std::size(buses); ++b) before[b] = received(buses[b].sim, buses[b].transport).size();
    for (const auto& c : refusals) {
        const test::CtlResult refused = ctl(c.args);
        EXPECT_EQ(refused.status, c.status) << c.args;
        EXPECT_EQ(refused.err.substr(0, c.err.size()), c.err) << c.args << "\n" << refused.err;
        EXPECT_EQ(refused.out, "") << c.args;
    }
    for (std::size_t b = 0; b < std::size(buses); ++b)
        EXPECT_EQ(received(buses[b].sim, buses[b].transport).size(), before[b]) << "bus " << b;
}

// download --all: each module of the type loaded as `download L/K FILE` loads it (the same
// bytes on each bus, the same image in the loader), the flash loader's and the segment loader's
// alike; a network device without its MAC address in the line record is skipped with its
// reason and the others are done. Refusals (no -y, a bad image, a type without download) come
// before anything is sent.
TEST_F(LumoCtlAll, DownloadLoadsEveryModuleOfTheTypeAsTheSingleCommandDoes) {
    startSim(3, {"serial 5 10", "serial 7 9", "serial 8 4", "tcp 2 10", "tcp 3 9"}, {"--image-dir", dir.str()});
    startSim(4, {"serial 6 10"}, {"--image-dir", dir.str()});
    line(1, 3);
    module(1, 1, 5, 10);
    module(1, 2, 7, 9);
    module(1, 3, 8, 4);
    line(2, 4);
    module(2, 1, 6, 10);
    line(3, 0, sims[0]->tcpPort());  // no MAC address in its record
    module(3, 1, 2, 10);
    module(3, 2, 3, 9);
    const std::string flashImage = pattern(256, 7), segmentImage = pattern(1024, 5);
    const std::string mot = file("fw.mot", srecordFile(flashImage)), bin = file("fw.bin", segmentImage);
    const std::string done =
        "ok\tDownload byl úspěšně dokončen. Pokud zavádíte novější verzi programu je nutno pro správnou funkci "
        "terminál znovu inicializovat.\n";
    const struct {
        const char* transport;
        std::size_t sim;
    } buses[] = {{"serial", 0}, {"serial", 1}, {"tcp", 0}};
    const struct {
        std::string type, path, image;
        // The modules downloaded on each bus: L/K and ID.
        std::vector<std::vector<std::pair<const char*, int>>> loaded;
        int status;
        std::string table;
    } cases[] = {
        {"10", mot, flashImage, {{{"1/1", 5}}, {{"2/1", 6}}, {}}, 1,
         kHeader + "1/1\t05\tMN600/MN700\t" + done + "2/1\t06\tMN600/MN700\t" + done +
             "3/1\t02\tMN600/MN700\tskipped\tno MAC address of its own in the line record; a download of it alone "
             "asks for it\n"},
        {"9", bin, segmentImage, {{{"1/2", 7}}, {}, {{"3/2", 3}}}, 0,
         kHeader + "1/2\t07\tZB20\t" + done + "3/2\t03\tZB20\t" + done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + c.type);
        const auto imagesWritten = [&](std::size_t b, int id) {
            return notesWith(buses[b].sim, "module " + std::to_string(id) + " loader: image written");
        };
        std::vector<std::string> singles;
        for (std::size_t b = 0; b < std::size(buses); ++b) {
            std::string bytes;
            for (const auto& [item, id] : c.loaded[b]) {
                const std::size_t before = received(buses[b].sim, buses[b].transport).size(), images = imagesWritten(b, id);
                EXPECT_EQ(ctl(std::string("download ") + item + " " + c.path).status, 0) << item;
                EXPECT_TRUE(awaitNotes(buses[b].sim, "module " + std::to_string(id) + " loader: image written", images + 1));
                bytes += received(buses[b].sim, buses[b].transport).substr(before);
            }
            singles.push_back(bytes);
        }
        std::vector<std::size_t> before, images;
        for (std::size_t b = 0; b < std::size(buses); ++b) {
            before.push_back(received(buses[b].sim, buses[b].transport).size());
            for (const auto& [item, id] : c.loaded[b]) {
                images.push_back(imagesWritten(b, id));
                fs::remove(dir.path() / ("image-" + std::to_string(id) + ".bin"));
            }
        }
        const test::CtlResult r = ctl("-y download --all --type " + c.type + " " + c.path);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.table);
        // The warning once, answered for the whole run.
        EXPECT_EQ(r.err.rfind("Download: POZOR: při této operaci může dojít ke ztrátě dat paměti terminálu.\n", 0), 0u) << r.err;
        std::size_t n = 0;
        for (std::size_t b = 0; b < std::size(buses); ++b) {
            for (const auto& [item, id] : c.loaded[b]) {
                EXPECT_TRUE(awaitNotes(buses[b].sim, "module " + std::to_string(id) + " loader: image written", images[n++] + 1));
                EXPECT_EQ(slurp(dir.str() + "/image-" + std::to_string(id) + ".bin"), c.image) << item;
            }
            EXPECT_EQ(test::visible(received(buses[b].sim, buses[b].transport).substr(before[b])), test::visible(singles[b]))
                << "bus " << b;
        }
    }

    const struct {
        std::string args;
        int status;
        std::string err;
    } refusals[] = {
        {"download --all --type 10 " + mot, 2, "lumo-ctl: download --all needs -y: the warning"},
        {"-n download --all --type 10 " + mot, 2, "lumo-ctl: download --all needs -y: the warning"},
        {"-y download --all " + mot, 2, "lumo-ctl: download --all needs --type CODE\n"},
        {"-y download --all --type 10", 2, "lumo-ctl: download --all needs the image file\n"},
        {"-y download --all --type 10 " + mot + " " + bin, 2, "lumo-ctl: unexpected argument"},
        {"-y download --all --type 10 --old-hardware " + mot, 2, "lumo-ctl: --old-hardware is for the TQ300 and TQ310 only"},
        {"-y download --all --type 9 " + mot, 1,
         "Download: Soubor " + mot + " nelze zavést: \nsoubor je ve formátu S-záznamů, zařízení ZB20 zavádí obraz paměti (.bin)\n"},
        {"-y download --all --type 3 " + mot, 1, "Download: Zařízení typu LOQ3 \nneumožňuje download.\n"},
        {"-y download --all --type 4 --lines 2-3 " + bin, 1, "lumo-ctl: no module of type 4 (TQ300) on the lines chosen\n"},
    };
    std::vector<std::size_t> before;
    for (const auto& bus : buses) before.push_back(received(bus.sim, bus.transport).size());
    for (const auto& c : refusals) {
        const test::CtlResult refused = ctl(c.args);
        EXPECT_EQ(refused.status, c.status) << c.args;
        EXPECT_NE(refused.err.find(c.err), std::string::npos) << c.args << "\n" << refused.err;
        EXPECT_EQ(refused.out, "") << c.args;
    }
    for (std::size_t b = 0; b < std::size(buses); ++b)
        EXPECT_EQ(received(buses[b].sim, buses[b].transport).size(), before[b]) << "bus " << b;
}

// Ctrl-C while every line's loader takes its image: each line ends its download as a stopped
// download ends, the device left in its loader and listed so; no further module starts.
TEST_F(LumoCtlAll, CtrlCLeavesEachDeviceInItsLoaderAndStartsNoOther) {
    startSim(3, {"serial 5 48 lslow=200", "serial 9 48", "tcp 2 48 lslow=200"});
    startSim(4, {"serial 6 48 lslow=200"});
    line(1, 3);
    module(1, 1, 5, 48);
    module(1, 2, 9, 48);
    line(2, 4);
    module(2, 1, 6, 48);
    line(3, 0, sims[0]->tcpPort());
    module(3, 1, 2, 48);
    const std::string mot = file("fw.mot", srecordFile(pattern(1024, 3)));
    const std::string out = dir.str() + "/all.out", err = dir.str() + "/all.err";
    platform::ChildProcess run;
    ASSERT_TRUE(run.start({LUMO_CTL_PATH, "-y", "download", "--all", "--type", "48", mot}, dir.str(), out, err));
    // Every loader has erased its flash: the image is on its way on each line.
    ASSERT_TRUE(awaitNotes(0, "module 5 loader: flash erased", 1)) << slurp(err);
    ASSERT_TRUE(awaitNotes(0, "module 2 loader: flash erased", 1)) << slurp(err);
    ASSERT_TRUE(awaitNotes(1, "module 6 loader: flash erased", 1)) << slurp(err);
    ASSERT_TRUE(run.interrupt());
    EXPECT_EQ(run.wait(), 1);
    EXPECT_EQ(slurp(out), kHeader +
                              "1/1\t05\tQH-J01\tstopped\tin its loader\n"
                              "1/2\t09\tQH-J01\tnot done\t\n"
                              "2/1\t06\tQH-J01\tstopped\tin its loader\n"
                              "3/1\t02\tQH-J01\tstopped\tin its loader\n");
    // No loader was started, and the module after the stopped one was not restarted.
    EXPECT_EQ(notesWith(0, "loader: started"), 0u);
    EXPECT_EQ(notesWith(1, "loader: started"), 0u);
    EXPECT_EQ(notesWith(0, "module 9 restarts into its loader"), 0u);
}

}  // namespace
}  // namespace lumo
