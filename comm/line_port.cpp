#include "comm/line_port.h"

#include "model/comports_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/answer_parsing.h"
#include "comm/icmp_echo.h"
#include "comm/network_privilege.h"
#include "comm/wire_trace.h"
#include "platform/clock.h"

namespace lumo {
namespace {

std::array<LinePort, kMaxLines>& table() {
    static std::array<LinePort, kMaxLines> ports;
    return ports;
}

// Collects the answer of a tunnel and holds an outgoing ICMP tunnel message.
constexpr std::size_t kIcmpHeader = 8;
constexpr std::size_t kTunnelPayloadHeader = 18;  // 12 reserved bytes, "INEX", two channel digits
constexpr std::size_t kMaxIcmpData = 262;

// A serial read of the protocol waits up to 500 ms for a byte; the port itself waits one slice
// at a time, so that a stopped job is seen within a slice on every kind of line.
constexpr int kSerialReadMs = 500;
constexpr int kWaitSliceMs = 100;

std::function<bool()>& waitCheck() {
    thread_local std::function<bool()> check;
    return check;
}

bool waitGoesOn() { return !waitCheck() || waitCheck()(); }

int waitSlice(std::int64_t left) { return static_cast<int>(std::min<std::int64_t>(left, kWaitSliceMs)); }

int lineIndexOf(int line) { return line & 0x7F; }
bool hasServiceBit(int line) { return (line & kServiceBit) != 0; }

// Sets the channel digits from the send flags: 0 -> "05", 1-4 -> "01"-"04", 5-7 -> "06"-"08".
void setChannel(std::uint8_t* digits, std::uint32_t sendFlags) {
    const std::uint32_t channel = sendFlags & kSendChannelMask;
    if (channel >= 8) return;
    const std::uint32_t number = channel == 0 ? 5 : channel <= 4 ? channel : channel + 1;
    digits[0] = static_cast<std::uint8_t>('0' + number / 10);
    digits[1] = static_cast<std::uint8_t>('0' + number % 10);
}

// The header in front of a tunnelled send: "WRf", 0x00, 0x01, the data length (low byte
// first) at 7, "INEX" at 12 and the channel digits at 16. Reserved bytes are sent as zeros.
const std::array<std::uint8_t, 18>& prepareTunnelHeader(LinePort& port, std::uint32_t length, std::uint32_t sendFlags) {
    auto& header = port.tunnelHeader;
    header[7] = static_cast<std::uint8_t>(length);
    header[8] = static_cast<std::uint8_t>(length >> 8);
    std::memcpy(header.data() + 12, "INEX", 4);
    setChannel(header.data() + 16, sendFlags);
    return header;
}

// Modem-line states of a direction-control type: the line and its level while receiving.
struct Direction {
    bool switches;
    platform::SerialPort::ModemLine line;
    bool idleLevel;
};
Direction directionOf(std::uint8_t type) {
    using L = platform::SerialPort::ModemLine;
    switch (type) {
        case 1: return {true, L::Dtr, false};
        case 2: return {true, L::Dtr, true};
        case 3: return {true, L::Rts, false};
        case 4: return {true, L::Rts, true};
        default: return {false, L::Dtr, false};
    }
}

void setReceiveState(LinePort& port) {
    const Direction d = directionOf(static_cast<std::uint8_t>(port.idleEscape));
    if (d.switches) port.serial->setModemLine(d.line, d.idleLevel);
}

void setTransmitState(LinePort& port) {
    const Direction d = directionOf(port.directionControl);
    if (d.switches) port.serial->setModemLine(d.line, !d.idleLevel);
}

ErrorCode openSerial(LinePort& port, int line) {
    if (port.serial && port.serial->isOpen()) return 0x10010701;
    port.serial = std::make_unique<platform::SerialPort>();
    const std::string path = comportsDevicePath(port.comPort, appState().workingDirectory);
    if (!port.serial->open(path)) return 0x10010701;
    // A service open always runs without parity.
    const int parity = hasServiceBit(line) ? 0 : port.parity;
    using E = platform::SerialPort::SetupError;
    switch (port.serial->setup(port.speedIndex == 0 ? 9600 : 19200, parity, kWaitSliceMs)) {
        case E::None: break;
        case E::ReadState: return 0x10020702;
        case E::WriteState: return 0x10020703;
        case E::ReadTimeouts: return 0x10020704;
        case E::WriteTimeouts: return 0x10020705;
    }
    port.idleEscape = port.directionControl;
    setReceiveState(port);
    platform::pause(1);
    if (hasServiceBit(line)) {
        static const std::uint8_t preamble[] = {0x55, 0x55, 0x55, 0x00};
        LineSend(line, preamble, sizeof preamble, kSendNoHeader);
        platform::pause(10);
    }
    return 0;
}

ErrorCode openTcp(LinePort& port, int line, DeviceTypeCode typeKey) {
    if (!platform::resolveIpv4(port.hostText, port.host)) return err::kBadIpAddress;
    if (hasServiceBit(line) && typeKey != 0 && isInList(IcmpServiceTypes, typeKey)) {
        port.icmp = std::make_unique<platform::IcmpSocket>();
        const auto opened = port.icmp->open(port.host);
        if (opened == platform::IcmpSocket::OpenResult::NotPermitted)
            uiMessage("Upozornění", "Tunel ICMP nelze otevřít: " + icmpPrivilegeAdvice(), MessageIcon::Warning);
        if (opened != platform::IcmpSocket::OpenResult::Opened) return 0x20020001;
        port.modeFlags |= kModeIcmpTunnel;
        return 0;
    }
    port.socket = std::make_unique<platform::TcpSocket>();
    if (!port.socket->create()) return 0x20020003;
    // Where ICMP is not permitted the probe cannot tell anything; the connection attempt decides.
    if (HostProbe(port.hostText) == 0) return 0x20030001;
    if (!port.socket->setNonBlocking()) return 0x20020004;
    const auto tcpPort = static_cast<std::uint16_t>(port.tcpPort);
    switch (port.socket->connect(port.host, tcpPort, 500)) {
        case platform::TcpSocket::ConnectResult::Connected: return 0;
        case platform::TcpSocket::ConnectResult::TimedOut: return 0x20030002;
        case platform::TcpSocket::ConnectResult::Failed: return 0x20030005;
    }
    return 0x20030005;
}

// One read of the protocol, slice by slice. A `stoppable` read ends early as a time-out when the
// thread's wait check says so; the echo of a send is read whole regardless (it is already on
// its way, and the send would otherwise count as failed).
platform::SerialPort::ReadResult readSerialByte(LinePort& port, std::uint8_t& byte, bool stoppable) {
    for (int waited = 0; waited < kSerialReadMs; waited += kWaitSliceMs) {
        if (stoppable && !waitGoesOn()) break;
        const auto result = port.serial->readByte(byte);
        if (result != platform::SerialPort::ReadResult::Timeout) return result;
    }
    return platform::SerialPort::ReadResult::Timeout;
}

bool sendSerial(LinePort& port, int lineIndex, const std::uint8_t* data, std::uint32_t length, bool paced,
                std::uint32_t sendFlags) {
    const bool switches = port.directionControl != 0;
    if (switches) {
        setTransmitState(port);
        platform::pause(1);
    }
    auto writeAll = [&](const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (port.serial->writeByte(bytes[i]) != 1) return false;
            if (paced) platform::pause(5);
        }
        return true;
    };
    bool ok = true;
    const bool withHeader = (port.modeFlags & kModeTunnelHeader) && !(sendFlags & kSendNoHeader);
    // A two-wire bus hears itself: the converter echoes every byte sent, the tunnel header's
    // too, and the echo is read back whole (at most 256 bytes), or the device's answer would be
    // taken from the echo.
    const std::uint32_t echoed = length + (withHeader ? static_cast<std::uint32_t>(port.tunnelHeader.size()) : 0u);
    if (port.directionControl != 0 && echoed > 256) ok = false;
    if (ok && withHeader) {
        const auto& header = prepareTunnelHeader(port, length, sendFlags);
        ok = writeAll(header.data(), header.size());
        traceFrame(lineIndex, WireDirection::Sent, header.data(), header.size(), !ok);
    }
    if (ok) {
        ok = writeAll(data, length);
        traceFrame(lineIndex, WireDirection::Sent, data, length, !ok);
    }
    if (ok) {
        platform::pause(12);
        if (port.directionControl != 0) {
            std::uint8_t echo;
            for (std::uint32_t i = 0; ok && i < echoed; ++i) {
                ok = readSerialByte(port, echo, false) == platform::SerialPort::ReadResult::Byte;
            }
        }
    }
    // The transceiver goes back to receiving also after a failure, so the bus is not held.
    if (switches) setReceiveState(port);
    return ok;
}

bool sendIcmpTunnel(LinePort& port, const std::uint8_t* data, std::uint32_t length, std::uint32_t sendFlags) {
    if (length > kMaxIcmpData) return false;
    std::array<std::uint8_t, kIcmpHeader + kTunnelPayloadHeader + kMaxIcmpData> message{};
    std::uint8_t* payload = message.data() + kIcmpHeader;
    std::memset(payload, 0, 12);
    std::memcpy(payload + 12, "INEX", 4);
    setChannel(payload + 16, sendFlags);
    std::memcpy(payload + kTunnelPayloadHeader, data, length);
    const std::size_t total = kIcmpHeader + kTunnelPayloadHeader + length;
    buildEchoRequest(message.data(), total, port.icmp->identifier(), 1);
    return port.icmp->sendTo(port.host, message.data(), total);
}

bool receiveSerial(LinePort& port, std::uint32_t recvFlags, int& length, std::uint8_t* buffer, std::size_t capacity) {
    int budget = (recvFlags & kReceiveShortWait) ? 1 : 10;
    const bool tunnel = (port.modeFlags & kModeTunnelHeader) != 0;
    AnswerCollector answer{buffer, capacity, length};
    TunnelCollector tunnelAnswer{length};
    bool complete = !tunnel && capacity == 0;
    while (budget > 0 && !complete) {
        if (!waitGoesOn()) {
            length = 0;  // stopped: nothing counts as an answer
            return true;
        }
        std::uint8_t byte;
        switch (readSerialByte(port, byte, true)) {
            case platform::SerialPort::ReadResult::Error:
                length = tunnel ? 0 : answer.count();  // what came before the port failed
                return false;
            case platform::SerialPort::ReadResult::Timeout: --budget; break;
            case platform::SerialPort::ReadResult::Byte:
                budget = 10;
                complete = tunnel ? tunnelAnswer.add(byte) : answer.add(byte);
                break;
        }
    }
    length = tunnel ? tunnelAnswer.finish(buffer, capacity) : answer.count();
    return true;
}

bool receiveTcp(LinePort& port, int& length, std::uint8_t* buffer, std::size_t capacity) {
    const std::int64_t deadline = platform::monotonicMs() + 10000;
    AnswerCollector answer{buffer, capacity, length};
    if (capacity == 0) {
        length = 0;
        return true;
    }
    bool closed = false;
    for (;;) {
        const std::int64_t left = deadline - platform::monotonicMs();
        length = answer.count();  // on a failure: what came before it
        if (left <= 0) return false;
        if (!waitGoesOn()) {
            length = 0;  // stopped: nothing counts as an answer
            return true;
        }
        if (closed) {
            // A closed connection sends nothing more: only the deadline ends the wait.
            platform::pause(waitSlice(left));
            continue;
        }
        std::uint8_t byte;
        switch (port.socket->recvByte(byte, waitSlice(left))) {
            case platform::TcpSocket::RecvResult::Byte:
                if (answer.add(byte)) {
                    length = answer.count();
                    return true;
                }
                break;
            case platform::TcpSocket::RecvResult::Closed: closed = true; break;
            case platform::TcpSocket::RecvResult::Timeout: break;  // a quiet slice: the deadline decides
            case platform::TcpSocket::RecvResult::Error: return false;
        }
    }
}

bool receiveIcmpTunnel(LinePort& port, int& length, std::uint8_t* buffer, std::size_t capacity) {
    const std::int64_t deadline = platform::monotonicMs() + 10000;
    std::array<std::uint8_t, 256> message{};
    for (;;) {
        const std::int64_t left = deadline - platform::monotonicMs();
        if (left > 0 && !waitGoesOn()) {
            length = 0;  // stopped: nothing counts as an answer
            return true;
        }
        platform::Ipv4 from;
        const int n = left > 0 ? port.icmp->receive(message.data(), message.size(), waitSlice(left), &from) : 0;
        if (n == 0 && left > kWaitSliceMs) continue;  // a quiet slice: the deadline decides
        if (n <= 0) {
            port.icmpFailure = n == 0 ? IcmpFailure::NoReply : IcmpFailure::SocketError;
            length = 0;  // nothing came
            return false;
        }
        if (!(from == port.host)) continue;  // another host's message: not this line's answer
        bool isEchoReply = false;
        if (!takeIcmpTunnelReply(message.data(), static_cast<std::size_t>(n), port.icmp->identifier(), length, buffer,
                                 capacity, length, isEchoReply))
            continue;
        if (!isEchoReply) {
            port.icmpFailure = IcmpFailure::NotEchoReply;
            length = 0;
            return false;
        }
        return true;
    }
}

}  // namespace

