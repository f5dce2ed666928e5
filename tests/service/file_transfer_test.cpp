// The file transfer on the wire: records sent as one DLL instruction with their CRC-8, read back
// with RDI into a part file that replaces the target only when whole; bad files and
// sub-instructions refused before anything is sent; every acknowledgement taken; a cancel or a
// silent module ends it with the release sent and the slot free.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "actions/device_actions.h"
#include "comm/crc8.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/clock.h"
#include "service/file_transfer.h"
#include "service/jobs.h"
#include "support/full_disk.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

TEST(TransferLayouts, FromTheFirstBytes) {
    const struct {
        std::string head;
        std::size_t length, terminator;
    } cases[] = {
        {"AB\r\nCD\r\n", 4, 2}, {"AB+CD+EF*", 3, 1}, {"ABC*", 4, 1}, {"+AB+", 4, 1},  // the first byte is data
        {"A\nB\r\n", 5, 2},     {std::string(199, 'x') + "+", 200, 1},
        {std::string(200, 'x') + "+", 0, 0},  // beyond the 200 bytes looked at
        {"", 0, 0},             {"\r\n", 2, 2},  // a record of nothing but its line end
    };
    for (const auto& c : cases) {
        const auto layout = transferLayout(reinterpret_cast<const std::uint8_t*>(c.head.data()), c.head.size());
        EXPECT_EQ(layout ? layout->recordLength : 0u, c.length) << c.head.substr(0, 12);
        EXPECT_EQ(layout ? layout->terminatorLength : 0u, c.terminator) << c.head.substr(0, 12);
    }
    EXPECT_EQ(counterOfDll(0), 4);
    EXPECT_EQ(counterOfDll(5), 1);
    EXPECT_EQ(counterOfDll(2), 0);
}

