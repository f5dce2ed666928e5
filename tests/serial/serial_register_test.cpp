// The register of issued serial numbers: reading, appending, and several writers at once.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "base/app_state.h"
#include "model/cp1250.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "support/ctl_runner.h"
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
    // A note in code page 1250 ("čtečka"), and a last line without its line end.
    write("sernum_tesk.txt", s1 + ";pilot;\xE8te\xE8ka;1\r\n" + s2 + ";;0\r\n" + s3 + ";last;3");
    std::vector<RegisterRow> rows;
    ASSERT_TRUE(registerRows(48, rows));
    ASSERT_EQ(rows.size(), 1u);  // 56 is another type; the last line is incomplete
    EXPECT_EQ(rows[0].serial, s1);
    EXPECT_EQ(rows[0].date, "05.06.2019");
    EXPECT_EQ(rows[0].model, "QH-J01");
    EXPECT_EQ(rows[0].rest, "pilot;čtečka;1");
    EXPECT_EQ(RegisterLastSequence(48), 2);  // 3 stands on the incomplete line
    EXPECT_EQ(registerFilePath(48).substr(registerFilePath(48).size() - 15), "sernum_tesk.txt");
}

// A line longer than the reader's chunk is no line to skip: the number on it could be issued
// again. It stops every issue until the file is mended.
TEST_F(Register, OverlongLineStopsIssuing) {
    const std::string s2 = SerialEncode(2, 4, packDate(1, 1, 2024));
    write("sernum.txt", SerialEncode(1, 4, packDate(1, 1, 2024)) + ";ok;0\r\n" + s2 + ";" + std::string(3000, 'n') +
                            ";0\r\n");
    const std::string before = read("sernum.txt");
    EXPECT_EQ(RegisterLastSequence(4), -1);
    EXPECT_EQ(pendingError(), 0x09ff0001u);
    clearError();
    EXPECT_EQ(registerIssue(4, SerialEncode(2, 4, packDate(2, 1, 2024)), "", 0), IssueResult::Failed);
    EXPECT_EQ(read("sernum.txt"), before);
}

// Notes that would tear a line, plant a forged one or cut it at the wrong place are refused
// before anything is written; code page 1250 letters are stored as such and read back.
TEST_F(Register, HostileNotesAreRefusedAndLettersKept) {
    const std::string serial = SerialEncode(2, 4, packDate(1, 1, 2024));
    write("sernum.txt", SerialEncode(1, 4, packDate(1, 1, 2024)) + ";;0\r\n");
    const std::string before = read("sernum.txt");
    const struct {
        std::string note;
        const char* message;
    } refused[] = {
        {"x\r\n302213109990", "Upozornění|Poznámka nesmí obsahovat znak ';' ani konec řádku. "},
        {"oprava;2", "Upozornění|Poznámka nesmí obsahovat znak ';' ani konec řádku. "},
        {std::string("a\0b", 3), "Upozornění|Poznámka nesmí obsahovat znak ';' ani konec řádku. "},
        {"sněhulák ☃", "Upozornění|Poznámka obsahuje znaky, které nelze uložit v kódové stránce 1250. "},
        {std::string(281, 'n'), "Upozornění|Záznam v seznamu čísel by byl delší než 295 znaků: zkraťte poznámku. "},
        {std::string(3000, 'n'), "Upozornění|Záznam v seznamu čísel by byl delší než 295 znaků: zkraťte poznámku. "},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(registerIssue(4, serial, r.note, 1), IssueResult::Refused) << r.note.size();
        EXPECT_FALSE(RegisterAppend(4, serial, r.note, 1));
        EXPECT_EQ(ui.callsOf("message").back(), r.message);
        EXPECT_EQ(read("sernum.txt"), before);
    }
    EXPECT_EQ(RegisterLastSequence(4), 1);
    // 280 characters of note make a line of exactly 295.
    ASSERT_EQ(registerIssue(4, serial, std::string(280, 'n'), 1), IssueResult::Issued);
    ASSERT_EQ(registerIssue(4, SerialEncode(3, 4, packDate(1, 1, 2024)), "oprava čtečky", 2), IssueResult::Issued);
    EXPECT_EQ(read("sernum.txt").substr(before.size() + 297), SerialEncode(3, 4, packDate(1, 1, 2024)) +
                                                                   ";oprava \xE8te\xE8ky;2\r\n");
    std::vector<RegisterRow> rows;
    ASSERT_TRUE(registerRows(4, rows));
    EXPECT_EQ(rows.back().rest, "oprava čtečky;2");
    EXPECT_EQ(registerChoiceOf(rows.back()).note, "oprava čtečky");
}

