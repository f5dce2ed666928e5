#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <cstring>

#include "platform/clock.h"
#include "platform/posix/net_helper_client.h"
#include "platform/posix/posix_error.h"

namespace lumo::platform {
namespace {

sockaddr_in toSockaddr(const Ipv4& address, std::uint16_t port) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(port);
    std::memcpy(&sin.sin_addr, address.bytes.data(), 4);
    return sin;
}

// Waits for `events` on fd until `deadline` (monotonic ms); >0 ready, 0 time-out, <0 error.
int waitFor(int fd, short events, std::int64_t deadline) {
    for (;;) {
        const std::int64_t left = deadline - monotonicMs();
        if (left <= 0) return 0;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) recordErrno();
        return r;
    }
}

}  // namespace

bool parseIpv4(const std::string& text, Ipv4& out) {
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    std::memcpy(out.bytes.data(), &a, 4);
    return true;
}

bool resolveIpv4(const std::string& host, Ipv4& out) {
    if (host.empty()) return false;
    if (parseIpv4(host, out)) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* result = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) return false;
    const auto* sin = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    std::memcpy(out.bytes.data(), &sin->sin_addr, 4);
    ::freeaddrinfo(result);
    return true;
}

std::string formatIpv4(const Ipv4& a) {
    return std::to_string(a.bytes[0]) + "." + std::to_string(a.bytes[1]) + "." + std::to_string(a.bytes[2]) + "." +
           std::to_string(a.bytes[3]);
}

int socketsStart() { return 0; }

TcpSocket::~TcpSocket() { close(); }

bool TcpSocket::create() {
    close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        recordErrno();
        return false;
    }
    // Requests and answers: each piece goes at once. Held back until the last one is
    // acknowledged, a tunnel header's data waited for the device's delayed acknowledgement.
    const int yes = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return true;
}

bool TcpSocket::setNonBlocking() {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        recordErrno();
        return false;
    }
    return true;
}

TcpSocket::ConnectResult TcpSocket::connect(const Ipv4& address, std::uint16_t port, int timeoutMs) {
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    const sockaddr_in sin = toSockaddr(address, port);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0) return ConnectResult::Connected;
    if (errno != EINPROGRESS && errno != EAGAIN && errno != EALREADY && errno != EINTR) {
        recordErrno();
        return ConnectResult::Failed;
    }
    const int ready = waitFor(fd_, POLLOUT, deadline);
    if (ready < 0) return ConnectResult::Failed;
    if (ready == 0) {
        recordErrno(ETIMEDOUT);
        return ConnectResult::TimedOut;
    }
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
    if (error != 0) {
        recordErrno(error);
        return ConnectResult::Failed;
    }
    return ConnectResult::Connected;
}

bool TcpSocket::send(const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::send(fd_, data + done, length - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR)) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitFor(fd_, POLLOUT, monotonicMs() + 10000) <= 0) return false;
            continue;
        }
        recordErrno();
        return false;
    }
    return true;
}

TcpSocket::RecvResult TcpSocket::recvByte(std::uint8_t& byte, int timeoutMs) {
    std::size_t received = 0;
    return recvSome(&byte, 1, received, timeoutMs);
}

TcpSocket::RecvResult TcpSocket::recvSome(std::uint8_t* buffer, std::size_t capacity, std::size_t& received, int timeoutMs) {
    received = 0;
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, capacity, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return RecvResult::Byte;
        }
        if (n == 0) return RecvResult::Closed;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            recordErrno();
            return RecvResult::Error;
        }
        const int ready = waitFor(fd_, POLLIN, deadline);
        if (ready < 0) return RecvResult::Error;
        if (ready == 0) return RecvResult::Timeout;
    }
}

void TcpSocket::adopt(int descriptor) {
    close();
    fd_ = descriptor;
}

void TcpSocket::shutdownReceive() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RD);
}

void TcpSocket::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

IcmpSocket::~IcmpSocket() { close(); }

namespace {

bool refusedForPrivilege(int error) { return error == EPERM || error == EACCES; }

// A raw socket's echo identifier: one of its own for every open in this process, so that two
// sockets (two lines) never take each other's replies; from a random start, so that other
// processes' identifiers are unlikely to meet it.
std::uint16_t nextRawIdentifier() {
    static std::atomic<std::uint16_t> next{static_cast<std::uint16_t>(std::random_device{}())};
    return next.fetch_add(1);
}

}  // namespace

