#include "platform/net.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/clock.h"
#include "platform/win32/socket_handle.h"
#include "platform/win32/windows_api.h"

#include <iphlpapi.h>
#include <icmpapi.h>
#include <mswsock.h>

namespace lumo::platform {

int startWinsock() {
    static int result = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return result;
}

void recordSocketError() { recordWin32(static_cast<std::uint32_t>(::WSAGetLastError())); }

int newSocket(int type, int protocol) {
    if (const int started = startWinsock(); started != 0) {
        recordWin32(static_cast<std::uint32_t>(started));
        return -1;
    }
    const SOCKET s = ::WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) recordSocketError();
    return socketToInt(s);
}

int waitSocket(int fd, bool forWriting, std::int64_t deadline) {
    const std::int64_t left = std::max<std::int64_t>(0, deadline - monotonicMs());
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(intToSocket(fd), &ready);
    FD_SET(intToSocket(fd), &failed);  // a connection that failed shows here
    timeval wait{static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
    const int r = ::select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, &failed, &wait);
    if (r < 0) recordSocketError();
    return r;
}

namespace {

sockaddr_in toSockaddr(const Ipv4& address, std::uint16_t port) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(port);
    std::memcpy(&sin.sin_addr, address.bytes.data(), 4);
    return sin;
}

std::uint16_t checksum(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; i += 2) sum += static_cast<std::uint32_t>(bytes[i] << 8 | (i + 1 < length ? bytes[i + 1] : 0));
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
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
    if (startWinsock() != 0) return false;
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

int socketsStart() { return startWinsock(); }

TcpSocket::~TcpSocket() { close(); }

