#include "ui/tcp_line_form.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "actions/install_actions.h"
#include "actions/network_actions.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/telnet.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"
#include "actions/action_errors.h"
#include "comm/line_lease.h"
#include "ui/line_fields.h"

namespace lumo {
namespace {

constexpr std::size_t kMostPending = 256 * 1024;  // untaken text that holds the device back
constexpr std::size_t kMostTaken = 64 * 1024;     // what one take hands out at most

}  // namespace

TcpConsole::~TcpConsole() {
    open_ = false;
    if (!reader_.joinable()) return;
    socket_.shutdownReceive();
    reader_.join();
}

bool TcpConsole::connect(const std::string& address) {
    address_ = address;
    // The device's console may disturb a job's tunnel through it: not while the lines are held.
    const LineLease lease = takeLineLease();
    if (!lease) return false;
    platform::Ipv4 ip;
    const bool connected = uiRunWaiting([&] {
        return platform::resolveIpv4(address, ip) && socket_.create() && socket_.setNonBlocking() &&
                       socket_.connect(ip, kConsolePort, 3000) == platform::TcpSocket::ConnectResult::Connected
                   ? 1
                   : 0;
    }) == 1;
    if (!connected) {
        uiMessage("Konfigurace", "Nelze se připojit k " + address + ":" + std::to_string(kConsolePort) + ". ", MessageIcon::Information);
        return false;
    }
    open_ = true;
    reader_ = std::thread([this] { read(); });
    return true;
}

void TcpConsole::send(const std::string& line) {
    const auto bytes = consoleLine(line);
    const std::lock_guard lock(sending_);
    socket_.send(bytes.data(), bytes.size());
}

void TcpConsole::read() {
    TelnetFilter filter;
    ConsoleLines lines;
    std::uint8_t chunk[512];
    using Recv = platform::TcpSocket::RecvResult;
    while (open_) {
        // What has come, up to a chunk, without waiting after the first byte.
        std::size_t n = 0;
        auto got = socket_.recvByte(chunk[0], 100);
        if (got == Recv::Byte) {
            n = 1;
            while (n < sizeof chunk && (got = socket_.recvByte(chunk[n], 0)) == Recv::Byte) ++n;
        }
        if (n == 0 && got != Recv::Timeout) break;
        std::vector<std::uint8_t> reply;
        const std::string text = lines.take(filter.take(chunk, n, reply));
        if (!reply.empty()) {
            const std::lock_guard lock(sending_);
            socket_.send(reply.data(), reply.size());
        }
        if (!text.empty()) {
            const std::lock_guard lock(feedMutex_);
            pending_ += text;
        }
        while (open_) {
            {
                const std::lock_guard lock(feedMutex_);
                if (pending_.size() < kMostPending) break;
            }
            platform::pause(20);
        }
        if (n > 0 && got != Recv::Byte && got != Recv::Timeout) break;  // closed after what it sent last
    }
    const std::lock_guard lock(feedMutex_);
    deviceClosed_ = true;
}

std::string TcpConsole::take(bool& closed) {
    const std::lock_guard lock(feedMutex_);
    const std::size_t n = std::min(pending_.size(), kMostTaken);
    std::string piece = pending_.substr(0, n);
    pending_.erase(0, n);
    closed = deviceClosed_ && pending_.empty() && !closedTold_;
    closedTold_ = closedTold_ || closed;
    return piece;
}

TcpLineForm::TcpLineForm() {
    description.maxLength = static_cast<int>(kLineDescriptionLength);
    ip.maxLength = static_cast<int>(kLineIpLength);
    setAddress.text = "Nastavit IP adresu v zařízení";
    console.text = "Konfigurovat přes TELNET";
    web.text = "Sputit WEB rozhraní";
}

void TcpLineForm::open(int lineIndex) {
    lineIndex_ = lineIndex;
    LineRecord line;
    if (!readLineForDialog(lineIndex, line)) return;
    deviceMac_ = line.mac();
    description.text = line.description();
    ip.text = line.ipAddress();
    tcpPort.text = std::to_string(line.tcpPort());
}

int TcpLineForm::pressSetAddress() {
    busy = true;
    if (showNow) showNow();
    setDeviceAddress(lineIndex_, ip.text, &deviceMac_);
    busy = false;
    return kFormStaysOpen;
}

int TcpLineForm::pressConsole() {
    TcpConsole session;
    if (session.connect(ip.text) && showConsole) showConsole(session);
    return kFormStaysOpen;
}

int TcpLineForm::pressWeb() {
    uiMessage("Konfigurace",
              "Služba není podporována. \nPoužijte prosím váš webový prohlížeč do jehož adresního řádku zahejte IP adresu "
              "zařízení.",
              MessageIcon::Information);
    return kFormStaysOpen;
}

int TcpLineForm::pressSave() {
    LineSettings settings;
    settings.description = description.text;
    settings.ipAddress = ip.text;
    // A TCP port is 16 bits, and a line on port 0 never connects: anything else is refused
    // before the line is tried or stored.
    const auto port = tcpPortField(tcpPort, reselect);
    if (!port) return kFormStaysOpen;
    settings.tcpPort = *port;
    settings.tcpLineDialog = true;
    return saveLineSettings(lineIndex_, settings) == 1 ? 1 : kFormStaysOpen;
}

}  // namespace lumo
