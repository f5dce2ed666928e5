#pragma once
// The communication lines at run time: a table of 16 ports, opened for one operation and closed
// right after it. A line argument carries the line index in its low 7 bits and the service bit
// 0x80, which the service jobs set.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/shared_types.h"
#include "model/device_catalog.h"
#include "model/records.h"
#include "platform/net.h"
#include "platform/serial_port.h"

namespace lumo {

inline constexpr int kServiceBit = 0x80;
inline constexpr int kAllLines = 16;
inline constexpr int kNoLine = 255;

// LineSend length bit: wait 5 ms after every byte written to a serial port.
inline constexpr std::uint32_t kPaced = 0x80000000u;
// LineSend flags.
inline constexpr std::uint32_t kSendChannelMask = 0x0F;
inline constexpr std::uint32_t kSendNoHeader = 0x10;
inline constexpr std::uint32_t kSendWaitCursor = 0x40;
// LineReceive flags.
inline constexpr std::uint32_t kReceiveShortWait = 0x20;
inline constexpr std::uint32_t kReceiveWaitCursor = 0x40;

// modeFlags bits.
inline constexpr std::uint8_t kModeIcmpTunnel = 0x01;
inline constexpr std::uint8_t kModeTunnelHeader = 0x02;

// Why an ICMP tunnel receive failed: no reply in time, a socket error, or an ICMP message that
// is not an echo reply (a host or port unreachable).
enum class IcmpFailure : std::uint8_t { None = 0, NoReply = 1, SocketError = 2, NotEchoReply = 3 };

struct LinePort {
    std::uint8_t directionControl = 0;  // 0 none, 1 DTR, 2 /DTR, 3 RTS, 4 /RTS
    std::uint8_t parity = 0;            // 0 none, 1 odd, 2 even
    std::uint8_t comPort = 0;           // 0 = a TCP line
    std::uint8_t speedIndex = 0;        // 0 = 9600, 1 = 19200
    std::uint32_t idleEscape = 0;       // direction-control type whose idle state was set
    std::unique_ptr<platform::SerialPort> serial;
    std::int32_t tcpPort = 0;
    std::string hostText;               // at most 19 characters
    std::unique_ptr<platform::TcpSocket> socket;
    std::unique_ptr<platform::IcmpSocket> icmp;
    std::uint8_t modeFlags = 0;
    platform::Ipv4 host;                // resolved hostText while the line is open
    // The tunnel header of the line's last send; its channel field stays when a send names none.
    std::array<std::uint8_t, 18> tunnelHeader = {'W', 'R', 'f', 0x00, 0x01};
    IcmpFailure icmpFailure = IcmpFailure::None;  // why the last ICMP tunnel receive failed
};

LinePort& linePort(int lineIndex);

// Starts the socket library; on failure shows its message and returns the library's error.
int SocketsStart();

// Copies the connection fields of the record into the line's port (closing it first).
void LineConfigure(int lineIndex, const LineRecord& record);

// Copies the connection fields of the record into the line's port and opens it (type key 0).
// On success the line is open; the caller closes it.
ErrorCode LineOpenFromRecord(int lineIndex, const LineRecord& record);

// Opens a line; 0 or the ErrorCode of the step that failed. The caller closes the line in
// either case.
ErrorCode LineOpen(int line, DeviceTypeCode typeKey);

// Closes one line (index 0-15, the service bit ignored), all of them (16), or none (255).
void LineClose(int line);

// Sends `length & ~kPaced` bytes. True on success.
bool LineSend(int line, const std::uint8_t* data, std::uint32_t length, std::uint32_t sendFlags);

// Receives an answer into `buffer`, never more than `capacity` bytes. On entry `length` is the
// expected count (0 = not fixed); on return the count stored, or -1 for a tunnel answer
// without its success mark. True on success; on a failure `length` is the count of the bytes
// that came before it (they are no answer).
bool LineReceive(std::uint32_t recvFlags, int& length, int line, std::uint8_t* buffer, std::size_t capacity);

// While one lives, every wait of LineReceive on its thread asks `goOn` at least every 100 ms
// and, once it says no, ends as a silent device would (success, nothing stored): a job the user
// stopped does not wait out a module that no longer answers. The check it replaced comes back
// when it ends.
class LineWaitCheck {
public:
    explicit LineWaitCheck(std::function<bool()> goOn);
    ~LineWaitCheck();
    LineWaitCheck(const LineWaitCheck&) = delete;
    LineWaitCheck& operator=(const LineWaitCheck&) = delete;

private:
    std::function<bool()> replaced_;
};

}  // namespace lumo
