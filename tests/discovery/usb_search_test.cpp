// The USB search and the driver cleanup on sysfs trees built by the test: the bridges listed in
// the list's order with their types and COM numbers, saved as lines, and the comports.cfg
// entries of bridges that are gone removed.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "actions/usb_actions.h"
#include "discovery/tcp_search.h"
#include "base/app_state.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "support/full_disk.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

class UsbSearch : public test::InstallationTest {
protected:
    std::string root() const { return dir.str() + "/sys"; }
    // A device folder as sysfs has it, and its interface with the tty beside it.
    void bridge(const std::string& name, const std::string& vendor, const std::string& product, const std::string& serial,
                const std::string& tty, bool ttyInTtyFolder = false) {
        const auto device = std::filesystem::path(root()) / name;
        std::filesystem::create_directories(device);
        std::ofstream(device / "idVendor") << vendor << "\n";
        std::ofstream(device / "idProduct") << product << "\n";
        if (!serial.empty()) std::ofstream(device / "serial") << serial << "\n";
        const auto interface = std::filesystem::path(root()) / (name + ":1.0");
        std::filesystem::create_directories(ttyInTtyFolder ? interface / "tty" : interface);
        if (!tty.empty()) std::filesystem::create_directories((ttyInTtyFolder ? interface / "tty" : interface) / tty);
    }
    std::map<int, std::string> ports() {
        ComportsFile file;
        EXPECT_TRUE(loadComports(dir.str(), file));
        return file.ports;
    }
};

TEST_F(UsbSearch, BridgesListedLastFirstWithTypeAndCom) {
    bridge("1-1", "10c4", "ea60", "441560130007", "ttyUSB0");
    bridge("1-2", "10c4", "ea60", "441560000012345", "ttyUSB1", true);  // "00": the converter; cut to 12
    bridge("1-3", "0403", "6001", "FTDI0001", "ttyUSB2");                // another maker's bridge
    bridge("2-1", "10c4", "ea60", "", "");                                // no serial number, no tty
    std::filesystem::create_directories(std::filesystem::path(root()) / "usb1");
    std::ofstream(dir.str() + "/comports.cfg") << "COM3=/dev/pts/4\nCOM5=/dev/ttyUSB1\n";
    const auto rows = usbSearchRows(root());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].serial, "");
    EXPECT_EQ(rows[0].type, 12);
    EXPECT_EQ(rows[0].device, "");
    EXPECT_EQ(rows[1].serial, "441560000012");
    EXPECT_EQ(usbTypeText(rows[1]), "12-(WO485)");
    EXPECT_EQ(rows[1].com, "COM5");
    EXPECT_EQ(rows[1].device, "/dev/ttyUSB1");
    EXPECT_EQ(rows[2].serial, "441560130007");
    EXPECT_EQ(usbTypeText(rows[2]), "13-(DV3x)");
    EXPECT_EQ(usbVidPidText(rows[2]), "10C4/EA60");
    EXPECT_EQ(rows[2].com, "");  // no entry yet
    EXPECT_TRUE(usbSearchRows(dir.str() + "/no such tree").empty());
}

TEST_F(UsbSearch, ASearchThatFindsNothingSaysSo) {
    const std::string none = "Vyhledání USB zařízení|Nebylo nalezeno žádné USB zařízení (převodník 10C4/EA60). \n"
                             "Zkontrolujte připojení zařízení. ";
    const struct {
        const char* what;
        std::function<void()> plug;
        std::size_t rows;
        std::vector<std::string> messages;
    } cases[] = {
        {"no USB tree", [] {}, 0, {none}},
        {"another maker's bridge", [this] { bridge("1-3", "0403", "6001", "FTDI0001", "ttyUSB2"); }, 0, {none}},
        {"a bridge", [this] { bridge("1-1", "10c4", "ea60", "441560130007", "ttyUSB0"); }, 1, {}},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        c.plug();
        EXPECT_EQ(searchUsbDevices(root()).size(), c.rows) << c.what;
        EXPECT_EQ(ui.callsOf("message"), c.messages) << c.what;
    }
}