LinePort& linePort(int lineIndex) { return table().at(static_cast<std::size_t>(lineIndex & 0x0F)); }

int SocketsStart() {
    const int error = platform::socketsStart();
    if (error != 0) uiMessage("Socket erorr", "Nelze inicializovat sockety", MessageIcon::Error);
    return error;
}

void LineConfigure(int lineIndex, const LineRecord& record) {
    LineClose(lineIndex);
    LinePort& port = linePort(lineIndex);
    port.comPort = record.port();
    port.speedIndex = record.speed();
    port.directionControl = record.directionControl();
    port.parity = record.parity();
    port.hostText = record.ipAddress().substr(0, 19);
    port.tcpPort = record.tcpPort();
}

ErrorCode LineOpenFromRecord(int lineIndex, const LineRecord& record) {
    LineConfigure(lineIndex, record);
    return LineOpen(lineIndex, 0);
}

ErrorCode LineOpen(int line, DeviceTypeCode typeKey) {
    const int index = lineIndexOf(line);
    if (index >= kMaxLines) return 0x10010701;
    LinePort& port = linePort(index);
    port.modeFlags = 0;
    if (typeKey != 0 && isInList(FlashDownloadTypes, typeKey)) port.modeFlags |= kModeTunnelHeader;
    const ErrorCode code = port.comPort != 0 ? openSerial(port, line) : openTcp(port, line, typeKey);
    if (code != 0) return code;
    if (hasServiceBit(line) && (port.modeFlags & (kModeIcmpTunnel | kModeTunnelHeader)) == 0) {
        static const std::uint8_t serviceMark[] = {'|', 0x04, 0x00};
        LineSend(line, serviceMark, sizeof serviceMark, kSendNoHeader);
    }
    return 0;
}

