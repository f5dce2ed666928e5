// lumo-ctl as a user runs it: a real process on a fresh working directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/ctl_runner.h"
#include "support/no_ports.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

using test::CtlResult;

class LumoCtl : public ::testing::Test {
protected:
    void SetUp() override { test::writeNoPorts(work.str()); }
    CtlResult ctl(const std::string& args) { return test::runCtl(work.str(), args); }
    test::TempDir work;
};

TEST_F(LumoCtl, BuildsAnInstallationOnAFreshWorkingDirectory) {
    EXPECT_EQ(ctl("list").out, "");
    EXPECT_EQ(ctl("config show").out, "data-dir\t" + work.dir() + "\nhex-editor\t\nadapter\t0\t\n");
    EXPECT_FALSE(fs::exists(work.path() / "config.dat"));  // only config set writes it

    fs::create_directory(work.path() / "data");
    ASSERT_EQ(ctl("config set --data-dir data --hex-editor /usr/bin/ghex").status, 0);
    EXPECT_EQ(fs::file_size(work.path() / "config.dat"), 1668u);
    EXPECT_EQ(ctl("config show").out, "data-dir\t" + work.str() + "/data/\nhex-editor\t/usr/bin/ghex\nadapter\t0\t\n");

    EXPECT_EQ(ctl("line add usb").out, "1\n");
    EXPECT_EQ(ctl("line add 11").out, "2\n");
    EXPECT_EQ(ctl("module add 1 --type 4 --id 5").out, "1\n");
    EXPECT_EQ(ctl("module add 1 --type 48 --id 31").out, "2\n");
    EXPECT_EQ(ctl("toggle 1/2").status, 0);
    EXPECT_EQ(ctl("toggle 2").status, 0);
    EXPECT_TRUE(fs::exists(work.path() / "data" / "line2" / "terminal.dat"));

    EXPECT_EQ(ctl("list").out,
              // The checks after each add find no port here: lines unreachable, modules silent.
              "1\tlinka 1\tWO485\t-\t0x20\n"
              "1/1\tmodul 5\tTQ300\t05\t0x01\n"
              "1/2\tmodul 31\tQH-J01\t31\t0x81\n"
              "2\tlinka 2\tWI485\t-\t0x60\n");
    EXPECT_EQ(ctl("report 1/1").out,
              "typ zařízení:\tTQ300 \npopis:\tdocházkový terminál \nID adresa:\t05 \n\n\n\nSTATUS:\n"
              " zařízení nekomunikuje...\n\n\n\nAktuální stav zjistíte použitím funkce Kontrola funkce. \n");
    EXPECT_EQ(ctl("-C data/.. report 2").out.rfind("typ zařízení:\tWI485 \n", 0), 0u);
}

TEST_F(LumoCtl, QuestionsRefusalsAndFailures) {
    ASSERT_EQ(ctl("line add general").status, 0);
    ASSERT_EQ(ctl("module add 1 --type 3 --id 7").status, 0);

    const struct {
        std::string args;
        int status;
        const char* err;  // start of stderr
    } cases[] = {
        {"-n remove 1/1", 1, "Odebrání: Opravdu odstarnit toto zařízení ?  [ne]\n"},
        {"remove 1/1", 1, "Odebrání: Opravdu odstarnit toto zařízení ?  [ne: no terminal"},
        {"-y remove 1", 1, "Odebrání: Opravdu odstarnit toto zařízení ?  [ano]\nNelze vymazat: Na lince jsou připojena další zařízení ! \nNejdříve odstraňte všechny připojené moduly.\n"},
        {"module add 1 --type 4 --id 7", 1, "Varování: Zadanou ID již adresu používá některé zařízení ! \nZvolte jinou hodnotu. \n"},
        {"module add 1 --type 4 --id 40", 2, "lumo-ctl: the ID address must be a number from 0 to 31, not '40'"},
        {"module add 2 --type 4 --id 4", 1, "Varování: Nejprve musí být vytvořena komunikační linka !  \n"},
        {"report 3", 1, "lumo-ctl: the installation has no item 3\n"},
        {"toggle 1/9", 1, "lumo-ctl: the installation has no item 1/9\n"},
        {"", 2, "lumo-ctl: no command given"},
        {"frobnicate", 2, "lumo-ctl: unknown command 'frobnicate'"},
        {"report 17", 2, "lumo-ctl: the line must be a number from 1 to 16, not '17'"},
        {"report 1/0", 2, "lumo-ctl: the module record must be a number from 1 to 32"},
        {"line add serial", 2, "lumo-ctl: the line type must be a number"},
        {"line add 4", 2, "lumo-ctl: the line type must be general, tcp, usb"},
        {"module add 1 --type 11 --id 3", 2, "lumo-ctl: the module type must be one of 1 2 3"},
        {"module add 1 --id 3", 2, "lumo-ctl: module add needs --type CODE and --id ID"},
        {"list extra", 2, "lumo-ctl: unexpected argument 'extra'"},
        {"-C /nonexistent list", 1, "lumo-ctl: the working directory /nonexistent does not exist"},
        {"config set --hex-editor /" + std::string(99, 'h'), 2, "lumo-ctl: the hex editor path is longer than 99 characters"},
        {"config set --data-dir /" + std::string(249, 'd'), 2, "lumo-ctl: the data directory is longer than 249 characters"},
        {"config set --adapter 203.0.113.99", 1, "lumo-ctl: no network adapter has the address 203.0.113.99"},
        {"-n config set --adapter none", 1, "Nastavení: Není vybrán žádný síťový adaptér."},
    };
    for (const auto& c : cases) {
        const CtlResult r = ctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_EQ(r.err.substr(0, std::string(c.err).size()), c.err) << c.args;
    }
    EXPECT_EQ(ctl("list").out, "1\tlinka 1\tobecná linka\t-\t0x20\n1/1\tmodul 7\tLOQ3\t07\t0x01\n");
    EXPECT_FALSE(fs::exists(work.path() / "config.dat"));

    EXPECT_EQ(ctl("-y remove 1/1").status, 0);
    EXPECT_EQ(ctl("-y remove 1").status, 0);
    EXPECT_EQ(ctl("list").out, "");
}

