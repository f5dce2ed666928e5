// The ICMP tunnel and the neighbour table, for real, between network namespaces this test
// creates: our side (a fresh namespace of a child process) and a peer namespace where the
// simulator answers tunnel echo requests. Needs root; skipped without it.
#include <gtest/gtest.h>

#include <net/if.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "actions/download_actions.h"
#include "actions/network_actions.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "base/error_report.h"
#include "comm/icmp_echo.h"
#include "comm/line_port.h"
#include "platform/clock.h"
#include "platform/pseudo_terminal.h"
#include "discovery/neighbour_binding.h"
#include "model/installation.h"
#include "service/jobs.h"
#include "support/network_namespace.h"
#include "support/sim_fixture.h"
#include "support/srecord_builder.h"

namespace lumo {
namespace {

using test::shellOutput;
using test::shellSucceeds;

constexpr unsigned kTechnicians = 4242;  // the test's stand-in for the group lumo

class NetnsTest : public test::InstallationTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root for network namespaces";
        if (!shellSucceeds("command -v ip")) GTEST_SKIP() << "needs iproute2";
        InstallationTest::SetUp();
        peer = "lumo-peer-" + std::to_string(::getpid());
    }
    void TearDown() override {
        if (!peer.empty()) shellSucceeds("ip netns del " + peer);
        InstallationTest::TearDown();
    }

    // Runs `body` in a child process with a network namespace of its own, wired to the peer:
    // v0 10.77.0.1 here <-> v1 10.77.0.2 in the peer; v2 10.78.0.1 here leads nowhere.
    void inNetworkNamespace(const std::function<void()>& body) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = ::unshare(CLONE_NEWNET) == 0 && shellSucceeds("ip link set lo up") && shellSucceeds("ip netns add " + peer) &&
                      shellSucceeds("ip link add v0 type veth peer name v1") && shellSucceeds("ip link add v2 type veth peer name v3") &&
                      shellSucceeds("ip link set v1 netns " + peer) && shellSucceeds("ip addr add 10.77.0.1/24 dev v0") &&
                      shellSucceeds("ip link set v0 up") && shellSucceeds("ip addr add 10.78.0.1/24 dev v2") && shellSucceeds("ip link set v2 up") &&
                      shellSucceeds("ip link set v3 up") &&
                      shellSucceeds("ip netns exec " + peer + " ip addr add 10.77.0.2/24 dev v1") &&
                      shellSucceeds("ip netns exec " + peer + " ip link set v1 up") &&
                      shellSucceeds("ip netns exec " + peer + " ip link set lo up") &&
                      shellSucceeds("ip netns exec " + peer + " sh -c 'echo 1 > /proc/sys/net/ipv4/icmp_echo_ignore_all'");
            if (!ok) {
                std::fprintf(stderr, "cannot build the namespaces\n");
                ::_exit(3);
            }
            body();
            ::_exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "network namespaces are not available here";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "failures in the namespace, see above";
    }

    // The network helper as the package installs it (root, the technicians' group, 0750, its
    // capabilities), in a folder everyone may enter; "" where capabilities cannot be set.
    std::string installHelper() {
        ::chmod(dir.str().c_str(), 0755);
        const std::string path = dir.str() + "/bin/lumo-net-helper";
        return test::installNetHelper(path, kTechnicians, 0750) ? path : "";
    }

    // Runs `body` as nobody (with `group` beside, none when 0), in a process of its own so that
    // the simulator stays root's to end; the program finds the helper at `helperPath`.
    void asNobody(unsigned group, const std::string& helperPath, const std::function<void()>& body) {
        shellSucceeds("chmod -R a+rwX " + dir.str());
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("LUMO_NET_HELPER", helperPath.c_str(), 1);
            if (!test::becomeNobody(group)) ::_exit(2);
            body();
            std::fflush(nullptr);
            ::_exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failures as nobody, see above";
    }

    std::string peer;
};

