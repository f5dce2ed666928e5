// Bad arguments, verb by verb: what the command line alone can judge (a malformed or
// out-of-range value, an ID outside 1-31, an empty text, a text code page 1250 cannot hold) is
// refused with exit status 2 and its reason, and nothing of the installation is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "serial/serial_number.h"
#include "support/ctl_runner.h"
#include "support/no_ports.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

struct BadArguments {
    std::vector<std::string> args;
    std::string reason;  // what stderr says after "lumo-ctl: "
};

const std::string kLong(5000, 'x');
const std::string kHuge = "99999999999999999999";

class LumoCtlArguments : public ::testing::Test {
protected:
    // A serial line with a TQ300 (1/1), a TCP line (2) and a register.
    void SetUp() override {
        test::writeNoPorts(work.str());
        ASSERT_EQ(ctl({"line", "add", "general"}).status, 0);
        ASSERT_EQ(ctl({"line", "add", "tcp"}).status, 0);
        ASSERT_EQ(ctl({"module", "add", "1", "--type", "4", "--id", "5"}).status, 0);
        fs::create_directory(work.path() / "reg");
        std::ofstream(work.path() / "sn.dat") << (work.path() / "reg").string();
        std::ofstream(work.path() / "reg" / "sernum.txt");
        std::ofstream(work.path() / "reg" / "sernum_tesk.txt");
    }

    test::CtlResult ctl(const std::vector<std::string>& args) { return test::runCtlArgs(work.str(), args); }

    // Every file under the working directory with its bytes.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(work.path())) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            all[e.path().string()] = bytes.str();
        }
        return all;
    }

    void expectRefused(const std::vector<BadArguments>& table) {
        const auto before = files();
        for (const BadArguments& bad : table) {
            std::string shown;
            for (const auto& a : bad.args) shown += " '" + (a.size() > 40 ? a.substr(0, 12) + "…" : a) + "'";
            const test::CtlResult r = ctl(bad.args);
            EXPECT_EQ(r.status, 2) << shown << "\n" << r.err;
            EXPECT_EQ(r.err.rfind("lumo-ctl: ", 0), 0u) << shown << "\n" << r.err;
            EXPECT_NE(r.err.find(bad.reason), std::string::npos) << shown << "\n" << r.err;
            EXPECT_EQ(r.out, "") << shown;
            EXPECT_TRUE(files() == before) << shown << ": the installation was changed";
        }
    }

    test::TempDir work;
};

TEST_F(LumoCtlArguments, ItemAddresses) {
    const std::vector<BadArguments> table = {
        {{"report", ""}, "the line must be a number from 1 to 16, not ''"},
        {{"report", "0"}, "the line must be a number from 1 to 16"},
        {{"report", "17"}, "the line must be a number from 1 to 16"},
        {{"report", "-1"}, "the line must be a number from 1 to 16"},
        {{"report", "x"}, "the line must be a number from 1 to 16"},
        {{"report", kHuge}, "the line must be a number from 1 to 16"},
        {{"report", kLong}, "the line must be a number from 1 to 16"},
        {{"report", "1/0"}, "the module record must be a number from 1 to 32"},
        {{"report", "1/-1"}, "the module record must be a number from 1 to 32"},
        {{"report", "1/33"}, "the module record must be a number from 1 to 32"},
        {{"report", "1/"}, "the module record must be a number from 1 to 32"},
        {{"report"}, "missing the item L or L/K"},
        {{"check", ""}, "the line must be a number from 1 to 16"},
        {{"check", "-1"}, "the line must be a number from 1 to 16"},
        {{"check", "1/33000000000"}, "the module record must be a number from 1 to 32"},
        {{"check", "1", "extra"}, "unexpected argument 'extra'"},
        {{"remove", ""}, "the line must be a number from 1 to 16"},
        {{"remove", "1/x"}, "the module record must be a number from 1 to 32"},
        {{"remove", "-1"}, "the line must be a number from 1 to 16"},
        {{"toggle", "99"}, "the line must be a number from 1 to 16"},
        {{"toggle", "1/-1"}, "the module record must be a number from 1 to 32"},
        {{"toggle", kLong}, "the line must be a number from 1 to 16"},
        {{"list", "x"}, "unexpected argument 'x'"},
        {{"scan", "-1"}, "unexpected argument '-1'"},
    };
    expectRefused(table);
}

