// Several programs editing one installation at once lose nothing: every record a process
// reported is there, whole; a writer waits for another program's lock and never writes
// through it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <sstream>
#include <set>

#include "base/app_state.h"
#include "model/installation.h"
#include "model/record_lock.h"
#include "platform/clock.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

// Runs `work` in `count` child processes (each given its number) and returns what they
// reported, all together; read before the children are waited for, so no report blocks on a
// full pipe.
std::string reportsOfChildren(int count, const std::function<std::string(int)>& work) {
    int out[2];
    if (::pipe(out) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    std::vector<pid_t> children;
    for (int p = 0; p < count; ++p) {
        const pid_t pid = ::fork();
        if (pid < 0) {
            ADD_FAILURE() << "fork failed";
            break;
        }
        if (pid == 0) {
            ::close(out[0]);
            const std::string report = work(p);
            ::write(out[1], report.data(), report.size());
            ::_exit(0);
        }
        children.push_back(pid);
    }
    ::close(out[1]);
    std::string reports;
    char chunk[4096];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;) reports.append(chunk, static_cast<std::size_t>(n));
    ::close(out[0]);
    for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
    return reports;
}

using ConcurrentEdits = test::InstallationTest;

// Another program holds an fcntl lock on "terminal.dat": a write waits for it, and gives up with
// a clear message when it does not come within the bound, having written nothing.
TEST_F(ConcurrentEdits, WriterWaitsForAnotherProgramsLockAndNeverWritesThroughIt) {
    ASSERT_EQ(newLine(0), 1);
    const std::string path = moduleFilePath(1);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ::fcntl(fd, F_SETLKW, &lock);
        ::write(ready[1], "x", 1);
        ::usleep(600 * 1000);  // holds it for 600 ms
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ModuleRecord m;
    m.setId(5);
    m.setType(4);
    const std::int64_t start = platform::monotonicMs();
    EXPECT_TRUE(writeModuleRecord(0, 1, m));  // waited for, then written
    EXPECT_GE(platform::monotonicMs() - start, 400);
    ::waitpid(holder, nullptr, 0);

    // A lock that stays: the bound passes, the message says why, nothing is written.
    const pid_t stubborn = ::fork();
    ASSERT_GE(stubborn, 0);
    if (stubborn == 0) {
        const int fd = ::open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ::fcntl(fd, F_SETLKW, &lock);
        ::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const auto before = test::readFileBytes(linePath(1, "terminal.dat"));
    setRecordLockWait(300);
    m.setId(9);
    EXPECT_FALSE(writeModuleRecord(0, 1, m));
    setRecordLockWait(kRecordLockWaitMs);
    ::kill(stubborn, SIGKILL);
    ::waitpid(stubborn, nullptr, 0);
    EXPECT_EQ(test::readFileBytes(linePath(1, "terminal.dat")), before);
    EXPECT_EQ(ui.callsOf("message").back(),
              "Upozornění|Soubor " + path + " právě upravuje jiný program. Zkuste to prosím znovu. ");
    EXPECT_EQ(pendingError(), 0x01010000u);
}

// Six processes add modules to four lines, each its own share of the IDs (each ID of each line
// is added once, and all race for the free slots of a line); two add lines. Afterwards every
// record a process reported is there with its ID.
TEST_F(ConcurrentEdits, SixModuleAddersAndTwoLineAddersLoseNothing) {
    constexpr int kLines = 4, kIds = 30, kModuleAdders = 6, kLineAdders = 2, kLinesEach = 5;
    for (int n = 1; n <= kLines; ++n) ASSERT_EQ(newLine(0), n);
    const std::string work = dir.str();
    const std::string reports = reportsOfChildren(kModuleAdders + kLineAdders, [&](int p) {
        std::string report;
        if (p < kModuleAdders) {
            for (int id = p + 1; id <= kIds; id += kModuleAdders) {
                for (int line = 1; line <= kLines; ++line) {
                    const test::CtlResult r = test::runCtlArgs(
                        work, {"module", "add", std::to_string(line), "--type", "4", "--id", std::to_string(id)});
                    if (r.status == 0) report += "M " + std::to_string(line) + " " + std::to_string(id) + " " + r.out;
                }
            }
        } else {
            for (int i = 0; i < kLinesEach; ++i) {
                const test::CtlResult r = test::runCtlArgs(work, {"line", "add", "tcp"});
                if (r.status == 0) report += "L " + r.out;
            }
        }
        return report;
    });

    std::istringstream lines(reports);
    std::map<std::pair<int, int>, int> modules;  // (line, id) -> record number reported
    std::set<int> newLines;
    for (std::string kind; lines >> kind;) {
        if (kind == "M") {
            int line = 0, id = 0, record = 0;
            lines >> line >> id >> record;
            EXPECT_TRUE(modules.emplace(std::pair{line, id}, record).second) << "ID " << id << " added twice";
        } else {
            int line = 0;
            lines >> line;
            EXPECT_TRUE(newLines.insert(line).second) << "line " << line << " reported twice";
        }
    }
    EXPECT_EQ(modules.size(), static_cast<std::size_t>(kLines * kIds));
    for (const auto& [key, record] : modules) {
        ModuleRecord m;
        ASSERT_TRUE(readModuleRecord(key.first - 1, record, m));
        EXPECT_EQ(m.id(), key.second) << "line " << key.first << " record " << record;
    }
    EXPECT_EQ(newLines.size(), static_cast<std::size_t>(kLineAdders * kLinesEach));
    for (int line : newLines) {
        LineRecord r;
        ASSERT_TRUE(readLineRecord(line - 1, r));
        EXPECT_EQ(r.lineNumber(), line);
        EXPECT_EQ(r.headType(), 11);
    }
    for (int n = 1; n <= kLines; ++n) EXPECT_EQ(std::filesystem::file_size(moduleFilePath(n)) % 260, 0u);
}

// Processes adding lines to a fresh data directory (no line folders yet) never get one number
// twice: a slot that is missing is claimed by creating its file, one that another program is
// claiming is left to it.
TEST_F(ConcurrentEdits, LineAddersOnAFreshDirectoryNeverShareANumber) {
    constexpr int kProcesses = 4, kEach = 3, kRounds = 100;
    for (int round = 0; round < kRounds; ++round) {
        test::TempDir fresh;
        appState().dataDirectory = fresh.dir();
        const std::string text = reportsOfChildren(kProcesses, [&](int) {
            std::string got;
            for (int i = 0; i < kEach; ++i) got += std::to_string(newLine(0)) + " ";
            return got;
        });
        std::istringstream numbers(text);
        std::set<int> seen;
        for (int n; numbers >> n;) {
            EXPECT_GT(n, 0) << "round " << round;
            EXPECT_TRUE(seen.insert(n).second) << "round " << round << ": line " << n << " given out twice";
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(kProcesses * kEach)) << "round " << round;
    }
}

}  // namespace
}  // namespace lumo