// A number no device can have is never recorded, whoever asks; one an older register holds is
// listed with its date digits and said to be no date.
TEST_F(Register, NumbersNoDeviceCanHaveAreNeverRecorded) {
    write("sernum.txt", "150316040001;star\xfd;0\r\n");
    const std::string before = read("sernum.txt");
    const std::string zero = SerialEncode(0, 4, packDate(15, 3, 2016));
    const struct {
        std::string serial;
        std::string message;
    } refused[] = {
        {"999910100077", "Upozornění|Výrobní číslo 999910100077 nemá platné datum výroby ! "},
        {"000000000000", "Upozornění|Výrobní číslo 000000000000 nemá platné datum výroby ! "},
        {SerialEncode(2, 4, packDate(31, 2, 2026)), "Upozornění|Výrobní číslo " + SerialEncode(2, 4, packDate(31, 2, 2026)) +
                                                         " nemá platné datum výroby ! "},
        {zero, "Upozornění|Výrobní číslo " + zero + " má neplatné pořadí 0000 ! "},
        {"12345", "Upozornění|Výrobní číslo musí mít 12 číslic ! "},
    };
    for (const auto& r : refused) {
        const int type = SerialDecode(r.serial).typeCode;
        ASSERT_EQ(registerIssue(type, r.serial, "", 0), IssueResult::Refused) << r.serial;
        EXPECT_EQ(ui.callsOf("message").back(), r.message);
        EXPECT_FALSE(RegisterAppend(type, r.serial, "", 0));
        EXPECT_FALSE(registerLineAcceptable(r.serial, "", 0));
        EXPECT_EQ(read("sernum.txt"), before) << r.serial;
    }
    std::vector<RegisterRow> rows;
    ASSERT_TRUE(registerRows(4, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].date, "273764: neplatné datum");
    EXPECT_EQ(rows[0].rest, "starý;0");
}

// An unterminated last line (a torn write, another program) is ended before the next append:
// glued onto it, the new number would be hidden and issued again.
TEST_F(Register, UnterminatedLastLineIsEndedBeforeAppending) {
    const std::string s1 = SerialEncode(1, 4, packDate(1, 1, 2024)), s2 = SerialEncode(2, 4, packDate(1, 1, 2024));
    write("sernum.txt", s1 + ";x;1");
    ASSERT_EQ(registerIssue(4, s2, "", 0), IssueResult::Issued);
    EXPECT_EQ(read("sernum.txt"), s1 + ";x;1\r\n" + s2 + ";;0\r\n");
    EXPECT_EQ(RegisterLastSequence(4), 2);
    EXPECT_EQ(registerIssue(4, s2, "", 0), IssueResult::AlreadyIssued);
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

// Several issuers (threads, each opening the register itself) issue numbers into one register
// at once, each checking under the lock.
TEST_F(Register, ConcurrentIssuersNeverIssueASequenceTwice) {
    constexpr int kIssuers = 6, kEach = 40;
    std::atomic<int> total{0};
    std::vector<std::thread> issuers;
    for (int p = 0; p < kIssuers; ++p) {
        issuers.emplace_back([p, &total] {
            // Everyone tries the same sequences 1..kEach: each must be issued exactly once.
            for (int s = 1; s <= kEach; ++s) {
                const std::string serial = SerialEncode(s, 4, packDate(1 + p, 1, 2024));
                if (registerIssue(4, serial, "worker " + std::to_string(p) + " with a longer note", p % 4) ==
                    IssueResult::Issued)
                    ++total;
            }
        });
    }
    for (auto& t : issuers) t.join();
    EXPECT_EQ(total.load(), kEach);
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

// Five production lines run lumo-ctl to issue the next numbers of one type at once, with hostile notes among
// them: no sequence twice, no torn or forged line, every note readable.
TEST_F(Register, FiveProcessesWithHostileNotesThroughLumoCtl) {
    std::filesystem::create_directories(dir.path() / "work");
    const std::string work = dir.str() + "/work";
    ASSERT_EQ(test::runCtlArgs(work, {"config", "set", "--data-dir", dir.str()}).status, 0);
    const std::vector<std::string> notes = {"oprava čtečky", "x\r\n302213109990", "a;b", std::string(400, 'L'),
                                            "sklad Brno", ""};
    constexpr int kProcesses = 5, kEach = 12;
    // A thread for each production line, each running lumo-ctl processes one after another.
    std::atomic<int> issuedCount{0}, failures{0};
    std::vector<std::thread> productionLines;
    for (int p = 0; p < kProcesses; ++p) {
        productionLines.emplace_back([&, p] {
            for (int i = 0; i < kEach; ++i) {
                const std::string& note = notes[static_cast<std::size_t>(p + i) % notes.size()];
                // The next number as a production line proposes it; lost races try again.
                for (int attempt = 0; attempt < 50; ++attempt) {
                    const test::CtlResult last = test::runCtlArgs(work, {"register", "last", "4"});
                    if (last.status != 0) {
                        ++failures;
                        return;
                    }
                    const std::string serial = SerialEncode(std::stoi(last.out) + 1, 4, packDate(1, 1 + p, 2025));
                    const test::CtlResult add = test::runCtlArgs(work, {"register", "add", serial, "--note", note});
                    if (add.status == 0) ++issuedCount;
                    if (add.err.find("already issued") == std::string::npos) break;
                }
            }
        });
    }
    for (auto& t : productionLines) t.join();
    ASSERT_EQ(failures.load(), 0);
    const int issued = issuedCount;
    // Three of the six notes are refused: half of the adds go in.
    EXPECT_EQ(issued, kProcesses * kEach / 2);
    const std::string text = read("sernum.txt");
    EXPECT_EQ(text.size() >= 2 ? text.substr(text.size() - 2) : "", "\r\n");
    std::set<int> sequences;
    std::size_t start = 0;
    int lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        ++lines;
        ASSERT_EQ(std::count(line.begin(), line.end(), ';'), 2) << line;
        ASSERT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_TRUE(sequences.insert(registerLineSequence(line)).second) << line;
        const std::string note = cp1250ToUtf8(line.substr(13, line.rfind(';') - 13));
        EXPECT_TRUE(note == "oprava čtečky" || note == "sklad Brno" || note.empty()) << note;
    }
    EXPECT_EQ(lines, issued);
    EXPECT_EQ(*sequences.rbegin(), issued);  // 1 .. issued, each once
}

}  // namespace
}  // namespace lumo