IcmpSocket::OpenResult IcmpSocket::open(const Ipv4& peer) {
    close();
    clearHelperOutcome();
    // A ping socket first: it needs no privilege where the system admits the user's group.
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ >= 0) {
        raw_ = false;
        // Bound to port 0, the system picks a free echo identifier (a ping socket's identifier
        // is its local port, whose bytes go into bytes 4-5 of the message as they lie in memory).
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        socklen_t length = sizeof sin;
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sin), &length) == 0) {
            const auto* port = reinterpret_cast<const std::uint8_t*>(&sin.sin_port);
            identifier_ = static_cast<std::uint16_t>(port[0] | port[1] << 8);
            return OpenResult::Opened;
        }
        recordErrno();
        close();
        return OpenResult::Failed;
    }
    const int pingError = errno;
    // A raw socket: this program's own where it has the privilege (root), else the helper's.
    fd_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ < 0 && refusedForPrivilege(errno)) {
        int handed = -1;
        if (askNetHelper({"icmp", formatIpv4(peer)}, &handed) == HelperResult::Done) fd_ = handed;
    }
    if (fd_ >= 0) {
        raw_ = true;
        identifier_ = nextRawIdentifier();
        return OpenResult::Opened;
    }
    if (refusedForPrivilege(pingError) && lastHelperOutcome().result != HelperResult::NotAsked) {
        recordErrno(EPERM);
        return OpenResult::NotPermitted;
    }
    recordErrno(pingError);
    return OpenResult::Failed;
}

IcmpSocket::OpenResult IcmpSocket::openRaw() {
    close();
    fd_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ < 0) {
        const int error = errno;
        recordErrno();
        return refusedForPrivilege(error) ? OpenResult::NotPermitted : OpenResult::Failed;
    }
    raw_ = true;
    identifier_ = nextRawIdentifier();
    return OpenResult::Opened;
}

bool IcmpSocket::bindTo(const Ipv4& address) {
    const sockaddr_in sin = toSockaddr(address, 0);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0) return true;
    recordErrno();
    return false;
}

bool IcmpSocket::sendTo(const Ipv4& address, const std::uint8_t* message, std::size_t length) {
    const sockaddr_in sin = toSockaddr(address, 0);
    const ssize_t n = ::sendto(fd_, message, length, 0, reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    if (n < 0) recordErrno();
    return n == static_cast<ssize_t>(length);
}

int IcmpSocket::receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, Ipv4* from) {
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    std::uint8_t datagram[1600];
    for (;;) {
        const int ready = waitFor(fd_, POLLIN, deadline);
        if (ready <= 0) return ready;
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t n = ::recvfrom(fd_, datagram, sizeof datagram, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            recordErrno();
            return -1;
        }
        std::size_t skip = 0;
        if (raw_) {
            // A raw socket delivers the IP header first: its length is the low nibble times 4.
            if (n < 1) continue;
            skip = static_cast<std::size_t>(datagram[0] & 0x0F) * 4;
            if (skip < 20 || skip > static_cast<std::size_t>(n)) continue;
        }
        std::size_t length = static_cast<std::size_t>(n) - skip;
        if (length > capacity) length = capacity;
        std::memcpy(buffer, datagram + skip, length);
        if (from != nullptr) std::memcpy(from->bytes.data(), &sender.sin_addr, 4);
        return static_cast<int>(length);
    }
}

void IcmpSocket::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::create() {
    close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) recordErrno();
    return fd_ >= 0;
}

bool UdpSocket::allowBroadcast() {
    const int yes = 1;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) == 0) return true;
    recordErrno();
    return false;
}

bool UdpSocket::setNonBlocking(bool on) {
    const int flags = ::fcntl(fd_, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) < 0) {
        recordErrno();
        return false;
    }
    return true;
}

bool UdpSocket::bind(const Ipv4& address, std::uint16_t port) {
    const int yes = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in sin = toSockaddr(address, port);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0) return true;
    recordErrno();
    return false;
}

bool UdpSocket::sendTo(const Ipv4& address, std::uint16_t port, const std::uint8_t* data, std::size_t length) {
    const sockaddr_in sin = toSockaddr(address, port);
    const ssize_t n = ::sendto(fd_, data, length, 0, reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    if (n < 0) recordErrno();
    return n == static_cast<ssize_t>(length);
}

UdpSocket::ReceiveResult UdpSocket::receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs,
                                            std::size_t& length, Ipv4& from, std::uint16_t& fromPort) {
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    length = 0;
    for (;;) {
        const int ready = waitFor(fd_, POLLIN, deadline);
        if (ready == 0) return ReceiveResult::Timeout;
        if (ready < 0) return ReceiveResult::Error;
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        // MSG_TRUNC: the datagram's real length, so that a long one is told apart.
        const ssize_t n = ::recvfrom(fd_, buffer, capacity, MSG_DONTWAIT | MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            recordErrno();
            return ReceiveResult::Error;
        }
        std::memcpy(from.bytes.data(), &sender.sin_addr, 4);
        fromPort = ntohs(sender.sin_port);
        if (static_cast<std::size_t>(n) > capacity) return ReceiveResult::TooLong;
        length = static_cast<std::size_t>(n);
        return ReceiveResult::Datagram;
    }
}

void UdpSocket::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace lumo::platform
