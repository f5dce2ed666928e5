// Module initialisation against the simulator: each write method, the register kept with it,
// numbers already issued, failures that write nothing, and two initialisations at once.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <atomic>
#include <thread>

#include "actions/device_actions.h"
#include "actions/init_actions.h"
#include "base/app_state.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "serial/serial_number.h"
#include "discovery/usb_search.h"
#include "comm/line_port.h"
#include "platform/pseudo_terminal.h"
#include "platform/usb_bridges.h"
#include "service/initialisation.h"
#include "service/service_text.h"
#include "support/ctl_runner.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

TEST(InitMessages, AsciiMethodAndMethodsByType) {
    EXPECT_EQ(asciiInitMessage(kInitWrite, "12"), closedMessage("WSM|N|3132|"));
    EXPECT_EQ(asciiInitMessage(kInitReset, ""), closedMessage("RST|0|"));
    const struct {
        DeviceTypeCode type;
        InitMethod method;
    } cases[] = {{3, InitMethod::Loq3},       {17, InitMethod::SerialNumber}, {72, InitMethod::SerialNumber},
                 {10, InitMethod::Tunnel},    {48, InitMethod::Tunnel},       {12, InitMethod::UsbBridge},
                 {16, InitMethod::UsbBridge}, {4, InitMethod::Ascii},         {8, InitMethod::Ascii}};
    for (const auto& c : cases) EXPECT_EQ(initMethodOf(c.type), c.method) << int(c.type);
}

class Initialisation : public test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        std::filesystem::create_directories(dir.path() / "reg");
        std::ofstream(dir.str() + "/sn.dat") << dir.str() + "/reg";
        std::ofstream(dir.str() + "/reg/sernum.txt");
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string registerText() const { return read(dir.str() + "/reg/sernum.txt"); }
    bool noted(const std::string& text) {
        for (const auto& n : wire().notes) {
            if (n.find(text) != std::string::npos) return true;
        }
        return false;
    }
    InitChoice choice(DeviceTypeCode type, int sequence = 0) {
        InitChoice c;
        c.day = 15;
        c.month = 3;
        c.year = 2026;
        c.typeCode = type;
        c.sequence = sequence;
        c.note = "dílna";
        c.medium = 2;
        return c;
    }
};

TEST_F(Initialisation, EachMethodWritesTheNumberAndTheRegisterKeepsIt) {
    const struct {
        std::string module;
        int id, type;
    } cases[] = {{"serial 5 3", 5, 3}, {"serial 6 17", 6, 17}, {"serial 7 10 service", 7, 10}, {"serial 8 4 service", 8, 4}};
    int sequence = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        startSim({c.module});
        installSerialLine();
        addSerialModule(1, c.id, c.type);
        InitChoice ch = choice(static_cast<DeviceTypeCode>(c.type));
        std::string serial;
        ASSERT_EQ(initialiseModuleAction(kSerialLine, 1, ch, serial), 1);
        ++sequence;
        EXPECT_EQ(serial, SerialEncode(sequence, c.type, packDate(15, 3, 26)));
        EXPECT_TRUE(noted("module " + std::to_string(c.id) + " serial number " + serial)) << serial;
        EXPECT_NE(registerText().find(serial + ";d\xEDlna;2\r\n"), std::string::npos) << registerText();
        ModuleRecord m;
        ASSERT_TRUE(readModuleRecord(kSerialLine, 1, m));
        if (c.type == 10) {
            // A tunnel device takes 00-4F-49-0D and its sequence as its MAC address.
            EXPECT_EQ(m.mac(), (MacAddress{0x00, 0x4F, 0x49, 0x0D, 0x00, static_cast<std::uint8_t>(sequence)}));
        }
        commandFile().clear();
        ASSERT_EQ(loadCommandFile(), 0);
        EXPECT_EQ(commandFile().note(static_cast<DeviceTypeCode>(c.type)), "dílna");
        EXPECT_EQ(commandFile().idMedium(static_cast<DeviceTypeCode>(c.type)), 2);
    }
    EXPECT_TRUE(noted("module 8 reset"));  // the ASCII method's reset at the end
}

