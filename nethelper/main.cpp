// lumo-net-helper: the one program of the LUMO panel that holds network privileges
// (cap_net_admin, cap_net_raw), for members of its file's group. It does three things, each
// checked before it acts and each logged with the caller's user:
//   neigh-add ADAPTER ADDRESS MAC   a static neighbour-table row, marked as this system's
//   neigh-del ADAPTER ADDRESS       removes such a row, and only a marked one
//   icmp ADDRESS                    hands a raw ICMP socket over the Unix socket that is its
//                                   standard output; a locked filter lets only echo replies and
//                                   ICMP errors from ADDRESS reach it
// It answers one line on its standard output: "ok", "refused WORD" or "failed ERRNO". It reads no
// configuration file and takes nothing from its environment.
#include <linux/filter.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "build_version.h"
#include "nethelper/request_check.h"
#include "platform/posix/netlink_route.h"
#include "platform/system_error.h"

namespace lumo::nethelper {
namespace {

namespace netlink = platform::netlink;

constexpr int kDone = 0, kNotDone = 1, kUsage = 2;

// The request as it goes to the log: printable characters only, and not without end.
std::string loggedRequest(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc && text.size() < 200; ++i) {
        if (i > 1) text += ' ';
        for (const char* c = argv[i]; *c != '\0' && text.size() < 200; ++c)
            text += (*c >= 0x21 && *c <= 0x7E) ? *c : '?';
    }
    return text.empty() ? "(nothing)" : text;
}

// Root, or a member of the group this program's file belongs to (root:lumo as installed; an
// administrator may choose another group with dpkg-statoverride).
bool callerAdmitted() {
    if (::getuid() == 0) return true;
    struct stat self {};
    if (::stat("/proc/self/exe", &self) != 0) return false;
    if (::getgid() == self.st_gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, self.st_gid) != groups.begin() + got;
}

// Sends the answer line, and a descriptor with it when one is given.
bool answer(const std::string& line, int descriptor = -1) {
    const std::string text = line + "\n";
    iovec part{const_cast<char*>(text.data()), text.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (descriptor >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &descriptor, sizeof descriptor);
        return ::sendmsg(1, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // A terminal or a pipe when run by hand: the line as text.
    return ::write(1, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool outputIsUnixSocket() {
    int domain = 0;
    socklen_t length = sizeof domain;
    return ::getsockopt(1, SOL_SOCKET, SO_DOMAIN, &domain, &length) == 0 && domain == AF_UNIX;
}

struct Outcome {
    int status = kNotDone;
    std::string line;
};

// The error of the last call that failed: the netlink calls keep the kernel's answer there.
int systemError() {
    const auto error = static_cast<int>(platform::lastSystemError());
    return error != 0 ? error : EIO;
}

Outcome refused(Refusal why) { return {kNotDone, std::string("refused ") + refusalWord(why)}; }
Outcome failed(int error) { return {kNotDone, "failed " + std::to_string(error)}; }

AdapterFacts readAdapter(std::uint32_t index, int& error) {
    AdapterFacts facts;
    facts.exists = index != 0;
    std::vector<netlink::InterfaceAddress> addresses;
    if (!netlink::readAddresses(addresses) || !netlink::readGateways(facts.gateways)) {
        error = systemError();
        return facts;
    }
    for (const auto& a : addresses)
        if (a.interfaceIndex == index) facts.addresses.push_back({a.address, a.prefixLength});
    error = 0;
    return facts;
}

// The row the table holds for the address on the adapter, if any.
bool findRow(std::uint32_t index, const platform::Ipv4& address, netlink::Neighbour& row, int& error) {
    std::vector<netlink::Neighbour> rows;
    error = 0;
    if (!netlink::readNeighbours(rows)) {
        error = systemError();
        return false;
    }
    for (const auto& r : rows) {
        if (r.interfaceIndex == index && r.address == address) {
            row = r;
            return true;
        }
    }
    return false;
}

Outcome addRow(const std::string& adapter, const std::string& addressText, const std::string& macText) {
    if (!isAdapterName(adapter)) return refused(Refusal::Adapter);
    platform::Ipv4 address;
    Mac mac{};
    if (!platform::parseIpv4(addressText, address) || !parseMac(macText, mac)) return refused(Refusal::Request);
    if (const Refusal r = checkRowMac(mac); r != Refusal::None) return refused(r);
    const std::uint32_t index = ::if_nametoindex(adapter.c_str());
    int error = 0;
    const AdapterFacts facts = readAdapter(index, error);
    if (!facts.exists) return refused(Refusal::Adapter);
    if (error != 0) return failed(error);
    if (const Refusal r = checkRowAddress(facts, address); r != Refusal::None) return refused(r);
    netlink::Neighbour row;
    if (findRow(index, address, row, error) && row.isStatic() && row.protocol != netlink::kRowMark)
        return refused(Refusal::ForeignRow);  // the administrator's row stays
    if (error != 0) return failed(error);
    if (!netlink::replaceWithStaticRow(index, mac, address, netlink::kRowMark)) return failed(systemError());
    // The facts again: had the adapter's addresses or routes changed while this request was
    // held up between its checks and its act, the row goes again.
    const AdapterFacts after = readAdapter(index, error);
    const Refusal late = error != 0 ? Refusal::Request : checkRowAddress(after, address);
    if (late != Refusal::None) {
        netlink::deleteRow(index, address);
        return refused(late);
    }
    return {kDone, "ok"};
}

Outcome deleteRow(const std::string& adapter, const std::string& addressText) {
    if (!isAdapterName(adapter)) return refused(Refusal::Adapter);
    platform::Ipv4 address;
    if (!platform::parseIpv4(addressText, address)) return refused(Refusal::Request);
    const std::uint32_t index = ::if_nametoindex(adapter.c_str());
    if (index == 0) return refused(Refusal::Adapter);
    netlink::Neighbour row;
    int error = 0;
    if (!findRow(index, address, row, error)) return failed(error != 0 ? error : ENOENT);
    if (row.protocol != netlink::kRowMark) return refused(Refusal::ForeignRow);
    if (!netlink::deleteRow(index, address)) return failed(systemError());
    return {kDone, "ok"};
}

// A raw ICMP socket whose locked filter lets through only echo replies (type 0), unreachables
// (3) and time-exceeded messages (11) from `peer`: the caller cannot read other traffic with it,
// nor take the filter off.
int filteredIcmpSocket(const platform::Ipv4& peer, int& error) {
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const std::uint32_t source = static_cast<std::uint32_t>(peer.bytes[0]) << 24 |
                                 static_cast<std::uint32_t>(peer.bytes[1]) << 16 |
                                 static_cast<std::uint32_t>(peer.bytes[2]) << 8 | peer.bytes[3];
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 12),          // the IP header's source address
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, source, 0, 5),  // another host: refused
        BPF_STMT(BPF_LDX | BPF_B | BPF_MSH, 0),          // X: the IP header's length
        BPF_STMT(BPF_LD | BPF_B | BPF_IND, 0),           // the ICMP type
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 3, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 11, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, 0),       // refused
        BPF_STMT(BPF_RET | BPF_K, 0xFFFF),  // taken whole
    };
    sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_LOCK_FILTER, &on, sizeof on) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    // Whatever came before the filter stood is not for the caller.
    char drain[64];
    while (::recv(fd, drain, sizeof drain, MSG_DONTWAIT) > 0) {
    }
    return fd;
}

