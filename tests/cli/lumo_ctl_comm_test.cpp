// lumo-ctl against the simulator: send, line set, scan.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "comm/crc8.h"
#include "support/ctl_runner.h"
#include "support/no_ports.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

class LumoCtlComm : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeNoPorts(work.str());  // COM3 is then the simulator's, the others lead nowhere
        sim = std::make_unique<test::SimProcess>(
            std::vector<std::string>{"--pty", "--tcp", "0", "--comports", work.str(), "--com", "3", "--module",
                                     "serial 5 4", "--module", "serial 7 3 silent", "--module", "serial 9 4 badcrc",
                                     "--module", "tcp 2 4"},
            work.str() + "/wire.log");
    }
    test::CtlResult ctl(const std::string& args) { return test::runCtl(work.str(), args); }
    test::TempDir work;
    std::unique_ptr<test::SimProcess> sim;
};

TEST_F(LumoCtlComm, SendLineSetAndScan) {
    ASSERT_EQ(ctl("line add general").out, "1\n");
    // COM2 names no device: Yes keeps the settings with the line marked unreachable.
    test::CtlResult r = ctl("-y line set 1 --port COM2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Inicializace: Komunikační zásuvka není dostupná ! \nPatrně ji používá jiná aplikace. \nChcete pokračovat ? [ano]\n");
    EXPECT_EQ(ctl("list").out, "1\tlinka 1\tobecná linka\t-\t0x20\n");
    r = ctl("-n line set 1 --port COM4 --name nic");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ctl("list").out, "1\tlinka 1\tobecná linka\t-\t0x20\n");  // No: nothing saved

    EXPECT_EQ(ctl("line set 1 --port COM3 --speed 9600 --parity even --name sběrnice").status, 0);
    EXPECT_EQ(ctl("list").out, "1\tsběrnice\tobecná linka\t-\t0x00\n");
    r = ctl("report 1");
    EXPECT_NE(r.out.find("připojení:\tCOM3 (RS232) \nrychlost:\t9600 \nparita:\tsudá \n"), std::string::npos) << r.out;

    ASSERT_EQ(ctl("module add 1 --type 4 --id 5").out, "1\n");
    ASSERT_EQ(ctl("module add 1 --type 3 --id 7").out, "2\n");
    EXPECT_EQ(ctl("send 1/1 CAL").out, "!447157040005V1.23*\\xd4\n");
    EXPECT_EQ(ctl("send 1/1 '#INF$6+'").out.substr(0, 10), "V1.23C070*");  // a pasted frame
    EXPECT_EQ(ctl("send 1/1 'CMD 0 RST0'").out, "žádná odpověď...\n");
    EXPECT_EQ(ctl("send 1/2 CAL").out, "žádná odpověď...\n");
    r = ctl("send 1 CAL");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Upozornění: Pro toto zařízení nelze nastavovat !  \n");
    r = ctl("send 1/1 '   '");  // an empty row is no instruction: the command line tells
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "lumo-ctl: the command is empty: nothing to send\n(lumo-ctl --help shows the commands)\n");
    r = ctl("send 1/1 '#$*'");  // one that cleans up to nothing: the console's own refusal
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Upozornění: Řádek neobsahuje žádný příkaz. \n");
    // A garbled answer: the data error, and the bytes that came with it for the technician.
    ASSERT_EQ(ctl("module add 1 --type 4 --id 9").out, "3\n");
    r = ctl("send 1/3 CAL");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("(!445109040009V1.23*", 0), 0u) << r.out;
    EXPECT_EQ(r.err, "chyba při komunikaci !\nCHYBA !: Datová chyba při komunikaci \n Err.code: 05ff0001:00000000\n");
    // The console takes 89 characters of code page 1250 (one byte each on the wire): a longer
    // command is refused whole, as a bad argument; 89 go out, with the checksum over them.
    std::string letters;
    for (int i = 0; i < 84; ++i) letters += "č";
    std::filesystem::resize_file(work.path() / "wire.log", 0);
    r = ctl("send 1/1 'CFG 8 " + letters + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("lumo-ctl: the command has 90 characters; the console sends at most 89 (nothing was sent)\n", 0), 0u) << r.err;
    EXPECT_EQ(test::readWire(work.str() + "/wire.log").received(), "");
    letters.resize(letters.size() - std::string("č").size());
    r = ctl("send 1/1 'CFG 8 " + letters + "'");
    EXPECT_EQ(r.out, "žádná odpověď...\n");
    const std::string data(83, '\xE8');
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    EXPECT_NE(test::readWire(work.str() + "/wire.log").received().find(
                  "#CFG$8+" + data + "*" + std::string(1, static_cast<char>(crc8(bytes, data.size())))),
              std::string::npos);

    // The DLL sub-instruction goes on the wire as one digit: "a" (read as hexadecimal, 10), nine
    // digits and "10" are refused as bad arguments, before anything is sent.
    std::ofstream(work.str() + "/records.txt") << "AB+CD*";
    std::filesystem::resize_file(work.path() / "wire.log", 0);
    for (const char* sub : {"a", "fffffffff", "10"}) {
        r = ctl(std::string("transfer send 1/1 ") + sub + " records.txt");
        EXPECT_EQ(r.status, 2) << sub;
        EXPECT_EQ(r.err.rfind(std::string("lumo-ctl: the DLL sub-instruction is one digit 0-9, not '") + sub + "'\n", 0), 0u) << r.err;
    }
    EXPECT_EQ(test::readWire(work.str() + "/wire.log").received(), "");

    // A TCP line to the converter, and one to a port where nothing listens.
    ASSERT_EQ(ctl("line add tcp").out, "2\n");
    EXPECT_EQ(ctl("line set 2 --ip 127.0.0.1 --tcp-port " + std::to_string(sim->tcpPort())).status, 0);
    ASSERT_EQ(ctl("module add 2 --type 4 --id 2").out, "1\n");
    EXPECT_EQ(ctl("send 2/1 CAL").out, "!449717040002V1.23*X\n");
    ASSERT_EQ(ctl("line add tcp").out, "3\n");
    EXPECT_EQ(ctl("-y line set 3 --ip 127.0.0.1 --tcp-port 1").status, 0);
    ASSERT_EQ(ctl("module add 3 --type 4 --id 2").out, "1\n");
    r = ctl("send 3/1 CAL");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "chyba při komunikaci !\nCHYBA !: Nelze navázat spojení \n Err.code: 20030005:0000006f\n");

    // The start-up scan: line 3 stays unreachable, line 2 is fine; the switched-off line 1 is left alone.
    ASSERT_EQ(ctl("toggle 1").status, 0);
    EXPECT_EQ(ctl("-v scan").err, "probíhá kontrola portů...\n");
    EXPECT_EQ(ctl("list").out,
              "1\tsběrnice\tobecná linka\t-\t0x40\n"
              "1/1\tmodul 5\tTQ300\t05\t0x00\n"
              "1/2\tmodul 7\tLOQ3\t07\t0x01\n"
              "1/3\tmodul 9\tTQ300\t09\t0x01\n"  // a data error: no working module
              "2\tlinka 2\tWI485\t-\t0x00\n"
              "2/1\tmodul 2\tTQ300\t02\t0x00\n"
              "3\tlinka 3\tWI485\t-\t0x20\n"
              "3/1\tmodul 2\tTQ300\t02\t0x01\n");
    EXPECT_EQ(ctl("line set 9 --port TCP").status, 1);
    EXPECT_EQ(ctl("line set 1 --port COM9").status, 2);
}

