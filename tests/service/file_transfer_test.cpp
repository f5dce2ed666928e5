// The file transfer on the wire: records sent as one DLL instruction with their CRC-8, read back
// with RDI; bad files refused before anything is sent; a cancel or a silent module ends it with
// the release sent and the slot free.
#include <gtest/gtest.h>

#include <fstream>

#include "actions/device_actions.h"
#include "comm/crc8.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/file_transfer.h"
#include "service/jobs.h"
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
    static std::string crcOf(const std::string& text) {
        return std::string(1, static_cast<char>(crc8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    }
};

TEST_F(FileTransfer, RecordsGoAsOneDllWithTheirChecksumAndComeBackWithRdi) {
    install({"serial 5 4 c1=3"});
    EXPECT_TRUE(transfer(true, file("abc.txt", "AB\r\nCD\r\nEF\r\n")));
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Informace|Počet záznamů pro zápis: 3 \n Délka záznamu: 2 "}));
    const std::string sent = wire().received();
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

TEST_F(FileTransfer, BadFilesSendNothingWrong) {
    install({"serial 5 4"});
    const struct {
        const char* what;
        std::string bytes;
        const char* sentAfterStart;  // nullptr: no DLL at all
        const char* status;
    } cases[] = {
        {"no terminator", "ABCDEF", nullptr, "chybný formát souboru !"},
        {"empty", "", nullptr, "chybný formát souboru !"},
        {"binary junk", std::string("\x01\x02\x03\x04\xff\xfe", 6), nullptr, "chybný formát souboru !"},
        {"short last record", "AB+CD+E", "AB+CD*", nullptr},
    };
    for (const auto& c : cases) {
        std::filesystem::resize_file(logPath(), 0);
        ui.calls.clear();
        const bool done = transfer(true, file("bad.txt", c.bytes));
        const std::string sent = wire().received();
        if (c.sentAfterStart == nullptr) {
            EXPECT_FALSE(done) << c.what;
            EXPECT_EQ(sent.find("#DLL"), std::string::npos) << c.what << ": " << sent;
            EXPECT_EQ(ui.callsOf("status").back(), c.status) << c.what;
        } else {
            EXPECT_TRUE(done) << c.what;
            EXPECT_NE(sent.find(std::string("#DLL$0+") + c.sentAfterStart + crcOf("AB+CD")), std::string::npos) << sent;
        }
    }
    ui.calls.clear();
    EXPECT_FALSE(transfer(true, dir.str() + "/missing.txt"));
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Přenos dat|Nelze otevřít soubor ! "}));
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
    const std::string sent = wire().received();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
    EXPECT_LT(sent.size(), records.size() / 2);
    EXPECT_EQ(ui.callsOf("message").size(), 1u);  // only the count: a cancelled job says nothing
}

// A long read (2000 records, each a little late) stopped in the middle: within one record, the
// release sent, the records read so far kept.
TEST_F(FileTransfer, CancelOfALongReadEndsWithinOneRecord) {
    install({"serial 5 4 c1=2000 slow=5"});
    const std::string out = dir.str() + "/history.txt";
    bool done = true;
    ASSERT_EQ(startFileTransfer(kSerialLine, 1, false, "0", out, [&done](bool ok) { done = ok; }), 1);
    while (!std::filesystem::exists(out) || std::filesystem::file_size(out) < 5 * 31) platform::pause(10);
    const std::int64_t cancelled = platform::monotonicMs();
    jobCancel();
    JobWait();
    EXPECT_LT(platform::monotonicMs() - cancelled, 1000);
    EXPECT_FALSE(done);
    EXPECT_FALSE(jobActive());
    EXPECT_EQ(std::filesystem::file_size(out) % 31, 0u);
    EXPECT_LT(std::filesystem::file_size(out), 2000 * 31u);
    const std::string sent = wire().received();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
}

TEST_F(FileTransfer, ModuleSilentInTheMiddleEndsTheJob) {
    install({"serial 5 4 drop=2"});  // acknowledges two records, then nothing
    const bool done = transfer(true, file("five.txt", "A1+A2+A3+A4+A5*"));
    EXPECT_FALSE(done);
    EXPECT_EQ(ui.callsOf("message").back(), "Přenos dat|Chyba čtení portu ! ");
    const std::string sent = wire().received();
    EXPECT_EQ(sent.substr(sent.size() - 7), "&ML_END");
    EXPECT_EQ(sent.find("A4"), std::string::npos);  // nothing after the silent record
    EXPECT_FALSE(jobActive());
}

}  // namespace
}  // namespace lumo
