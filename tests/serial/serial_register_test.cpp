// The register of issued serial numbers: reading, appending, and several writers at once.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "base/app_state.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

class Register : public test::InstallationTest {
protected:
    void SetUp() override {
        InstallationTest::SetUp();
        std::filesystem::create_directory(dir.path() / "reg");
        std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
        write("sernum.txt", "");
        write("sernum_tesk.txt", "");
    }
    void write(const char* name, const std::string& text) {
        std::ofstream(dir.path() / "reg" / name, std::ios::binary | std::ios::trunc) << text;
    }
    std::string read(const char* name) {
        std::ifstream in(dir.path() / "reg" / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(Register, EmptyRegisterProposesSequenceOne) {
    EXPECT_EQ(RegisterLastSequence(4), 0);
    EXPECT_EQ(RegisterContains("100000040001", 4), 0);
}

TEST_F(Register, SequencesAreSharedAcrossTypesAndDates) {
    const std::string a = SerialEncode(7, 4, packDate(1, 2, 2020)), b = SerialEncode(7, 10, packDate(3, 4, 2021));
    write("sernum.txt", a + ";;0\r\n" + SerialEncode(12, 3, packDate(1, 1, 2022)) + ";x;2\r\n");
    EXPECT_EQ(RegisterLastSequence(4), 12);
    EXPECT_EQ(RegisterContains(b, 10), 1);  // 0007 of another type is the same sequence
    EXPECT_EQ(RegisterContains(SerialEncode(8, 4, packDate(1, 2, 2020)), 4), 0);
}

TEST_F(Register, LinesAreReadOnlyWholeAndNotesSplitAtTheirSemicolon) {
    const std::string s1 = SerialEncode(1, 48, packDate(5, 6, 2019)), s2 = SerialEncode(2, 56, packDate(5, 6, 2019));
    const std::string s3 = SerialEncode(3, 48, packDate(7, 8, 2023));
    // A line far longer than a chunk, and a last line without its line end.
    write("sernum_tesk.txt", s1 + ";pilot;unit;1\r\n" + std::string(5000, '9') + "\r\n" + s2 + ";;0\r\n" + s3 + ";last;3");
    std::vector<RegisterRow> rows;
    ASSERT_TRUE(registerRows(48, rows));
    ASSERT_EQ(rows.size(), 1u);  // 56 is another type; the long line is skipped; the last line is incomplete
    EXPECT_EQ(rows[0].serial, s1);
    EXPECT_EQ(rows[0].date, "05.06.2019");
    EXPECT_EQ(rows[0].model, "QH-J01");
    EXPECT_EQ(rows[0].rest, "pilot;unit;1");
    EXPECT_EQ(RegisterLastSequence(48), 2);  // 3 stands on the incomplete line
    EXPECT_EQ(registerFilePath(48).substr(registerFilePath(48).size() - 15), "sernum_tesk.txt");
}

TEST_F(Register, AppendWritesWholeLinesAndTheRegisterIsNeverCreated) {
    const std::string serial = SerialEncode(1, 10, packDate(15, 3, 2016));
    ASSERT_TRUE(RegisterAppend(10, serial, "pilot unit", 1));
    EXPECT_EQ(read("sernum.txt"), "441560100001;pilot unit;1\r\n");
    EXPECT_EQ(registerIssue(10, serial, "", 0), IssueResult::AlreadyIssued);
    EXPECT_EQ(read("sernum.txt"), "441560100001;pilot unit;1\r\n");

    std::filesystem::remove(dir.path() / "reg" / "sernum.txt");
    clearError();
    EXPECT_EQ(RegisterLastSequence(10), -1);
    EXPECT_EQ(pendingError(), 0x01010000u);
    EXPECT_FALSE(RegisterAppend(10, serial, "", 0));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "reg" / "sernum.txt"));

    std::filesystem::remove(dir.path() / "sn.dat");
    clearError();
    EXPECT_EQ(RegisterLastSequence(48), -1);
    EXPECT_EQ(pendingError(), 0u);  // no pointer file: a failure without a code
}

// Several processes issue numbers into one register at once, each checking under the lock.
TEST_F(Register, ConcurrentIssuersNeverIssueASequenceTwice) {
    constexpr int kProcesses = 6, kEach = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Everyone tries the same sequences 1..kEach: each must be issued exactly once.
            int issued = 0;
            for (int s = 1; s <= kEach; ++s) {
                const std::string serial = SerialEncode(s, 4, packDate(1 + p, 1, 2024));
                if (registerIssue(4, serial, "worker " + std::to_string(p) + " with a longer note", p % 4) ==
                    IssueResult::Issued)
                    ++issued;
            }
            ::_exit(issued);
        }
        children.push_back(pid);
    }
    int total = 0;
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        total += WEXITSTATUS(status);
    }
    EXPECT_EQ(total, kEach);
    std::istringstream lines(read("sernum.txt"));
    std::set<int> sequences;
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        ++count;
        ASSERT_EQ(line.back(), '\r') << line;
        ASSERT_EQ(std::count(line.begin(), line.end(), ';'), 2) << line;
        ASSERT_EQ(line.find(";worker "), 12u) << line;
        EXPECT_TRUE(sequences.insert(registerLineSequence(line)).second) << line;
    }
    EXPECT_EQ(count, kEach);
    EXPECT_EQ(sequences.size(), static_cast<std::size_t>(kEach));
}

}  // namespace
}  // namespace lumo
