// The device check against the simulator: status flags, verdicts, and what goes on the wire.
#include <gtest/gtest.h>

#include "actions/device_actions.h"
#include "actions/install_actions.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "base/app_state.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "platform/clock.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "model/installation.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

class DeviceCheckTest : public test::SimTest {
protected:
    void writeModule(int line, int k, int id, int type, std::uint8_t flagsByte = 0) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(static_cast<std::uint8_t>(type));
        m.setDescription("modul " + std::to_string(id));
        m.setFlags(flagsByte);
        ASSERT_TRUE(writeModuleRecord(line, k, m));
    }
    std::uint8_t moduleFlags(int line, int k) {
        ModuleRecord m;
        EXPECT_TRUE(readModuleRecord(line, k, m));
        return m.flags();
    }
    std::uint8_t lineFlags(int line) {
        LineRecord r;
        EXPECT_TRUE(readLineRecord(line, r));
        return r.flags();
    }
    void installLines() {
        std::filesystem::create_directories(dir.path() / "line1");
        std::filesystem::create_directories(dir.path() / "line2");
        ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
        ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    }
};

TEST_F(DeviceCheckTest, ModulesWorkingSilentAndOfAnotherType) {
    startSim({"serial 5 4", "serial 7 3 silent", "serial 9 3", "tcp 2 1"});
    installLines();
    writeModule(kSerialLine, 1, 5, 4, flags::kOtherType | flags::kNotResponding);
    writeModule(kSerialLine, 2, 7, 3);
    writeModule(kSerialLine, 3, 9, 4);  // the record says TQ300; a LOQ3 answers
    writeModule(kTcpLine, 1, 2, 1);
    const struct {
        int line, k;
        std::uint8_t flagsAfter;
        const char* verdict;
    } cases[] = {
        {kSerialLine, 1, 0x00, "Zařízení na adrese 05 pracuje správně"},
        {kSerialLine, 2, 0x01, "Zařízení na adrese 07 nebylo nalezeno !"},
        {kSerialLine, 3, 0x04, "Na adrese 09 bylo nalezeno zařízení jiného typu"},
        {kTcpLine, 1, 0x00, "Zařízení na adrese 02 pracuje správně"},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        EXPECT_EQ(DeviceCheck(c.line, c.k), 1);
        EXPECT_EQ(moduleFlags(c.line, c.k), c.flagsAfter) << c.verdict;
        EXPECT_EQ(ui.callsOf("status").back(), c.verdict);
        EXPECT_EQ(ui.callsOf("status").front().rfind("probíhá prověření na id = ", 0), 0u);
        EXPECT_EQ(ui.callsOf("refresh").size(), 1u);
    }
    // The record is corrected: the next check finds the right type and clears bit 2.
    ModuleRecord m;
    ASSERT_TRUE(readModuleRecord(kSerialLine, 3, m));
    m.setType(3);
    ASSERT_TRUE(writeModuleRecord(kSerialLine, 3, m));
    EXPECT_EQ(DeviceCheck(kSerialLine, 3), 1);
    EXPECT_EQ(moduleFlags(kSerialLine, 3), 0x00);
    // Nothing is reported as an error: communication failures are status bits.
    EXPECT_EQ(pendingError(), 0u);
    EXPECT_TRUE(ui.callsOf("message").empty());
}

// A TCP peer that answers a request with the given bytes, then holds the connection or closes.
class HostilePeer {
public:
    // Serves `connections` connections one after the other.
    HostilePeer(std::string answer, bool closeAfter, int connections)
        : answer_(std::move(answer)), close_(closeAfter) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
        ::listen(listener_, 4);
        socklen_t len = sizeof sin;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&sin), &len);
        port_ = ntohs(sin.sin_port);
        thread_ = std::thread([this, connections] {
            for (int n = 0; n < connections; ++n) {
                const int c = ::accept(listener_, nullptr, nullptr);
                if (c < 0) return;
                char request[64];
                ::recv(c, request, sizeof request, 0);  // the selection
                platform::pause(60);
                ::send(c, answer_.data(), answer_.size(), MSG_NOSIGNAL);
                if (!close_) {
                    while (::recv(c, request, sizeof request, 0) > 0) {
                    }
                }
                ::close(c);
            }
        });
    }
    ~HostilePeer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    int port() const { return port_; }

private:
    std::string answer_;
    bool close_;
    int listener_ = -1, port_ = 0;
    std::thread thread_;
};