// The remembered note holds 49 code page 1250 characters: a longer one is cut on a character,
// whatever its UTF-8 length.
TEST_F(Initialisation, TheRememberedNoteIsCutOnACharacter) {
    startSim({"serial 5 3"});
    installSerialLine();
    addSerialModule(1, 5, 3);
    InitChoice c = choice(3);
    c.note.clear();
    for (int i = 0; i < 60; ++i) c.note += "č";
    std::string serial;
    ASSERT_EQ(initialiseModuleAction(kSerialLine, 1, c, serial), 1);
    commandFile().clear();
    ASSERT_EQ(loadCommandFile(), 0);
    std::string expected;
    for (int i = 0; i < 49; ++i) expected += "č";
    EXPECT_EQ(commandFile().note(3), expected);
}

TEST_F(Initialisation, IssuedNumbersRefusedUnlessPickedAndFailuresWriteNothing) {
    startSim({"serial 5 3", "serial 7 10 silent service"});
    installSerialLine();
    addSerialModule(1, 5, 3);
    addSerialModule(2, 7, 10);
    InitChoice first = choice(3);
    std::string serial;
    ASSERT_EQ(initialiseModuleAction(kSerialLine, 1, first, serial), 1);
    InitChoice again = choice(3, 1);
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, again, serial), 0);
    EXPECT_EQ(ui.callsOf("message").back(), "Inicializace|Zadané číslo " + serial + " již existuje !");
    again.reissueSequence = 1;  // picked from the register: written again, not appended again
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, again, serial), 1);
    EXPECT_EQ(registerText(), serial + ";d\xEDlna;2\r\n");  // the note in code page 1250

    // A device that does not acknowledge: the register, the record and "cmd.dat" stay.
    const std::string registerBefore = registerText(), recordBefore = read(linePath(1, "terminal.dat"));
    const std::string commandBefore = read(dir.str() + "/cmd.dat");
    InitChoice tunnel = choice(10);
    // The tunnel method's messages name no module, and the LOQ3 shares the line: asked first,
    // No sends nothing.
    std::filesystem::resize_file(logPath(), 0);
    ui.calls.clear();
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 2, tunnel, serial), 0);
    ASSERT_EQ(ui.callsOf("ask").size(), 1u);
    EXPECT_NE(ui.callsOf("ask")[0].find("jsou zapsány i jiné moduly"), std::string::npos);
    EXPECT_EQ(wire().received(), "");
    ui.calls.clear();
    ui.answers.push_back(true);
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 2, tunnel, serial), -1);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"inicializace|Chyba při zápisu do flash ! "});
    EXPECT_EQ(registerText(), registerBefore);
    EXPECT_EQ(read(linePath(1, "terminal.dat")), recordBefore);
    EXPECT_EQ(read(dir.str() + "/cmd.dat"), commandBefore);
    // A date the calendar has not, and a note the register would refuse: refused before the
    // device gets a number.
    std::filesystem::resize_file(logPath(), 0);
    InitChoice february = choice(3);
    february.day = 31;
    february.month = 2;
    ui.calls.clear();
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, february, serial), 0);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Inicializace|Datum 31.02.2026 neexistuje ! "});
    EXPECT_EQ(wire().received(), "");
    std::filesystem::resize_file(logPath(), 0);
    InitChoice semicolon = choice(3);
    semicolon.note = "sklad;2";
    semicolon.clearMemory = true;  // the clear's messages name no module: asked first, Yes
    ui.calls.clear();
    ui.answers.push_back(true);
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, semicolon, serial), 0);
    EXPECT_EQ(ui.callsOf("ask").size(), 1u);
    EXPECT_EQ(ui.callsOf("message"),
              std::vector<std::string>{"Upozornění|Poznámka nesmí obsahovat znak ';' ani konec řádku. "});
    EXPECT_EQ(wire().received(), "");
    EXPECT_EQ(registerText(), registerBefore);
    EXPECT_EQ(read(dir.str() + "/cmd.dat"), commandBefore);
    // Reset master on a LOQ3: nothing to send, success. On the tunnel module, whose reset names
    // no module either, the same question first; No sends nothing.
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(resetMaster(kSerialLine, 1), 1);
    ui.calls.clear();
    EXPECT_EQ(resetMaster(kSerialLine, 2), 0);
    EXPECT_EQ(ui.callsOf("ask").size(), 1u);
    EXPECT_EQ(wire().received(), "");
    // Without "sn.dat" the register cannot be found: said so, nothing sent.
    std::filesystem::remove(dir.path() / "sn.dat");
    ui.calls.clear();
    InitChoice unregistered = choice(3);
    EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, unregistered, serial), -1);
    ASSERT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_EQ(ui.callsOf("message")[0].rfind("Upozornění|Seznam vydaných výrobních čísel nelze otevřít", 0), 0u)
        << ui.callsOf("message")[0];
    EXPECT_EQ(wire().received(), "");
}