TEST_F(LumoCtlArguments, LineAddAndSet) {
    const std::vector<BadArguments> table = {
        {{"line", "add", ""}, "the line type must be a number"},
        {{"line", "add", "-1"}, "the line type must be a number"},
        {{"line", "add", "4"}, "the line type must be general, tcp, usb"},
        {{"line", "add", kHuge}, "the line type must be a number"},
        {{"line", "add", "nosuch"}, "the line type must be a number"},
        {{"line", "set", ""}, "the line must be a number from 1 to 16"},
        {{"line", "set", "17"}, "the line must be a number from 1 to 16"},
        {{"line", "set", "2", "--ip", "300.1.1.1"}, "the IP address must be an IPv4 address such as 192.168.1.50"},
        {{"line", "set", "2", "--ip", "abc"}, "the IP address must be an IPv4 address"},
        {{"line", "set", "2", "--ip", ""}, "the IP address must be an IPv4 address"},
        {{"line", "set", "2", "--ip", "1.2.3"}, "the IP address must be an IPv4 address"},
        {{"line", "set", "2", "--ip", "-1.2.3.4"}, "the IP address must be an IPv4 address"},
        {{"line", "set", "2", "--ip", kLong}, "the IP address must be an IPv4 address"},
        {{"line", "set", "2", "--tcp-port", "0"}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "2", "--tcp-port", "-1"}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "2", "--tcp-port", "70000"}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "2", "--tcp-port", "abc"}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "2", "--tcp-port", ""}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "2", "--tcp-port", kHuge}, "the TCP port must be a number from 1 to 65535"},
        {{"line", "set", "1", "--name", ""}, "the name is empty"},
        {{"line", "set", "1", "--name", "k☺中"}, "the name holds characters code page 1250 cannot store"},
        {{"line", "set", "1", "--name", "sběrnice RS485 A"}, "the name has more than 15 characters"},
        {{"line", "set", "1", "--name", kLong}, "the name has more than 15 characters"},
        {{"line", "set", "1", "--name", "a\nb"}, "the name may not hold a line end"},
        {{"line", "set", "1", "--port", ""}, "the port must be COM1 ... COM8 or TCP"},
        {{"line", "set", "1", "--port", "COM0"}, "the COM port must be a number from 1 to 8"},
        {{"line", "set", "1", "--port", "COM-1"}, "the COM port must be a number from 1 to 8"},
        {{"line", "set", "1", "--port", "COM" + kHuge}, "the COM port must be a number from 1 to 8"},
        {{"line", "set", "1", "--speed", ""}, "the speed must be 9600 or 19200"},
        {{"line", "set", "1", "--speed", "-9600"}, "the speed must be 9600 or 19200"},
        {{"line", "set", "1", "--parity", ""}, "the parity must be none, odd or even"},
        {{"line", "set", "1", "--ip"}, "missing --ip"},
        {{"line", "set", "1", "--bogus"}, "unknown option '--bogus'"},
    };
    expectRefused(table);
}