TEST_F(UsbSearch, SavingMakesLinesBottomRowFirstAndGivesFreeComNumbers) {
    bridge("1-1", "10c4", "ea60", "441560160001", "ttyUSB0");
    bridge("1-2", "10c4", "ea60", "441560000002", "ttyUSB1");
    bridge("1-3", "10c4", "ea60", "441560040003", "ttyUSB2");  // a TQ300: no USB line
    std::ofstream(dir.str() + "/comports.cfg") << "# kept\nCOM1=/dev/ttyS0\nCOM2=/dev/ttyUSB1\n";
    const auto rows = usbSearchRows(root());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(saveUsbRows(rows), 2);
    // The bottom row (the first bridge) first: line 1 a USB reader on the next free COM (3).
    LineRecord line;
    ASSERT_TRUE(readLineRecord(0, line));
    EXPECT_EQ(line.headType(), 16);
    EXPECT_EQ(line.port(), 3);
    ASSERT_TRUE(readLineRecord(1, line));
    EXPECT_EQ(line.headType(), 12);
    EXPECT_EQ(line.port(), 2);
    EXPECT_FALSE(readLineRecord(2, line) && line.exists());
    EXPECT_EQ(ports(), (std::map<int, std::string>{{1, "/dev/ttyS0"}, {2, "/dev/ttyUSB1"}, {3, "/dev/ttyUSB0"}}));
    std::ifstream in(dir.str() + "/comports.cfg");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "# kept");
    ASSERT_FALSE(ui.callsOf("message").empty());
    EXPECT_NE(ui.callsOf("message").back().find("441560040003"), std::string::npos);  // said, not saved
}

TEST_F(UsbSearch, CleanupRemovesTheEntriesOfBridgesThatAreGone) {
    bridge("1-1", "10c4", "ea60", "441560120001", "ttyUSB0");
    std::ofstream(dir.str() + "/comports.cfg") << "COM1=/dev/ttyUSB0\nCOM2=/dev/ttyUSB7\nCOM3=/dev/pts/2\n";
    std::vector<std::string> removed;
    EXPECT_EQ(cleanUsbDrivers(removed, root()), 0u);
    EXPECT_EQ(removed, std::vector<std::string>{"COM2=/dev/ttyUSB7"});
    EXPECT_EQ(ports(), (std::map<int, std::string>{{1, "/dev/ttyUSB0"}, {3, "/dev/pts/2"}}));
}

// A cleanup whose write fails (a full disk) removed nothing and does not say it did: the file
// stays as it was.
TEST_F(UsbSearch, CleanupThatCannotWriteRemovesNothing) {
    std::ofstream(dir.str() + "/comports.cfg") << "COM1=/dev/pts/2\nCOM5=/dev/ttyUSB7\n";
    const auto before = test::readFileBytes(dir.path() / "comports.cfg");
    std::vector<std::string> removed;
    ErrorCode code = 0;
    {
        test::FullDisk full(10);
        code = cleanUsbDrivers(removed, root());
    }
    EXPECT_EQ(code >> 16, 0x3008u);
    EXPECT_TRUE(removed.empty());
    EXPECT_EQ(test::readFileBytes(dir.path() / "comports.cfg"), before);
}