// The tunnel's acknowledgement of the number is 12 bytes starting with 'K'. A device on the
// serial line that refuses ("NO") or whose acknowledgement is cut off has not taken the number:
// failed, nothing registered or stored.
TEST_F(Initialisation, TunnelWriteSucceedsOnlyWithTheWholeAcknowledgement) {
    for (const std::string answer : {"NO", "KO4415"}) {
        SCOPED_TRACE(answer);
        // The device: once the 12 digits have come behind the tunnel header (its channel digits
        // "07" and the data: a run of 14 digits), it answers and falls silent.
        platform::PseudoTerminal device;
        ASSERT_TRUE(device.open());
        std::ofstream(dir.str() + "/comports.cfg") << "COM3=" << device.slavePath() << "\n";
        std::atomic<bool> stop{false};
        std::thread peer([&] {
            int digits = 0;
            bool answered = false;
            while (!stop) {
                std::uint8_t byte = 0;
                if (device.readByte(byte, 50) != platform::PseudoTerminal::ReadResult::Byte || answered) continue;
                digits = byte >= '0' && byte <= '9' ? digits + 1 : 0;
                if (digits < 14) continue;
                device.write(reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size());
                answered = true;
            }
        });
        serialLine = {};
        serialLine.setLineNumber(1);
        serialLine.setPort(3);
        serialLine.setSpeed(1);
        LineConfigure(kSerialLine, serialLine);
        installSerialLine();
        addSerialModule(1, 7, 10);
        const std::string recordBefore = read(linePath(1, "terminal.dat"));
        ui.calls.clear();
        InitChoice c = choice(10);
        std::string serial;
        EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, c, serial), -1);
        stop = true;
        peer.join();
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"inicializace|Chyba při zápisu do flash ! "});
        EXPECT_EQ(registerText(), "");
        EXPECT_EQ(read(linePath(1, "terminal.dat")), recordBefore);
    }
}

// A register that cannot be opened for appending or read whole could not keep the number: the
// initialisation is refused before the device is written, the number given or not.
TEST_F(Initialisation, RegisterThatCannotKeepTheNumberRefusesBeforeTheDevice) {
    startSim({"serial 5 3"});
    installSerialLine();
    addSerialModule(1, 5, 3);
    const auto registerFile = dir.path() / "reg" / "sernum.txt";
    const struct {
        const char* what;
        std::function<void()> make;
    } registers[] = {
        {"sn.dat names a folder without the register", [&] { std::filesystem::remove(registerFile); }},
        {"the register is a folder", [&] { std::filesystem::create_directory(registerFile); }},
        {"a damaged register: a line longer than any register line",
         [&] { std::ofstream(registerFile, std::ios::binary) << "441560030001;" << std::string(3000, 'x') << ";0\r\n"; }},
    };
    for (const auto& r : registers) {
        SCOPED_TRACE(r.what);
        std::filesystem::remove_all(registerFile);
        r.make();
        std::filesystem::resize_file(logPath(), 0);
        ui.calls.clear();
        InitChoice c = choice(3, 5);
        std::string serial;
        EXPECT_EQ(initialiseModuleAction(kSerialLine, 1, c, serial), -1);
        EXPECT_EQ(ui.callsOf("message").size(), 1u);
        EXPECT_EQ(wire().received(), "");
    }
}

