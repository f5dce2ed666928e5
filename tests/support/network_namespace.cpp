#include "support/network_namespace.h"

#include <grp.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace lumo::test {

std::string shellOutput(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    return out;
}

bool shellSucceeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

int inOwnNetworkNamespace(const std::function<bool()>& setUp, const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return 3;
    if (child == 0) {
        if (::unshare(CLONE_NEWNET) != 0 || !shellSucceeds("ip link set lo up") || !setUp()) {
            std::fprintf(stderr, "cannot build the namespace\n");
            ::_exit(3);
        }
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

bool setPingGroups(const std::string& range) {
    std::ofstream out("/proc/sys/net/ipv4/ping_group_range");
    out << range << "\n";
    out.flush();
    return static_cast<bool>(out);
}

bool installNetHelper(const std::string& path, unsigned gid, unsigned mode) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    ::chmod(fs::path(path).parent_path().c_str(), 0755);
    fs::copy_file(LUMO_NET_HELPER_BUILT, path, fs::copy_options::overwrite_existing, error);
    if (error || ::chown(path.c_str(), 0, gid) != 0 || ::chmod(path.c_str(), mode) != 0) return false;
    // As the package does it: the capabilities after the owner (a change of owner drops them).
    return shellSucceeds("setcap cap_net_raw,cap_net_admin+ep " + path);
}

bool becomeNobody(unsigned group) {
    const gid_t groups[] = {static_cast<gid_t>(group)};
    return ::setgroups(group != 0 ? 1 : 0, groups) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

}  // namespace lumo::test
