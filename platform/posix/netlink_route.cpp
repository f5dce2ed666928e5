// Routing netlink: neighbours, addresses and routes.
#include "platform/posix/netlink_route.h"

// The kernel's netlink macros are written with C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

#include <linux/if_addr.h>
#include <linux/neighbour.h>
#include <linux/nexthop.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "platform/posix/posix_error.h"
#include "platform/system_error.h"

namespace lumo::platform::netlink {
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
            if (h->nlmsg_len < NLMSG_LENGTH(sizeof(nlmsgerr))) break;
            const auto* e = static_cast<const nlmsgerr*>(NLMSG_DATA(h));
            if (e->error == 0) return true;
            recordErrno(-e->error);
            return false;
        }
    }
    recordErrno(EPROTO);
    return false;
}

// Asks for a dump of `type` with `body` (the family's header) and hands every message of the
// answer to `take`.
template <typename Body>
bool dump(unsigned short type, const Body& body, const std::function<void(const nlmsghdr*)>& take) {
    NetlinkSocket sock;
    if (sock.fd() < 0) return false;
    struct {
        nlmsghdr header;
        Body body;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(Body));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.body = body;
    if (::send(sock.fd(), &request, request.header.nlmsg_len, 0) < 0) {
        recordErrno();
        return false;
    }
    static thread_local char buffer[32768];
    for (;;) {
        const ssize_t n = ::recv(sock.fd(), buffer, sizeof buffer, MSG_TRUNC);
        if (n < 0) {
            recordErrno();
            return false;
        }
        if (static_cast<std::size_t>(n) > sizeof buffer) {
            recordErrno(EMSGSIZE);  // cut: rows would be missing
            return false;
        }
        if (n == 0) {
            recordErrno(EPROTO);
            return false;
        }
        unsigned left = static_cast<unsigned>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            // A dump the kernel interrupted (the table changed meanwhile) may lack rows: the
            // checks made on it would not hold.
            if ((h->nlmsg_flags & NLM_F_DUMP_INTR) != 0) {
                recordErrno(EAGAIN);
                return false;
            }
            if (h->nlmsg_type == NLMSG_DONE) return true;
            if (h->nlmsg_type == NLMSG_ERROR) {
                const bool whole = h->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr));
                recordErrno(whole ? -static_cast<const nlmsgerr*>(NLMSG_DATA(h))->error : EPROTO);
                return false;
            }
            take(h);
        }
    }
}

// The attributes after a family header of `headerSize` bytes, each handed to `take`.
void forEachAttribute(const nlmsghdr* h, std::size_t headerSize, const std::function<void(const rtattr*)>& take) {
    int length = static_cast<int>(h->nlmsg_len) - static_cast<int>(NLMSG_LENGTH(headerSize));
    if (length <= 0) return;
    const auto* first = reinterpret_cast<const rtattr*>(static_cast<const char*>(NLMSG_DATA(h)) + NLMSG_ALIGN(headerSize));
    for (auto* a = const_cast<rtattr*>(first); RTA_OK(a, length); a = RTA_NEXT(a, length)) take(a);
}

}  // namespace

bool Neighbour::isStatic() const { return (state & (NUD_PERMANENT | NUD_NOARP)) != 0; }
bool Neighbour::isInvalid() const { return !isStatic() && (state & (NUD_INCOMPLETE | NUD_FAILED)) != 0; }
bool Neighbour::isDynamic() const {
    return !isStatic() && !isInvalid() && (state & (NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE)) != 0;
}

bool readNeighbours(std::vector<Neighbour>& rows) {
    rows.clear();
    ndmsg body{};
    body.ndm_family = AF_INET;
    return dump(RTM_GETNEIGH, body, [&rows](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWNEIGH || h->nlmsg_len < NLMSG_LENGTH(sizeof(ndmsg))) return;
        const auto* nd = static_cast<const ndmsg*>(NLMSG_DATA(h));
        if (nd->ndm_family != AF_INET) return;
        Neighbour row;
        row.interfaceIndex = static_cast<std::uint32_t>(nd->ndm_ifindex);
        row.state = nd->ndm_state;
        bool haveAddress = false;
        forEachAttribute(h, sizeof(ndmsg), [&](const rtattr* a) {
            const auto payload = static_cast<std::size_t>(RTA_PAYLOAD(a));
            const auto* p = static_cast<const std::uint8_t*>(RTA_DATA(a));
            if (a->rta_type == NDA_DST && payload == 4) {
                std::memcpy(row.address.bytes.data(), p, 4);
                haveAddress = true;
            } else if (a->rta_type == NDA_LLADDR) {
                row.physical.assign(p, p + payload);
            } else if (a->rta_type == NDA_PROTOCOL && payload == 1) {
                row.protocol = p[0];
            }
        });
        if (haveAddress) rows.push_back(std::move(row));
    });
}