int run(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (argc == 2 && verb == "--version") {
        std::printf("lumo-net-helper %s (%s)\n", LUMO_VERSION, LUMO_COMMIT);
        return kDone;
    }
    ::openlog("lumo-net-helper", LOG_PID | LOG_PERROR, LOG_AUTHPRIV);
    const unsigned user = ::getuid();
    const std::string request = loggedRequest(argc, argv);
    // Logged before anything is done: the caller may end this process at any moment after.
    ::syslog(LOG_INFO, "user %u: %s: asked", user, request.c_str());

    Outcome outcome;
    int handed = -1;
    if (!callerAdmitted()) {
        outcome = refused(Refusal::Group);
    } else if (verb == "neigh-add" && argc == 5) {
        outcome = addRow(argv[2], argv[3], argv[4]);
    } else if (verb == "neigh-del" && argc == 4) {
        outcome = deleteRow(argv[2], argv[3]);
    } else if (verb == "icmp" && argc == 3) {
        platform::Ipv4 peer;
        int error = 0;
        if (!platform::parseIpv4(argv[2], peer)) {
            outcome = refused(Refusal::Request);
        } else if (!outputIsUnixSocket()) {
            outcome = refused(Refusal::Socket);
        } else {
            handed = filteredIcmpSocket(peer, error);
            outcome = handed >= 0 ? Outcome{kDone, "ok"} : failed(error);
        }
    } else {
        outcome = refused(Refusal::Request);
        outcome.status = kUsage;
    }
    ::syslog(outcome.status == kDone ? LOG_NOTICE : LOG_WARNING, "user %u: %s: %s", user, request.c_str(),
             outcome.status == kDone ? "done" : outcome.line.c_str());
    if (!answer(outcome.line, handed)) return kNotDone;
    return outcome.status;
}

}  // namespace
}  // namespace lumo::nethelper

int main(int argc, char** argv) {
    // Nothing of the caller's environment reaches this program's work (time zone, locale,
    // paths): the log's time is the system's.
    ::clearenv();
    return lumo::nethelper::run(argc, argv);
}
