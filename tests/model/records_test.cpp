// Record layouts: every accessor lands on the bytes the file format gives it.
#include <gtest/gtest.h>

#include "model/program_config.h"
#include "model/records.h"
#include "support/image_builder.h"

namespace lumo {
namespace {

using test::bytesOf;

TEST(Records, LineRecordFields) {
    LineRecord r;
    r.setLineNumber(16);
    r.setRecordKind(0);
    r.setDescription("linka čtyři dlouhý text");  // cut to 15 characters
    r.setDirectionControl(4);
    r.setFlags(0x60);
    r.setPort(8);
    r.setSpeed(1);
    r.setParity(2);
    r.setIpAddress("192.168.100.200");
    r.setTcpPort(-2);
    r.setHeadType(11);
    r.setMac({1, 2, 3, 4, 5, 6});
    const auto expected = test::Image(260)
                              .put(0, {16, 0})
                              .text(2, "linka \xE8ty\xF8i dlo")
                              .put(31, {4, 0x60, 8, 1})
                              .put(98, {2})
                              .text(107, "192.168.100.200")
                              .i32(128, -2)
                              .put(132, {11, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(bytesOf(r), expected.bytes);
    EXPECT_EQ(r.description(), "linka čtyři dlo");
    EXPECT_EQ(r.ipAddress(), "192.168.100.200");
    EXPECT_EQ(r.tcpPort(), -2);
}

TEST(Records, ModuleRecordFieldsAndParameterArea) {
    ModuleRecord r;
    r.setId(31);
    r.setType(48);
    r.setDescription("modul 31");
    r.setIdentText("441560100001");
    r.setStatusFlags(0x85);
    r.setFirmwareVersion(226);
    r.setIdMediumType(3);
    r.setDisplayText("Dobrý den 123456");
    r.setParamP1(1);
    r.setParamP2(2);
    r.setParamP3(0x21);
    r.setParamP4(0x13);
    r.setSwitchBits(0xA5);
    for (int n = 1; n <= 4; ++n) r.setRelayDelay(n, static_cast<std::uint8_t>(10 * n));
    r.setIntervalFrom({7, 30});
    r.setIntervalTo({16, 45});
    r.setHoldOpenBits(0x83);
    r.setDeviceFlags(0x46);
    r.setDoorTime(120);
    r.setReader1Operation('7');
    r.setReader2Operation('`');
    r.setFeatureLevel(3);
    r.setMac({0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34});
    const auto expected = test::Image(260)
                              .put(0, {31, 48})
                              .text(2, "modul 31")
                              .text(18, "441560100001")
                              .put(32, {0x85})
                              .i32(36, 226)
                              .put(40, {3})
                              .text(41, "Dobr\xFD den 123456")
                              .put(58, {1, 2, 0x21, 0x13, 0xA5})
                              .put(64, {10, 20, 30, 40, 7, 30, 16, 45, 0x83})
                              .put(99, {0x46})
                              .i32(100, 120)
                              .put(104, {'7', '`', 3})
                              .put(133, {0x00, 0x4F, 0x49, 0x0D, 0x12, 0x34});
    EXPECT_EQ(bytesOf(r), expected.bytes);
    EXPECT_EQ(r.displayText(), "Dobrý den 123456");
    EXPECT_EQ(r.intervalTo().minute, 45);
}

// Each named bit group read from a hand-built byte and set into a record of all ones, where
// only its own bits may change.
TEST(Records, ParameterBitGroups) {
    const struct {
        BitGroup group;
        std::size_t offset;
        std::uint8_t byte;
        std::uint8_t value;
    } cases[] = {
        {param::kNotAnswering, 32, 0x01, 1},       {param::kOtherTypeFound, 32, 0x04, 1},
        {param::kSwitchedOffByUser, 32, 0x80, 1},  {param::kOperationByNumber, 58, 0x01, 1},
        {param::kMenuPassword, 58, 0x02, 1},       {param::kForcedOperation, 58, 0x04, 1},
        {param::kRightsOnMtrOnly, 58, 0x08, 1},    {param::kSubsystem2AlarmNotClosed, 58, 0x02, 1},
        {param::kAlarmOpened, 59, 0x01, 1},        {param::kAlarmNotClosed, 59, 0x02, 1},
        {param::kPeopleCounting, 59, 0x04, 1},     {param::kAntiPassBack, 59, 0x08, 1},
        {param::kRelay1Mode, 60, 0x23, 3},         {param::kRelay2Mode, 60, 0x23, 2},
        {param::kRelay3Mode, 61, 0x31, 1},         {param::kRelay4Mode, 61, 0x31, 3},
        {param::relayMode(2), 60, 0x20, 2},        {param::kPresets, 62, 0x01, 1},
        {param::kPin, 62, 0x02, 1},                {param::kRecords, 62, 0x04, 1},
        {param::kHistory, 62, 0x08, 1},            {param::kClosedAtRest, 62, 0x10, 1},
        {param::switchBit(8), 62, 0x80, 1},        {param::kHoldOpenRelay2, 72, 0x02, 1},
        {param::kHoldOpenInInterval, 72, 0x01, 1}, {param::kHoldOpenDays, 72, 0x82, 0x41},
        {param::holdOpenDay(6), 72, 0x80, 1},      {param::kKeySound, 99, 0x01, 1},
        {param::kReadSound, 99, 0x02, 1},          {param::kExternalDevice, 99, 0x0C, 3},
        {param::kBacklight, 99, 0x20, 2},          {param::kReportedMedium, 99, 0x46, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        ModuleRecord r;
        r.setU8(c.offset, c.byte);
        EXPECT_EQ(r.bits(c.group), c.value);
        ModuleRecord ones;
        for (std::size_t i = 0; i < kRecordSize; ++i) ones.setU8(i, 0xFF);
        ones.setBits(c.group, 0);
        const auto mask = static_cast<std::uint8_t>(((1u << c.group.width) - 1) << c.group.shift);
        EXPECT_EQ(ones.u8(c.offset), static_cast<std::uint8_t>(~mask));
        ones.setBits(c.group, c.value);
        EXPECT_EQ(ones.bits(c.group), c.value);
        for (std::size_t i = 0; i < kRecordSize; ++i) {
            if (i != c.offset) {
                ASSERT_EQ(ones.u8(i), 0xFF) << i;
            }
        }
    }
}

TEST(Records, TextsReadFromDamagedRecordsStayInsideTheirField) {
    ModuleRecord r;
    r.bytes.fill('A');  // no NUL anywhere
    EXPECT_EQ(r.description(), std::string(16, 'A'));
    EXPECT_EQ(r.identText(), std::string(13, 'A'));
}

TEST(Records, CommandFileLayout) {
    CommandFile f;
    f.setConsoleLine(0, "INF 8");
    f.setConsoleLine(4, "CFG 8 P203+P318");
    f.setDllInstruction("5");
    f.setTransferFileName("data.txt");
    f.setIdMedium(0, 0x01020304);
    f.setIdMedium(17, 2);
    f.setIdMedium(48, 3);
    f.setIdMedium(95, 1);
    f.setNote(3, "poznámka");
    f.setNote(88, "skupina");
    const auto expected = test::Image(4248)
                              .text(0, "INF 8")
                              .text(360, "CFG 8 P203+P318")
                              .text(450, "5")
                              .text(510, "data.txt")
                              .i32(568, 0x01020304)
                              .i32(636, 2)
                              .i32(696, 3)
                              .i32(716, 1)
                              .text(872, "pozn\xE1mka")
                              .text(2572, "skupina");
    EXPECT_EQ(bytesOf(f), expected.bytes);
    // The file name's field reaches into the first medium slot: a short name leaves it alone.
    f.setTransferFileName("x.dat");
    EXPECT_EQ(f.idMedium(0), 0x01020304);
}

}  // namespace
}  // namespace lumo
