// The privileged network helper for real, in a network namespace of the test's own: installed
// as the package installs it (root, the technicians' group, mode 0750, its two capabilities),
// run by nobody with and without that group. Root only; skipped elsewhere.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "comm/icmp_echo.h"
#include "comm/network_privilege.h"
#include "platform/net.h"
#include "platform/net_helper.h"
#include "support/network_namespace.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

using test::shellOutput;
using test::shellSucceeds;

constexpr unsigned kTechnicians = 4242;  // the test's stand-in for the group lumo
const platform::Ipv4 kLoopback{{127, 0, 0, 1}};

class NetHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root for network namespaces and capabilities";
        for (const char* tool : {"ip", "setcap", "setpriv"})
            if (!shellSucceeds(std::string("command -v ") + tool)) GTEST_SKIP() << "needs " << tool;
        ::chmod(dir.str().c_str(), 0755);
        helper = dir.str() + "/bin/lumo-net-helper";
        if (!test::installNetHelper(helper, kTechnicians, 0750)) GTEST_SKIP() << "this file system takes no capabilities";
    }

    // d0 10.9.0.1/24 (a veth pair's end) with the default route through 10.9.0.254, a route
    // through two next hops (.253, .252) and one through a next-hop object (.251); d1
    // 10.8.0.1/24; and a static row the administrator made for 10.9.0.7.
    static bool buildAdapters() {
        for (const char* step : {"ip link add d0 type veth peer name d0p", "ip addr add 10.9.0.1/24 dev d0",
                                 "ip link set d0p up", "ip link set d0 up", "ip link add d1 type veth peer name d1p",
                                 "ip addr add 10.8.0.1/24 dev d1", "ip link set d1p up", "ip link set d1 up",
                                 "ip route add default via 10.9.0.254",
                                 "ip route add 10.50.0.0/16 nexthop via 10.9.0.253 nexthop via 10.9.0.252",
                                 "ip nexthop add id 7 via 10.9.0.251 dev d0", "ip route add 10.60.0.0/16 nhid 7",
                                 "ip neigh add 10.9.0.7 lladdr 02:00:00:00:00:07 dev d0 nud permanent"})
            if (!shellSucceeds(step)) return false;
        return true;
    }

    void inNamespace(const std::function<void()>& body) {
        const int status = test::inOwnNetworkNamespace(buildAdapters, body);
        if (status == 3) GTEST_SKIP() << "network namespaces are not available here";
        EXPECT_EQ(status, 0) << "failures in the namespace, see above";
    }

    // The helper's answer (its standard output) to a request of nobody with `groups`; what it
    // logs goes to the file `log`.
    std::string ask(const std::string& request, const std::string& groups = std::to_string(kTechnicians),
                    const std::string& program = "") const {
        std::string out = shellOutput("(setpriv --reuid=65534 --regid=65534 --groups=" + groups + " " +
                                      (program.empty() ? helper : program) + " " + request + " 2>>" + log() + ")");
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    std::string log() const { return dir.str() + "/helper.log"; }

    test::TempDir dir;
    std::string helper;
};

