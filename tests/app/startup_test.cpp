// The start-up walk over the line folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "model/installation.h"
#include "support/installation_fixture.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using Startup = test::InstallationTest;
using StartupWithSim = test::SimTest;
using test::readFileBytes;

TEST_F(Startup, EmptyDataDirectoryGetsSixteenFoldersAndNoMessage) {
    EXPECT_EQ(checkLinesAtStartup(), 1);
    for (int n = 1; n <= 16; ++n) EXPECT_TRUE(fs::is_directory(dir.path() / ("line" + std::to_string(n)))) << n;
    EXPECT_FALSE(fs::exists(dir.path() / "line17"));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"refresh 0/0"}));
}

// Lines 1 and 2 reach the simulator (serial and TCP), line 3 is a TCP line nobody answers,
// line 4 is switched off, line 5 is a freed slot.
TEST_F(StartupWithSim, OnlyDefinedSwitchedOnLinesAreVerifiedAndFlagsWrittenOnlyWhenTheyChange) {
    startSim({"serial 5 4", "tcp 5 4"});
    LineRecord records[5] = {serialLine, tcpLine, tcpLine, serialLine, serialLine};
    records[1].setFlags(flags::kUnreachable);
    records[2].setTcpPort(1);
    records[3].setFlags(flags::kLineOff);
    records[4].setLineNumber(0);
    for (int i = 0; i < 5; ++i) {
        if (i != 4) records[i].setLineNumber(static_cast<std::uint8_t>(i + 1));
        std::filesystem::create_directories(dir.path() / ("line" + std::to_string(i + 1)));
        ASSERT_TRUE(writeLineRecord(i, records[i]));
    }
    const auto mtime = [&](int n) { return fs::last_write_time(linePath(n, "line.cfg")); };
    const auto before1 = mtime(1), before4 = mtime(4), before5 = mtime(5);
    std::filesystem::resize_file(logPath(), 0);

    EXPECT_EQ(checkLinesAtStartup(), 1);
    const std::uint8_t expected[] = {0, 0, flags::kUnreachable, flags::kLineOff, 0};
    for (int i = 0; i < 5; ++i) {
        LineRecord r;
        ASSERT_TRUE(readLineRecord(i, r));
        EXPECT_EQ(r.flags(), expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(mtime(1), before1);  // reachable without the flag: not rewritten
    EXPECT_EQ(mtime(4), before4);  // switched off: not opened
    EXPECT_EQ(mtime(5), before5);
    EXPECT_EQ(wire().received(), "");  // opening a line sends nothing
    EXPECT_TRUE(fs::is_directory(dir.path() / "line16"));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"refresh 0/0"}));
}

// Lines on one bus (one COM port, one converter's address and port) are verified in turn; buses
// are independent wires, verified at once.
TEST_F(Startup, LinesOfOneBusInTurnBusesAtOnce) {
    struct Line {
        int port;  // 0: TCP
        const char* ip;
        int tcpPort;
    };
    const Line lines[] = {{0, "10.0.0.1", 10001}, {0, "10.0.0.1", 10001}, {0, "10.0.0.2", 10001},
                          {0, "10.0.0.1", 10002}, {3, "", 0},             {3, "", 0}, {4, "", 0}};
    for (int i = 0; i < 7; ++i) {
        LineRecord r;
        r.setLineNumber(static_cast<std::uint8_t>(i + 1));
        r.setPort(static_cast<std::uint8_t>(lines[i].port));
        if (lines[i].port == 0) {
            r.setIpAddress(lines[i].ip);
            r.setTcpPort(lines[i].tcpPort);
        }
        fs::create_directories(dir.path() / ("line" + std::to_string(i + 1)));
        ASSERT_TRUE(writeLineRecord(i, r));
    }
    std::mutex m;
    std::map<std::string, int> inside, most;  // per bus: lines being verified now, at most
    int insideAll = 0, mostAll = 0;
    std::vector<int> verified;
    auto slowLine = [&](int lineIndex, const LineRecord& r) {
        const std::string bus = r.isTcp() ? r.ipAddress() + ":" + std::to_string(r.tcpPort()) : "COM" + std::to_string(r.port());
        {
            const std::lock_guard<std::mutex> lock(m);
            most[bus] = std::max(most[bus], ++inside[bus]);
            mostAll = std::max(mostAll, ++insideAll);
            verified.push_back(lineIndex);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const std::lock_guard<std::mutex> lock(m);
        --inside[bus];
        --insideAll;
        return lineIndex != 2;
    };
    EXPECT_EQ(checkLinesAtStartup(slowLine), 1);
    for (const auto& [bus, n] : most) EXPECT_EQ(n, 1) << bus << " had two lines verified at once";
    EXPECT_GT(mostAll, 1) << "the buses were verified one after another";
    std::sort(verified.begin(), verified.end());
    EXPECT_EQ(verified, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    for (int i = 0; i < 7; ++i) {
        LineRecord r;
        ASSERT_TRUE(readLineRecord(i, r));
        EXPECT_EQ(r.flags(), i == 2 ? flags::kUnreachable : 0) << "line " << i + 1;
    }
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"refresh 0/0"}));
}

}  // namespace
}  // namespace lumo
