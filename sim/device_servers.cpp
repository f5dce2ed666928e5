#include "sim/device_servers.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "comm/icmp_echo.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/pseudo_terminal.h"

namespace lumo::sim {

bool parseDeviceServer(const std::string& text, DeviceServer& out, std::string& error) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (;;) {
        const auto slash = text.find('/', at);
        parts.push_back(text.substr(at, slash == std::string::npos ? std::string::npos : slash - at));
        if (slash == std::string::npos) break;
        at = slash + 1;
    }
    platform::Ipv4 ip;
    if (parts.size() != 4 || !platform::parseIpv4(parts[0], ip) || parts[1].empty() || parts[1].size() > 3 ||
        parts[1].find_first_not_of("0123456789") != std::string::npos || parts[2].size() > 13 || parts[3].size() != 17) {
        error = "a device server is IP/TYPE/SERIAL/MAC (10.77.0.5/11/359635110001/00-4F-49-0D-00-05), not '" + text + "'";
        return false;
    }
    out.ip = parts[0];
    out.type = std::stoi(parts[1]);
    out.serial = parts[2];
    for (int i = 0; i < 6; ++i) {
        const std::string pair = parts[3].substr(static_cast<std::size_t>(i) * 3, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            error = "the MAC address of '" + text + "' is not six hexadecimal pairs";
            return false;
        }
        out.mac[i] = static_cast<unsigned char>(std::stoi(pair, nullptr, 16));
    }
    return true;
}

std::vector<unsigned char> searchAnswer(const DeviceServer& s) {
    std::vector<unsigned char> a(30, 0);
    a[3] = 0xA7;
    a[4] = static_cast<unsigned char>(s.type);
    std::memcpy(a.data() + 10, s.serial.data(), std::min<std::size_t>(s.serial.size(), 13));
    std::memcpy(a.data() + 24, s.mac, 6);
    return a;
}

namespace {

std::string hex(const std::uint8_t* d, std::size_t n) {
    std::string text;
    char b[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, " %02x", d[i]);
        text += b;
    }
    return text;
}

}  // namespace