TEST_F(NetHelperTest, RefusesEveryRequestOutsideItsRulesAndLogsWhoAsked) {
    inNamespace([&] {
        struct Case {
            const char* request;
            const char* answer;
        };
        const Case cases[] = {
            {"neigh-add d0 10.9.0.254 02:00:00:00:00:05", "refused gateway"},
            {"neigh-add d0 10.9.0.252 02:00:00:00:00:05", "refused gateway"},  // one of several next hops
            {"neigh-add d0 10.9.0.251 02:00:00:00:00:05", "refused gateway"},  // a next-hop object's
            {"neigh-add d0 10.8.0.5 02:00:00:00:00:05", "refused subnet"},  // d1's subnet, not d0's
            {"neigh-add d0 10.9.0.1 02:00:00:00:00:05", "refused own-address"},
            {"neigh-add d0 10.9.0.255 02:00:00:00:00:05", "refused broadcast"},
            {"neigh-add d0 10.9.0.0 02:00:00:00:00:05", "refused network-address"},
            {"neigh-add d0 10.9.0.5 01:00:5e:00:00:05", "refused mac"},
            {"neigh-add d0 10.9.0.5 ff:ff:ff:ff:ff:ff", "refused mac"},
            {"neigh-add d0 10.9.0.5 00:00:00:00:00:00", "refused mac"},
            {"neigh-add d9 10.9.0.5 02:00:00:00:00:05", "refused adapter"},
            {"neigh-add 'd0;id' 10.9.0.5 02:00:00:00:00:05", "refused adapter"},
            {"neigh-add d0:x 10.9.0.5 02:00:00:00:00:05", "refused adapter"},  // the system would take d0
            {"neigh-add d0 10.9.0.7 02:00:00:00:00:05", "refused foreign-row"},  // the administrator's row
            {"neigh-del d0 10.9.0.7", "refused foreign-row"},
            {"neigh-add d0 10.9.0.5", "refused request"},
            {"neigh-add d0 10.9.0.x 02:00:00:00:00:05", "refused request"},
            {"route-add 0.0.0.0 10.9.0.5", "refused request"},
            {"icmp", "refused request"},  // no address to let replies from
            {"icmp 10.9.0.5", "refused socket"},  // its output a pipe: nowhere to hand a socket
        };
        for (const Case& c : cases) EXPECT_EQ(ask(c.request), c.answer) << c.request;
        // Nothing was changed: the administrator's row is the only one.
        const std::string rows = shellOutput("ip neigh show dev d0");
        EXPECT_EQ(rows, "10.9.0.7 lladdr 02:00:00:00:00:07 PERMANENT \n") << rows;

        // Outside the group: the system refuses to start it (where it honours the mode; where
        // it does not, the helper refuses by itself), and a copy anyone may start refuses too.
        const std::string outside = ask("neigh-add d0 10.9.0.5 02:00:00:00:00:05", "65534");
        EXPECT_TRUE(outside.empty() || outside == "refused group") << outside;
        const std::string open = dir.str() + "/bin/open-lumo-net-helper";
        ASSERT_TRUE(test::installNetHelper(open, kTechnicians, 0755));
        EXPECT_EQ(ask("neigh-add d0 10.9.0.5 02:00:00:00:00:05", "65534", open), "refused group");

        std::ifstream in(log());
        const std::string logged((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(logged.find("user 65534: neigh-add d0 10.9.0.254 02:00:00:00:00:05: refused gateway"),
                  std::string::npos)
            << logged;
        EXPECT_NE(logged.find("user 65534: neigh-add d0;id 10.9.0.5"), std::string::npos) << logged;
        EXPECT_NE(logged.find(": refused group"), std::string::npos) << logged;
    });
}

TEST_F(NetHelperTest, AddsMarkedRowsAndRemovesOnlyThose) {
    inNamespace([&] {
        EXPECT_EQ(ask("neigh-add d0 10.9.0.5 02:00:00:00:00:05"), "ok");
        std::string row = shellOutput("ip neigh show 10.9.0.5 dev d0");
        EXPECT_NE(row.find("lladdr 02:00:00:00:00:05 PERMANENT proto 76"), std::string::npos) << row;
        // Its own row it replaces (a device entered with another MAC), and then removes.
        EXPECT_EQ(ask("neigh-add d0 10.9.0.5 02-00-00-00-00-06"), "ok");
        row = shellOutput("ip neigh show 10.9.0.5 dev d0");
        EXPECT_NE(row.find("lladdr 02:00:00:00:00:06"), std::string::npos) << row;
        EXPECT_EQ(ask("neigh-del d0 10.9.0.5"), "ok");
        EXPECT_EQ(shellOutput("ip neigh show 10.9.0.5 dev d0"), "");
        EXPECT_EQ(ask("neigh-del d0 10.9.0.5"), "failed 2");  // none left
        EXPECT_NE(shellOutput("ip neigh show 10.9.0.7 dev d0").find("PERMANENT"), std::string::npos);

        std::ifstream in(log());
        const std::string logged((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(logged.find("user 65534: neigh-add d0 10.9.0.5 02:00:00:00:00:05: done"), std::string::npos) << logged;
    });
}

// The program asks the helper only where the system refuses it: a ping socket first, then the
// helper's raw socket, which it takes over the Unix socket; each open has an identifier of its
// own. Without the group, or without the helper, it says what to do.
TEST_F(NetHelperTest, IcmpComesFromAPingSocketElseFromTheHelper) {
    inNamespace([&] {
        ::setenv("LUMO_NET_HELPER", helper.c_str(), 1);
        struct Case {
            const char* name;
            const char* pingGroups;
            unsigned group;
            const char* helperPath;
            platform::IcmpSocket::OpenResult opened;
            bool raw;
            platform::HelperResult helperResult;
            const char* advice;
        };
        const std::string missing = dir.str() + "/none/lumo-net-helper";
        const Case cases[] = {
            {"ping group admits", "0 2147483647", 0, "", platform::IcmpSocket::OpenResult::Opened, false,
             platform::HelperResult::NotAsked, ""},
            {"helper for a member", "1 0", kTechnicians, "", platform::IcmpSocket::OpenResult::Opened, true,
             platform::HelperResult::Done, ""},
            {"not a member", "1 0", 0, "", platform::IcmpSocket::OpenResult::NotPermitted, false,
             platform::HelperResult::NotAdmitted, "příkazem „sudo adduser "},
            {"no helper", "1 0", kTechnicians, missing.c_str(), platform::IcmpSocket::OpenResult::NotPermitted, false,
             platform::HelperResult::Missing, "v počítači není: nainstalujte balíček lumo-panel"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            ASSERT_TRUE(test::setPingGroups(c.pingGroups));
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (*c.helperPath != '\0') ::setenv("LUMO_NET_HELPER", c.helperPath, 1);
                if (!test::becomeNobody(c.group)) ::_exit(2);
                platform::IcmpSocket a, b;
                const auto opened = a.open(kLoopback);
                const auto helperResult = platform::lastHelperOutcome().result;
                bool ok = opened == c.opened && a.isRaw() == c.raw && helperResult == c.helperResult;
                if (!ok)
                    std::fprintf(stderr, "opened %d raw %d helper %d\n", static_cast<int>(opened), a.isRaw() ? 1 : 0,
                                 static_cast<int>(helperResult));
                if (*c.advice != '\0') {
                    const std::string advice = icmpPrivilegeAdvice();
                    ok = ok && advice.find(c.advice) != std::string::npos && HostProbe("127.0.0.1") == kProbeUnknown;
                    if (!ok) std::fprintf(stderr, "advice: %s\n", advice.c_str());
                } else {
                    ok = ok && b.open(kLoopback) == c.opened && a.identifier() != b.identifier() &&
                         probeHost("127.0.0.1") == ProbeResult::Answered && probeHost("10.9.0.1") == ProbeResult::Answered;
                    // The helper's socket for 127.0.0.1 saw none of those replies: its filter
                    // lets through only its own host's, and the program's check the identifier.
                    std::uint8_t message[128];
                    platform::Ipv4 from;
                    int seen = 0;
                    for (int n; (n = a.receive(message, sizeof message, 100, &from)) > 0;)
                        seen += c.raw && !(from == kLoopback) ? 1 : 0;
                    ok = ok && seen == 0;
                }
                ::_exit(ok ? 0 : 1);
            }
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    });
}

// Two probes at once, on raw sockets (root, no ping group) and on ping sockets (nobody): a probe
// of a silent host takes neither the other probe's reply nor a reply to another identifier.
TEST_F(NetHelperTest, ProbeTakesOnlyItsOwnHostsReplyToItsOwnIdentifier) {
    inNamespace([&] {
        for (const bool asNobody : {false, true}) {
            SCOPED_TRACE(asNobody ? "ping sockets" : "raw sockets");
            ASSERT_TRUE(test::setPingGroups(asNobody ? "0 2147483647" : "1 0"));
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (asNobody && !test::becomeNobody(0)) ::_exit(2);
                ProbeResult silent = ProbeResult::Answered;
                std::thread quiet([&silent] { silent = probeHost("10.9.0.99"); });  // on d0, no one there
                int answered = 0;
                for (int i = 0; i < 6; ++i) answered += probeHost("10.9.0.1") == ProbeResult::Answered ? 1 : 0;
                quiet.join();
                if (silent != ProbeResult::Silent || answered != 6)
                    std::fprintf(stderr, "silent probe %d, %d of 6 answered\n", static_cast<int>(silent), answered);
                ::_exit(silent == ProbeResult::Silent && answered == 6 ? 0 : 1);
            }
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    });
}

}  // namespace
}  // namespace lumo
