// Files that are there but cannot be read whole: comports.cfg, line.cfg, terminal.dat and
// cmd.dat. None is taken as missing or as a free slot, none is read cut short, each is named,
// and none is written over.
#include <gtest/gtest.h>

#include <fstream>

#include "base/app_state.h"
#include "base/error_report.h"
#include "discovery/usb_search.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/record_file.h"
#include "model/tree_items.h"
#include "platform/serial_port.h"
#include "serial/serial_register.h"
#include "support/file_kinds.h"
#include "support/full_disk.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

class UnreadableFiles : public test::InstallationTest {
protected:
    void SetUp() override {
        InstallationTest::SetUp();
        std::ofstream(outside.path() / "precious") << "precious";
    }
    // The kinds of things this test can make here, each at a fresh `path`.
    template <typename Body>
    void forEachKind(const fs::path& path, Body body) {
        for (const auto& kind : test::unreadableFileKinds(outside.path() / "precious")) {
            fs::remove_all(path);
            if (!kind.make(path)) continue;
            SCOPED_TRACE(kind.what);
            ui.calls.clear();
            body();
            clearError();
            fs::remove_all(path);
            std::ifstream in(outside.path() / "precious");
            EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "precious");  // no link followed
        }
    }
    std::string comports() const { return dir.str() + "/comports.cfg"; }
    test::TempDir outside;
};

// A file longer than the reader's limit is refused whole: an entry straddling the limit would
// be kept cut ("COM7=/dev/ttyS10" as "/dev/ttyS1"), and the cleanup would write that back.
TEST_F(UnreadableFiles, ComportsOverItsLimitIsRefusedNotCut) {
    const std::string entry = "COM7=/dev/ttyS10\n";
    std::string text = "COM2=/dev/ttyUSB7\n";
    const std::size_t cutAt = platform::kMaxComportsFile - (entry.size() - 2);  // the limit falls before "0\n"
    while (text.size() < cutAt) text += "#" + std::string(std::min<std::size_t>(78, cutAt - text.size() - 1), 'x') + "\n";
    text.resize(cutAt, 'x');
    text.back() = '\n';
    text += entry;
    ASSERT_EQ(text.size(), platform::kMaxComportsFile + 2);
    std::ofstream(comports(), std::ios::binary | std::ios::trunc) << text;

    EXPECT_EQ(comportsDevicePath(7, dir.str()), "");  // no device rather than another one
    ASSERT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_EQ(ui.callsOf("message")[0], "CHYBA !|Soubor " + comports() + " nelze přečíst: je delší než 65536 bajtů. ");
    ComportsFile file;
    EXPECT_FALSE(loadComports(dir.str(), file));
    EXPECT_TRUE(file.ports.empty());

    std::vector<std::string> removed;
    EXPECT_EQ(cleanUsbDrivers(removed, dir.str() + "/no bridges") >> 16, 0x3007u);
    EXPECT_TRUE(removed.empty());
    std::ifstream in(comports(), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), text);  // not written back

    // A file of exactly the limit is read whole.
    text.resize(platform::kMaxComportsFile - entry.size());
    text.back() = '\n';
    text += entry;
    std::ofstream(comports(), std::ios::binary | std::ios::trunc) << text;
    EXPECT_EQ(comportsDevicePath(7, dir.str()), "/dev/ttyS10");
}

// A comports.cfg that is there but cannot be read is not a missing one: no COM number falls
// back to the system's own device, and the message names the file. A missing one still does.
TEST_F(UnreadableFiles, ComportsThatCannotBeReadIsNamedNotTakenAsMissing) {
    fs::remove(comports());
    EXPECT_EQ(comportsDevicePath(3, dir.str()), platform::defaultSerialDevicePath(3));
    forEachKind(comports(), [&] {
        EXPECT_EQ(comportsDevicePath(3, dir.str()), "");
        ASSERT_EQ(ui.callsOf("message").size(), 1u);
        EXPECT_EQ(ui.callsOf("message")[0].rfind("CHYBA !|Soubor " + comports() + " nelze přečíst: ", 0), 0u)
            << ui.callsOf("message")[0];
        ComportsFile file;
        EXPECT_FALSE(loadComports(dir.str(), file));
    });
}

