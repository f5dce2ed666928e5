// A 64 KB firmware image through each download worker against the simulator, on a
// pseudo-terminal and over loopback, next to the floor the protocol's pauses allow: the restart
// into the loader (its transaction and the 2 s wait), 12 ms after every message written to a
// serial port, 18 ms after every block of a high-segment device. Over TCP nothing is paced: the
// floor is the pauses and, for each message, the loopback's own round trip of a message and its
// acknowledgement (measured first, between two threads). The simulator runs without its wire
// log, which writes and flushes every byte as no device does.
//
//   build/bench/download_bench
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "actions/download_actions.h"
#include "base/app_state.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/pseudo_terminal.h"
#include "service/firmware_image.h"
#include "service/jobs.h"
#include "support/sim_process.h"

namespace {

using namespace lumo;

std::vector<std::uint8_t> image64k() {
    std::vector<std::uint8_t> v(0x10000);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::uint8_t>((i * 131 + (i >> 8)) & 0xFF);
    return v;
}

// S-records of 32 data bytes, as firmware files usually come.
std::string srecords(const std::vector<std::uint8_t>& image) {
    std::string text = "S00600004844521B\r\n";
    char pair[4];
    for (std::size_t at = 0; at < image.size(); at += 32) {
        std::vector<std::uint8_t> body = {35, static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at)};
        body.insert(body.end(), image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at + 32));
        unsigned sum = 0;
        text += "S1";
        for (auto b : body) {
            sum += b;
            std::snprintf(pair, sizeof pair, "%02X", b);
            text += pair;
        }
        std::snprintf(pair, sizeof pair, "%02X", ~sum & 0xFF);
        text += std::string(pair) + "\r\n";
    }
    return text + "S9030000FC\r\n";
}

double piece(std::size_t bytes) { return static_cast<double>(bytes) * 5 + 12; }

// "CMD" $0 "RST0" to the module with selection and release, then the 2 s for the restart.
double restartFloor(bool serial) {
    if (!serial) return 50 + 10 + 130 + 100 + 2000;
    return 1 + piece(6) + 50 + piece(4) + 10 + piece(3) + piece(6) + 130 + piece(6) + 2000;
}