bool runDeviceServers(std::vector<DeviceServer>& servers, WireLog& log, const std::function<void()>& listening) {
    // Broadcasts reach a socket bound to any address; each server answers from its own address.
    auto any = std::make_unique<platform::UdpSocket>();
    if (!any->create() || !any->bind(platform::Ipv4{}, 30718)) return false;
    // Shared: a server's thread may still wait on the socket it had when the server moves.
    std::vector<std::shared_ptr<platform::UdpSocket>> own(servers.size());
    std::mutex mutex;  // the servers' addresses and sockets
    const auto addressOf = [&](std::size_t i) {
        const std::lock_guard lock(mutex);
        return servers[i].ip;
    };
    for (std::size_t i = 0; i < servers.size(); ++i) {
        platform::Ipv4 ip;
        own[i] = std::make_shared<platform::UdpSocket>();
        if (!platform::parseIpv4(servers[i].ip, ip) || !own[i]->create() || !own[i]->bind(ip, 30718)) return false;
    }
    const auto handle = [&](const std::uint8_t* d, std::size_t n, const platform::Ipv4& from, std::uint16_t port,
                            const std::string& to) {
        log.note("udp", "service datagram to " + to + " from " + platform::formatIpv4(from) + ":" + std::to_string(port) + hex(d, n));
        if (n == 4 && d[0] == 0 && d[1] == 0 && d[2] == 0 && d[3] == 0xA6) {
            const std::lock_guard lock(mutex);
            for (std::size_t i = 0; i < servers.size(); ++i) {
                const auto answer = searchAnswer(servers[i]);
                own[i]->sendTo(from, port, answer.data(), answer.size());
            }
            return;
        }
        if (n == 20 && d[3] == 0xAC && std::memcmp(d + 4, "IP-SETUP", 8) == 0) {
            platform::Ipv4 next;
            std::memcpy(next.bytes.data(), d + 16, 4);
            const std::lock_guard lock(mutex);
            for (std::size_t i = 0; i < servers.size(); ++i) {
                if (servers[i].mac[4] != d[14] || servers[i].mac[5] != d[15]) continue;
                auto moved = std::make_shared<platform::UdpSocket>();
                if (!moved->create() || !moved->bind(next, 30718)) {
                    log.note("udp", "device server " + servers[i].ip + " cannot move to " + platform::formatIpv4(next));
                    continue;
                }
                log.note("udp", "device server " + servers[i].ip + " moves to " + platform::formatIpv4(next));
                servers[i].ip = platform::formatIpv4(next);
                own[i] = std::move(moved);
            }
        }
    };
    // The consoles listen before the servers are reported running.
    std::vector<std::unique_ptr<platform::TcpListener>> consoles(servers.size());
    for (std::size_t i = 0; i < servers.size(); ++i) {
        consoles[i] = std::make_unique<platform::TcpListener>();
        if (consoles[i]->listenOn(servers[i].ip, 9999) < 0) log.note("console", "cannot listen on " + servers[i].ip + ":9999");
    }
    std::vector<std::thread> threads;
    // Each server's configuration console on its address, port 9999: a telnet greeting that asks
    // for options, a short menu, every line echoed; "q" ends the session.
    for (std::size_t i = 0; i < servers.size(); ++i) {
        threads.emplace_back([&, i] {
            platform::TcpListener& listener = *consoles[i];
            std::string ip = servers[i].ip;
            bool consoleUp = listener.isListening();
            for (;;) {
                if (ip != addressOf(i) || !consoleUp) {  // the server moved, or its port was taken
                    const bool moved = ip != addressOf(i);
                    ip = addressOf(i);
                    consoleUp = listener.listenOn(ip, 9999) >= 0;
                    if (!consoleUp) {
                        if (moved) log.note("console", "cannot listen on " + ip + ":9999");
                        platform::pause(1000);  // tried again a second later, never in a loop
                        continue;
                    }
                }
                platform::TcpSocket conn;
                if (!listener.accept(conn, 1000)) continue;
                log.note("console", ip + " connected");
                const std::string greeting = std::string("\xFF\xFD\x01\xFF\xFB\x03", 6) + "LUMO device server " +
                                             servers[i].serial + "\r\n1) Network\r\n2) Channel\r\nq) Quit\r\n> ";
                conn.send(reinterpret_cast<const std::uint8_t*>(greeting.data()), greeting.size());
                std::string line, options;
                for (bool open = true; open;) {
                    std::uint8_t b = 0;
                    switch (conn.recvByte(b, 30000)) {
                        case platform::TcpSocket::RecvResult::Byte:
                            if (b >= 0xF0 || !options.empty()) {
                                // The client's answers to the options: IAC, command, option.
                                options.push_back(static_cast<char>(b));
                                if (options.size() == 3) {
                                    log.note("console", "telnet reply" + hex(reinterpret_cast<const std::uint8_t*>(options.data()), 3));
                                    options.clear();
                                }
                            } else if (b == '\n') {
                                if (!line.empty() && line.back() == '\r') line.pop_back();
                                log.note("console", ip + " line '" + line + "'");
                                if (line == "q") {
                                    open = false;
                                    break;
                                }
                                const std::string echo = "you typed: " + line + "\r\n> ";
                                conn.send(reinterpret_cast<const std::uint8_t*>(echo.data()), echo.size());
                                line.clear();
                            } else {
                                line.push_back(static_cast<char>(b));
                            }
                            break;
                        case platform::TcpSocket::RecvResult::Timeout: break;
                        default: open = false; break;
                    }
                }
                conn.close();
                log.note("console", ip + " closed");
            }
        });
    }
    threads.emplace_back([&] {
        std::uint8_t d[1500];
        for (;;) {
            std::size_t n = 0;
            platform::Ipv4 from;
            std::uint16_t port = 0;
            if (any->receive(d, sizeof d, 1000, n, from, port) == platform::UdpSocket::ReceiveResult::Datagram)
                handle(d, n, from, port, "any");
        }
    });
    for (std::size_t i = 0; i < servers.size(); ++i) {
        threads.emplace_back([&, i] {
            std::uint8_t d[1500];
            for (;;) {
                std::size_t n = 0;
                platform::Ipv4 from;
                std::uint16_t port = 0;
                std::shared_ptr<platform::UdpSocket> socket;
                std::string to;
                {
                    const std::lock_guard lock(mutex);
                    socket = own[i];
                    to = servers[i].ip;
                }
                // A short wait: a server that moved listens on its new socket soon.
                if (socket->receive(d, sizeof d, 200, n, from, port) == platform::UdpSocket::ReceiveResult::Datagram)
                    handle(d, n, from, port, to);
            }
        });
    }
    // Each server answers ping at its address, as the device does (where the process may open
    // a raw socket and the kernel's own echo replies are off). Tunnel requests ("INEX") are the
    // converter's business and get no plain reply.
    for (std::size_t i = 0; i < servers.size(); ++i) {
        threads.emplace_back([&, i] {
            platform::IcmpSocket sock;
            std::string ip;
            std::uint8_t m[1500];
            for (;;) {
                if (ip != addressOf(i)) {
                    ip = addressOf(i);
                    platform::Ipv4 address;
                    if (!platform::parseIpv4(ip, address) || sock.openRaw() != platform::IcmpSocket::OpenResult::Opened ||
                        !sock.isRaw() || !sock.bindTo(address)) {
                        sock.close();
                        log.note("icmp", "device server " + ip + " cannot answer ping");
                        return;
                    }
                }
                platform::Ipv4 from;
                const int n = sock.receive(m, sizeof m, 200, &from);
                if (n < 8 || m[0] != 8 || (n >= 24 && std::memcmp(m + 8 + 12, "INEX", 4) == 0)) continue;
                m[0] = 0;
                m[2] = m[3] = 0;
                const std::uint16_t sum = InternetChecksum(static_cast<std::size_t>(n), m);
                m[2] = static_cast<std::uint8_t>(sum >> 8);
                m[3] = static_cast<std::uint8_t>(sum);
                sock.sendTo(from, m, static_cast<std::size_t>(n));
            }
        });
    }
    listening();
    for (auto& t : threads) t.join();
    return true;
}

}  // namespace lumo::sim
