// lumo-ctl upload and dump against the simulator: the range read into a file and printed, the
// dump written back, and the ranges refused before the line is opened; init on the same line.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "serial/serial_number.h"
#include "support/ctl_runner.h"
#include "support/no_ports.h"
#include "support/other_day_time_zone.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

class LumoCtlMemory : public ::testing::Test {
protected:
    void SetUp() override {
        std::string seed;
        for (int i = 0; i < 0x90; ++i) seed += static_cast<char>(i * 7 + 1);
        std::ofstream(work.str() + "/seed.bin", std::ios::binary) << seed;
        test::writeNoPorts(work.str());
        sim = std::make_unique<test::SimProcess>(
            std::vector<std::string>{"--pty", "--comports", work.str(), "--com", "3", "--module",
                                     "serial 5 4 service memfile=yyyyyyyy:400:" + work.str() + "/seed.bin"},
            work.str() + "/wire.log");
        ASSERT_EQ(ctl("line add general").out, "1\n");
        ASSERT_EQ(ctl("line set 1 --port COM3").status, 0);
        ASSERT_EQ(ctl("module add 1 --type 4 --id 5").out, "1\n");
        expected = seed;
    }
    test::CtlResult ctl(const std::string& args) { return test::runCtl(work.str(), args); }
    std::string read(const std::string& name) const {
        std::ifstream in(work.str() + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    test::TempDir work;
    std::unique_ptr<test::SimProcess> sim;
    std::string expected;
};

TEST_F(LumoCtlMemory, UploadAndDumpReadTheRangeAndTheDumpWritesBack) {
    test::CtlResult r = ctl("upload 1/1 sram 400 90 " + work.str() + "/sram.bin");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read("sram.bin"), expected);

    r = ctl("dump 1/1 410 4 --segment sram");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0410  71 78 7F 86\n");  // what the simulated memory holds at 0x410-0x413

    std::ofstream(work.str() + "/back.bin", std::ios::binary) << std::string("\x01\x02\x03\x04", 4);
    ASSERT_EQ(ctl("dump 1/1 410 4 --segment sram --write " + work.str() + "/back.bin").status, 0);
    EXPECT_EQ(ctl("dump 1/1 410 4 --segment sram").out, "0410  01 02 03 04\n");

    // Refused before the line opens: a dump over 128 bytes, a start or size wider than the
    // messages' four hexadecimal digits, an upload of nothing.
    const auto before = read("wire.log").size();
    r = ctl("dump 1/1 400 81 --segment sram");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("at most 80"), std::string::npos) << r.err;
    for (const char* args : {"upload 1/1 sram 10000 10 wide.bin", "upload 1/1 sram 400 10000 wide.bin", "dump 1/1 10000 4"}) {
        r = ctl(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("' does not fit the message's four hexadecimal digits (at most ffff)"), std::string::npos) << args << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(work.path() / "wide.bin"));
    r = ctl("upload 1/1 sram 400 0 " + work.str() + "/none.bin");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "lumo-ctl: SIZE 0: there is nothing to upload\n(lumo-ctl --help shows the commands)\n");
    EXPECT_EQ(read("wire.log").size(), before);
}

// lumo-ctl init: refused on a general line, whose "Servis" menu the panel greys out (its
// messages would reach every module on the line); a module's number carries today's date in
// UTC, whatever the PC's time zone.
TEST_F(LumoCtlMemory, InitRefusedOnAGeneralLineAndDatedInUtc) {
    std::filesystem::create_directory(work.path() / "reg");
    std::ofstream(work.str() + "/sn.dat") << work.str() + "/reg";
    std::ofstream(work.str() + "/reg/sernum.txt");
    const auto before = read("wire.log").size();
    test::CtlResult r = ctl("init 1 --sequence 3");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Varování: Pro obecnou komunikační linku nelze servisní funkce provádět ! Zadejte modul L/K. \n");
    EXPECT_EQ(read("wire.log").size(), before);
    EXPECT_EQ(read("reg/sernum.txt"), "");

    const test::OtherDayTimeZone zone;
    const std::tm utc = test::OtherDayTimeZone::utcToday();
    r = ctl("init 1/1 --sequence 4");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, SerialEncode(4, 4, packDate(utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100)) + "\n");
}

}  // namespace
}  // namespace lumo