class FileTransfer : public test::SimTest {
protected:
    void install(const std::vector<std::string>& modules) {
        startSim(modules);
        installSerialLine();
        addSerialModule(1, 5, 4);
    }
    void TearDown() override {
        jobCancel();
        JobWait();
        SimTest::TearDown();
    }
    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    bool transfer(bool send, const std::string& path, const char* sub = "0") {
        bool done = false;
        EXPECT_EQ(startFileTransfer(kSerialLine, 1, send, sub, path, [&done](bool ok) { done = ok; }), 1);
        JobWait();
        return done;
    }
    // The TCP line to the converter, with module 1 on it.
    void installTcpModule(int id) {
        std::filesystem::create_directories(dir.path() / "line2");
        ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(4);
        ASSERT_TRUE(writeModuleRecord(kTcpLine, 1, m));
    }
    // What the module received, once the simulator has logged the release that ends a transfer:
    // it logs a moment after the line is closed (at most 2 s are waited for).
    std::string receivedToRelease() {
        std::string text = wire().received();
        for (int i = 0; i < 100 && text.find("&ML_END") == std::string::npos; ++i) {
            platform::pause(20);
            text = wire().received();
        }
        return text;
    }
    static std::string content(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::string crcOf(const std::string& text) {
        return std::string(1, static_cast<char>(crc8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    }
};

TEST_F(FileTransfer, RecordsGoAsOneDllWithTheirChecksumAndComeBackWithRdi) {
    install({"serial 5 4 c1=3"});
    EXPECT_TRUE(transfer(true, file("abc.txt", "AB\r\nCD\r\nEF\r\n")));
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Informace|Počet záznamů pro zápis: 3 \n Délka záznamu: 2 "}));
    const std::string sent = receivedToRelease();
    EXPECT_NE(sent.find("#SET$7+C40000*"), std::string::npos) << sent;  // DLL 0 fills C4: zeroed first
    EXPECT_NE(sent.find("&ML_05#DLL$0+AB+CD+EF*" + crcOf("AB+CD+EF") + "&ML_END"), std::string::npos) << sent;
    EXPECT_EQ(wire().sent().substr(wire().sent().size() - 3), "KKK");  // one acknowledgement a record
    EXPECT_EQ(ui.callsOf("progress").front(), "show Zápis:");
    EXPECT_EQ(ui.callsOf("progress").back(), "hide");

    const std::string out = dir.str() + "/history.txt";
    EXPECT_TRUE(transfer(false, out));
    EXPECT_EQ(test::readFileBytes(out).size(), 3 * 31u);
    EXPECT_NE(wire().received().find("&ML_05#RDI$0+"), std::string::npos);
    EXPECT_FALSE(jobActive());
}

// A file whose records do not all end where the first one's length says, or that holds NUL
// bytes, is refused whole, naming the record: the line is never opened (no zeroing either).
TEST_F(FileTransfer, BadFilesAreRefusedBeforeTheLineOpens) {
    install({"serial 5 4"});
    const struct {
        const char* what;
        std::string bytes;
        const char* refusal;  // nullptr: the format is not recognised at all (a status text)
    } cases[] = {
        {"no terminator", "ABCDEF", nullptr},
        {"empty", "", nullptr},
        {"binary junk", std::string("\x01\x02\x03\x04\xff\xfe", 6), nullptr},
        {"a short record in the middle", "AB0001+AB02+AB0003*",
         "Soubor nelze odeslat: záznam 2: končí už 5. znakem ('+'), první záznam má 7 znaků"},
        {"a last record without its end", "AB+CD+E", "Soubor nelze odeslat: záznam 3: má jen 1 z 3 znaků, chybí mu konec"},
        {"a last record of full length without its end", "AB+CD+EFG",
         "Soubor nelze odeslat: záznam 3: nekončí znakem '+' nebo '*' po 3 znacích jako první záznam"},
        {"lines of another length", "AB\r\nCDE\r\n", "Soubor nelze odeslat: záznam 2: nekončí znaky CR+LF po 4 znacích jako první záznam"},
        {"an end mark inside a line", "ABC\r\nA*C\r\n", "Soubor nelze odeslat: záznam 2: končí už 2. znakem ('*'), první záznam má 5 znaků"},
        {"a NUL byte", std::string("AB+C\0+", 6), "Soubor nelze odeslat: záznam 2: 2. znak je nulový bajt"},
        {"a hole at the end (a sparse file)", "AB+CD+" + std::string(600, '\0'), "Soubor nelze odeslat: záznam 3: 1. znak je nulový bajt"},
    };
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ui.calls.clear();
        EXPECT_FALSE(transfer(true, file("bad.txt", c.bytes))) << c.what;
        EXPECT_EQ(wire().received(), "") << c.what;
        if (c.refusal == nullptr) {
            EXPECT_EQ(ui.callsOf("status").back(), "chybný formát souboru !") << c.what;
            EXPECT_TRUE(ui.callsOf("message").empty()) << c.what;
        } else {
            EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{std::string("Přenos dat|") + c.refusal}) << c.what;
        }
    }
    ui.calls.clear();
    EXPECT_FALSE(transfer(true, dir.str() + "/missing.txt"));
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Přenos dat|Nelze otevřít soubor ! "}));
}

// Every acknowledgement is shown as it comes and the transfer goes on after one that is not 'K';
// those are listed in one box at the end, and the transfer counts as not done.
TEST_F(FileTransfer, AcknowledgementsOtherThanKAreListedAtTheEnd) {
    install({"serial 5 4 nak=2"});
    EXPECT_FALSE(transfer(true, file("three.txt", "A1+A2+A3*")));
    const std::string sent = receivedToRelease();
    EXPECT_NE(sent.find("#DLL$0+A1+A2+A3*" + crcOf("A1+A2+A3") + "&ML_END"), std::string::npos) << test::visible(sent);
    EXPECT_EQ(wire().sent().rfind("KEK"), wire().sent().size() - 3);
    const auto status = ui.callsOf("status");
    for (const char* shown : {"Odpověď, záznam 1: 'K'", "Odpověď, záznam 2: 'E'", "Odpověď, záznam 3: 'K'"})
        EXPECT_NE(std::find(status.begin(), status.end(), shown), status.end()) << shown;
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Informace|Počet záznamů pro zápis: 3 \n Délka záznamu: 2 ",
                                                               "Odpověď|Modul nepotvrdil znakem 'K' tyto záznamy:\nzáznam 2: 'E'"}));
}