TEST_F(NetnsTest, IcmpTunnelRequestCarriesInexAndChannelAndTakesTheKoReply) {
    inNetworkNamespace([&] {
        test::SimProcess::prefix = {"ip", "netns", "exec", peer};
        test::SimProcess sim({"--icmp"}, dir.str() + "/wire.log");
        test::SimProcess::prefix.clear();

        LineRecord line;
        line.setLineNumber(1);
        line.setIpAddress("10.77.0.2");
        line.setHeadType(11);
        LineConfigure(0, line);
        // A service job for a TQ300TCP opens its TCP line as an ICMP tunnel.
        ASSERT_EQ(LineOpen(0 | kServiceBit, 1), 0u);
        EXPECT_EQ(linePort(0).modeFlags & kModeIcmpTunnel, kModeIcmpTunnel);
        const std::string data = "#CAL+";
        ASSERT_TRUE(LineSend(0 | kServiceBit, reinterpret_cast<const std::uint8_t*>(data.data()), 5, 3));
        std::array<std::uint8_t, 32> answer{};
        int length = 5;
        ASSERT_TRUE(LineReceive(0, length, 0 | kServiceBit, answer.data(), answer.size()));
        // Closing the ICMP socket waits its 100 ms like every socket close.
        const std::int64_t before = platform::monotonicMs();
        LineClose(0);
        EXPECT_GE(platform::monotonicMs() - before, 100);
        EXPECT_EQ(length, 5);
        EXPECT_EQ(std::string(answer.begin(), answer.begin() + 5), "#CAL+");

        const auto w = test::readWire(dir.str() + "/wire.log");
        const std::string request = w.received();
        ASSERT_GE(request.size(), 31u);
        EXPECT_EQ(request[0], 8);                       // echo request
        EXPECT_EQ(request.substr(8 + 12, 6), "INEX03");  // channel 3
        EXPECT_EQ(request.substr(26), "#CAL+");
    });
}

TEST_F(NetnsTest, NeighbourRowsAreBoundKeptAndRemovedOnTheChosenAdapterOnly) {
    inNetworkNamespace([&] {
        appState().adapterIndex = ::if_nametoindex("v0");
        ASSERT_NE(appState().adapterIndex, 0u);
        ASSERT_TRUE(shellSucceeds("ip neigh add 10.77.0.2 lladdr 02:00:00:00:00:02 dev v2 nud permanent"));
        const auto rowOn = [](const char* dev) { return shellOutput(std::string("ip neigh show 10.77.0.2 dev ") + dev); };

        // Mode 0: the factory MAC, even though the table learns the peer's own address.
        MacAddress mac = {1, 2, 3, 4, 5, 6};
        EXPECT_EQ(BindAddressToMac("10.77.0.2", MacSource::Factory, mac), 2u);
        EXPECT_NE(rowOn("v0").find("lladdr 00:4f:49:0d:ff:ff PERMANENT"), std::string::npos) << rowOn("v0");
        EXPECT_EQ(mac, kFactoryMac);

        // Mode 1: the MAC the table holds is kept.
        ASSERT_TRUE(shellSucceeds("ip neigh replace 10.77.0.2 lladdr 02:11:22:33:44:55 dev v0 nud permanent"));
        EXPECT_EQ(BindAddressToMac("10.77.0.2", MacSource::FromTable, mac), 2u);
        EXPECT_NE(rowOn("v0").find("lladdr 02:11:22:33:44:55 PERMANENT"), std::string::npos) << rowOn("v0");
        EXPECT_EQ(mac, (MacAddress{0x02, 0x11, 0x22, 0x33, 0x44, 0x55}));

        // Removal: the TCP line's row goes; the other adapter's row with the same address stays.
        LineRecord tcp;
        tcp.setIpAddress("10.77.0.2");
        EXPECT_TRUE(RemoveArpEntry(tcp));
        EXPECT_EQ(rowOn("v0").find("PERMANENT"), std::string::npos) << rowOn("v0");
        EXPECT_NE(rowOn("v2").find("lladdr 02:00:00:00:00:02 PERMANENT"), std::string::npos) << rowOn("v2");
        EXPECT_FALSE(RemoveArpEntry(tcp));  // no row left to remove

        // A serial line has no row: success, nothing touched.
        LineRecord serial;
        serial.setPort(1);
        serial.setIpAddress("10.77.0.2");
        EXPECT_TRUE(RemoveArpEntry(serial));
        EXPECT_NE(rowOn("v2").find("PERMANENT"), std::string::npos);
    });
}