TEST_F(LumoCtlArguments, ModuleAddTypeAndId) {
    const std::vector<BadArguments> table = {
        {{"module", "add", "1", "--type", "4", "--id", "32"}, "the ID address must be a number from 0 to 31, not '32'"},
        {{"module", "add", "1", "--type", "4", "--id", "-1"}, "the ID address must be a number from 0 to 31"},
        {{"module", "add", "1", "--type", "4", "--id", "abc"}, "the ID address must be a number from 0 to 31"},
        {{"module", "add", "1", "--type", "4", "--id", "1e1"}, "the ID address must be a number from 0 to 31"},
        {{"module", "add", "1", "--type", "4", "--id", ""}, "the ID address must be a number from 0 to 31"},
        {{"module", "add", "1", "--type", "4", "--id", kHuge}, "the ID address must be a number from 0 to 31"},
        {{"module", "add", "1", "--type", "4", "--id", "0"}, "the ID address 0 is reserved for the PC"},
        {{"module", "add", "1", "--type", "", "--id", "3"}, "the module type must be a number"},
        {{"module", "add", "1", "--type", "-4", "--id", "3"}, "the module type must be a number"},
        {{"module", "add", "1", "--type", "999", "--id", "3"}, "the module type must be a number"},
        {{"module", "add", "1", "--type", "11", "--id", "3"}, "the module type must be one of"},
        {{"module", "add", "0", "--type", "4", "--id", "3"}, "the line must be a number from 1 to 16"},
        {{"module", "add", "1", "--type", "4"}, "module add needs --type CODE and --id ID"},
        {{"module", "id", "1/1", "32"}, "the ID address must be a number from 0 to 31"},
        {{"module", "id", "1/1", "-1"}, "the ID address must be a number from 0 to 31"},
        {{"module", "id", "1/1", "abc"}, "the ID address must be a number from 0 to 31"},
        {{"module", "id", "1/1", ""}, "the ID address must be a number from 0 to 31"},
        {{"module", "id", "1/1", kLong}, "the ID address must be a number from 0 to 31"},
        {{"module", "id", "1/1", "0"}, "the ID address 0 is reserved for the PC"},
        {{"module", "id", "1", "3"}, "module id takes a module L/K, not a line"},
        {{"module", "type", "1", "4"}, "module type takes a module L/K, not a line"},
        {{"module", "type", "1/1", "-4"}, "the module type must be a number"},
        {{"module", "type", "1/1", "abc"}, "the module type must be a number"},
        {{"module", "type", "1/1", ""}, "the module type must be a number"},
        {{"module", "type", "1/1", kHuge}, "the module type must be a number"},
        {{"module", "type", "1/1", "12"}, "the module type must be one of"},
    };
    expectRefused(table);
}

TEST_F(LumoCtlArguments, SerialEncodeAndDecode) {
    const std::vector<BadArguments> table = {
        {{"serial", "encode", "31.02.2026", "10", "1"}, "the date 31.02.2026 is no day of the calendar"},
        {{"serial", "encode", "29.02.2025", "10", "1"}, "the date 29.02.2025 is no day of the calendar"},
        {{"serial", "encode", "31.04.2026", "10", "1"}, "the date 31.04.2026 is no day of the calendar"},
        {{"serial", "encode", "00.01.2026", "10", "1"}, "the day must be a number from 1 to 31"},
        {{"serial", "encode", "01.13.2026", "10", "1"}, "the month must be a number from 1 to 12"},
        {{"serial", "encode", "01.01.1999", "10", "1"}, "the year must be a number from 2000 to 2099"},
        {{"serial", "encode", "1.1.2026", "10", "1"}, "the date must be DD.MM.YYYY"},
        {{"serial", "encode", "", "10", "1"}, "the date must be DD.MM.YYYY"},
        {{"serial", "encode", "01.01.2026", "-1", "1"}, "the type code must be a number from 0 to 99"},
        {{"serial", "encode", "01.01.2026", "100", "1"}, "the type code must be a number from 0 to 99"},
        {{"serial", "encode", "01.01.2026", "", "1"}, "the type code must be a number from 0 to 99"},
        {{"serial", "encode", "01.01.2026", "10", "0"}, "the sequence must be a number from 1 to 9999, not '0'"},
        {{"serial", "encode", "01.01.2026", "10", "-1"}, "the sequence must be a number from 1 to 9999"},
        {{"serial", "encode", "01.01.2026", "10", "10000"}, "the sequence must be a number from 1 to 9999"},
        {{"serial", "encode", "01.01.2026", "10", "abc"}, "the sequence must be a number from 1 to 9999"},
        {{"serial", "encode", "01.01.2026", "10", kHuge}, "the sequence must be a number from 1 to 9999"},
        {{"serial", "decode", ""}, "a serial number is 12 digits"},
        {{"serial", "decode", "12345"}, "a serial number is 12 digits"},
        {{"serial", "decode", "abcdefghijkl"}, "a serial number is 12 digits"},
        {{"serial", "decode", "-12345678901"}, "a serial number is 12 digits"},
        {{"serial", "decode", "4492050400011"}, "a serial number is 12 digits"},
        {{"serial", "decode", kLong}, "a serial number is 12 digits"},
    };
    expectRefused(table);
}

