// The neighbour table through rtnetlink.
#include "platform/neighbour_table.h"

// The kernel's netlink macros are written with C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/posix_error.h"

namespace lumo::platform {
namespace {

class NetlinkSocket {
public:
    NetlinkSocket() : fd_(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {
        if (fd_ < 0) recordErrno();
    }
    ~NetlinkSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

struct Request {
    nlmsghdr header;
    ndmsg neighbour;
    char attributes[64];
};

void addAttribute(Request& r, unsigned short type, const void* data, std::size_t length) {
    auto* rta = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&r) + NLMSG_ALIGN(r.header.nlmsg_len));
    rta->rta_type = type;
    rta->rta_len = static_cast<unsigned short>(RTA_LENGTH(length));
    std::memcpy(RTA_DATA(rta), data, length);
    r.header.nlmsg_len = static_cast<std::uint32_t>(NLMSG_ALIGN(r.header.nlmsg_len) + RTA_ALIGN(rta->rta_len));
}

Request makeRequest(unsigned short type, unsigned short flags, std::uint32_t ifIndex, const Ipv4& address) {
    Request r{};
    r.header.nlmsg_len = NLMSG_LENGTH(sizeof(ndmsg));
    r.header.nlmsg_type = type;
    r.header.nlmsg_flags = static_cast<unsigned short>(NLM_F_REQUEST | flags);
    r.header.nlmsg_seq = 1;
    r.neighbour.ndm_family = AF_INET;
    r.neighbour.ndm_ifindex = static_cast<int>(ifIndex);
    addAttribute(r, NDA_DST, address.bytes.data(), 4);
    return r;
}

// Sends a request that wants an acknowledgement; true when the kernel accepted it.
bool transact(Request& r) {
    NetlinkSocket sock;
    if (sock.fd() < 0) return false;
    r.header.nlmsg_flags |= NLM_F_ACK;
    if (::send(sock.fd(), &r, r.header.nlmsg_len, 0) < 0) {
        recordErrno();
        return false;
    }
    char reply[4096];
    const ssize_t n = ::recv(sock.fd(), reply, sizeof reply, 0);
    if (n < 0) {
        recordErrno();
        return false;
    }
    unsigned left = static_cast<unsigned>(n);
    for (auto* h = reinterpret_cast<nlmsghdr*>(reply); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
        if (h->nlmsg_type == NLMSG_ERROR) {
            const auto* e = static_cast<const nlmsgerr*>(NLMSG_DATA(h));
            if (e->error == 0) return true;
            recordErrno(-e->error);
            return false;
        }
    }
    return false;
}

NeighbourType typeOfState(std::uint16_t state) {
    if (state & (NUD_PERMANENT | NUD_NOARP)) return NeighbourType::Static;
    if (state & (NUD_INCOMPLETE | NUD_FAILED)) return NeighbourType::Invalid;
    if (state & (NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE)) return NeighbourType::Dynamic;
    return NeighbourType::Other;
}

}  // namespace

bool readNeighbourTable(std::vector<NeighbourRow>& rows) {
    rows.clear();
    NetlinkSocket sock;
    if (sock.fd() < 0) return false;
    struct {
        nlmsghdr header;
        ndmsg neighbour;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ndmsg));
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.neighbour.ndm_family = AF_INET;
    if (::send(sock.fd(), &request, request.header.nlmsg_len, 0) < 0) {
        recordErrno();
        return false;
    }
    static thread_local char buffer[32768];
    for (;;) {
        ssize_t n = ::recv(sock.fd(), buffer, sizeof buffer, 0);
        if (n < 0) {
            recordErrno();
            return false;
        }
        unsigned left = static_cast<unsigned>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_type == NLMSG_DONE) return true;
            if (h->nlmsg_type == NLMSG_ERROR) {
                const auto* e = static_cast<const nlmsgerr*>(NLMSG_DATA(h));
                recordErrno(-e->error);
                return false;
            }
            if (h->nlmsg_type != RTM_NEWNEIGH) continue;
            const auto* nd = static_cast<const ndmsg*>(NLMSG_DATA(h));
            if (nd->ndm_family != AF_INET) continue;
            NeighbourRow row;
            row.interfaceIndex = static_cast<std::uint32_t>(nd->ndm_ifindex);
            row.type = typeOfState(nd->ndm_state);
            bool haveAddress = false;
            int attrLength = static_cast<int>(h->nlmsg_len) - static_cast<int>(NLMSG_LENGTH(sizeof(ndmsg)));
            for (auto* a = reinterpret_cast<rtattr*>(const_cast<ndmsg*>(nd) + 1); RTA_OK(a, attrLength);
                 a = RTA_NEXT(a, attrLength)) {
                const auto payload = static_cast<std::size_t>(RTA_PAYLOAD(a));
                if (a->rta_type == NDA_DST && payload == 4) {
                    std::memcpy(row.address.bytes.data(), RTA_DATA(a), 4);
                    haveAddress = true;
                } else if (a->rta_type == NDA_LLADDR) {
                    const auto* p = static_cast<const std::uint8_t*>(RTA_DATA(a));
                    row.physical.assign(p, p + payload);
                }
            }
            if (haveAddress) rows.push_back(std::move(row));
        }
    }
}

bool deleteNeighbour(std::uint32_t interfaceIndex, const Ipv4& address) {
    Request r = makeRequest(RTM_DELNEIGH, 0, interfaceIndex, address);
    return transact(r);
}

bool createStaticNeighbour(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address) {
    // Replace, as `ip neigh replace` does: a device that did not answer ARP leaves an incomplete
    // or failed row behind, exactly where the static row is needed.
    Request r = makeRequest(RTM_NEWNEIGH, NLM_F_CREATE | NLM_F_REPLACE, interfaceIndex, address);
    r.neighbour.ndm_state = NUD_PERMANENT;
    addAttribute(r, NDA_LLADDR, mac.data(), mac.size());
    return transact(r);
}

}  // namespace lumo::platform