TEST_F(Initialisation, TwoInitialisationsAtOnceNeverIssueOneNumber) {
    startSim({"tcp 5 3", "tcp 6 3"});
    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    for (const auto& [k, id] : {std::pair{1, 5}, std::pair{2, 6}}) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(3);
        ASSERT_TRUE(writeModuleRecord(kTcpLine, k, m));
    }
    programConfig().setDataDirectory(dir.dir());
    ASSERT_EQ(saveConfig(), 0);
    test::CtlResult results[2];
    std::thread a([&] { results[0] = test::runCtlArgs(dir.str(), {"init", "2/1", "--date", "15.03.2026"}); });
    std::thread b([&] { results[1] = test::runCtlArgs(dir.str(), {"init", "2/2", "--date", "15.03.2026"}); });
    a.join();
    b.join();
    ASSERT_EQ(results[0].status, 0) << results[0].err;
    ASSERT_EQ(results[1].status, 0) << results[1].err;
    EXPECT_NE(results[0].out, results[1].out);
    const std::string text = registerText();
    EXPECT_NE(text.find(results[0].out.substr(0, 12)), std::string::npos);
    EXPECT_NE(text.find(results[1].out.substr(0, 12)), std::string::npos);
}

// The USB library's side, standing in for the bridges of the test's tree: which bridge was
// opened and what was written to it. A handle does not outlive the device's reset; the device
// then comes back (`comesBack` changes the tree as the system would show it).
struct RecordedBridge : platform::UsbBridgeAccess {
    std::vector<std::string>& calls;
    std::function<void()> comesBack;
    int openStatus = 0;
    std::string product, serial;  // as the bridge holds them
    bool lies = false;            // reads back something else
    enum class Handle { None, Open, Stale } handle = Handle::None;
    explicit RecordedBridge(std::vector<std::string>& c) : calls(c) {}
    int open(const platform::UsbBridge& b) override {
        calls.push_back("open " + b.instanceName + " " + std::to_string(b.busNumber) + ":" + std::to_string(b.deviceAddress));
        if (openStatus == 0) handle = Handle::Open;
        return openStatus;
    }
    int setProductString(const std::string& t) override {
        calls.push_back("control 40 ff 3703 " + t);
        product = t;
        return handle == Handle::Open ? 0 : -4;
    }
    int setSerialNumber(const std::string& t) override {
        calls.push_back("control 40 ff 3704 " + t);
        serial = t;
        return handle == Handle::Open ? 0 : -4;
    }
    int reset() override {
        calls.push_back("reset");
        if (handle == Handle::Open) handle = Handle::Stale;
        if (comesBack) comesBack();
        return 0;
    }
    int readStrings(const platform::UsbBridge& b, std::string& p, std::string& s) override {
        if (handle == Handle::None) {
            if (const int st = open(b); st != 0) return st;
        }
        if (handle == Handle::Stale) return -4;  // the library's "no device"
        p = product;
        s = lies ? "000000000000" : serial;
        return 0;
    }
    void close() override { handle = Handle::None; }
};

