#pragma once
// A serial port: one byte per write, reads of one byte with a timeout, modem lines for RS485
// direction control.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumo::platform {

// The system's own device for "COM<n>" (here /dev/ttyS<n-1>), where comports.cfg names none.
// A comports.cfg longer than 64 KB is refused whole.
inline constexpr std::size_t kMaxComportsFile = 64 * 1024;
std::string defaultSerialDevicePath(int comNumber);

class SerialPort {
public:
    enum class SetupError { None, ReadState, WriteState, ReadTimeouts, WriteTimeouts };
    enum class ModemLine { Dtr, Rts };
    enum class ReadResult { Byte, Timeout, Error };

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens an existing terminal device for reading and writing, exclusively: a port another
    // program (or this one) holds fails with EBUSY as the system error value. The open never
    // waits for a carrier.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Speed, 8 data bits, one stop bit, parity 0 none / 1 odd / 2 even, raw bytes, no hang-up
    // at close (the modem lines stay as they are); reads wait at most `readTimeoutMs` for a
    // byte. Only a pseudo-terminal may take a parity it cannot keep (it is used without).
    SetupError setup(int baud, int parity, int readTimeoutMs);

    // Sets or clears a modem line. Ports that have none (a pseudo-terminal) ignore this.
    void setModemLine(ModemLine line, bool on);

    // Writes one byte; the count written (1), or 0 / -1 on failure.
    int writeByte(std::uint8_t byte);
    ReadResult readByte(std::uint8_t& byte);

private:
    int fd_ = -1;
    int readTimeoutMs_ = 500;
    bool pseudoTerminal_ = false;
    // What one read of the system brought beyond the byte asked for, handed out in order.
    std::uint8_t readAhead_[256] = {};
    std::size_t readAheadAt_ = 0, readAheadEnd_ = 0;
};

}  // namespace lumo::platform