bool replaceWithStaticRow(std::uint32_t interfaceIndex, const std::array<std::uint8_t, 6>& mac, const Ipv4& address,
                          std::uint8_t protocol) {
    // Replace, as `ip neigh replace` does: a device that did not answer ARP leaves an incomplete
    // or failed row behind, exactly where the static row is needed.
    Request r = makeRequest(RTM_NEWNEIGH, NLM_F_CREATE | NLM_F_REPLACE, interfaceIndex, address);
    r.neighbour.ndm_state = NUD_PERMANENT;
    addAttribute(r, NDA_LLADDR, mac.data(), mac.size());
    addAttribute(r, NDA_PROTOCOL, &protocol, 1);
    return transact(r);
}

bool deleteRow(std::uint32_t interfaceIndex, const Ipv4& address) {
    Request r = makeRequest(RTM_DELNEIGH, 0, interfaceIndex, address);
    return transact(r);
}

bool readAddresses(std::vector<InterfaceAddress>& addresses) {
    addresses.clear();
    ifaddrmsg body{};
    body.ifa_family = AF_INET;
    return dump(RTM_GETADDR, body, [&addresses](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWADDR || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg))) return;
        const auto* ifa = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
        if (ifa->ifa_family != AF_INET) return;
        InterfaceAddress entry;
        entry.interfaceIndex = ifa->ifa_index;
        entry.prefixLength = ifa->ifa_prefixlen;
        bool haveLocal = false, haveAddress = false;
        Ipv4 local, address;
        forEachAttribute(h, sizeof(ifaddrmsg), [&](const rtattr* a) {
            if (RTA_PAYLOAD(a) != 4) return;
            if (a->rta_type == IFA_LOCAL) {
                std::memcpy(local.bytes.data(), RTA_DATA(a), 4);
                haveLocal = true;
            } else if (a->rta_type == IFA_ADDRESS) {
                std::memcpy(address.bytes.data(), RTA_DATA(a), 4);
                haveAddress = true;
            }
        });
        // IFA_LOCAL is the interface's own address; IFA_ADDRESS is the same elsewhere, and the
        // far end's on a point-to-point link, which has no subnet of its own to take a row on.
        if (haveLocal && haveAddress && !(local == address)) return;
        if (!haveLocal && !haveAddress) return;
        entry.address = haveLocal ? local : address;
        addresses.push_back(entry);
    });
}

bool readGateways(std::vector<Ipv4>& gateways) {
    gateways.clear();
    const auto take = [&gateways](const void* data) {
        Ipv4 gateway;
        std::memcpy(gateway.bytes.data(), data, 4);
        gateways.push_back(gateway);
    };
    rtmsg body{};
    body.rtm_family = AF_INET;
    const bool routes = dump(RTM_GETROUTE, body, [&take](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWROUTE || h->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) return;
        const auto* rt = static_cast<const rtmsg*>(NLMSG_DATA(h));
        if (rt->rtm_family != AF_INET) return;
        forEachAttribute(h, sizeof(rtmsg), [&](const rtattr* a) {
            if (a->rta_type == RTA_GATEWAY && RTA_PAYLOAD(a) == 4) take(RTA_DATA(a));
            // A route through several next hops: each has its own gateway attribute.
            if (a->rta_type == RTA_MULTIPATH) {
                int left = static_cast<int>(RTA_PAYLOAD(a));
                for (auto* hop = static_cast<rtnexthop*>(RTA_DATA(a)); RTNH_OK(hop, left);
                     left -= static_cast<int>(NLMSG_ALIGN(hop->rtnh_len)), hop = RTNH_NEXT(hop)) {
                    int attributes = hop->rtnh_len - static_cast<int>(sizeof(rtnexthop));
                    for (auto* b = RTNH_DATA(hop); RTA_OK(b, attributes); b = RTA_NEXT(b, attributes))
                        if (b->rta_type == RTA_GATEWAY && RTA_PAYLOAD(b) == 4) take(RTA_DATA(b));
                }
            }
        });
    });
    if (!routes) return false;
    // Routes may name shared next-hop objects instead (`ip nexthop`): their gateways too. A
    // kernel without them refuses the dump.
    nhmsg nexthops{};
    nexthops.nh_family = AF_INET;
    const bool objects = dump(RTM_GETNEXTHOP, nexthops, [&take](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWNEXTHOP || h->nlmsg_len < NLMSG_LENGTH(sizeof(nhmsg))) return;
        forEachAttribute(h, sizeof(nhmsg), [&](const rtattr* a) {
            if (a->rta_type == NHA_GATEWAY && RTA_PAYLOAD(a) == 4) take(RTA_DATA(a));
        });
    });
    return objects || lastSystemError() == EOPNOTSUPP || lastSystemError() == EINVAL;
}

}  // namespace lumo::platform::netlink