TEST_F(LumoCtl, FullLineTableAndUnwritableDataDirectory) {
    for (int n = 1; n <= 16; ++n) ASSERT_EQ(ctl("line add general").out, std::to_string(n) + "\n");
    const CtlResult full = ctl("line add usb");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "Varování: Maximální počet komunikačních linek je obsazen ! \n");
    EXPECT_EQ(full.out, "");

    test::TempDir other;
    EXPECT_EQ(ctl("config set --data-dir '" + other.str() + "/file'").status, 1);  // not there: No
    ASSERT_EQ(ctl("-y config set --data-dir '" + other.str() + "/file'").status, 0);  // made on Yes
    fs::remove(other.path() / "file");
    std::ofstream(other.path() / "file") << "x";
    // A data directory that is no folder: said plainly by every command, nothing written.
    for (const char* command : {"line add usb", "list"}) {
        const CtlResult r = ctl(command);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "lumo-ctl: Adresář dat " + other.str() + "/file/ neexistuje. Nastavte jej v konfiguraci programu. \n");
    }
    EXPECT_EQ(test::readFileBytes(other.path() / "file"), (std::vector<unsigned char>{'x'}));
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

// Garbage in every record file: every command that reads them still answers sensibly.
TEST(LumoCtlDamagedFiles, GarbageRecordsAreListedAndReportedWithoutOverflow) {
    const struct {
        const char* what;
        std::vector<unsigned char> line, modules;
    } cases[] = {
        {"all bits set", std::vector<unsigned char>(260, 0xFF), std::vector<unsigned char>(260 * 40, 0xFF)},
        {"oversized line.cfg", std::vector<unsigned char>(5000, 0x41), std::vector<unsigned char>(7, 0x41)},
        {"pattern", [] {
             std::vector<unsigned char> v(260);
             for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<unsigned char>(i * 37 + 11);
             v[0] = 1;
             return v;
         }(),
         [] {
             std::vector<unsigned char> v(260 * 3 + 17);
             for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<unsigned char>(i * 91 + 3);
             return v;
         }()},
    };
    for (const auto& c : cases) {
        test::TempDir work;
        fs::create_directory(work.path() / "line1");
        test::writeFileBytes(work.path() / "line1" / "line.cfg", c.line);
        test::writeFileBytes(work.path() / "line1" / "terminal.dat", c.modules);
        const std::string ctlPath = LUMO_CTL_PATH;
        const std::string base = "'" + ctlPath + "' -C '" + work.str() + "' ";
        EXPECT_EQ(std::system((base + "list >/dev/null 2>&1").c_str()), 0) << c.what;
        EXPECT_EQ(std::system((base + "report 1 >/dev/null 2>&1").c_str()), 0) << c.what;
        const int module = std::system((base + "report 1/1 >/dev/null 2>&1").c_str());
        EXPECT_TRUE(WIFEXITED(module) && WEXITSTATUS(module) <= 1) << c.what;
        EXPECT_EQ(std::system((base + "-y toggle 1 >/dev/null 2>&1").c_str()), 0) << c.what;
    }
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

TEST_F(LumoCtl, SerialNumbersAndTheRegister) {
    EXPECT_EQ(ctl("serial encode 24.06.2015 48 1234").out, "184259481234\n");
    EXPECT_EQ(ctl("serial decode 184259481234").out, "24.06.2015\t48\t1234\tQH-J01\n");
    EXPECT_EQ(ctl("serial decode 12345").status, 2);
    // A number read from a device whose date is no day of the calendar: its parts, and its date
    // digits said to be no date.
    EXPECT_EQ(ctl("serial decode 150316040001").out, "273764: neplatné datum\t04\t0001\tTQ300\n");
    EXPECT_EQ(ctl("serial encode 32.01.2015 4 1").status, 2);

    // No sn.dat yet: the register cannot be found.
    CtlResult r = ctl("register last 4");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: the register cannot be read: sn.dat in the data directory names its folder\n");
    fs::create_directory(work.path() / "reg");
    std::ofstream(work.path() / "sn.dat") << (work.path() / "reg").string();
    r = ctl("register last 4");
    EXPECT_EQ(r.err.rfind("CHYBA !: Otevření souboru \n Err.code: 01010000:", 0), 0u) << r.err;
    std::ofstream(work.path() / "reg" / "sernum.txt");
    EXPECT_EQ(ctl("register last 4").out, "0\n");
    EXPECT_EQ(ctl("register add 441560100001 --note 'pilot unit' --medium 1").status, 0);
    r = ctl("register add 441560100001");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "lumo-ctl: the sequence of 441560100001 is already issued\n");
    r = ctl("register add 441560100002 --note 'a;b'");  // the command line alone tells
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "lumo-ctl: the note may not hold ';'\n(lumo-ctl --help shows the commands)\n");
    EXPECT_EQ(ctl("register last 10").out, "1\n");
    EXPECT_EQ(ctl("register list 10").out, "441560100001\t15.03.2016\tMN600/MN700\tpilot unit;1\n");
    EXPECT_EQ(ctl("register list 4").out, "");
}

}  // namespace
}  // namespace lumo