// A failed exchange never reads as a working device, whatever came before the failure; an
// answer with a wrong checksum is a data error, and the module is marked as not answering.
TEST_F(DeviceCheckTest, FailedExchangeIsNoWorkingDevice) {
    startSim({"serial 5 4 badcrc"});
    installLines();
    writeModule(kSerialLine, 1, 5, 4, flags::kOtherType);
    ui.calls.clear();
    EXPECT_EQ(DeviceCheck(kSerialLine, 1), 0);
    EXPECT_EQ(pendingError(), 0x05FF0001u);
    EXPECT_EQ(moduleFlags(kSerialLine, 1), flags::kOtherType | flags::kNotResponding);  // no green icon
    EXPECT_EQ(ui.callsOf("status").back(), "Datová chyba při komunikaci se zařízením na adrese 05 !");
    clearError();
    ui.calls.clear();
    EXPECT_EQ(checkItem(kSerialLine, 1), -1);
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"CHYBA !|Datová chyba při komunikaci \n Err.code: 05ff0001:00000000"}));

    // A TCP peer whose answer never ends, and one that sends '*' and closes: the text before
    // the failure names the right type, yet the module was not found.
    const std::string text = "0123456" "01" "9ABCDEFGHIJ";
    for (const auto& [answer, closeAfter] : {std::pair{text, false}, std::pair{text + "*", true}}) {
        HostilePeer peer(answer, closeAfter, closeAfter ? 2 : 1);
        tcpLine.setTcpPort(peer.port());
        ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
        LineConfigure(kTcpLine, tcpLine);
        writeModule(kTcpLine, 1, 2, 1);
        ui.calls.clear();
        if (closeAfter) {  // (the other one waits out its 10 s; once is enough)
            std::array<std::uint8_t, 64> raw{};
            std::string withError;
            EXPECT_EQ(DeviceTransaction(sub::kNone, "CAL", kTcpLine, 2, "", kModeSelectRelease, raw, &withError), kReceiveFailed);
            EXPECT_EQ(raw[0], 0);  // nothing of what came is left as an answer
            EXPECT_EQ(withError, answer);
        }
        EXPECT_EQ(DeviceCheck(kTcpLine, 1), 1);
        EXPECT_EQ(moduleFlags(kTcpLine, 1), flags::kNotResponding) << closeAfter;
        EXPECT_EQ(ui.callsOf("status").back(), "Zařízení na adrese 02 nebylo nalezeno !");
    }
}

TEST_F(DeviceCheckTest, LinesOpenedOrNotAndSwitchedOffItemsNeverContacted) {
    startSim({"serial 5 4"});
    installLines();
    // A good open clears bits 0-5.
    serialLine.setFlags(flags::kUnreachable | flags::kNotResponding);
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    EXPECT_EQ(DeviceCheck(kSerialLine, 0), 1);
    EXPECT_EQ(lineFlags(kSerialLine), 0x00);
    EXPECT_EQ(ui.callsOf("status").back(), "Zásuvka pro linku 1 pracuje správně");

    // A line that cannot be opened gets bit 5 and keeps its earlier bits.
    tcpLine.setTcpPort(1);
    tcpLine.setFlags(flags::kNotResponding);
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    EXPECT_EQ(DeviceCheck(kTcpLine, 0), 1);
    EXPECT_EQ(lineFlags(kTcpLine), 0x21);
    EXPECT_EQ(ui.callsOf("status").back(), "Zásuvka pro linku 2 není dostupná !");

    // A USB converter on a direction-controlled port must echo the release; without the echo
    // it does not communicate.
    serialLine.setHeadType(12);
    serialLine.setDirectionControl(1);
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(DeviceCheck(kSerialLine, 0), 1);
    EXPECT_EQ(lineFlags(kSerialLine), 0x01);
    EXPECT_EQ(ui.callsOf("status").back(), "Zařízení pro linku 1 nekomunikuje");
    EXPECT_EQ(wire().received(), "&MLEND");

    // Switched off: never contacted, nothing changes.
    writeModule(kSerialLine, 1, 5, 4, flags::kModuleOff);
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(DeviceCheck(kSerialLine, 1), 1);
    EXPECT_EQ(moduleFlags(kSerialLine, 1), flags::kModuleOff);
    serialLine.setFlags(flags::kLineOff);
    serialLine.setHeadType(0);
    serialLine.setDirectionControl(0);
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    writeModule(kSerialLine, 1, 5, 4);
    ui.calls.clear();
    EXPECT_EQ(DeviceCheck(kSerialLine, 1), 1);
    EXPECT_EQ(moduleFlags(kSerialLine, 1), 0);
    EXPECT_EQ(ui.callsOf("message").size(), 1u);  // "Nelze provést": the line is switched off
    EXPECT_EQ(wire().received(), "");

    // Switching the module off and on: on again runs the check.
    serialLine.setFlags(0);
    ASSERT_TRUE(writeLineRecord(kSerialLine, serialLine));
    LineConfigure(kSerialLine, serialLine);  // the port follows a changed record
    ASSERT_EQ(toggleItem(kSerialLine, 1), 1);
    EXPECT_EQ(wire().received(), "");
    ASSERT_EQ(toggleItem(kSerialLine, 1), 1);
    EXPECT_EQ(wire().received(), "&ML_05#CAL+&MLEND");
}

TEST_F(DeviceCheckTest, ReaderLineDeliversAnIdentifier) {
    startSim({}, {"--reader", "0123456789ABCDEF01"});
    serialLine.setHeadType(13);
    serialLine.setFlags(flags::kNotResponding);  // an identifier read clears the whole byte
    installLines();
    EXPECT_EQ(DeviceCheck(kSerialLine, 0), 1);
    EXPECT_EQ(lineFlags(kSerialLine), 0x00);
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Načteno|0123456789ABCDEF01\r\n"}));
    EXPECT_EQ(ui.callsOf("status").back(), "Zásuvka pro linku 1 pracuje správně");
}

TEST_F(DeviceCheckTest, UnreadableRecordsFailTheCheck) {
    startSim({});
    installLines();
    EXPECT_EQ(DeviceCheck(5, 0), 1);  // no record: the enabled check refuses silently
    std::filesystem::remove(linePath(1, "terminal.dat"));
    std::filesystem::create_directory(linePath(1, "terminal.dat"));  // a folder, not a file
    EXPECT_EQ(DeviceCheck(kSerialLine, 1), 0);
    EXPECT_EQ(pendingError(), 0x01020c05u);
    EXPECT_EQ(ui.callsOf("status").back(), "Zařízení nebylo možné zkontrolovat !");
}

}  // namespace
}  // namespace lumo
