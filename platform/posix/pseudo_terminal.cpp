#include "platform/pseudo_terminal.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/net.h"
#include "platform/posix/posix_error.h"

namespace lumo::platform {

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) ::close(master_);
    if (slaveHold_ >= 0) ::close(slaveHold_);
}

bool PseudoTerminal::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        recordErrno();
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        recordErrno();
        return false;
    }
    slavePath_ = name;
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) {
        recordErrno();
        return false;
    }
    termios tio{};
    ::tcgetattr(slaveHold_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slaveHold_, TCSANOW, &tio);
    return true;
}

PseudoTerminal::ReadResult PseudoTerminal::readByte(std::uint8_t& byte, int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (r < 0) return errno == EINTR ? ReadResult::Timeout : ReadResult::Error;
    if (r == 0) return ReadResult::Timeout;
    const ssize_t n = ::read(master_, &byte, 1);
    if (n == 1) return ReadResult::Byte;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return ReadResult::Timeout;
    recordErrno();
    return ReadResult::Error;
}

bool PseudoTerminal::write(const std::uint8_t* data, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(master_, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            recordErrno();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

TcpListener::~TcpListener() { close(); }

void TcpListener::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int TcpListener::listenLoopback(int port) { return listenOn("127.0.0.1", port); }

int TcpListener::listenOn(const std::string& address, int port) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, address.c_str(), &parsed) != 1) return -1;
    close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        recordErrno();
        return -1;
    }
    const int yes = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(static_cast<std::uint16_t>(port));
    sin.sin_addr = parsed;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0 || ::listen(fd_, 8) != 0) {
        recordErrno();
        close();  // an unbound socket polls as hung up at once: a waiter would spin on it
        return -1;
    }
    socklen_t len = sizeof sin;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sin), &len);
    return ntohs(sin.sin_port);
}

bool TcpListener::accept(TcpSocket& accepted, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    // Non-blocking like every socket here: reads wait in poll with their deadline.
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        recordErrno();
        return false;
    }
    accepted.adopt(fd);
    return true;
}

}  // namespace lumo::platform
