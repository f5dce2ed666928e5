#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <sstream>

#include "platform/file_io.h"

#include "platform/posix/posix_error.h"

namespace lumo::platform {

std::string defaultSerialDevicePath(int comNumber) {
    return "/dev/ttyS" + std::to_string(comNumber > 0 ? comNumber - 1 : 0);
}

SerialPort::~SerialPort() { close(); }

namespace {

// The slave side of a pseudo-terminal (the simulator's bus): it has no parity and no modem lines.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;  // UNIX98 pseudo-terminal slaves
}

}  // namespace

bool SerialPort::open(const std::string& path) {
    close();
    // Non-blocking: a tty without CLOCAL would otherwise wait for its carrier forever.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        recordErrno();
        return false;
    }
    if (!::isatty(fd)) {
        recordErrno(ENOTTY);
        ::close(fd);
        return false;
    }
    // One program on the port at a time, for root too (TIOCEXCL does not stop root): an
    // exclusive lock that other programs using the port honour as well.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        recordErrno(errno == EWOULDBLOCK ? EBUSY : errno);
        ::close(fd);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);  // and no second opener at all, where the driver can refuse one
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    pseudoTerminal_ = isPseudoTerminal(fd);
    return true;
}

void SerialPort::close() {
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
    readAheadAt_ = readAheadEnd_ = 0;
}

SerialPort::SetupError SerialPort::setup(int baud, int parity, int readTimeoutMs) {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        recordErrno();
        return SetupError::ReadState;
    }
    ::cfmakeraw(&tio);
    const speed_t speed = baud == 19200 ? B19200 : baud == 9600 ? B9600 : baud == 38400 ? B38400 : B115200;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    // No hang-up at close: dropping DTR and RTS would leave an RS485 converter whose direction
    // follows one of them transmitting between operations.
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | HUPCL | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    if (parity != 0) {
        tio.c_cflag |= PARENB;
        if (parity == 1) tio.c_cflag |= PARODD;
        tio.c_iflag |= INPCK;
    }
    // Reads are waited for with poll; the driver returns whatever has come.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        // A pseudo-terminal has no parity, and the C library refuses a setting the driver did not
        // keep; only such a port is used without it. A real port that refuses the parity the line
        // needs fails: the devices would not understand it.
        const int error = errno;
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
        tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
        if (parity == 0 || !pseudoTerminal_ || error != EINVAL || ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
            recordErrno(error);
            return SetupError::WriteState;
        }
    }
    // Bytes left over from an earlier user of the port belong to nobody.
    ::tcflush(fd_, TCIOFLUSH);
    readAheadAt_ = readAheadEnd_ = 0;
    readTimeoutMs_ = readTimeoutMs;
    return SetupError::None;
}

void SerialPort::setModemLine(ModemLine line, bool on) {
    int bits = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
}

int SerialPort::writeByte(std::uint8_t byte) {
    for (;;) {
        const ssize_t n = ::write(fd_, &byte, 1);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, readTimeoutMs_);
            continue;
        }
        recordErrno();
        return -1;
    }
}

SerialPort::ReadResult SerialPort::readByte(std::uint8_t& byte) {
    // An answer that came at once is taken in one read, not in one read (and wait) a byte.
    if (readAheadAt_ < readAheadEnd_) {
        byte = readAhead_[readAheadAt_++];
        return ReadResult::Byte;
    }
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, readTimeoutMs_);
        if (ready < 0) {
            if (errno == EINTR) continue;
            recordErrno();
            return ReadResult::Error;
        }
        if (ready == 0) return ReadResult::Timeout;
        break;
    }
    for (;;) {
        const ssize_t n = ::read(fd_, readAhead_, sizeof readAhead_);
        if (n > 0) {
            byte = readAhead_[0];
            readAheadAt_ = 1;
            readAheadEnd_ = static_cast<std::size_t>(n);
            return ReadResult::Byte;
        }
        if (n == 0) return ReadResult::Timeout;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return ReadResult::Timeout;
        recordErrno();
        return ReadResult::Error;
    }
}

}  // namespace lumo::platform
