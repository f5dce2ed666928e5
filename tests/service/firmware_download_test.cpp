// The firmware download and the remote restart against the simulator: the image each loader
// ends up holding, the bytes on the wire, the loaders' faults, files refused before anything is
// sent, and the restart datagram.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "actions/download_actions.h"
#include "actions/network_actions.h"
#include "base/ui_port.h"
#include "comm/icmp_echo.h"
#include "base/app_state.h"
#include "comm/line_port.h"
#include "discovery/service_channel.h"
#include "discovery/tcp_search.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "service/jobs.h"
#include "support/sim_fixture.h"
#include "support/srecord_builder.h"

namespace lumo {
namespace {

std::string srecord(std::uint32_t address, const std::vector<std::uint8_t>& data) {
    return test::srecordLine(1, address, data);
}

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return v;
}

// An S-record file of 16-byte records from address 0, CR LF ends, with a header and a start
// record around them.
std::string srecordFile(const std::vector<std::uint8_t>& image) {
    std::string text = "S00600004844521B\r\n";
    for (std::size_t i = 0; i < image.size(); i += 16) {
        const std::vector<std::uint8_t> data(image.begin() + static_cast<long>(i),
                                             image.begin() + static_cast<long>(std::min(i + 16, image.size())));
        text += srecord(static_cast<std::uint32_t>(i), data) + "\r\n";
    }
    return text + "S9030000FC\r\n";
}

class FirmwareDownload : public test::SimTest {
protected:
    std::string file(const std::string& name, const std::string& content) {
        const std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string loaded(int id) {
        std::ifstream in(dir.str() + "/image-" + std::to_string(id) + ".bin", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void installBothLines() {
        installSerialLine();
        std::filesystem::create_directories(dir.path() / "line2");
        ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    }
    void addModule(int line, int k, int id, int type) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(static_cast<std::uint8_t>(type));
        ASSERT_TRUE(writeModuleRecord(line, k, m));
    }
    // Runs a download to its end: its outcome, and the job slot free again.
    bool download(int line, int k, const std::string& path, int* started = nullptr) {
        bool done = false;
        const int result = startDownload(line, k, path, false, [&done](bool ok) { done = ok; });
        if (started) *started = result;
        JobWait();
        EXPECT_FALSE(jobActive());
        return done;
    }
    static constexpr const char* kDone =
        "Download|Download byl úspěšně dokončen. \n\nPokud zavádíte novější verzi programu je nutno \npro správnou "
        "funkci terminál znovu inicializovat.\n\n";
};

TEST_F(FirmwareDownload, EachWorkerLoadsTheImageWholeOnEachLine) {
    startSim({"serial 5 10", "tcp 6 48", "serial 7 8", "tcp 8 9"}, {"--image-dir", dir.str()});
    installBothLines();
    const std::vector<std::uint8_t> small = pattern(1024), segments = pattern(0x4000 + 35), large = pattern(0x8000);
    const struct {
        int line, k, id, type;
        std::string path;
        const std::vector<std::uint8_t>* image;
    } cases[] = {
        {kSerialLine, 1, 5, 10, file("serial.mot", srecordFile(small)), &small},
        {kTcpLine, 1, 6, 48, file("tcp.mot", srecordFile(small)), &small},
        {kSerialLine, 2, 7, 8, file("serial.bin", std::string(segments.begin(), segments.end())), &segments},
        {kTcpLine, 2, 8, 9, file("tcp.bin", std::string(large.begin(), large.end())), &large},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        addModule(c.line, c.k, c.id, c.type);
        ui.calls.clear();
        EXPECT_TRUE(download(c.line, c.k, c.path));
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{kDone});
        EXPECT_EQ(loaded(c.id), std::string(c.image->begin(), c.image->end()));
        EXPECT_FALSE(linePort(c.line).serial || linePort(c.line).socket);  // the line closed
    }
    // The segment loader checked every message's check characters and segment checksum.
    std::string notes;
    for (const auto& n : wire().notes) notes += n + "\n";
    EXPECT_EQ(notes.find("check characters wrong"), std::string::npos);
    EXPECT_NE(notes.find("module 7 loader: segment checksums right"), std::string::npos) << notes;
    EXPECT_NE(notes.find("module 8 loader: segment checksums right"), std::string::npos) << notes;
}

// A two-wire bus echoes the tunnel header as well as the data: both are read back, so the
// loader's "KO" is read from the loader and not from the header's echo (the flash was erased and
// then left with "Chyba mazání flash").
TEST_F(FirmwareDownload, ATwoWireLineReadsBackTheTunnelHeadersEcho) {
    startSim({"serial 5 10"}, {"--image-dir", dir.str(), "--echo"}, 2);
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    const std::vector<std::uint8_t> small = pattern(256);
    EXPECT_TRUE(download(kSerialLine, 1, file("serial.mot", srecordFile(small))));
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{kDone});
    EXPECT_EQ(loaded(5), std::string(small.begin(), small.end()));
}

TEST_F(FirmwareDownload, TheFirstBlocksOnTheWire) {
    startSim({"serial 5 10", "serial 7 8"}, {"--image-dir", dir.str()});
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    addModule(kSerialLine, 2, 7, 8);
    // Two records, the second with an odd count: one block at 0000, the odd last byte completed
    // with erased flash (0xFF).
    const std::string mot = srecord(0, {0x11, 0x22, 0x33, 0x44}) + "\r\n" + srecord(4, {0x55, 0x66, 0x77}) + "\r\n";
    ASSERT_TRUE(download(kSerialLine, 1, file("two.mot", mot)));
    const auto header = [](int channel, std::size_t length) {
        std::string h("WRf\x00\x01\x00\x00", 7);
        h += static_cast<char>(length);
        h += std::string(4, '\0') + "INEX" + "0" + std::to_string(channel);
        return h;
    };
    std::string sent = wire().received();
    const std::string service = std::string("UUU\0", 4);
    const auto start = sent.find(service);
    ASSERT_NE(start, std::string::npos) << test::visible(sent);
    sent = sent.substr(start + service.size());
    const std::string wanted = header(4, 2) + std::string("\xFF\x00", 2) + header(1, 2) + std::string("\xFF\x00", 2) +
                               header(2, 4) + "\x22\x11\x44\x33" + header(2, 4) + "\x66\x55\xFF\x77" +
                               header(3, 4) + std::string(4, '\0') + header(6, 1) + "A";
    EXPECT_EQ(test::visible(sent), test::visible(wanted));

    // The segment loader: the service mark, then "WRfs" heads with the fs0 checksum, the address
    // 0x8000 higher (a ZB40), the data and the check characters.
    std::filesystem::resize_file(logPath(), 0);
    ASSERT_TRUE(download(kSerialLine, 2, file("two.bin", std::string("\xAB\x01", 2))));
    std::string head = "WRfs0|F|0yyyyy00|00e4|8000|AB01|";
    unsigned sum = 0;
    for (char c : head) sum += static_cast<unsigned char>(c);
    char check[4];
    std::snprintf(check, sizeof check, "%02X", sum & 0xFF);
    EXPECT_NE(wire().received().find(std::string("UUU\0|\x04\x00", 7) + head + check + std::string("\x04\x00", 2) +
                                     std::string("WRXXX|2D\x04\x00", 10)),
              std::string::npos)
        << test::visible(wire().received());
}

TEST_F(FirmwareDownload, RecordsLandWhereTheirAddressesSay) {
    // A gap, and a record with an odd count followed by the next: the two touching records are
    // one run, written once; the run's odd end is completed with erased flash.
    startSim({"serial 5 10"}, {"--image-dir", dir.str()});
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    const auto a = pattern(16), b = std::vector<std::uint8_t>(15, 0xB5), c = std::vector<std::uint8_t>(16, 0xC6);
    const std::string mot = srecord(0x0000, a) + "\r\n" + srecord(0x0100, b) + "\r\n" + srecord(0x010F, c) + "\r\n";
    ASSERT_TRUE(download(kSerialLine, 1, file("gaps.mot", mot)));
    std::string expected(0x120, '\xFF');
    std::copy(a.begin(), a.end(), expected.begin());
    std::copy(b.begin(), b.end(), expected.begin() + 0x100);
    std::copy(c.begin(), c.end(), expected.begin() + 0x10F);
    EXPECT_EQ(test::visible(loaded(5)), test::visible(expected));
}

TEST_F(FirmwareDownload, NothingSentOnASwitchedOffLineOrWithoutANetworkInterface) {
    startSim({"serial 5 10"});
    serialLine.setFlags(flags::kLineOff);
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    int started = -1;
    EXPECT_FALSE(download(kSerialLine, 1, file("x.mot", srecordFile(pattern(32))), &started));
    EXPECT_EQ(started, 0);
    serialLine.setFlags(0);
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    // An MN600 on a serial line has no network interface to take the restart datagram.
    ui.calls.clear();
    EXPECT_EQ(remoteRestart(kSerialLine, 1), 0);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upozornění|Toto zařízení nelze vzdáleně restartovat. "});
    EXPECT_EQ(wire().received(), "");
}

TEST_F(FirmwareDownload, LoaderFaultsEndTheJobWithTheirMessage) {
    // Loader messages: 1 erase, 2 open, 3 and on data. On a serial line a silent loader is a
    // refusal (no byte before the silence budget ran out); over TCP the answer's deadline passes.
    startSim({"serial 5 10 lsilent=3", "serial 6 10 lrefuse=1", "serial 7 10 lrefuse=2", "serial 8 10 lrefuse=4",
              "tcp 9 9 lsilent=2", "tcp 10 48 lsilent=3"});
    installBothLines();
    const std::string mot = file("image.mot", srecordFile(pattern(256)));
    const std::string bin = file("image.bin", std::string(300, 'x'));
    const struct {
        int line, k, id, type;
        std::string path;
        const char* message;
    } cases[] = {
        {kSerialLine, 1, 5, 10, mot, "Download|Chyba zápisu do flash (1)! "},
        {kSerialLine, 2, 6, 10, mot, "Download|Chyba mazání flash ! "},
        {kSerialLine, 3, 7, 10, mot, "Download|Chyba zápisu do flash ! "},
        {kSerialLine, 4, 8, 10, mot, "Download|Chyba zápisu do flash (1)! "},
        {kTcpLine, 1, 9, 9, bin, "Download|Chyba čtení portu (4):0 "},
        {kTcpLine, 2, 10, 48, mot, "Download|Chyba čtení portu (3)0 ! "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        addModule(c.line, c.k, c.id, c.type);
        ui.calls.clear();
        EXPECT_FALSE(download(c.line, c.k, c.path));
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{c.message});
        EXPECT_FALSE(linePort(c.line).serial || linePort(c.line).socket);
    }
}

TEST_F(FirmwareDownload, CancellingEndsWithoutAMessage) {
    startSim({"serial 5 10 lslow=150"});
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    bool done = true;
    ASSERT_EQ(startDownload(kSerialLine, 1, file("image.mot", srecordFile(pattern(2048))), false,
                            [&done](bool ok) { done = ok; }),
              1);
    platform::pause(3000);  // the restart's 2 s, then a few messages
    jobCancel();
    JobWait();
    EXPECT_FALSE(done);
    EXPECT_TRUE(ui.callsOf("message").empty());
    EXPECT_FALSE(jobActive());
}

TEST_F(FirmwareDownload, BadImagesAreRefusedBeforeTheDeviceIsTouched) {
    startSim({"serial 5 10", "serial 6 4"});
    installSerialLine();
    addModule(kSerialLine, 1, 5, 10);
    addModule(kSerialLine, 2, 6, 4);
    const std::string good = srecord(0, pattern(16));
    const struct {
        int k;
        std::string name, content;
        const char* fault;
    } cases[] = {
        {1, "checksum.mot", good + "\r\n" + good.substr(0, good.size() - 2) + "00\r\n", "řádek 2: kontrolní součet"},
        {1, "hex.mot", "S1130000X" + good.substr(9) + "\r\n", "řádek 1: znak 'X'"},
        {1, "count.mot", good + "\r\nS1FF" + good.substr(4) + "\r\n", "řádek 2: počet bajtů ff"},
        {1, "long.mot", good + "\r\nS1" + std::string(120, '0') + "\r\n", "řádek 2: řádek má 122 znaků"},
        {1, "empty.mot", "S00600004844521B\r\nS9030000FC\r\n", "žádný datový záznam"},
        {2, "large.bin", std::string(0x10001, 'x'), "obraz má 65537 bajtů"},
        {2, "empty.bin", "", "obraz je prázdný"},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        int started = -1;
        EXPECT_FALSE(download(kSerialLine, c.k, file(c.name, c.content), &started));
        EXPECT_EQ(started, 0) << c.name;
        ASSERT_EQ(ui.callsOf("message").size(), 1u) << c.name;
        EXPECT_NE(ui.callsOf("message")[0].find(c.fault), std::string::npos) << ui.callsOf("message")[0];
    }
    EXPECT_EQ(wire().received(), "");  // not even the restart into the loader
    ui.calls.clear();
    addModule(kSerialLine, 3, 7, 3);
    DeviceTypeCode type = 0;
    EXPECT_EQ(downloadApplies(kSerialLine, 3, type), 0);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Download|Zařízení typu LOQ3 \nneumožňuje download."});
}

// A UDP socket where a device's service port would be, on a loopback address of its own.
struct ServicePortListener {
    platform::UdpSocket socket;
    std::string address;
    explicit ServicePortListener(const std::string& a) : address(a) {
        platform::Ipv4 ip;
        EXPECT_TRUE(platform::parseIpv4(a, ip) && socket.create() && socket.bind(ip, kServicePort));
    }
    std::vector<std::uint8_t> next(int timeoutMs) {
        std::uint8_t buffer[64];
        std::size_t length = 0;
        platform::Ipv4 from;
        std::uint16_t port = 0;
        if (socket.receive(buffer, sizeof buffer, timeoutMs, length, from, port) != platform::UdpSocket::ReceiveResult::Datagram)
            return {};
        return {buffer, buffer + length};
    }
};

TEST(RestartDatagram, ExactBytesToTheServicePort) {
    ServicePortListener device("127.0.0.83");
    EXPECT_EQ(SendRestartDatagram(device.address, MacAddress{}), 0u);
    EXPECT_EQ(device.next(2000), (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x03, 0x33, 0x51, 0x00, 0x00}));
    EXPECT_EQ(SendRestartDatagram(device.address, MacAddress{0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34}), 0u);
    EXPECT_EQ(device.next(2000), (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x03, 0x33, 0x51, 0x12, 0x34}));
}