// A device that does not answer ARP leaves an incomplete or failed row after the probe: the
// static row replaces it (creating beside it failed with "exists").
TEST_F(NetnsTest, StaticRowReplacesTheRowOfADeviceThatDoesNotAnswerArp) {
    inNetworkNamespace([&] {
        ASSERT_TRUE(shellSucceeds("ip netns exec " + peer + " ip link set v1 arp off"));
        appState().adapterIndex = ::if_nametoindex("v0");
        EXPECT_EQ(BindAddressToMac("10.77.0.2", MacSource::Factory), 2u);
        const std::string row = shellOutput("ip neigh show 10.77.0.2 dev v0");
        EXPECT_NE(row.find("lladdr 00:4f:49:0d:ff:ff PERMANENT"), std::string::npos) << row;
    });
}

// Where the system permits this program no ICMP, the probe knows nothing (a distinct result)
// and a TCP line is opened by its connect alone.
TEST_F(NetnsTest, ProbeWithoutIcmpIsUnknownAndTheConnectDecides) {
    inNetworkNamespace([&] {
        ASSERT_TRUE(test::setPingGroups("1 0"));  // no ping sockets
        platform::TcpListener listener;
        const int port = listener.listenLoopback(0);
        ASSERT_GT(port, 0);
        ASSERT_EQ(::setgid(65534), 0);
        ASSERT_EQ(::setuid(65534), 0);  // nobody: no raw sockets either
        EXPECT_EQ(HostProbe("127.0.0.1"), kProbeUnknown);
        EXPECT_EQ(HostProbe("10.78.0.9"), kProbeUnknown);  // not "silent": nothing is known
        LineRecord line;
        line.setLineNumber(1);
        line.setIpAddress("127.0.0.1");
        line.setTcpPort(port);
        EXPECT_EQ(LineOpenFromRecord(0, line), 0u);
        LineClose(0);
    });
}

// Without the privilege the program asks the network helper; where the helper cannot be used
// or refuses, the message says why and what to do.
TEST_F(NetnsTest, RowWithoutPrivilegeGoesThroughTheHelperOrSaysWhatToDo) {
    const std::string helper = installHelper();
    if (helper.empty()) GTEST_SKIP() << "this file system takes no capabilities";
    inNetworkNamespace([&] {
        appState().adapterIndex = ::if_nametoindex("v0");
        struct Case {
            const char* name;
            std::string helperPath;
            unsigned group;
            const char* address;
            ErrorCode result;
            std::string message;  // "" for none
        };
        const Case cases[] = {
            {"through the helper", helper, kTechnicians, "10.77.0.2", 2, ""},
            {"no helper", dir.str() + "/none", kTechnicians, "10.77.0.2", err::kArpTable,
             "Upozornění|Tabulku sousedů (ARP) nelze změnit: pomocný program " + dir.str() +
                 "/none v počítači není: nainstalujte balíček lumo-panel, nebo program spusťte jako root. "},
            {"not a member", helper, 0, "10.77.0.2", err::kArpTable, "smějí spouštět jen členové skupiny lumo. Správce vás přidá příkazem „sudo adduser "},
            {"refused", helper, kTechnicians, "10.77.0.1", err::kArpTable,
             "pomocný program požadavek odmítl: je to adresa samotného síťového adaptéru. "},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            shellSucceeds("ip neigh del 10.77.0.2 dev v0");
            asNobody(c.group, c.helperPath, [&] {
                EXPECT_EQ(BindAddressToMac(c.address, MacSource::Factory), c.result);
                if (c.message.empty()) {
                    EXPECT_TRUE(ui.callsOf("message").empty());
                } else {
                    ASSERT_EQ(ui.callsOf("message").size(), 1u);
                    EXPECT_NE(ui.callsOf("message")[0].find(c.message), std::string::npos) << ui.callsOf("message")[0];
                }
            });
            const std::string row = shellOutput("ip neigh show 10.77.0.2 dev v0");
            EXPECT_EQ(row.find("lladdr 00:4f:49:0d:ff:ff PERMANENT proto 76") != std::string::npos, c.result == 2) << row;
        }
    });
}