bool TcpSocket::create() {
    close();
    fd_ = newSocket(SOCK_STREAM, IPPROTO_TCP);
    if (fd_ < 0) return false;
    // Requests and answers: each piece goes at once (see the POSIX side).
    const BOOL yes = TRUE;
    ::setsockopt(intToSocket(fd_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
    return true;
}

bool TcpSocket::setNonBlocking() {
    u_long on = 1;
    if (::ioctlsocket(intToSocket(fd_), FIONBIO, &on) == 0) return true;
    recordSocketError();
    return false;
}

TcpSocket::ConnectResult TcpSocket::connect(const Ipv4& address, std::uint16_t port, int timeoutMs) {
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    const sockaddr_in sin = toSockaddr(address, port);
    if (::connect(intToSocket(fd_), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0)
        return ConnectResult::Connected;
    const int error = ::WSAGetLastError();
    if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS && error != WSAEALREADY) {
        recordWin32(static_cast<std::uint32_t>(error));
        return ConnectResult::Failed;
    }
    const int ready = waitSocket(fd_, true, deadline);
    if (ready < 0) return ConnectResult::Failed;
    if (ready == 0) {
        recordWin32(WSAETIMEDOUT);
        return ConnectResult::TimedOut;
    }
    int soError = 0;
    int len = sizeof soError;
    if (::getsockopt(intToSocket(fd_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0)
        soError = ::WSAGetLastError();
    if (soError != 0) {
        recordWin32(static_cast<std::uint32_t>(soError));
        return ConnectResult::Failed;
    }
    return ConnectResult::Connected;
}

bool TcpSocket::send(const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const int chunk = static_cast<int>(std::min<std::size_t>(length - done, 1 << 20));
        const int n = ::send(intToSocket(fd_), reinterpret_cast<const char*>(data + done), chunk, 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
            if (waitSocket(fd_, true, monotonicMs() + 10000) <= 0) return false;
            continue;
        }
        recordSocketError();
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
    const int chunk = static_cast<int>(capacity > 65536 ? 65536 : capacity);
    for (;;) {
        const int n = ::recv(intToSocket(fd_), reinterpret_cast<char*>(buffer), chunk, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return RecvResult::Byte;
        }
        if (n == 0) return RecvResult::Closed;
        const int error = ::WSAGetLastError();
        if (error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN) return RecvResult::Closed;
        if (error != WSAEWOULDBLOCK) {
            recordWin32(static_cast<std::uint32_t>(error));
            return RecvResult::Error;
        }
        const int ready = waitSocket(fd_, false, deadline);
        if (ready < 0) return RecvResult::Error;
        if (ready == 0) return RecvResult::Timeout;
    }
}

void TcpSocket::adopt(int descriptor) {
    close();
    fd_ = descriptor;
}

void TcpSocket::shutdownReceive() {
    if (fd_ >= 0) ::shutdown(intToSocket(fd_), SD_RECEIVE);
}

void TcpSocket::close() {
    if (fd_ >= 0) {
        ::closesocket(intToSocket(fd_));
        fd_ = -1;
    }
}

// ICMP echo through the system's ICMP helper: no raw socket and no privilege is needed. It sends
// the request and takes its reply in one call, so sendTo() keeps the request and receive() makes
// that call and hands back the reply as the message a socket would have received.
IcmpSocket::~IcmpSocket() { close(); }

IcmpSocket::OpenResult IcmpSocket::open(const Ipv4&) {
    close();
    // The helper echoes the request's identifier in the reply it makes; one per open keeps
    // two sockets' replies apart as on other systems.
    static std::atomic<std::uint16_t> next{static_cast<std::uint16_t>(::GetCurrentProcessId() * 40503u)};
    identifier_ = next.fetch_add(1);
    const HANDLE h = ::IcmpCreateFile();
    if (h == INVALID_HANDLE_VALUE) {
        recordWin32();
        return OpenResult::Failed;
    }
    fd_ = handleToInt(h);
    raw_ = false;
    return OpenResult::Opened;
}

IcmpSocket::OpenResult IcmpSocket::openRaw() {
    close();
    recordWin32(ERROR_NOT_SUPPORTED);  // the ICMP helper sees only the replies to its own requests
    return OpenResult::Failed;
}

bool IcmpSocket::bindTo(const Ipv4&) {
    recordWin32(ERROR_NOT_SUPPORTED);  // the helper sends from the address the route gives
    return false;
}

bool IcmpSocket::sendTo(const Ipv4& address, const std::uint8_t* message, std::size_t length) {
    if (fd_ < 0 || length < 8 || message[0] != 8) {
        recordWin32(ERROR_NOT_SUPPORTED);  // only echo requests go through the helper
        return false;
    }
    pending_.assign(message, message + length);
    pendingTo_ = address;
    return true;
}

int IcmpSocket::receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, Ipv4* from) {
    if (fd_ < 0) return -1;
    if (pending_.empty()) {
        // Nothing was asked: nothing can arrive.
        pause(timeoutMs);
        return 0;
    }
    const std::vector<std::uint8_t> request = std::move(pending_);
    pending_.clear();
    const WORD dataLength = static_cast<WORD>(std::min<std::size_t>(request.size() - 8, 65000));
    std::vector<std::uint8_t> replies(sizeof(ICMP_ECHO_REPLY) + dataLength + 8 + 64);
    IPAddr to = 0;
    std::memcpy(&to, pendingTo_.bytes.data(), 4);
    const DWORD count = ::IcmpSendEcho(intToHandle(fd_), to, const_cast<std::uint8_t*>(request.data() + 8), dataLength,
                                       nullptr, replies.data(), static_cast<DWORD>(replies.size()),
                                       static_cast<DWORD>(std::max(timeoutMs, 1)));
    if (count == 0) {
        const DWORD error = ::GetLastError();
        if (error == IP_REQ_TIMED_OUT || error == WAIT_TIMEOUT) return 0;
        recordWin32(error);
        return error == IP_DEST_HOST_UNREACHABLE || error == IP_DEST_NET_UNREACHABLE ? 0 : -1;
    }
    const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies.data());
    if (reply->Status != IP_SUCCESS) return 0;
    // The reply as it came: type 0, the request's identifier and sequence, the echoed data.
    std::vector<std::uint8_t> message(8 + reply->DataSize);
    std::memcpy(message.data() + 4, request.data() + 4, 4);
    if (reply->DataSize > 0) std::memcpy(message.data() + 8, reply->Data, reply->DataSize);
    const std::uint16_t sum = checksum(message.data(), message.size());
    message[2] = static_cast<std::uint8_t>(sum >> 8);
    message[3] = static_cast<std::uint8_t>(sum);
    const std::size_t length = std::min(capacity, message.size());
    std::memcpy(buffer, message.data(), length);
    if (from != nullptr) std::memcpy(from->bytes.data(), &reply->Address, 4);
    return static_cast<int>(length);
}

void IcmpSocket::close() {
    if (fd_ >= 0) {
        ::IcmpCloseHandle(intToHandle(fd_));
        fd_ = -1;
    }
    pending_.clear();
}

UdpSocket::~UdpSocket() { close(); }

bool UdpSocket::create() {
    close();
    fd_ = newSocket(SOCK_DGRAM, IPPROTO_UDP);
    if (fd_ < 0) return false;
    // A datagram sent to a port nobody listens on must not fail the next receive.
    BOOL off = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(intToSocket(fd_), SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
    return true;
}

bool UdpSocket::allowBroadcast() {
    const BOOL yes = TRUE;
    if (::setsockopt(intToSocket(fd_), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&yes), sizeof yes) == 0)
        return true;
    recordSocketError();
    return false;
}

bool UdpSocket::setNonBlocking(bool on) {
    u_long value = on ? 1 : 0;
    if (::ioctlsocket(intToSocket(fd_), FIONBIO, &value) == 0) return true;
    recordSocketError();
    return false;
}

bool UdpSocket::bind(const Ipv4& address, std::uint16_t port) {
    const BOOL yes = TRUE;
    ::setsockopt(intToSocket(fd_), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    const sockaddr_in sin = toSockaddr(address, port);
    if (::bind(intToSocket(fd_), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0) return true;
    recordSocketError();
    return false;
}

bool UdpSocket::sendTo(const Ipv4& address, std::uint16_t port, const std::uint8_t* data, std::size_t length) {
    const sockaddr_in sin = toSockaddr(address, port);
    const int n = ::sendto(intToSocket(fd_), reinterpret_cast<const char*>(data), static_cast<int>(length), 0,
                           reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    if (n < 0) recordSocketError();
    return n == static_cast<int>(length);
}

UdpSocket::ReceiveResult UdpSocket::receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs,
                                            std::size_t& length, Ipv4& from, std::uint16_t& fromPort) {
    const std::int64_t deadline = monotonicMs() + timeoutMs;
    length = 0;
    for (;;) {
        const int ready = waitSocket(fd_, false, deadline);
        if (ready == 0) return ReceiveResult::Timeout;
        if (ready < 0) return ReceiveResult::Error;
        sockaddr_in sender{};
        int senderLength = sizeof sender;
        const int n = ::recvfrom(intToSocket(fd_), reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                                 reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (n < 0) {
            const int error = ::WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAECONNRESET) continue;
            std::memcpy(from.bytes.data(), &sender.sin_addr, 4);
            fromPort = ntohs(sender.sin_port);
            // The datagram did not fit: it is gone from the queue, and reported as too long.
            if (error == WSAEMSGSIZE) return ReceiveResult::TooLong;
            recordWin32(static_cast<std::uint32_t>(error));
            return ReceiveResult::Error;
        }
        std::memcpy(from.bytes.data(), &sender.sin_addr, 4);
        fromPort = ntohs(sender.sin_port);
        length = static_cast<std::size_t>(n);
        return ReceiveResult::Datagram;
    }
}

void UdpSocket::close() {
    if (fd_ >= 0) {
        ::closesocket(intToSocket(fd_));
        fd_ = -1;
    }
}

}  // namespace lumo::platform