TEST(ServiceChannel, AnswersFromOtherPortsAreDroppedAndTheDeadlineHolds) {
    ServicePortListener device("127.0.0.84");
    ServiceChannel channel;
    ASSERT_EQ(OpenServiceSocket(channel, device.address), 0u);
    const std::uint8_t request[] = {0x00, 0x00, 0x00, 0xA6};
    ASSERT_EQ(SendServiceDatagram(channel, request, sizeof request), 0u);
    std::uint8_t buffer[64];
    std::size_t length = 0;
    platform::Ipv4 from;
    std::uint16_t port = 0;
    ASSERT_EQ(device.socket.receive(buffer, sizeof buffer, 2000, length, from, port), platform::UdpSocket::ReceiveResult::Datagram);
    // A stranger on another port first, then the device.
    platform::UdpSocket stranger;
    ASSERT_TRUE(stranger.create());
    const std::uint8_t junk[] = {1, 2, 3};
    ASSERT_TRUE(stranger.sendTo(from, port, junk, sizeof junk));
    const std::uint8_t answer[] = {'L', 'U', 'M', 'O'};
    ASSERT_TRUE(device.socket.sendTo(from, port, answer, sizeof answer));
    std::string sender;
    EXPECT_EQ(ReceiveServiceDatagram(channel, buffer, sizeof buffer, length, sender, 2000), 0u);
    EXPECT_EQ(std::string(buffer, buffer + length), "LUMO");
    EXPECT_EQ(sender, "127.0.0.84");
    // Nothing more: length 0 and no error when the time is up.
    const std::int64_t before = platform::monotonicMs();
    EXPECT_EQ(ReceiveServiceDatagram(channel, buffer, sizeof buffer, length, sender, 300), 0u);
    EXPECT_EQ(length, 0u);
    EXPECT_GE(platform::monotonicMs() - before, 290);
    // A datagram longer than the buffer is a receive failure.
    const std::vector<std::uint8_t> longAnswer(40, 'x');
    ASSERT_TRUE(device.socket.sendTo(from, port, longAnswer.data(), longAnswer.size()));
    EXPECT_EQ(ReceiveServiceDatagram(channel, buffer, 30, length, sender, 2000), kServiceReceiveFailed);
    EXPECT_EQ(CloseServiceSocket(channel), 0u);
    EXPECT_EQ(MakeBroadcastAddress("192.168.1.20", false), "192.168.1.255");
    EXPECT_EQ(MakeBroadcastAddress("192.168.1.20", true), "192.168.255.255");
    EXPECT_EQ(MakeBroadcastAddress("", false), "255.255.255.255");
}