// line.cfg and terminal.dat that are there but cannot be read: not a free slot, not a line
// without modules; the tree names them, and adding a line names the slot that stops it.
TEST_F(UnreadableFiles, RecordFilesThatCannotBeReadAreNamedNotFreeSlots) {
    ASSERT_EQ(newLine(0), 1);
    ModuleRecord module;
    module.setId(5);
    module.setType(4);
    ASSERT_TRUE(writeModuleRecord(0, 1, module));
    for (const char* name : {"line.cfg", "terminal.dat"}) {
        const fs::path path = linePath(1, name);
        const auto before = test::readFileBytes(path);
        forEachKind(path, [&] {
            if (std::string(name) == "line.cfg") {
                EXPECT_EQ(newLine(0), -1);  // not taken as the free slot 1, nor passed over
                ASSERT_FALSE(ui.callsOf("message").empty());
                EXPECT_EQ(ui.callsOf("message")[0].rfind("CHYBA !|Soubor " + path.string() + " nelze přečíst: ", 0), 0u)
                    << ui.callsOf("message")[0];
                EXPECT_FALSE(fs::exists(linePath(2, "line.cfg")));
            }
            // The tree leaves it out; `lumo-ctl list` names it (tests/cli).
            EXPECT_EQ(buildTreeItems(false).size(), std::string(name) == "line.cfg" ? 0u : 1u);
        });
        test::writeFileBytes(path, before);
    }
    ui.calls.clear();
    EXPECT_EQ(buildTreeItems(false).size(), 2u);
    // A missing file is no error: no modules, no line.
    fs::remove(linePath(1, "terminal.dat"));
    EXPECT_EQ(buildTreeItems(false).size(), 1u);
    fs::remove(linePath(1, "line.cfg"));
    EXPECT_TRUE(buildTreeItems(false).empty());
    EXPECT_EQ(newLine(0), 1);
    EXPECT_TRUE(ui.callsOf("message").empty());
}

// A failed add leaves nothing behind: no empty line.cfg that would be passed over for good, no
// line without its module file, and a free slot that was there keeps its record.
TEST_F(UnreadableFiles, FailedLineAddLeavesNothingBehind) {
    {
        test::FullDisk full(100);  // less than a record
        EXPECT_EQ(newLine(0), -1);
    }
    clearError();
    EXPECT_FALSE(fs::exists(linePath(1, "line.cfg")));
    EXPECT_FALSE(fs::exists(dir.path() / "line1"));

    fs::create_directories(linePath(1, "terminal.dat"));  // the module file cannot be made
    EXPECT_EQ(newLine(0), -2);
    clearError();
    EXPECT_FALSE(fs::exists(linePath(1, "line.cfg")));

    fs::remove(linePath(1, "terminal.dat"));
    ASSERT_EQ(newLine(0), 1);
    LineRecord freed;
    ASSERT_TRUE(readLineRecord(0, freed));
    freed.setLineNumber(0);
    ASSERT_TRUE(writeLineRecord(0, freed));
    const auto before = test::readFileBytes(linePath(1, "line.cfg"));
    fs::remove(linePath(1, "terminal.dat"));
    fs::create_directories(linePath(1, "terminal.dat"));
    EXPECT_EQ(newLine(0), -2);
    clearError();
    EXPECT_EQ(test::readFileBytes(linePath(1, "line.cfg")), before);

    fs::remove(linePath(1, "terminal.dat"));
    EXPECT_EQ(newLine(0), 1);  // the slot is taken again
}

// cmd.dat that cannot be read whole: the load fails as before (all zero, ": CONFIG.DAT",
// fatal), and the file is not written over: its console lines and notes stay.
TEST_F(UnreadableFiles, CommandFileThatCannotBeReadIsNeverWrittenOver) {
    const fs::path path = dir.path() / "cmd.dat";
    const auto check = [&] {
        EXPECT_EQ(loadCommandFile(), 1);
        EXPECT_EQ(pendingError() & 0xffff, 0x8103u);
        EXPECT_EQ(commandFile(), CommandFile{});
        clearError();
        commandFile().setConsoleLine(0, "CAL");
        EXPECT_EQ(saveCommandFile(), 1);
        EXPECT_EQ(pendingError(), 0u);
        ASSERT_EQ(ui.callsOf("message").size(), 1u);
        EXPECT_NE(ui.callsOf("message")[0].find("Soubor " + path.string()), std::string::npos) << ui.callsOf("message")[0];
    };
    const std::vector<unsigned char> shortFile(4247, 'A');  // one byte short of the record
    test::writeFileBytes(path, shortFile);
    ui.calls.clear();
    check();
    EXPECT_EQ(test::readFileBytes(path), shortFile);
    fs::remove(path);
    forEachKind(path, [&] {
        const auto kind = fs::symlink_status(path).type();
        check();
        EXPECT_EQ(fs::symlink_status(path).type(), kind);  // still what it was, not replaced
    });
    // Missing: the load fails and the save makes it.
    EXPECT_EQ(loadCommandFile(), 1);
    clearError();
    EXPECT_EQ(saveCommandFile(), 0);
    EXPECT_EQ(fs::file_size(path), 4248u);
}

// The register's lock file is not a module file: its failure carries its own context.
TEST_F(UnreadableFiles, RegisterLockFailureHasItsOwnContext) {
    fs::create_directories(dir.path() / "reg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    std::ofstream(dir.path() / "reg" / "sernum.txt");
    fs::create_directories(dir.path() / "reg" / "sernum.txt.init-lock");
    const RegisterIssueLock issuing(4);
    EXPECT_FALSE(issuing.held());
    EXPECT_EQ(pendingError(), 0x01011001u);  // a context of its own, not TERMINAL.DAT
    EXPECT_EQ(errorMessageText(pendingError(), 0).rfind("Otevření souboru: SEZNAM VÝROBNÍCH ČÍSEL \n", 0), 0u);
}

}  // namespace
}  // namespace lumo
