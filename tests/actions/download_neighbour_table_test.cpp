// A download to a network device ties the device's address to its MAC address in the system's
// neighbour table first; a table that cannot be read stops it, and says so.
#include <gtest/gtest.h>

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <fstream>

#include "actions/download_actions.h"
#include "model/installation.h"
#include "support/installation_fixture.h"
#include "support/srecord_builder.h"

namespace lumo {
namespace {

// From here on this thread cannot open a netlink socket: the neighbour table cannot be read.
bool forbidNetlink() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_NETLINK, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EACCES),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

using DownloadNeighbourTable = test::InstallationTest;

TEST_F(DownloadNeighbourTable, ATableThatCannotBeReadStopsTheDownloadWithItsReason) {
    // An MN600 behind a TCP line, and an image it takes.
    ASSERT_EQ(newLine(11), 1);
    LineRecord line;
    ASSERT_TRUE(readLineRecord(0, line));
    line.setIpAddress("127.0.0.1");
    ASSERT_TRUE(writeLineRecord(0, line));
    ModuleRecord module;
    module.setId(2);
    module.setType(10);
    ASSERT_TRUE(writeModuleRecord(0, 1, module));
    const std::string image = dir.str() + "/fw.mot";
    std::ofstream(image, std::ios::binary) << test::srecordLine(1, 0, {1, 2, 3, 4}) << "\r\nS9030000FC\r\n";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!forbidNetlink()) ::_exit(3);
        const int result = startDownload(0, 1, image, false, {});
        const auto messages = ui.callsOf("message");
        const bool said = messages.size() == 2 &&
                          messages[0] == "Download|Tabulku sousedů (ARP) nelze přečíst: zařízení nelze pro download připravit. " &&
                          messages[1].rfind("CHYBA !|Error ARP table", 0) == 0;
        for (const auto& m : messages) std::fprintf(stderr, "message %s\n", m.c_str());
        const bool nothingSent = ui.callsOf("status").empty();  // not even "Příprava pro download"
        ::_exit(result == -1 && said && nothingSent ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "no seccomp filter here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace lumo