// "Přenos souboru" and "Načtení do souboru" take a sub-instruction of one digit (the field is read
// as hexadecimal); the job gets the whole file name, "cmd.dat" keeps it only when its field holds
// it whole.
TEST_F(FileTransfer, OneDigitSubInstructionAndTheWholeFileName) {
    install({"serial 5 4"});
    const std::string records = "AB+CD*";
    const std::string shortPath = file("abc.txt", records);
    const struct {
        const char* sub;
        std::string path;
        const char* wire;        // nullptr: refused, nothing sent
        std::string remembered;  // the name "cmd.dat" holds afterwards
    } cases[] = {
        {"9", shortPath, "#DLL$9+AB+CD*", shortPath},
        {"a", shortPath, nullptr, shortPath},  // hexadecimal 10: two digits
        {"fffffffff", shortPath, nullptr, shortPath},
        {"", shortPath, nullptr, shortPath},
        {"2", file(std::string(60, 'x') + ".txt", records), "#DLL$2+AB+CD*", shortPath},
        {"2", file("záznamy_字.txt", records), "#DLL$2+AB+CD*", shortPath},  // not in code page 1250
    };
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ui.calls.clear();
        bool done = false;
        const int started = startFileTransfer(kSerialLine, 1, true, c.sub, c.path, [&done](bool ok) { done = ok; });
        JobWait();
        if (c.wire == nullptr) {
            EXPECT_EQ(started, 0) << c.sub;
            EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Přenos dat|Podinstrukce DLL musí být jedna číslice 0 až 9. "}) << c.sub;
            EXPECT_EQ(wire().received(), "") << c.sub;
        } else {
            EXPECT_TRUE(done) << c.path;
            EXPECT_NE(wire().received().find(c.wire), std::string::npos) << c.path;
        }
        commandFile().clear();
        ASSERT_EQ(loadCommandFile(), 0);
        EXPECT_EQ(commandFile().transferFileName(), c.remembered) << c.path;
    }
}

TEST_F(FileTransfer, CancelEndsBeforeTheNextRecordWithTheRelease) {
    install({"serial 5 4"});
    std::string records;
    for (int i = 0; i < 1000; ++i) records += "REC" + std::to_string(1000 + i) + "\r\n";
    const std::string path = file("many.txt", records);
    bool done = true;
    ASSERT_EQ(startFileTransfer(kSerialLine, 1, true, "2", path, [&done](bool ok) { done = ok; }), 1);
    while (wire().sent().size() < 5) platform::pause(20);  // some records acknowledged
    jobCancel();
    JobWait();
    EXPECT_FALSE(done);
    EXPECT_FALSE(jobActive());
    const std::string sent = receivedToRelease();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
    EXPECT_LT(sent.size(), records.size() / 2);
    EXPECT_EQ(ui.callsOf("message").size(), 1u);  // only the count: a cancelled job says nothing
}

// A long read (2000 records, each a little late) stopped in the middle: within one record, the
// release sent, the records read so far kept.
TEST_F(FileTransfer, CancelOfALongReadEndsWithinOneRecord) {
    install({"serial 5 4 c1=2000 slow=5"});
    const std::string out = dir.str() + "/history.txt";
    const std::string part = out + ".part";
    bool done = true;
    ASSERT_EQ(startFileTransfer(kSerialLine, 1, false, "0", out, [&done](bool ok) { done = ok; }), 1);
    while (!std::filesystem::exists(part) || std::filesystem::file_size(part) < 5 * 31) platform::pause(10);
    const std::int64_t cancelled = platform::monotonicMs();
    jobCancel();
    JobWait();
    EXPECT_LT(platform::monotonicMs() - cancelled, 1000);
    EXPECT_FALSE(done);
    EXPECT_FALSE(jobActive());
    EXPECT_FALSE(std::filesystem::exists(out));  // only a whole read becomes the file
    EXPECT_EQ(std::filesystem::file_size(part) % 31, 0u);
    EXPECT_LT(std::filesystem::file_size(part), 2000 * 31u);
    const std::string sent = receivedToRelease();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
}