TEST_F(LumoCtlArguments, RegisterLastListAndAdd) {
    const std::string good = SerialEncode(1, 4, packDate(15, 3, 2016));
    const std::string zero = SerialEncode(0, 4, packDate(15, 3, 2016));
    const std::vector<BadArguments> table = {
        {{"register", "last", ""}, "the type code must be a number from 0 to 99"},
        {{"register", "last", "-1"}, "the type code must be a number from 0 to 99"},
        {{"register", "last", "100"}, "the type code must be a number from 0 to 99"},
        {{"register", "list", "x"}, "the type code must be a number from 0 to 99"},
        {{"register", "list", kHuge}, "the type code must be a number from 0 to 99"},
        {{"register", "add", ""}, "a serial number is 12 digits"},
        {{"register", "add", "12345"}, "a serial number is 12 digits"},
        {{"register", "add", kLong}, "a serial number is 12 digits"},
        {{"register", "add", "999910100077"}, "its date 36.67.2023 is no day of the calendar"},
        {{"register", "add", "000000000000"}, "its date 00.00.2000 is no day of the calendar"},
        {{"register", "add", "150316040001"}, "its date 27.37.2064 is no day of the calendar"},
        {{"register", "add", zero}, "the sequence 0000 is never issued"},
        {{"register", "add", good, "--medium", "4"}, "the ID medium must be a number from 0 to 3"},
        {{"register", "add", good, "--medium", "-1"}, "the ID medium must be a number from 0 to 3"},
        {{"register", "add", good, "--medium", ""}, "the ID medium must be a number from 0 to 3"},
        {{"register", "add", good, "--note", "a;b"}, "the note may not hold ';'"},
        {{"register", "add", good, "--note", "x\r\n302213109990"}, "the note may not hold a line end"},
        {{"register", "add", good, "--note", "a\nb"}, "the note may not hold a line end"},
        {{"register", "add", good, "--note", "sněhulák ☃"}, "the note holds characters code page 1250 cannot store"},
        {{"register", "add", good, "--note", std::string(281, 'n')}, "the note has more than 280 characters"},
        {{"register", "add", good, "--note", kLong}, "the note has more than 280 characters"},
    };
    expectRefused(table);
    // The longest note a register line holds goes in.
    EXPECT_EQ(ctl({"register", "add", good, "--note", std::string(280, 'n')}).status, 0);
}