TEST_F(Initialisation, UsbBridgeBehindTheLinesPortIsWrittenAndFoundAgainAtItsUsbPort) {
    // Two bridges on the ports 1-1 and 1-2; the line's COM4 is the second one's ttyUSB1. After the
    // reset the bridge is back on its port with a new address; where the system names a device
    // by its serial number (as Windows' instance ids end with it), also under a new name.
    const std::string oldSerial = "441560120001";
    const auto windowsName = [](const std::string& serial) { return "USB\\VID_10C4&PID_EA60\\" + serial; };
    const struct {
        const char* naming;
        bool bySerial;
    } namings[] = {{"by port", false}, {"by serial number", true}};
    std::filesystem::create_directories(dir.path() / "line1");
    std::filesystem::create_directories(dir.path() / "line2");
    for (const auto& [index, port] : {std::pair{0, 4}, std::pair{1, 5}}) {
        LineRecord line;
        line.setLineNumber(static_cast<std::uint8_t>(index + 1));
        line.setHeadType(12);
        line.setPort(static_cast<std::uint8_t>(port));
        ASSERT_TRUE(writeLineRecord(index, line));
    }
    std::ofstream(dir.str() + "/comports.cfg") << "COM4=/dev/ttyUSB1\n";
    std::vector<std::string> calls;
    int openStatus = 0;
    bool lies = false;
    std::function<void()> comesBack;
    platform::setUsbBridgeAccessFactory([&] {
        auto b = std::make_unique<RecordedBridge>(calls);
        b->openStatus = openStatus;
        b->lies = lies;
        b->comesBack = comesBack;
        return b;
    });
    std::string serial;
    for (const auto& n : namings) {
        SCOPED_TRACE(n.naming);
        const auto sys = dir.path() / (std::string("sys-") + (n.bySerial ? "windows" : "linux"));
        // The device's folder: its port, or the instance id that ends with its serial number.
        const auto nameOf = [&](const char* port, const std::string& number) { return n.bySerial ? windowsName(number) : std::string(port); };
        for (const auto& [port, number, tty, address] :
             {std::tuple{"1-1", "441560130005", "ttyUSB0", "5"}, std::tuple{"1-2", oldSerial.c_str(), "ttyUSB1", "9"}}) {
            const auto device = sys / nameOf(port, number);
            std::filesystem::create_directories(device);
            std::ofstream(device / "idVendor") << "10c4\n";
            std::ofstream(device / "idProduct") << "ea60\n";
            std::ofstream(device / "serial") << number << "\n";
            std::ofstream(device / "busnum") << "1\n";
            std::ofstream(device / "devpath") << std::string(port).substr(2) << "\n";
            std::ofstream(device / "devnum") << address << "\n";
            std::filesystem::create_directories(sys / (nameOf(port, number) + ":1.0") / tty);
        }
        usbDevicesRoot() = sys.string();
        comesBack = [&] {
            const auto device = sys / nameOf("1-2", oldSerial);
            std::ofstream(device / "devnum") << "10\n";
            std::ofstream(device / "serial") << serial << "\n";
            if (!n.bySerial) return;
            std::filesystem::rename(device, sys / nameOf("1-2", serial));
            std::filesystem::rename(sys / (nameOf("1-2", oldSerial) + ":1.0"), sys / (nameOf("1-2", serial) + ":1.0"));
        };
        calls.clear();
        InitChoice c = choice(12);
        EXPECT_EQ(initialiseModuleAction(0, 0, c, serial), 1) << (ui.callsOf("message").empty() ? "" : ui.callsOf("message").back());
        EXPECT_EQ(calls, (std::vector<std::string>{"open " + nameOf("1-2", oldSerial) + " 1:9",
                                                   "control 40 ff 3703 " + usbProductString(12),
                                                   "control 40 ff 3704 " + serial, "reset",
                                                   "open " + nameOf("1-2", serial) + " 1:10"}));
        EXPECT_NE(registerText().find(serial), std::string::npos);
    }

    // Failures: the line's bridge cannot be told (COM5 names none), access denied, a bridge that
    // reads back something else. Each says why and writes nothing to the register.
    comesBack = nullptr;
    usbDevicesRoot() = (dir.path() / "sys-linux").string();
    const std::string registerBefore = registerText();
    const struct {
        int line, openStatus;
        bool lies;
        const char* says;
    } failures[] = {
        {1, 0, false, "Převodník linky nelze určit: port COM5 (/dev/ttyS4) nepatří žádnému připojenému převodníku"},
        {0, platform::kUsbAccessDenied, false, "nainstalujte pravidlo udev 60-lumo-cp210x.rules"},
        {0, platform::kUsbNotBuilt, false, "Knihovna libusb-1.0 není k dispozici"},
        {0, 0, true, "Převodník po zápisu hlásí"},
    };
    for (const auto& f : failures) {
        openStatus = f.openStatus;
        lies = f.lies;
        ui.calls.clear();
        InitChoice again = choice(12);
        EXPECT_EQ(initialiseModuleAction(f.line, 0, again, serial), -1) << f.says;
        ASSERT_EQ(ui.callsOf("message").size(), 1u) << f.says;
        EXPECT_NE(ui.callsOf("message")[0].find(f.says), std::string::npos) << ui.callsOf("message")[0];
        EXPECT_EQ(registerText(), registerBefore);
    }
    platform::setUsbBridgeAccessFactory({});
    usbDevicesRoot() = platform::kUsbDevicesRoot;
}

}  // namespace
}  // namespace lumo
