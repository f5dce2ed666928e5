// Windows has no pseudo-terminals: the simulator runs its installation behind its TCP converter
// there. The listener is the same as elsewhere.
#include "platform/pseudo_terminal.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/net.h"
#include "platform/win32/socket_handle.h"
#include "platform/win32/windows_api.h"

namespace lumo::platform {

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::open() {
    recordWin32(ERROR_NOT_SUPPORTED);
    return false;
}

PseudoTerminal::ReadResult PseudoTerminal::readByte(std::uint8_t&, int timeoutMs) {
    pause(timeoutMs);
    return ReadResult::Error;
}

bool PseudoTerminal::write(const std::uint8_t*, std::size_t) {
    recordWin32(ERROR_NOT_SUPPORTED);
    return false;
}

TcpListener::~TcpListener() { close(); }

void TcpListener::close() {
    if (fd_ >= 0) ::closesocket(intToSocket(fd_));
    fd_ = -1;
}

int TcpListener::listenLoopback(int port) { return listenOn("127.0.0.1", port); }

int TcpListener::listenOn(const std::string& address, int port) {
    Ipv4 ip;
    if (!parseIpv4(address, ip)) return -1;
    close();
    fd_ = newSocket(SOCK_STREAM, IPPROTO_TCP);
    if (fd_ < 0) return -1;
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(static_cast<std::uint16_t>(port));
    std::memcpy(&sin.sin_addr, ip.bytes.data(), 4);
    if (::bind(intToSocket(fd_), reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0 || ::listen(intToSocket(fd_), 8) != 0) {
        recordSocketError();
        close();
        return -1;
    }
    int len = sizeof sin;
    ::getsockname(intToSocket(fd_), reinterpret_cast<sockaddr*>(&sin), &len);
    return ntohs(sin.sin_port);
}

bool TcpListener::accept(TcpSocket& accepted, int timeoutMs) {
    if (fd_ < 0 || waitSocket(fd_, false, monotonicMs() + timeoutMs) <= 0) return false;
    const SOCKET s = ::accept(intToSocket(fd_), nullptr, nullptr);
    if (s == INVALID_SOCKET) {
        recordSocketError();
        return false;
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    // Non-blocking like every socket here: reads wait in select with their deadline.
    u_long on = 1;
    ::ioctlsocket(s, FIONBIO, &on);
    accepted.adopt(socketToInt(s));
    return true;
}

}  // namespace lumo::platform
