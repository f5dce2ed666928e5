// Files that are no data files: a FIFO, a device, a symbolic link out of the installation, a
// record cut short by a full disk. Nothing blocks, nothing is read without end, nothing is
// written through a link, no half record stays.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "actions/install_actions.h"
#include "base/app_state.h"
#include "base/error_report.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/record_file.h"
#include "platform/serial_port.h"
#include "serial/serial_register.h"
#include "support/full_disk.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

class SpecialFiles : public test::InstallationTest {};

// Each reader meets a FIFO or /dev/zero where its file should be; run in a child with an alarm
// so that a reader that blocks or never ends fails the test instead of hanging it.
TEST_F(SpecialFiles, ReadersNeverBlockOrRunEndlessly) {
    fs::create_directories(dir.path() / "line1");
    fs::create_directories(dir.path() / "reg");
    ::mkfifo((dir.path() / "config.dat").c_str(), 0644);
    ::mkfifo((dir.path() / "cmd.dat").c_str(), 0644);
    ::mkfifo((dir.path() / "line1" / "line.cfg").c_str(), 0644);
    ::mkfifo((dir.path() / "line1" / "terminal.dat").c_str(), 0644);
    fs::remove(dir.path() / "comports.cfg");
    fs::create_symlink("/dev/zero", dir.path() / "comports.cfg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    fs::create_symlink("/dev/zero", dir.path() / "reg" / "sernum.txt");
    ::mkfifo((dir.path() / "reg" / "sernum_tesk.txt").c_str(), 0644);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(10);
        bool ok = loadConfig() == 1 && loadCommandFile() == 1;
        LineRecord line;
        ok = ok && !readLineRecord(0, line);
        ModuleRecord module;
        ok = ok && !readModuleRecord(0, 1, module);
        RecordImage found;
        FindKey key;
        ok = ok && findRecord(moduleFilePath(1), found, isUsedSlot, key) == -1;
        ok = ok && comportsDevicePath(3, dir.str()).empty();  // no device: not the system's own
        ok = ok && RegisterLastSequence(4) == -1 && RegisterLastSequence(48) == -1;
        ok = ok && registerIssue(4, "441560100001", "", 0) == IssueResult::Failed;
        ok = ok && !writeLineRecord(0, line);  // nor written
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_FALSE(WIFSIGNALED(status)) << "a reader blocked or ran on (signal " << WTERMSIG(status) << ")";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a special file was taken for a data file";
}

// A record file that links out of the data directory is neither read nor written: the file
// it points to keeps its bytes.
TEST_F(SpecialFiles, LinksAreNotFollowed) {
    ASSERT_EQ(newLine(0), 1);
    test::TempDir outside;
    std::ofstream(outside.path() / "precious") << std::string(300, 'P');
    fs::remove(linePath(1, "line.cfg"));
    fs::create_symlink(outside.path() / "precious", linePath(1, "line.cfg"));
    LineRecord line;
    line.setLineNumber(1);
    EXPECT_FALSE(writeLineRecord(0, line));
    EXPECT_EQ(pendingError(), err::kOpenForWrite);
    EXPECT_FALSE(readLineRecord(0, line));
    EXPECT_EQ(test::readFileBytes(outside.path() / "precious"), std::vector<unsigned char>(300, 'P'));
}

// A record that a full disk cuts short is taken back whole: the file keeps its length and
// every byte of the records before it, and a record rewritten in place keeps its old bytes.
TEST_F(SpecialFiles, FullDiskLeavesNoHalfRecord) {
    ASSERT_EQ(newLine(0), 1);
    for (int id = 1; id <= 15; ++id) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(4);
        ASSERT_TRUE(writeModuleRecord(0, id, m));
    }
    const auto before = test::readFileBytes(linePath(1, "terminal.dat"));
    ASSERT_EQ(before.size(), 3900u);
    ModuleRecord next;
    next.setId(16);
    next.setType(4);
    {
        test::FullDisk full(4096);  // record 16 would cross it at 4096
        EXPECT_FALSE(writeModuleRecord(0, 16, next));
        ModuleRecord changed;
        changed.setId(15);
        changed.setType(3);
        changed.setDescription("přepsáno");
        test::FullDisk tighter(3700);  // record 15 (3640-3899) is cut at 3700
        EXPECT_FALSE(writeModuleRecord(0, 15, changed));
    }
    EXPECT_EQ(test::readFileBytes(linePath(1, "terminal.dat")), before);
}

}  // namespace
}  // namespace lumo