TEST(IpSetup, DatagramNamesTheDeviceByItsMacAndCarriesTheAddress) {
    const auto d = ipSetupDatagram(MacAddress{0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34}, "192.168.1.50");
    EXPECT_EQ(d, (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0xAC, 'I', 'P', '-', 'S', 'E', 'T', 'U', 'P', 0x00, 0x00, 0x12,
                                            0x34, 0xC0, 0xA8, 0x01, 0x32}));
    EXPECT_TRUE(ipSetupDatagram(MacAddress{}, "192.168.1").empty());
}

TEST(TcpSearchJunk, AFloodOnTheServicePortDoesNotStopTheSearch) {
    // A "device" on loopback that answers the request, then floods 5000 junk datagrams from port
    // 30718 (longer and shorter than an answer, some longer than an Ethernet frame): the search
    // goes on to its quiet end.
    platform::UdpSocket device;
    ASSERT_TRUE(device.create() && device.bind(platform::Ipv4{{127, 0, 0, 85}}, kServicePort));
    std::thread flood([&device] {
        std::uint8_t request[16];
        std::size_t length = 0;
        platform::Ipv4 from;
        std::uint16_t port = 0;
        if (device.receive(request, sizeof request, 3000, length, from, port) != platform::UdpSocket::ReceiveResult::Datagram) return;
        std::vector<std::uint8_t> answer(30, 0);
        answer[3] = 0xA7;
        answer[4] = 11;
        device.sendTo(from, port, answer.data(), answer.size());
        const std::vector<std::uint8_t> junk(4000, 0x5A);
        const std::size_t lengths[] = {100, 7, 29, 4000};
        for (int i = 0; i < 5000; ++i) device.sendTo(from, port, junk.data(), lengths[i % 4]);
    });
    std::vector<SearchRow> rows;
    const ErrorCode code = runTcpSearch("127.0.0.85", [&rows](const SearchRow& r) { rows.push_back(r); }, {}, 500);
    flood.join();
    EXPECT_EQ(code, 0u);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ip, "127.0.0.85");
}