// A WI485 converter line: the restart datagram to its service port, then the S-record image
// through the ICMP tunnel to the converter's loader, which ends holding the image.
TEST_F(NetnsTest, ConverterRestartedAndLoadedThroughTheIcmpTunnel) {
    std::string image;
    for (int i = 0; i < 512; ++i) image += static_cast<char>(i * 3);
    std::string mot = "S00600004844521B\r\n";
    for (std::size_t at = 0; at < image.size(); at += 16)
        mot += test::srecordLine(1, static_cast<std::uint32_t>(at),
                                 std::vector<std::uint8_t>(image.begin() + static_cast<long>(at),
                                                           image.begin() + static_cast<long>(at + 16))) +
               "\r\n";
    const std::string path = dir.str() + "/converter.mot";
    std::ofstream(path, std::ios::binary) << mot + "S9030000FC\r\n";
    const std::string helper = installHelper();
    inNetworkNamespace([&] {
        // The converter's loader answers at the factory MAC address.
        ASSERT_TRUE(shellSucceeds("ip netns exec " + peer + " ip link set v1 address 00:4f:49:0d:ff:ff"));
        appState().adapterIndex = ::if_nametoindex("v0");
        UiPort port = uiPort();
        port.enterMacAddress = [](MacAddress&) { return true; };  // the MAC shown is confirmed
        installUiPort(port);
        std::filesystem::create_directories(dir.path() / "line1");
        LineRecord line;
        line.setLineNumber(1);
        line.setIpAddress("10.77.0.2");
        line.setTcpPort(13000);
        line.setHeadType(11);
        line.setMac(kFactoryMac);
        ASSERT_TRUE(writeLineRecord(0, line));
        // As root, and as a technician whose neighbour-table row and ICMP socket come from the
        // network helper (no group here may use ping sockets).
        for (const bool technician : {false, true}) {
            if (technician && helper.empty()) continue;  // no capabilities on this file system
            SCOPED_TRACE(technician ? "technician" : "root");
            std::filesystem::remove(dir.path() / "image-0.bin");
            std::filesystem::remove(dir.path() / "wire.log");
            test::SimProcess::prefix = {"ip", "netns", "exec", peer};
            test::SimProcess sim({"--icmp", "--udp", "10.77.0.2", "--image-dir", dir.str()}, dir.str() + "/wire.log");
            test::SimProcess::prefix.clear();
            const auto download = [&] {
                ui.calls.clear();
                LineConfigure(0, line);
                bool done = false;
                ASSERT_EQ(startDownload(0, 0, path, false, [&done](bool ok) { done = ok; }), 1);
                JobWait();
                EXPECT_TRUE(done);
                ASSERT_EQ(ui.callsOf("message").size(), 1u);  // nothing but the end's
                EXPECT_NE(ui.callsOf("message")[0].find("Download byl úspěšně dokončen."), std::string::npos);
            };
            if (technician)
                asNobody(kTechnicians, helper, download);
            else
                download();
            std::ifstream in(dir.str() + "/image-0.bin", std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), image);
            std::string notes;
            for (const auto& n : test::readWire(dir.str() + "/wire.log").notes) notes += n + "\n";
            EXPECT_NE(notes.find("from 10.77.0.1:"), std::string::npos) << notes;
            EXPECT_NE(notes.find(" 00 00 00 03 33 51 ff ff"), std::string::npos) << notes;  // the factory MAC's end
            EXPECT_EQ(shellOutput("ip neigh show 10.77.0.2 dev v0").find("PERMANENT"), std::string::npos);  // removed
        }
    });
}

