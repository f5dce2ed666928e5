#pragma once
// The controlling side of a pseudo-terminal: what the simulator's serial bus is. Programs open
// the other side, slavePath(), as an ordinary serial port.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumo::platform {

class PseudoTerminal {
public:
    enum class ReadResult { Byte, Timeout, Error };

    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair, both sides raw. False with the system error recorded.
    bool open();
    const std::string& slavePath() const { return slavePath_; }
    ReadResult readByte(std::uint8_t& byte, int timeoutMs);
    bool write(const std::uint8_t* data, std::size_t length);

private:
    int master_ = -1;
    int slaveHold_ = -1;  // keeps the slave side alive between the programs that open it
    std::string slavePath_;
};

class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Listens on 127.0.0.1:port (0 = a free port); the port actually used.
    int listenLoopback(int port);
    // Listens on the address (dotted decimal) and port; the port used, or -1.
    int listenOn(const std::string& address, int port);
    // Waits up to `timeoutMs` for a connection; the accepted socket's descriptor handed to
    // `accepted` (true), or false on time-out or error.
    bool accept(class TcpSocket& accepted, int timeoutMs);
    // Stops listening: connections are refused from then on.
    void close();
    bool isListening() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace lumo::platform