// The loopback's own round trip for a message and its two-byte acknowledgement, between two
// threads that do nothing else: what an acknowledged message costs over TCP at the least
// (the median of `rounds`).
double loopbackRoundTripMs(int rounds) {
    constexpr std::size_t kMessage = 48;
    platform::TcpListener listener;
    const int port = listener.listenLoopback(0);
    std::thread peer([&] {
        platform::TcpSocket conn;
        if (!listener.accept(conn, 5000)) return;
        std::uint8_t buffer[kMessage];
        for (int r = 0; r < rounds; ++r) {
            for (std::size_t got = 0; got < kMessage;) {
                std::size_t n = 0;
                if (conn.recvSome(buffer + got, kMessage - got, n, 5000) != platform::TcpSocket::RecvResult::Byte) return;
                got += n;
            }
            const std::uint8_t ko[2] = {'K', 'O'};
            if (!conn.send(ko, 2)) return;
        }
    });
    platform::TcpSocket socket;
    platform::Ipv4 loopback;
    platform::parseIpv4("127.0.0.1", loopback);
    std::vector<double> times;
    if (socket.create() && socket.setNonBlocking() &&
        socket.connect(loopback, static_cast<std::uint16_t>(port), 1000) == platform::TcpSocket::ConnectResult::Connected) {
        const std::uint8_t message[kMessage] = {};
        for (int r = 0; r < rounds; ++r) {
            const std::int64_t start = platform::monotonicUs();
            socket.send(message, kMessage);
            std::uint8_t answer[2];
            for (std::size_t got = 0; got < 2;) {
                std::size_t n = 0;
                if (socket.recvSome(answer + got, 2 - got, n, 5000) != platform::TcpSocket::RecvResult::Byte) break;
                got += n;
            }
            times.push_back(static_cast<double>(platform::monotonicUs() - start) / 1000.0);
        }
    }
    peer.join();
    if (times.empty()) return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Run {
    const char* name;
    int line, k, id, type;
    bool tunnel, serial;
};

}  // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / ("lumo-download-bench-" + std::to_string(platform::processId()));
    std::filesystem::create_directories(dir / "line1");
    std::filesystem::create_directories(dir / "line2");
    const std::vector<std::uint8_t> image = image64k();
    const std::string mot = (dir / "image.mot").string(), bin = (dir / "image.bin").string();
    std::ofstream(mot, std::ios::binary) << srecords(image);
    std::ofstream(bin, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    {
        test::SimProcess sim({"--pty", "--tcp", "0", "--comports", dir.string(), "--com", "3", "--module", "serial 5 10",
                              "--module", "serial 6 8", "--module", "tcp 7 48", "--module", "tcp 8 9"},
                             "");  // no wire log: it writes and flushes every byte, which no device does
        installUiPort({});
        appState().workingDirectory = dir.string();
        appState().dataDirectory = dir.string() + "/";
        LineRecord serial, tcp;
        serial.setLineNumber(1);
        serial.setPort(3);
        serial.setSpeed(1);
        tcp.setLineNumber(2);
        tcp.setIpAddress("127.0.0.1");
        tcp.setTcpPort(sim.tcpPort());
        tcp.setHeadType(11);
        writeLineRecord(0, serial);
        writeLineRecord(1, tcp);
        LineConfigure(0, serial);
        LineConfigure(1, tcp);

        std::vector<SRecord> records;
        readSRecords(srecords(image), records);
        int tunnelMessages = 0;
        runTunnelDownload(srecords(image), records, [&tunnelMessages](const TunnelMessage&, std::uint8_t a[2]) {
            ++tunnelMessages;
            a[0] = 'K';
            a[1] = 'O';
            return Exchange::Acknowledged;
        });
        const int segmentCount = static_cast<int>(segmentMessages(image, true).size()) + 1;  // and WRXXX

        const Run runs[] = {{"tunnel, serial (pty)", 0, 1, 5, 10, true, true},
                            {"segment, serial (pty)", 0, 2, 6, 8, false, true},
                            {"tunnel, tcp (loopback)", 1, 1, 7, 48, true, false},
                            {"segment, tcp (loopback)", 1, 2, 8, 9, false, false}};
        const double roundTrip = loopbackRoundTripMs(2000);
        std::printf("64 KB image through each download worker against the simulator\n");
        std::printf("loopback round trip of a message and its acknowledgement: %.3f ms (median)\n", roundTrip);
        std::printf("%-24s %9s %10s %12s %8s %12s\n", "worker, line", "messages", "ms", "floor ms", "over", "ms/message");
        for (const Run& r : runs) {
            ModuleRecord m;
            m.setId(static_cast<std::uint8_t>(r.id));
            m.setType(static_cast<DeviceTypeCode>(r.type));
            writeModuleRecord(r.line, r.k, m);
            const int messages = r.tunnel ? tunnelMessages : segmentCount;
            bool done = false;
            const std::int64_t start = platform::monotonicUs();
            if (startDownload(r.line, r.k, r.tunnel ? mot : bin, false, [&done](bool ok) { done = ok; }) != 1) {
                std::fprintf(stderr, "%s: not started\n", r.name);
                return 1;
            }
            JobWait();
            const double ms = static_cast<double>(platform::monotonicUs() - start) / 1000.0;
            if (!done) {
                std::fprintf(stderr, "%s: failed\n", r.name);
                return 1;
            }
            // The service open: 1 ms, the preamble and 10 ms (and the service mark of the segment
            // loader) on a serial line; the close's 100 ms on TCP. Then each message.
            double floor = restartFloor(r.serial);
            if (r.serial) {
                floor += 1 + 12 + 10 + (r.tunnel ? 0 : 12);
                floor += (messages - (r.tunnel ? 0 : 0)) * 12.0;
                if (!r.tunnel) floor += (messages - 1) * 18.0;  // a ZB40: 18 ms after each block
            } else {
                floor += 100 + messages * roundTrip;  // each message waits for its acknowledgement
            }
            std::printf("%-24s %9d %10.0f %12.0f %7.2f%% %12.3f\n", r.name, messages, ms, floor, 100.0 * (ms / floor - 1),
                        (ms - floor) / messages);
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