// The TCP search over a veth pair with real broadcast: device servers of the simulator in the
// peer namespace answer; the list is newest first; "Uložit" makes lines in arrival order; the
// wait costs no CPU; 200 servers answering at once are all listed.
TEST_F(NetnsTest, TcpSearchListsTheDeviceServersAndSavesThemInArrivalOrder) {
    inNetworkNamespace([&] {
        std::vector<std::string> args;
        for (int i = 0; i < 200; ++i) {
            const std::string ip = "10.77.0." + std::to_string(20 + i);
            ASSERT_TRUE(shellSucceeds("ip netns exec " + peer + " ip addr add " + ip + "/24 dev v1"));
            char server[96];
            // Converters, and every other one an MN600 with its own network interface.
            std::snprintf(server, sizeof server, "%s/%d/4415601100%02d/00-4F-49-0D-%02X-%02X", ip.c_str(),
                          i % 2 == 0 ? 11 : 10, i % 100, i >> 8, i & 0xFF);
            args.insert(args.end(), {"--device-server", server});
        }
        test::SimProcess::prefix = {"ip", "netns", "exec", peer};
        test::SimProcess sim(args, dir.str() + "/wire.log");
        test::SimProcess::prefix.clear();
        platform::pause(500);  // the servers' sockets
        appState().adapterAddress = "10.77.0.1";
        std::vector<SearchRow> rows;
        struct rusage before {}, after {};
        ::getrusage(RUSAGE_SELF, &before);
        const std::int64_t start = platform::monotonicMs();
        ASSERT_EQ(searchTcpDevices(false, rows, 1500), 1);
        const std::int64_t wall = platform::monotonicMs() - start;
        ::getrusage(RUSAGE_SELF, &after);
        const double cpuMs = (after.ru_utime.tv_sec - before.ru_utime.tv_sec) * 1000.0 +
                             (after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1000.0 +
                             (after.ru_stime.tv_sec - before.ru_stime.tv_sec) * 1000.0 +
                             (after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1000.0;
        std::fprintf(stderr, "search: %zu of 200 listed, %.1f ms CPU in %lld ms\n", rows.size(), cpuMs, static_cast<long long>(wall));
        EXPECT_EQ(rows.size(), 200u);
        EXPECT_LT(cpuMs, 0.02 * static_cast<double>(wall));
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(searchTypeText(rows.back()), "11-(WI485)");
        EXPECT_FALSE(rows.front().sameIp || rows.front().sameMac);
        // "Uložit": the first answer (the bottom row) becomes line 1; all 16 lines taken, it stops.
        EXPECT_EQ(saveSearchRows(rows), 16);
        LineRecord first;
        ASSERT_TRUE(readLineRecord(0, first));
        EXPECT_EQ(first.ipAddress(), rows.back().ip);
        EXPECT_EQ(first.mac(), rows.back().mac);
        EXPECT_EQ(first.headType(), 11);
        // A device with its own network interface is reached through a TCP line as well.
        LineRecord second;
        ASSERT_TRUE(readLineRecord(1, second));
        EXPECT_EQ(searchTypeText(rows[rows.size() - 2]), "10-(MN600/MN700)");
        EXPECT_EQ(second.ipAddress(), rows[rows.size() - 2].ip);
        EXPECT_EQ(second.headType(), 11);
        EXPECT_TRUE(second.isTcp());
        // A configured adapter that is gone: said plainly, nothing broadcast.
        appState().adapterAddress = "10.99.0.1";
        ui.calls.clear();
        EXPECT_EQ(searchTcpDevices(false, rows, 500), 0);
        ASSERT_FALSE(ui.callsOf("message").empty());
        EXPECT_NE(ui.callsOf("message")[0].find("10.99.0.1"), std::string::npos);
    });
}

// "Nastavit IP adresu v zařízení" against device servers that answer ping at their address
// (the kernel's own replies are off in the peer): an address that answers is refused before
// anything is sent; a MAC that names no device leaves it silent at the new address; the right
// MAC moves it there and the echo check finds it. The line keeps its address throughout.
TEST_F(NetnsTest, DeviceAddressIsSetThroughIpSetupAndCheckedByEcho) {
    inNetworkNamespace([&] {
        for (const char* ip : {"10.77.0.20", "10.77.0.21", "10.77.0.50", "10.77.0.51", "10.77.0.60"})
            ASSERT_TRUE(shellSucceeds("ip netns exec " + peer + " ip addr add " + ip + "/24 dev v1"));
        test::SimProcess::prefix = {"ip", "netns", "exec", peer};
        test::SimProcess sim({"--device-server", "10.77.0.20/11/441560110001/00-4F-49-0D-12-34", "--device-server",
                              "10.77.0.21/11/441560110002/00-4F-49-0D-12-35"},
                             dir.str() + "/wire.log");
        test::SimProcess::prefix.clear();
        platform::pause(500);
        appState().adapterAddress = "10.77.0.1";
        std::filesystem::create_directories(dir.path() / "line1");
        LineRecord line;
        line.setLineNumber(1);
        line.setIpAddress("10.77.0.20");
        line.setTcpPort(13000);
        line.setHeadType(11);
        line.setMac(MacAddress{0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34});
        ASSERT_TRUE(writeLineRecord(0, line));
        MacAddress entered{};
        UiPort port = uiPort();
        port.enterMacAddress = [&](MacAddress& mac) {
            mac = entered;
            return true;
        };
        installUiPort(port);
        const auto notes = [&] {
            std::string text;
            for (const auto& n : test::readWire(dir.str() + "/wire.log").notes) text += n + "\n";
            return text;
        };
        struct Case {
            const char* address;
            MacAddress mac;
            int result;
            const char* message;
            bool sent;
        };
        const Case cases[] = {
            {"10.77.0.21", line.mac(), 0, "Cílová adresa se již používá ! ", false},
            {"10.77.0.51", MacAddress{0x00, 0x4F, 0x49, 0x0D, 0x99, 0x99}, -1, "Zařízení neodpovídá na nové adrese !", true},
            {"10.77.0.50", line.mac(), 1, "Nová IP adresa byla úspěšně nastavena.", true},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.address);
            entered = c.mac;
            ui.calls.clear();
            const std::size_t logged = notes().size();
            EXPECT_EQ(setDeviceAddress(0, c.address), c.result);
            const auto messages = ui.callsOf("message");
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
            platform::pause(200);
            const std::string fresh = notes().substr(logged);
            // 00 00 00 AC "IP-SETUP", the MAC's last two bytes, the new address.
            EXPECT_EQ(fresh.find(" 00 00 00 ac 49 50 2d 53 45 54 55 50") != std::string::npos, c.sent) << fresh;
            LineRecord after;
            ASSERT_TRUE(readLineRecord(0, after));
            EXPECT_EQ(after.ipAddress(), "10.77.0.20");
        }
        EXPECT_NE(notes().find("device server 10.77.0.20 moves to 10.77.0.50"), std::string::npos);
        std::vector<SearchRow> rows;
        ASSERT_EQ(searchTcpDevices(false, rows, 500), 1);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_TRUE(rows[0].ip == "10.77.0.50" || rows[1].ip == "10.77.0.50");

        // Refused before anything is sent: the configured adapter is gone, or the program may
        // send no echo request (nobody, no ping group), so the address cannot be checked.
        const std::size_t logged = notes().size();
        appState().adapterAddress = "10.77.9.9";
        ui.calls.clear();
        EXPECT_EQ(setDeviceAddress(0, "10.77.0.60"), 0);
        ASSERT_EQ(ui.callsOf("message").size(), 1u);
        EXPECT_NE(ui.callsOf("message")[0].find("10.77.9.9 z konfigurace programu už v počítači není"), std::string::npos);
        appState().adapterAddress = "10.77.0.1";
        ASSERT_TRUE(test::setPingGroups("1 0"));
        // As nobody, no ping group: without the network helper's group the address cannot be
        // checked and nothing is sent; a member gets the check through the helper.
        const std::string helper = installHelper();
        asNobody(0, helper.empty() ? dir.str() + "/none" : helper, [&] {
            ui.calls.clear();
            EXPECT_EQ(setDeviceAddress(0, "10.77.0.60"), 0);
            ASSERT_EQ(ui.callsOf("message").size(), 1u);
            EXPECT_NE(ui.callsOf("message")[0].find("Adresu 10.77.0.60 nelze ověřit: systém programu nedovoluje posílat "
                                                    "ICMP echo: skupina uživatele není v net.ipv4.ping_group_range a "),
                      std::string::npos)
                << ui.callsOf("message")[0];
        });
        platform::pause(200);
        EXPECT_EQ(notes().substr(logged).find(" 00 00 00 ac 49 50 2d 53 45 54 55 50"), std::string::npos);
        if (helper.empty()) return;  // no capabilities on this file system
        asNobody(kTechnicians, helper, [&] {
            ui.calls.clear();
            EXPECT_EQ(setDeviceAddress(0, "10.77.0.60"), 1);
            ASSERT_EQ(ui.callsOf("message").size(), 1u);
            EXPECT_NE(ui.callsOf("message")[0].find("Nová IP adresa byla úspěšně nastavena."), std::string::npos);
        });
        EXPECT_NE(notes().find("device server 10.77.0.50 moves to 10.77.0.60"), std::string::npos) << notes();
    });
}

TEST(MacText, ValidAndInvalidEntries) {
    EXPECT_EQ(parseMacText("00-4F-49-0D-FF-FF"), kFactoryMac);
    EXPECT_EQ(parseMacText("0a-bc-DE-f0-12-34"), (MacAddress{0x0a, 0xbc, 0xde, 0xf0, 0x12, 0x34}));
    for (const char* bad : {"00-4F-49-0D-FF-F", "00:4F:49:0D:FF:FF", "00-4F-49-0D-FF-GG", "00-4F-49-0D-FF-FFF",
                            "", "004F-49-0D-FF-FF-", " 0-4F-49-0D-FF-FF"}) {
        EXPECT_FALSE(parseMacText(bad).has_value()) << bad;
    }
    EXPECT_EQ(formatMacText(kFactoryMac), "00-4F-49-0D-FF-FF");
}

}  // namespace
}  // namespace lumo
