#pragma once
// IPv4 sockets: TCP connections to line converters, ICMP echo for probes and tunnels, UDP for the
// service port. All waits block in the OS with a deadline.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumo::platform {

struct Ipv4 {
    std::array<std::uint8_t, 4> bytes{};
    bool operator==(const Ipv4&) const = default;
};

// Dotted-decimal text only.
bool parseIpv4(const std::string& text, Ipv4& out);
// Dotted-decimal text or a host name.
bool resolveIpv4(const std::string& host, Ipv4& out);
std::string formatIpv4(const Ipv4& address);

// Starts the socket library (nothing to do on POSIX); 0 or the library's error.
int socketsStart();

class TcpSocket {
public:
    enum class ConnectResult { Connected, TimedOut, Failed };
    enum class RecvResult { Byte, Closed, Timeout, Error };

    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    bool create();
    bool isOpen() const { return fd_ >= 0; }
    bool setNonBlocking();
    // Connects within `timeoutMs`.
    ConnectResult connect(const Ipv4& address, std::uint16_t port, int timeoutMs);
    // Sends all bytes; false on an error.
    bool send(const std::uint8_t* data, std::size_t length);
    // One byte, waiting at most `timeoutMs`.
    RecvResult recvByte(std::uint8_t& byte, int timeoutMs);
    // What has come, up to `capacity` bytes (Byte with `received` > 0), waiting at most
    // `timeoutMs` for the first.
    RecvResult recvSome(std::uint8_t* buffer, std::size_t capacity, std::size_t& received, int timeoutMs);
    void shutdownReceive();
    void close();
    // Takes over an accepted connection (the listener's side).
    void adopt(int descriptor);

private:
    int fd_ = -1;
};

class IcmpSocket {
public:
    enum class OpenResult { Opened, NotPermitted, Failed };

    IcmpSocket() = default;
    ~IcmpSocket();
    IcmpSocket(const IcmpSocket&) = delete;
    IcmpSocket& operator=(const IcmpSocket&) = delete;

    // An ICMP echo socket for this open alone, to talk to `peer`, with an echo identifier of its
    // own: an unprivileged ping socket where the system admits the user's group to them
    // (net.ipv4.ping_group_range), else a raw socket, the program's own where it has the
    // privilege, else one the privileged network helper hands over (which lets through only
    // echo replies and errors from `peer`). NotPermitted when none of them may be had
    // (lastHelperOutcome() says why the helper did not give one).
    OpenResult open(const Ipv4& peer);
    // A raw ICMP socket that sees every ICMP message to this host (the simulator's side).
    OpenResult openRaw();
    // The identifier (bytes 4-5 of an echo message, low byte first) this socket's requests
    // carry and its replies come back with. On a ping socket the system writes it.
    std::uint16_t identifier() const { return identifier_; }
    bool isOpen() const { return fd_ >= 0; }
    // Takes only the messages to `address` and sends from it (a raw socket's local address).
    bool bindTo(const Ipv4& address);
    bool isRaw() const { return raw_; }
    // Sends one ICMP message (header included).
    bool sendTo(const Ipv4& address, const std::uint8_t* message, std::size_t length);
    // One ICMP message (the IP header removed) within `timeoutMs`: its length, 0 on time-out,
    // -1 on an error. A message longer than `capacity` is cut to it.
    // `from`, when given, receives the sender's address.
    int receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, Ipv4* from = nullptr);
    void close();

private:
    int fd_ = -1;
    bool raw_ = false;
    std::uint16_t identifier_ = 0;
    // Where the system sends an echo and takes its reply in one call (Windows' ICMP helper), the
    // request waits here for receive().
    std::vector<std::uint8_t> pending_;
    Ipv4 pendingTo_;
};

class UdpSocket {
public:
    enum class ReceiveResult { Datagram, Timeout, TooLong, Error };

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool create();
    bool isOpen() const { return fd_ >= 0; }
    bool allowBroadcast();
    bool setNonBlocking(bool on);
    // Takes datagrams to this address and port (a listener's side; 0.0.0.0 for any address).
    bool bind(const Ipv4& address, std::uint16_t port);
    // One datagram; true when it went whole.
    bool sendTo(const Ipv4& address, std::uint16_t port, const std::uint8_t* data, std::size_t length);
    // One datagram within `timeoutMs` (waiting in the OS): its length, the sender's address and
    // port. A datagram longer than `capacity` is consumed and reported as TooLong.
    ReceiveResult receive(std::uint8_t* buffer, std::size_t capacity, int timeoutMs, std::size_t& length, Ipv4& from,
                          std::uint16_t& fromPort);
    void close();

private:
    int fd_ = -1;
};

}  // namespace lumo::platform
