#include "platform/serial_port.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {
namespace {
HANDLE toHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }
}  // namespace

std::string defaultSerialDevicePath(int comNumber) {
    // The device name reaches COM10 and above too.
    return "\\\\.\\COM" + std::to_string(comNumber > 0 ? comNumber : 1);
}

SerialPort::~SerialPort() { close(); }

bool SerialPort::open(const std::string& path) {
    close();
    // No sharing: a port another program holds fails with ERROR_ACCESS_DENIED.
    const HANDLE h = ::CreateFileW(wideText(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        recordWin32();
        return false;
    }
    if (::GetFileType(h) != FILE_TYPE_CHAR) {
        ::CloseHandle(h);
        recordWin32(ERROR_INVALID_HANDLE);
        return false;
    }
    // Kernel handles keep only their low 32 bits significant (see socket_handle.h).
    fd_ = static_cast<int>(reinterpret_cast<std::intptr_t>(h));
    pseudoTerminal_ = false;
    return true;
}

void SerialPort::close() {
    if (fd_ >= 0) {
        ::CloseHandle(toHandle(fd_));
        fd_ = -1;
    }
}

SerialPort::SetupError SerialPort::setup(int baud, int parity, int readTimeoutMs) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(toHandle(fd_), &dcb)) {
        recordWin32();
        return SetupError::ReadState;
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.Parity = static_cast<BYTE>(parity == 1 ? ODDPARITY : parity == 2 ? EVENPARITY : NOPARITY);
    dcb.fParity = parity != 0;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // The modem lines keep the port's setting (a converter may draw its power from them), except
    // that a handshake or toggle mode, in which the driver would move them itself and the
    // direction control's escape functions fail, becomes a plain "enabled".
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::SetCommState(toHandle(fd_), &dcb)) {
        recordWin32();
        return SetupError::WriteState;
    }
    // A read returns the first byte that comes, or nothing after `readTimeoutMs`.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(readTimeoutMs > 0 ? readTimeoutMs : 1);
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!::SetCommTimeouts(toHandle(fd_), &timeouts)) {
        recordWin32();
        return SetupError::ReadTimeouts;
    }
    // Bytes left over from an earlier user of the port belong to nobody.
    ::PurgeComm(toHandle(fd_), PURGE_RXCLEAR | PURGE_TXCLEAR);
    readTimeoutMs_ = readTimeoutMs;
    return SetupError::None;
}

void SerialPort::setModemLine(ModemLine line, bool on) {
    const DWORD function = line == ModemLine::Dtr ? (on ? SETDTR : CLRDTR) : (on ? SETRTS : CLRRTS);
    ::EscapeCommFunction(toHandle(fd_), function);
}

int SerialPort::writeByte(std::uint8_t byte) {
    DWORD written = 0;
    if (!::WriteFile(toHandle(fd_), &byte, 1, &written, nullptr)) {
        recordWin32();
        return -1;
    }
    return static_cast<int>(written);
}

SerialPort::ReadResult SerialPort::readByte(std::uint8_t& byte) {
    DWORD got = 0;
    if (!::ReadFile(toHandle(fd_), &byte, 1, &got, nullptr)) {
        recordWin32();
        return ReadResult::Error;
    }
    return got == 1 ? ReadResult::Byte : ReadResult::Timeout;
}

}  // namespace lumo::platform