void LineClose(int line) {
    if (line == kNoLine) return;
    const int first = line == kAllLines ? 0 : lineIndexOf(line);
    const int last = line == kAllLines ? kMaxLines - 1 : first;
    if (first >= kMaxLines) return;
    for (int i = first; i <= last; ++i) {
        LinePort& port = linePort(i);
        port.serial.reset();
        if (port.icmp) {
            port.icmp.reset();
            platform::pause(100);  // as after every socket close
        }
        if (port.socket) {
            port.socket->shutdownReceive();
            port.socket.reset();
            platform::pause(100);
        }
    }
}

bool LineSend(int line, const std::uint8_t* data, std::uint32_t length, std::uint32_t sendFlags) {
    LinePort& port = linePort(lineIndexOf(line));
    const bool paced = (length & kPaced) != 0;
    length &= ~kPaced;
    const int index = lineIndexOf(line);
    if (port.comPort != 0)
        return port.serial && port.serial->isOpen() && sendSerial(port, index, data, length, paced, sendFlags);
    if (port.modeFlags & kModeIcmpTunnel) {
        const bool sent = port.icmp && port.icmp->isOpen() && sendIcmpTunnel(port, data, length, sendFlags);
        traceFrame(index, WireDirection::Sent, data, length, !sent);
        return sent;
    }
    if (!port.socket || !port.socket->isOpen()) return false;
    if (hasServiceBit(line) && (port.modeFlags & kModeTunnelHeader)) {
        // The header and its data in one piece: one segment on the wire, one call.
        const auto& header = prepareTunnelHeader(port, length, sendFlags);
        std::vector<std::uint8_t> message(header.begin(), header.end());
        message.insert(message.end(), data, data + length);
        const bool sent = port.socket->send(message.data(), message.size());
        traceFrame(index, WireDirection::Sent, header.data(), header.size(), !sent);
        traceFrame(index, WireDirection::Sent, data, length, !sent);
        return sent;
    }
    const bool sent = port.socket->send(data, length);
    traceFrame(index, WireDirection::Sent, data, length, !sent);
    return sent;
}

bool LineReceive(std::uint32_t recvFlags, int& length, int line, std::uint8_t* buffer, std::size_t capacity) {
    LinePort& port = linePort(lineIndexOf(line));
    if (length < 0) length = 0;
    bool received = false;
    if (port.comPort != 0)
        received = port.serial && port.serial->isOpen() && receiveSerial(port, recvFlags, length, buffer, capacity);
    else if (port.modeFlags & kModeIcmpTunnel)
        received = port.icmp && port.icmp->isOpen() && receiveIcmpTunnel(port, length, buffer, capacity);
    else
        received = port.socket && port.socket->isOpen() && receiveTcp(port, length, buffer, capacity);
    const std::size_t traced = std::min(capacity, static_cast<std::size_t>(std::max(length, 0)));
    traceFrame(lineIndexOf(line), WireDirection::Received, buffer, traced, !received || length < 0);
    return received;
}

LineWaitCheck::LineWaitCheck(std::function<bool()> goOn) : replaced_(std::move(waitCheck())) {
    waitCheck() = std::move(goOn);
}

LineWaitCheck::~LineWaitCheck() { waitCheck() = std::move(replaced_); }

}  // namespace lumo