TEST_F(FileTransfer, ModuleSilentInTheMiddleEndsTheJob) {
    install({"serial 5 4 drop=2"});  // acknowledges two records, then nothing
    const bool done = transfer(true, file("five.txt", "A1+A2+A3+A4+A5*"));
    EXPECT_FALSE(done);
    EXPECT_EQ(ui.callsOf("message").back(), "Přenos dat|Chyba čtení portu ! ");
    const std::string sent = receivedToRelease();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
    EXPECT_EQ(sent.find("A4"), std::string::npos);  // nothing after the silent record
    EXPECT_FALSE(jobActive());
}

// A read goes to "NAME.part"; an existing file is replaced only after the question, and only
// by a whole read: a failed one leaves it as it was, the records that came in the part.
TEST_F(FileTransfer, ReadReplacesTheFileOnlyWhenAskedAndWhole) {
    install({"serial 5 4 c1=3 slow=200"});
    const std::string out = file("data.txt", "the technician's data");
    const std::string part = out + ".part";
    const std::string question = "Přenos dat|Soubor " + out + " již existuje.\nChcete jej nahradit?";

    ui.answers = {false};
    const int refused = startFileTransfer(kSerialLine, 1, false, "0", out, {});
    jobCancel();  // had it started, it ends here
    JobWait();
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(ui.callsOf("ask"), std::vector<std::string>{question});
    EXPECT_EQ(wire().received(), "");
    EXPECT_EQ(content(out), "the technician's data");

    ui.answers = {true};
    bool done = true;
    ASSERT_EQ(startFileTransfer(kSerialLine, 1, false, "0", out, [&done](bool ok) { done = ok; }), 1);
    {
        test::FullDisk full(2 * kReadRecordLength);  // the third record cannot be written
        JobWait();
    }
    EXPECT_FALSE(done);
    EXPECT_EQ(content(out), "the technician's data");
    EXPECT_EQ(content(part).size(), 2 * kReadRecordLength);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Přenos dat|Chyba zápisu do souboru ! \nNačtené záznamy (2) jsou v souboru " +
                                                              part + ".\nSoubor " + out + " zůstal beze změny."});

    ui.answers = {true};
    EXPECT_TRUE(transfer(false, out));
    EXPECT_EQ(content(out).size(), 3 * kReadRecordLength);
    EXPECT_FALSE(std::filesystem::exists(part));
}

// "Přerušit aktivní příkaz" (and closing the panel, and Ctrl-C) ends a transfer to a module that
// stopped answering within a second, whatever the line and the wait: no message, the release
// sent once the line was opened.
TEST_F(FileTransfer, StopEndsTheWaitForASilentModuleWithinASecond) {
    const struct {
        const char* what;
        int line;
        bool send;
        const char* waitingAfter;  // on the wire when the wait has begun
    } cases[] = {
        {"acknowledgement, serial", kSerialLine, true, "#DLL$0+A1+"},
        {"record count, serial", kSerialLine, false, "#INF$7+"},
        {"acknowledgement, TCP", kTcpLine, true, "#DLL$0+A1+"},
        {"record count, TCP", kTcpLine, false, "#INF$7+"},
    };
    install({"serial 5 4 silent", "tcp 5 4 silent"});
    installTcpModule(5);
    const std::string records = file("two.txt", "A1+A2*");
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ui.calls.clear();
        bool done = true;
        ASSERT_EQ(startFileTransfer(c.line, 1, c.send, "0", c.send ? records : dir.str() + "/read.txt",
                                    [&done](bool ok) { done = ok; }),
                  1);
        while (wire().received().find(c.waitingAfter) == std::string::npos) platform::pause(20);
        platform::pause(200);
        const std::int64_t stopped = platform::monotonicMs();
        jobCancel();
        JobWait();
        EXPECT_LT(platform::monotonicMs() - stopped, 1000) << c.what;
        EXPECT_FALSE(done) << c.what;
        EXPECT_EQ(ui.callsOf("message").size(), c.send ? 1u : 0u) << c.what;  // the record count only
        if (c.send) {
            const std::string sent = receivedToRelease();
            EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END") << c.what;
        }
    }
}

}  // namespace
}  // namespace lumo