// The probe needs no installation; where this process may not send ICMP it says so rather than
// calling the host silent.
TEST(LumoCtlProbe, LoopbackAnswersOrTheMissingRightIsNamed) {
    test::TempDir work;
    const test::CtlResult r = test::runCtl(work.str(), "probe 127.0.0.1");
    if (r.status == 0) {
        EXPECT_EQ(r.out, "127.0.0.1 answers\n");
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("may not send ICMP echo requests"), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::runCtl(work.str(), "probe").status, 2);
    EXPECT_EQ(test::runCtl(work.str(), "probe 127.0.0.1 extra").status, 2);
    const test::CtlResult version = test::runCtl(work.str(), "--version");
    EXPECT_EQ(version.out.rfind("lumo-ctl 2.32 (", 0), 0u) << version.out;
}

TEST_F(LumoCtlComm, ParamsReadChangedAndPrintedFromTheRecord) {
    ASSERT_EQ(ctl("line add general").out, "1\n");
    ASSERT_EQ(ctl("line set 1 --port COM3").status, 0);
    ASSERT_EQ(ctl("module add 1 --type 4 --id 5").out, "1\n");
    ASSERT_EQ(ctl("module add 1 --type 3 --id 7").out, "2\n");
    test::CtlResult r = ctl("params 1/1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("identText=447157040005\nstatusFlags=0\nfirmwareVersion=123\nidMediumType=1\n"
                         "displayText=LUMO\nparamP1=0\nparamP2=0\nparamP3=18\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("featureLevel=2\n"), std::string::npos);
    EXPECT_EQ(ctl("params 1/1 --from-record").out, r.out);  // what was read is in the record

    r = ctl("params 1/1 displayText=Vítejte paramP3=0x21 relayDelay1=7 intervalFrom=06:30 holdOpenBits=3");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string sent = test::readWire(work.str() + "/wire.log").received();
    EXPECT_NE(sent.find("#CFG$8+P100+P200+P333+D107+D205*"), std::string::npos) << sent;
    EXPECT_NE(sent.find("#CFG$4+S06300000R003*"), std::string::npos) << sent;
    EXPECT_NE(sent.find("#SET$2+C006*"), std::string::npos) << sent;  // as the sheet sends it: no medium bits
    r = ctl("params 1/1");
    EXPECT_NE(r.out.find("displayText=Vítejte\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("idMediumType=1\n"), std::string::npos) << r.out;  // the device keeps its medium
    EXPECT_NE(r.out.find("paramP3=33\nparamP4=0\nswitchBits=0x05\nrelayDelay1=7\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("intervalFrom=06:30\n"), std::string::npos);  // kept in the record

    // Wrong words are refused before anything is stored or sent.
    const struct {
        const char* args;
        const char* error;
    } refused[] = {
        {"params 1/1 paramP9=1", "'paramP9=1': expected NAME=VALUE"},
        {"params 1/1 featureLevel=3", "featureLevel is read from the device and cannot be set"},
        {"params 1/1 paramP1=256", "paramP1=256: expected a number from 0 to 255"},
        {"params 1/1 intervalTo=24:00", "intervalTo=24:00: expected HH:MM"},
        {"params 1/1 displayText=12345678901234567", "displayText holds at most 16 characters"},
        {"params 1", "params needs a module L/K"},
        {"params 1/1 --from-record paramP1=1", "--from-record only prints"},
        {"params 1/1 'displayText=a+b*c'", "'*' and control characters cannot be sent"},
        {"params 1/1 displayText=日本", "code page 1250 cannot show"},
        {"params 1/1 doorTime=-1", "doorTime=-1: expected a whole number from 0 to 2147483647"},
        {"params 1/1 relayDelay1=x1", "relayDelay1=x1: expected a number from 0 to 255"},
    };
    std::filesystem::resize_file(work.path() / "wire.log", 0);
    for (const auto& c : refused) {
        r = ctl(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.error), std::string::npos) << c.args << ": " << r.err;
    }
    // A setting the module's write never sends would be stored and never reach the device.
    r = ctl("params 1/1 relayDelay3=5");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: relayDelay3 is never written to a TQ300; the settings it takes: displayText paramP1 "
                     "paramP2 paramP3 switchBits relayDelay1 relayDelay2 intervalFrom intervalTo holdOpenBits "
                     "deviceFlags doorTime reader1Operation reader2Operation\n");
    EXPECT_EQ(test::readWire(work.str() + "/wire.log").received(), "");
    // A silent device: the message, the failure, the flag in the record.
    r = ctl("params 1/2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Chyba komunikace: Zařízení na adrese 07 neodpovídá ! \nZkontrolujte nastavení. "),
              std::string::npos)
        << r.err;
    EXPECT_NE(ctl("params 1/2 --from-record").out.find("statusFlags=1\n"), std::string::npos);
}

TEST_F(LumoCtlComm, ImageCheckResetAndDownload) {
    const std::string mot = work.str() + "/fw.mot", bad = work.str() + "/bad.mot", bin = work.str() + "/fw.bin";
    std::ofstream(mot) << "S00600004844521B\nS1130000000102030405060708090A0B0C0D0E0F74\nS9030000FC\n";
    std::ofstream(bad) << "S1130000000102030405060708090A0B0C0D0E0F75\n";
    std::ofstream(bin, std::ios::binary) << std::string(100, 'x');
    test::CtlResult r = ctl("image check " + mot);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "S-record file, 3 records: S0 1 S1 1 S9 1\n16 data bytes, addresses 0000-000F\n"
              "1 blocks, 5 messages: erase 1, open 1, data 1, close 1, start 1\n");
    r = ctl("image check " + bad);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("řádek 1: kontrolní součet záznamu 75, vypočteno 74"), std::string::npos) << r.err;
    r = ctl("image check " + bin);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("memory image, 100 bytes\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 WRfs messages"), std::string::npos) << r.out;

    ASSERT_EQ(ctl("line add general").out, "1\n");
    ASSERT_EQ(ctl("line set 1 --port COM3").status, 0);
    ASSERT_EQ(ctl("module add 1 --type 4 --id 5").out, "1\n");
    std::filesystem::resize_file(work.path() / "wire.log", 0);
    EXPECT_EQ(ctl("reset 1/1").status, 0);
    EXPECT_NE(test::readWire(work.str() + "/wire.log").received().find("&ML_05#CMD$0+RST0*"), std::string::npos);
    r = ctl("reset 1");  // a line: the command line alone tells
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("lumo-ctl: reset takes a module L/K, not a line\n", 0), 0u) << r.err;
    // A memory image to the TQ300: restarted into its loader, loaded, started.
    r = ctl("download 1/1 " + bin);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Download: Download byl úspěšně dokončen."), std::string::npos) << r.err;
    // An S-record file for a device that loads memory images: refused before anything is sent.
    std::filesystem::resize_file(work.path() / "wire.log", 0);
    r = ctl("download 1/1 " + mot);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("soubor je ve formátu S-záznamů, zařízení TQ300 zavádí obraz paměti (.bin)"), std::string::npos)
        << r.err;
    EXPECT_EQ(test::readWire(work.str() + "/wire.log").received(), "");
}

}  // namespace
}  // namespace lumo