using RemoteRestart = test::SimTest;

// Addresses no device can answer at, and a line without a network device, are refused before
// the MAC is asked for or anything is sent. (An address in use: the network namespace test.)
TEST_F(RemoteRestart, AddressesNoDeviceCanHaveAreRefusedBeforeAnythingIsSent) {
    startSim({});
    std::filesystem::create_directories(dir.path() / "line1");
    std::filesystem::create_directories(dir.path() / "line2");
    tcpLine.setMac({0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34});
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    int asked = 0;
    UiPort port = uiPort();
    port.enterMacAddress = [&asked](MacAddress&) { return ++asked, true; };
    installUiPort(port);
    const struct {
        int line;
        const char* address;
        const char* says;
    } cases[] = {
        {kTcpLine, "300.1.1.1", "\"300.1.1.1\" není adresa IPv4. "},
        {kTcpLine, "192.168.1.255", "nemůže patřit zařízení"},
        {kTcpLine, "192.168.1.0", "nemůže patřit zařízení"},
        {kTcpLine, "255.255.255.255", "nemůže patřit zařízení"},
        {kTcpLine, "224.0.0.1", "nemůže patřit zařízení"},
        {kTcpLine, "127.0.0.9", "nemůže patřit zařízení"},
        {kTcpLine, "0.1.2.3", "nemůže patřit zařízení"},
        {kSerialLine, "192.168.1.50", "Linka 1 nemá adresu IP zařízení. "},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        EXPECT_EQ(setDeviceAddress(c.line, c.address), 0) << c.address;
        const auto messages = ui.callsOf("message");
        ASSERT_EQ(messages.size(), 1u) << c.address;
        EXPECT_NE(messages[0].find(c.says), std::string::npos) << messages[0];
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(deviceAddressProblem("192.168.1.50"), "");
}

TEST_F(RemoteRestart, RefusalsSendNothingAndANetworkModuleRestarts) {
    startSim({"tcp 5 72", "tcp 6 4"}, {"--udp", "127.0.0.1"});
    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    for (const auto& [k, id, type] : {std::tuple{1, 5, 72}, std::tuple{2, 6, 4}}) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(static_cast<std::uint8_t>(type));
        ASSERT_TRUE(writeModuleRecord(kTcpLine, k, m));
    }
    EXPECT_EQ(remoteRestart(kTcpLine, 2), 0);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upozornění|Toto zařízení nelze vzdáleně restartovat. "});
    platform::pause(200);
    EXPECT_TRUE(wire().notes.empty() || wire().notes.back().find("udp") == std::string::npos);

    ui.calls.clear();
    EXPECT_EQ(remoteRestart(kTcpLine, 1), 1);
    std::string udp;
    for (const auto& n : wire().notes) {
        if (n.find("from 127.0.0.1") != std::string::npos) udp = n;
    }
    EXPECT_NE(udp.find(" 00 00 00 03 33 51 00 00"), std::string::npos) << udp;
    // 'A' on tunnel channel 5 (digits 06), then the check's CAL.
    const std::string sent = wire().received();
    EXPECT_NE(sent.find(std::string("INEX06A", 7)), std::string::npos) << test::visible(sent);
    EXPECT_NE(sent.find("&ML_05#CAL+"), std::string::npos);
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "status Příkaz odeslán....vyčkejte na restartování"), ui.calls.end());
}

}  // namespace
}  // namespace lumo