TEST_F(LumoCtlArguments, DeviceAndServiceVerbs) {
    const std::vector<BadArguments> table = {
        {{"clock", "1"}, "clock takes a module L/K, not a line"},
        {{"clock", "1/1", "--set", "31.02.2026 10:00:00 1"}, "the date '31.02.2026' is no date"},
        {{"clock", "1/1", "--set", "01.01.2026 25:00:00 1"}, "the time '25:00:00' is no time"},
        {{"clock", "1/1", "--set", "01.01.2026 10:00:00 7"}, "the weekday must be a number from 0 to 6"},
        {{"clock", "1/1", "--set", "01.01.2026 10:00:00 -1"}, "the weekday must be a number from 0 to 6"},
        {{"clock", "1/1", "--set", ""}, "--set needs 'DD.MM.YYYY HH:MM:SS W'"},
        {{"clock", "1/1", "--set", kLong}, "--set needs 'DD.MM.YYYY HH:MM:SS W'"},
        {{"clock", "1/1", "--bogus"}, "unexpected argument '--bogus'"},
        {{"test", "1"}, "test takes a module L/K, not a line"},
        {{"test", ""}, "the line must be a number from 1 to 16"},
        {{"test", "1/0"}, "the module record must be a number from 1 to 32"},
        {{"reset", "1"}, "reset takes a module L/K, not a line"},
        {{"reset", "1/-1"}, "the module record must be a number from 1 to 32"},
        {{"restart", ""}, "the line must be a number from 1 to 16"},
        {{"restart", "1/33"}, "the module record must be a number from 1 to 32"},
        {{"download", "1/1", ""}, "the image file is empty"},
        {{"download", "1/1"}, "missing the image file"},
        {{"download", "0", "image.mot"}, "the line must be a number from 1 to 16"},
        {{"image", "check", ""}, "the image file is empty"},
        {{"image", ""}, "image check FILE [--segment], not 'image '"},
        {{"telnet", "1/1"}, "telnet takes a TCP converter line L, not a module"},
        {{"telnet", "-2"}, "the line must be a number from 1 to 16"},
        {{"usb", ""}, "usb list, usb save or usb clean, not 'usb '"},
        {{"usb", "list", "extra"}, "unexpected argument 'extra'"},
        {{"probe", ""}, "the host is empty"},
        {{"search", "--mask", ""}, "the mask is 255.255.255.0 or 255.255.0.0"},
        {{"search", "--quiet-ms", ""}, "the quiet time must be a number from 100 to 600000"},
        {{"search", "--quiet-ms", "-1"}, "the quiet time must be a number from 100 to 600000"},
        {{"search", "--quiet-ms", "abc"}, "the quiet time must be a number from 100 to 600000"},
        {{"search", "--quiet-ms", kHuge}, "the quiet time must be a number from 100 to 600000"},
        {{"ip", "1", "300.1.1.1"}, "the new address must be an IPv4 address"},
        {{"ip", "2", ""}, "the new address must be an IPv4 address"},
        {{"ip", "2", "abc"}, "the new address must be an IPv4 address"},
        {{"ip", "2", "-1"}, "the new address must be an IPv4 address"},
        {{"ip", "2", kLong}, "the new address must be an IPv4 address"},
        {{"ip", "2/1", "10.0.0.1"}, "ip takes a TCP converter line L, not a module"},
        {{"init", "1/1", "--note", "a;b"}, "the note may not hold ';'"},
        {{"init", "1/1", "--note", "a\nb"}, "the note may not hold a line end"},
        {{"init", "1/1", "--note", "k☺"}, "the note holds characters code page 1250 cannot store"},
        {{"init", "1/1", "--note", kLong}, "the note has more than 280 characters"},
        {{"init", "1/1", "--sequence", "0"}, "the sequence must be a number from 1 to 9999"},
        {{"init", "1/1", "--sequence", "-5"}, "the sequence must be a number from 1 to 9999"},
        {{"init", "1/1", "--sequence", ""}, "the sequence must be a number from 1 to 9999"},
        {{"init", "1/1", "--sequence", kHuge}, "the sequence must be a number from 1 to 9999"},
        {{"init", "1/1", "--medium", "4"}, "the ID medium must be a number from 0 to 3"},
        {{"init", "1/1", "--date", "31.02.2026"}, "the date '31.02.2026' is no date"},
        {{"init", "1/1", "--date", ""}, "the date '' is no date"},
        {{"init", "1/1", "--date", "01.01.1999"}, "the date '01.01.1999' is not in 2000-2099"},
        {{"config", "set", "--data-dir", ""}, "the data directory is empty"},
        {{"config", "set", "--hex-editor", "/" + kLong}, "the hex editor path is longer than 99 characters"},
        {{"config", "set", "--adapter", ""}, "the adapter (its address, or none) must be an IPv4 address"},
        {{"config", "set", "--adapter", "-1"}, "the adapter (its address, or none) must be an IPv4 address"},
        {{"config", "show", "x"}, "unexpected argument 'x'"},
        {{"config", ""}, "unknown config command ''"},
    };
    expectRefused(table);
}

}  // namespace
}  // namespace lumo
