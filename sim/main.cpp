// lumo-sim: simulated LUMO modules on a serial bus (a pseudo-terminal) and behind a TCP
// converter, for tests, the demo and training.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "comm/icmp_echo.h"
#include "model/comports_file.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/serial_port.h"
#include "platform/net.h"
#include "platform/process.h"
#include "platform/pseudo_terminal.h"
#include "sim/bus.h"
#include "sim/device_servers.h"
#include "sim/installation_file.h"
#include "sim/wire_log.h"

namespace {

using namespace lumo;
using namespace lumo::sim;

const char kHelp[] =
    "usage: lumo-sim [options]\n"
    "  --install FILE     installation file (format below)\n"
    "  --module 'LINE'    one installation line given directly (repeatable)\n"
    "  --pty              serial bus on a pseudo-terminal; prints \"pty PATH\"\n"
    "  --echo             the serial bus echoes every byte (a two-wire RS485 converter)\n"
    "  --tcp PORT         TCP converter on 127.0.0.1:PORT (0: a free port); prints \"tcp 127.0.0.1:PORT\"\n"
    "  --comports DIR     write COM<N>=<pty path> into DIR/comports.cfg (other entries kept)\n"
    "  --com N            the COM number for --comports (default 1)\n"
    "  --icmp             answer ICMP tunnel echo requests (needs a raw socket; run where the\n"
    "                     kernel's own echo replies are off)\n"
    "  --log FILE         log every byte on the wires: \"MS TRANSPORT rx|tx HEX\" and notes\n"
    "  --data-window MS   wait for a data piece after CFG, SET, CMD (default 60)\n"
    "  --tcp-connections N  the converter takes N connections, then refuses every further one\n"
    "                     (a converter lost in the middle of an operation)\n"
    "  --image-dir DIR    a loader that has finished writes what it loaded to DIR/image-ID.bin\n"
    "                     (from its lowest address to its highest, gaps 0xFF)\n"
    "  --udp ADDRESS      listen on ADDRESS:30718 for service datagrams and log them (the restart\n"
    "                     datagram of a network device)\n"
    "  --device-server IP/TYPE/SERIAL/MAC   a network device server on its own address (repeatable):\n"
    "                     it answers the search request (00 00 00 A6) from port 30718 with the\n"
    "                     30-byte answer and moves to the address of an IP-SETUP datagram naming\n"
    "                     its MAC address's last two bytes (the address must exist on the host);\n"
    "                     it answers ping at its address where a raw socket may be opened, and\n"
    "                     serves a configuration console on port 9999\n"
    "  --exit-with-parent end when the program that started the simulator ends\n"
    "  --reader TEXT      the serial bus is a desk reader: it sends TEXT and CR LF every 6 s,\n"
    "                     as a card held to it would\n"
    "After start-up it prints \"ready\" and runs until it is stopped.\n"
    "\n"
    "Installation file, one module per line ('#' starts a comment):\n"
    "  serial|tcp ID TYPE [serial=DDDDDDTTSSSS] [version=1.23] [text=DISPLAY] [mark=KO]\n"
    "                     [history=N] [c1=N ... c5=N] [p1=N ... p6=N] [d1=N ... d4=N]\n"
    "                     [switches=OFOF] [flags=N] [FAULT ...]\n"
    "  FAULT: silent | garbage | badcrc | trailing | endless | drop=N | slow=MS | cut=N | calonly\n"
    "         nak=N | lrefuse=N | lsilent=N | lslow=MS   (the loader refuses its N-th message, falls\n"
    "         silent after N messages, answers MS late)\n"
    "  service: the module takes the bus's memory service messages (UPL, WRM; else the bus's\n"
    "  first module does); memseed=N: another pattern for its memory; memfile=SEL:START:PATH:\n"
    "  the file's bytes in its memory under segment selector SEL (yyyyyyyy, 9yyyyyyy,\n"
    "  yyyyyy00 ...) from hexadecimal START on.\n"
    "  calonly: every request is answered as CAL is (a well-formed answer of another kind).\n"
    "  cut=N: from the N-th instruction on, answers lose their last three characters, the '*'\n"
    "  and the checksum.\n"
    "  history=N: the module holds N history records (its counter C5; the clock cannot be set\n"
    "  while it holds any); cN=N: counter N's value (-1: the module has no such counter).\n"
    "  pN=N, dN=N: parameter PN and relay delay DN (0-255); switches: B1, B2, ... as O (on) or\n"
    "  F (off), up to B8; flags=N: the device flags INF 6 reports after \"C\" (default 70).\n"
    "  Parameters: types 1, 4, 10 (TQ300 family), 3 (LOQ3), 8 (ZB40) and 9 (ZB20) keep them.\n"
    "Sub-instructions are the digits on the wire (\"#INF\" then \"$7+\"):\n"
    "  INF $3 the display text, INF $6 V<version>C<flags>, INF $7 the counters C1-C5 (C5: the\n"
    "  history records), INF $8 the family's P, B and D codes (LOQ3: P2 P3 B3-B5 D1; ZB40: P2 P3\n"
    "  P5 P6 B1-B4 D1-D4; ZB20: P2 P3 P4 B1-B4 D1 D2; TQ300 family: P1-P4 B1-B4 D1 D2).\n"
    "  CFG $0 (display text), CFG $3 (A, B, C), CFG $4 (S, R, W), CFG $8 (P, B, D codes) and\n"
    "  SET $2 (C; bits 6-7, the ID medium, stay as reported) change them; each change is logged\n"
    "  as \"parameters ...\". CFG $5 with data sets the clock (logged), SET $7 with data sets the\n"
    "  counters it names. A request that came with tunnel headers is answered behind the\n"
    "  two-byte mark. Modules answer CAL with '!' + serial number + 'V' + version (the type is\n"
    "  the serial's 7th and 8th digit), CFG/SET/CMD without data with OK, CMD $9 with data with\n"
    "  one byte. DLL data is taken\n"
    "  record by record, each '+' acknowledged with K, the whole checked against its CRC-8 (K or\n"
    "  E after the '*'; nak=N: the N-th record is acknowledged with E); RDI answers the C1\n"
    "  history records of 31 bytes each.\n";

struct Options {
    std::string install, log, comportsDir;
    std::vector<std::string> modules;
    bool pty = false, echo = false, icmp = false;
    std::string readerId, imageDir, udpAddress;
    std::vector<std::string> deviceServers;
    int tcpPort = -1, com = 1, dataWindowMs = 60;
    int tcpConnections = -1;  // -1: no limit
};

// Puts "COMn=PATH" into comports.cfg, the other entries kept.
bool writeComports(const std::string& dir, int com, const std::string& path) {
    ComportsFile file;
    loadComports(dir, file);
    file.ports[com] = path;
    return saveComports(dir, file);
}

void runSerial(platform::PseudoTerminal& pty, Bus& bus, WireLog& log, bool echo, const std::string& readerId) {
    std::int64_t nextCard = platform::monotonicMs();
    for (;;) {
        const std::int64_t now = platform::monotonicMs();
        if (!readerId.empty() && now >= nextCard) {
            const std::string card = readerId + "\r\n";
            pty.write(reinterpret_cast<const std::uint8_t*>(card.data()), card.size());
            nextCard = now + 6000;
        }
        int due = bus.msUntilDue(now);
        if (!readerId.empty()) due = static_cast<int>(due < 0 ? nextCard - now : std::min<std::int64_t>(due, nextCard - now));
        std::uint8_t byte;
        const auto r = pty.readByte(byte, due < 0 ? 1000 : due);
        if (r == platform::PseudoTerminal::ReadResult::Error) {
            platform::pause(10);
            continue;
        }
        if (r == platform::PseudoTerminal::ReadResult::Byte) {
            log.byte("serial", true, byte);
            if (echo) {
                pty.write(&byte, 1);
                log.byte("serial", false, byte);
            }
            bus.receive(byte, platform::monotonicMs());
        }
        const auto out = bus.takeDue(platform::monotonicMs());
        if (!out.empty() && pty.write(out.data(), out.size())) {
            for (auto b : out) log.byte("serial", false, b);
        }
    }
}

// The TCP converter's bus is shared by its connection, the ICMP tunnel and the service port.
std::mutex tcpBusMutex;

void runTcp(platform::TcpListener& listener, Bus& bus, WireLog& log, int connections) {
    for (int taken = 0;; ++taken) {
        if (taken == connections) {
            listener.close();
            log.note("tcp", "refusing connections");
            return;
        }
        platform::TcpSocket conn;
        if (!listener.accept(conn, 1000)) {
            --taken;
            continue;
        }
        log.note("tcp", "connected");
        for (bool open = true; open;) {
            const std::int64_t now = platform::monotonicMs();
            int due = 0;
            {
                const std::lock_guard lock(tcpBusMutex);
                due = bus.msUntilDue(now);
            }
            // What has come, taken as a device takes it: byte by byte, at the time it came.
            std::uint8_t bytes[512];
            std::size_t count = 0;
            switch (conn.recvSome(bytes, sizeof bytes, count, due < 0 ? 1000 : due)) {
                case platform::TcpSocket::RecvResult::Byte: {
                    const std::lock_guard lock(tcpBusMutex);
                    const std::int64_t at = platform::monotonicMs();
                    for (std::size_t i = 0; i < count; ++i) {
                        log.byte("tcp", true, bytes[i]);
                        bus.receive(bytes[i], at);
                    }
                    break;
                }
                case platform::TcpSocket::RecvResult::Timeout: break;
                case platform::TcpSocket::RecvResult::Closed:
                case platform::TcpSocket::RecvResult::Error: open = false; break;
            }
            std::vector<std::uint8_t> out;
            {
                const std::lock_guard lock(tcpBusMutex);
                out = bus.takeDue(platform::monotonicMs());
            }
            if (!out.empty()) {
                if (!conn.send(out.data(), out.size())) open = false;
                for (auto b : out) log.byte("tcp", false, b);
            }
        }
        {
            const std::lock_guard lock(tcpBusMutex);
            bus.connectionClosed();
        }
        log.note("tcp", "closed");
    }
}

// Logs every service datagram: "udp from ADDRESS:PORT HEX". The restart datagram (00 00 00 03
// '3' 'Q' ...) restarts the converter into its loader.
void runUdp(platform::UdpSocket& udp, WireLog& log, Bus& tcpBus) {
    std::uint8_t datagram[1500];
    for (;;) {
        std::size_t length = 0;
        platform::Ipv4 from;
        std::uint16_t port = 0;
        if (udp.receive(datagram, sizeof datagram, 1000, length, from, port) != platform::UdpSocket::ReceiveResult::Datagram)
            continue;
        std::string text = "from " + platform::formatIpv4(from) + ":" + std::to_string(port);
        char byte[4];
        for (std::size_t i = 0; i < length; ++i) {
            std::snprintf(byte, sizeof byte, " %02x", datagram[i]);
            text += byte;
        }
        log.note("udp", text);
        static const std::uint8_t restart[] = {0x00, 0x00, 0x00, 0x03, 0x33, 0x51};
        if (length == 8 && std::memcmp(datagram, restart, sizeof restart) == 0) {
            const std::lock_guard lock(tcpBusMutex);
            tcpBus.restartConverter(platform::monotonicMs());
        }
    }
}

// The answer of the TCP side's loader to one tunnel request (its channel digits and data), as
// if it had come behind a tunnel header; empty when the loader stays silent.
std::vector<std::uint8_t> loaderAnswer(Bus& bus, const std::uint8_t* digits, const std::uint8_t* data, std::size_t length) {
    std::vector<std::uint8_t> message = {'W', 'R', 'f', 0x00, 0x01, 0x00, 0x00, static_cast<std::uint8_t>(length),
                                         static_cast<std::uint8_t>(length >> 8), 0, 0, 0, 'I', 'N', 'E', 'X', digits[0],
                                         digits[1]};
    message.insert(message.end(), data, data + length);
    std::vector<std::uint8_t> answer;
    const std::int64_t until = platform::monotonicMs() + 1000;
    {
        const std::lock_guard lock(tcpBusMutex);
        for (std::uint8_t b : message) bus.receive(b, platform::monotonicMs());
    }
    while (answer.size() < 2 && platform::monotonicMs() < until) {
        {
            const std::lock_guard lock(tcpBusMutex);
            const auto due = bus.takeDue(platform::monotonicMs());
            answer.insert(answer.end(), due.begin(), due.end());
        }
        if (answer.size() < 2) platform::pause(2);
    }
    return answer;
}

// Answers every tunnel echo request with an echo reply: 12 zero bytes, "aaaa", "KO" and the
// request's data; while a loader of the TCP side takes the download, "aaaa" and its answer.
void runIcmp(platform::IcmpSocket& sock, WireLog& log, Bus& tcpBus) {
    std::uint8_t message[512];
    for (;;) {
        platform::Ipv4 from;
        const int n = sock.receive(message, sizeof message, 1000, &from);
        if (n < 26 || message[0] != 8 || std::memcmp(message + 8 + 12, "INEX", 4) != 0) continue;
        for (int i = 0; i < n; ++i) log.byte("icmp", true, message[i]);
        std::vector<std::uint8_t> reply(message, message + n);
        bool loader = false;
        {
            const std::lock_guard lock(tcpBusMutex);
            loader = tcpBus.takesLoaderTraffic(platform::monotonicMs());
        }
        if (loader) {
            const auto answer = loaderAnswer(tcpBus, message + 8 + 16, message + 26, static_cast<std::size_t>(n) - 26);
            if (answer.size() < 2) continue;  // silent: no reply
            // The mark, then the answer as the bytes the receiver takes.
            reply.assign(message, message + 8 + 16);
            reply.insert(reply.end(), answer.begin(), answer.begin() + 2);
            reply.insert(reply.end(), answer.begin(), answer.begin() + 2);
        }
        reply[0] = 0;
        std::memset(reply.data() + 8, 0, 12);
        std::memcpy(reply.data() + 8 + 12, "aaaa", 4);
        if (!loader) std::memcpy(reply.data() + 8 + 16, "KO", 2);
        reply[2] = reply[3] = 0;
        const std::uint16_t sum = InternetChecksum(reply.size(), reply.data());
        reply[2] = static_cast<std::uint8_t>(sum >> 8);
        reply[3] = static_cast<std::uint8_t>(sum);
        if (sock.sendTo(from, reply.data(), reply.size())) {
            for (auto b : reply) log.byte("icmp", false, b);
        }
    }
}

int parseInt(const std::string& text, const char* what, int min, int max) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used == text.size() && v >= min && v <= max) return v;
    } catch (...) {
    }
    std::cerr << "lumo-sim: " << what << " must be a number from " << min << " to " << max << ", not '" << text
              << "'\n";
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "lumo-sim: " << a << " needs " << what << "\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            std::cout << kHelp;
            return 0;
        } else if (a == "--install") o.install = value("a file");
        else if (a == "--module") o.modules.push_back(value("a module line"));
        else if (a == "--pty") o.pty = true;
        else if (a == "--echo") o.echo = true;
        else if (a == "--icmp") o.icmp = true;
        else if (a == "--tcp") o.tcpPort = parseInt(value("a port"), "the TCP port", 0, 65535);
        else if (a == "--tcp-connections") o.tcpConnections = parseInt(value("a number"), "the connection count", 0, 1000000);
        else if (a == "--comports") o.comportsDir = value("a folder");
        else if (a == "--com") o.com = parseInt(value("a number"), "the COM number", 1, 255);
        else if (a == "--log") o.log = value("a file");
        else if (a == "--data-window") o.dataWindowMs = parseInt(value("milliseconds"), "the data window", 0, 60000);
        else if (a == "--reader") o.readerId = value("an identifier text");
        else if (a == "--image-dir") o.imageDir = value("a folder");
        else if (a == "--udp") o.udpAddress = value("an IPv4 address");
        else if (a == "--device-server") o.deviceServers.push_back(value("IP/TYPE/SERIAL/MAC"));
        else if (a == "--exit-with-parent") platform::exitWithParent();
        else {
            std::cerr << "lumo-sim: unknown option '" << a << "' (lumo-sim --help)\n";
            return 2;
        }
    }
    Installation installation;
    std::string error;
    if (!o.install.empty() && !loadInstallation(o.install, installation, error)) {
        std::cerr << "lumo-sim: " << error << "\n";
        return 1;
    }
    for (const auto& line : o.modules) {
        if (!parseInstallationLine(line, installation, error)) {
            std::cerr << "lumo-sim: --module '" << line << "': " << error << "\n";
            return 2;
        }
    }
    if (!o.pty && o.tcpPort < 0 && !o.icmp && o.deviceServers.empty()) o.pty = true;

    WireLog log(o.log);
    if (!o.log.empty() && !log.ok()) {
        std::cerr << "lumo-sim: cannot write the wire log " << o.log << "\n";
        return 1;
    }
    // With a service port the converter itself can be restarted into its loader.
    if (!o.udpAddress.empty()) {
        SimModule converter;
        converter.id = kConverterId;
        converter.type = kConverterType;
        converter.serial = defaultSerial(kConverterType, 0);
        installation.tcp.push_back(converter);
    }
    Bus serialBus(installation.serial, log, "serial", o.dataWindowMs, o.imageDir);
    Bus tcpBus(installation.tcp, log, "tcp", o.dataWindowMs, o.imageDir);
    platform::PseudoTerminal pty;
    platform::TcpListener listener;
    platform::IcmpSocket icmp;
    std::vector<std::thread> threads;

    if (o.pty) {
        if (!pty.open()) {
            std::cerr << "lumo-sim: cannot create a pseudo-terminal\n";
            return 1;
        }
        std::cout << "pty " << pty.slavePath() << "\n";
        if (!o.comportsDir.empty() && !writeComports(o.comportsDir, o.com, pty.slavePath())) {
            std::cerr << "lumo-sim: cannot write " << o.comportsDir << "/comports.cfg\n";
            return 1;
        }
        threads.emplace_back(runSerial, std::ref(pty), std::ref(serialBus), std::ref(log), o.echo, o.readerId);
    }
    if (o.tcpPort >= 0) {
        const int port = listener.listenLoopback(o.tcpPort);
        if (port < 0) {
            std::cerr << "lumo-sim: cannot listen on 127.0.0.1:" << o.tcpPort << "\n";
            return 1;
        }
        std::cout << "tcp 127.0.0.1:" << port << "\n";
        threads.emplace_back(runTcp, std::ref(listener), std::ref(tcpBus), std::ref(log), o.tcpConnections);
    }
    platform::UdpSocket udp;
    if (!o.udpAddress.empty()) {
        platform::Ipv4 address;
        if (!platform::parseIpv4(o.udpAddress, address) || !udp.create() || !udp.bind(address, 30718)) {
            std::cerr << "lumo-sim: cannot listen on " << o.udpAddress << ":30718\n";
            return 1;
        }
        std::cout << "udp " << o.udpAddress << ":30718\n";
        threads.emplace_back(runUdp, std::ref(udp), std::ref(log), std::ref(tcpBus));
    }
    std::vector<DeviceServer> servers;
    for (const auto& text : o.deviceServers) {
        DeviceServer server;
        if (!parseDeviceServer(text, server, error)) {
            std::cerr << "lumo-sim: " << error << "\n";
            return 2;
        }
        servers.push_back(server);
    }
    std::promise<void> listening;  // outlives the thread that sets it
    if (!servers.empty()) {
        threads.emplace_back([&servers, &log, &listening] {
            if (!runDeviceServers(servers, log, [&] { listening.set_value(); })) {
                std::cerr << "lumo-sim: cannot listen for the device servers on port 30718\n";
                std::exit(1);
            }
        });
        listening.get_future().wait();
        std::cout << "device servers " << servers.size() << "\n";
    }
    if (o.icmp) {
        if (icmp.openRaw() != platform::IcmpSocket::OpenResult::Opened) {
            std::cerr << "lumo-sim: cannot open an ICMP socket\n";
            return 1;
        }
        std::cout << "icmp\n";
        threads.emplace_back(runIcmp, std::ref(icmp), std::ref(log), std::ref(tcpBus));
    }
    std::cout << "ready" << std::endl;
    for (auto& t : threads) t.join();
    return 0;
}