// A serial line without an entry opens the port of its number: a new bridge never gets that
// number, and the cleanup keeps the entry of a line whose bridge is unplugged.
TEST_F(UsbSearch, TheNumbersOfExistingLinesAreLeftAlone) {
    LineRecord serialLine, unplugged;
    serialLine.setHeadType(head::kGeneral);
    serialLine.setPort(1);
    unplugged.setHeadType(head::kUsbConverter);
    unplugged.setPort(2);
    ASSERT_EQ(createLine(serialLine), 1);
    ASSERT_EQ(createLine(unplugged), 2);
    std::ofstream(dir.str() + "/comports.cfg") << "COM2=/dev/ttyUSB4\nCOM5=/dev/ttyUSB5\n";
    bridge("1-1", "10c4", "ea60", "441560120001", "ttyUSB0");
    EXPECT_EQ(saveUsbRows(usbSearchRows(root())), 1);
    LineRecord line;
    ASSERT_TRUE(readLineRecord(2, line));
    EXPECT_EQ(line.port(), 3);
    std::vector<std::string> removed;
    EXPECT_EQ(cleanUsbDrivers(removed, root()), 0u);
    EXPECT_EQ(removed, std::vector<std::string>{"COM5=/dev/ttyUSB5"});
    EXPECT_EQ(ports(), (std::map<int, std::string>{{2, "/dev/ttyUSB4"}, {3, "/dev/ttyUSB0"}}));
}

TEST(TcpSearchAnswers, OnlyWholeAnswersWithTheSignature) {
    std::vector<std::uint8_t> a(30, 0);
    a[3] = 0xA7;
    a[4] = 11;
    const std::string serial = "441560110001";
    std::copy(serial.begin(), serial.end(), a.begin() + 10);
    for (int i = 0; i < 6; ++i) a[24 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    const auto row = parseSearchAnswer(a.data(), a.size(), "10.0.0.7");
    ASSERT_TRUE(row);
    EXPECT_EQ(searchTypeText(*row), "11-(WI485)");
    EXPECT_EQ(row->serial, serial);
    EXPECT_EQ(searchMacText(*row), "A0-A1-A2-A3-A4-A5");
    EXPECT_EQ(row->ip, "10.0.0.7");
    EXPECT_FALSE(parseSearchAnswer(a.data(), 29, "10.0.0.7"));  // 29 bytes
    auto wrong = a;
    wrong[3] = 0xA6;
    EXPECT_FALSE(parseSearchAnswer(wrong.data(), wrong.size(), "10.0.0.7"));  // another signature
    std::fill(a.begin() + 10, a.begin() + 24, 'X');  // a serial without its NUL ends at offset 23
    EXPECT_EQ(parseSearchAnswer(a.data(), a.size(), "x")->serial, std::string(14, 'X'));
    const std::string hostile = "\x1b[31m\xff\x7f<b>";  // a terminal sequence, bytes no text has
    std::copy(hostile.begin(), hostile.end(), a.begin() + 10);
    a[10 + hostile.size()] = 0;
    EXPECT_EQ(parseSearchAnswer(a.data(), a.size(), "x")->serial, "?[31m?" "?<b>");
    std::vector<SearchRow> rows(3);
    rows[0].ip = rows[2].ip = "10.0.0.1";
    rows[1].ip = "10.0.0.2";
    rows[1].mac = rows[2].mac = MacAddress{1, 2, 3, 4, 5, 6};
    markDuplicates(rows);
    EXPECT_TRUE(rows[0].sameIp && rows[2].sameIp && !rows[1].sameIp);
    EXPECT_TRUE(rows[1].sameMac && rows[2].sameMac && !rows[0].sameMac);
}

TEST(ComportsFile, FormatKeptAndFreeNumbers) {
    const ComportsFile f = parseComports("COM3=/dev/a\r\nnot an entry\nCOM0=/dev/x\nCOMx=/dev/y\nCOM3=/dev/b\nCOM12=\n\nCOM1=/dev/c");
    EXPECT_EQ(f.ports, (std::map<int, std::string>{{1, "/dev/c"}, {3, "/dev/b"}}));  // a later entry wins
    EXPECT_EQ(f.otherLines, (std::vector<std::string>{"not an entry", "COM0=/dev/x", "COMx=/dev/y", "COM12="}));
    EXPECT_EQ(f.freeNumber(), 2);
    EXPECT_EQ(f.freeNumber({2}), 4);
    EXPECT_EQ(f.numberOf("/dev/b"), 3);
    EXPECT_EQ(f.numberOf("/dev/z"), 0);
    EXPECT_EQ(parseComports(formatComports(f)).ports, f.ports);
}

}  // namespace
}  // namespace lumo
