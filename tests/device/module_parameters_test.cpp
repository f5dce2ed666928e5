// A module's parameters without a device: the answers taken apart into the record, the feature
// levels, and the CFG and SET texts a write sends.
#include <gtest/gtest.h>

#include "device/module_parameters.h"
#include "support/image_builder.h"

namespace lumo {
namespace {

using test::bytesOf;

constexpr DeviceTypeCode kTq300Tcp = 1, kLoq3 = 3, kTq300 = 4, kZb40 = 8, kZb20 = 9, kMn600 = 10, kLoq4 = 17;

ModuleRecord moduleOf(DeviceTypeCode type) {
    ModuleRecord r;
    r.setId(5);
    r.setType(type);
    return r;
}

TEST(ModuleParameters, FeatureLevelsAroundEachThreshold) {
    const struct {
        DeviceTypeCode type;
        std::int32_t version;
        int level;
    } cases[] = {
        {kTq300, 120, 0},  {kTq300, 121, 1},  {kTq300, 122, 1},   {kTq300, 123, 2},    {kTq300, 124, 3},
        {kTq300, 129, 3},  {kTq300, 130, 4},  {kTq300Tcp, 123, 2}, {kLoq3, 221, 0},   {kLoq3, 222, 1},
        {kLoq3, 223, 1},   {kLoq3, 224, 2},   {kLoq3, 225, 2},    {kLoq3, 226, 3},     {kLoq4, 226, 3},
        {kZb40, 132, 0},   {kZb40, 133, 1},   {kZb20, 0, 1},      {kMn600, 0, 9},      {2, 500, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(featureLevelOf(c.type, c.version), c.level) << int(c.type) << " " << c.version;
}

TEST(ModuleParameters, VersionAnswers) {
    const struct {
        DeviceTypeCode type;
        const char* answer;
        std::int32_t version;
        int level, deviceFlags, medium;
    } cases[] = {
        {kTq300, "V1.23C070*\x11", 123, 2, 70, 1},
        {kLoq3, "V1.23C070*\x11", 123, 0, 70, 1},
        {kLoq3, "V2.26C200*\x11", 226, 3, 200, 3},
        {kTq300, "V1.306*\x11", 131, 4, 0, 2},    // no "C": flags 0, the medium as it was
        {kTq300, "C070*\x11", 0, 0, 70, 1},       // no "V": version 0
        {kTq300, "V1.23*C", 123, 2, 0, 2},        // the checksum byte is no code
        {kTq300, "V1.2C321*\x11", 120, 0, 65, 1},  // the low byte of 321
        {kZb40, "V1.33C000*\x11", 133, 1, 0, 0},
        {kZb20, "C000*\x11", 0, 0, 0, 0},  // no version, no level: also where the type has a fixed one
        {kMn600, "C000*\x11", 0, 0, 0, 0},
        {kTq300, "V-21474836.48C000*\x11", -2147483647, 0, 0, 0},  // no firmware has these: kept in the field
        {kTq300, "V12345678901C000*\x11", 2147483647, 4, 0, 0},
        {kTq300, "V1.205C000*\x11", 121, 1, 0, 0},  // the decimal text rounded half up
        {kTq300, "V1.2049C000*\x11", 120, 0, 0, 0},
        {kTq300, "V 1.30C 070*\x11", 130, 4, 70, 1},  // blanks before a number are passed over
    };
    for (const auto& c : cases) {
        ModuleRecord r = moduleOf(c.type);
        r.setIdMediumType(2);
        takeVersionAnswer(r, c.answer);
        EXPECT_EQ(r.firmwareVersion(), c.version) << c.answer;
        EXPECT_EQ(r.featureLevel(), c.level) << c.answer;
        EXPECT_EQ(r.deviceFlags(), c.deviceFlags) << c.answer;
        EXPECT_EQ(r.idMediumType(), c.medium) << c.answer;
    }
}

TEST(ModuleParameters, ParameterAnswers) {
    const struct {
        DeviceTypeCode type;
        const char* answer;
        std::uint8_t p1, p2, p3, p4, switches, d1, d2;
    } cases[] = {
        // Absent codes keep the record's values (p 9, switches 0xF0, delays 9).
        {kTq300, "B1O+B2X*\x11", 9, 9, 9, 9, 0xF1, 9, 9},
        {kTq300, "P101+P215+P318+P400+B1F+B2O+B3O+B4F+D107+D230*\x11", 1, 15, 18, 0, 0xF6, 7, 30},
        {kTq300, "P305+P399*\x11", 9, 9, 5, 9, 0xF0, 9, 9},  // the first occurrence counts
        {kTq300, "B8O+B6F+B5*\x11", 9, 9, 9, 9, 0xC0, 9, 9},  // B5 with nothing after it: off
        {kTq300, "P1300+D1-1*\x11", 44, 9, 9, 9, 0xF0, 255, 9},  // stored as bytes
        {kZb40, "P111+P444+P555+P666*\x11", 55, 9, 9, 66, 0xF0, 9, 9},  // P5 and P6 win
        {kZb20, "P111+P444+P555+P666*\x11", 11, 9, 9, 44, 0xF0, 9, 9},
        {kTq300, "*P101", 9, 9, 9, 9, 0xF0, 9, 9},  // nothing after the '*' is read
    };
    for (const auto& c : cases) {
        ModuleRecord r = moduleOf(c.type);
        for (std::size_t off = 58; off <= 61; ++off) r.setU8(off, 9);
        r.setSwitchBits(0xF0);
        r.setRelayDelay(1, 9);
        r.setRelayDelay(2, 9);
        takeParameterAnswer(r, c.answer);
        EXPECT_EQ(std::vector<int>({r.paramP1(), r.paramP2(), r.paramP3(), r.paramP4(), r.switchBits(), r.relayDelay(1),
                                    r.relayDelay(2)}),
                  std::vector<int>({c.p1, c.p2, c.p3, c.p4, c.switches, c.d1, c.d2}))
            << c.answer;
    }
}

TEST(ModuleParameters, AFullReadLandsOnTheRecordBytes) {
    ModuleRecord r = moduleOf(kTq300);
    r.setDescription("vrátnice");
    r.setDisplayText("starý text dlouh");
    takeCalAnswer(r, "!441560040005V1.30*\x22");
    takeDisplayTextAnswer(r, "!Dobr\xFD den*\x33");  // code page 1250 from the device, kept as it is
    takeVersionAnswer(r, "V1.30C134*\x44");
    takeParameterAnswer(r, "P105+P212+P321+P400+B1O+B2F+B3O+B4O+B7O+D103+D299*\x55");
    const auto expected = test::Image(260)
                              .put(0, {5, kTq300})
                              .text(2, "vr\xE1tnice")
                              .text(18, "441560040005")
                              .i32(36, 130)
                              .put(40, {2})
                              .text(41, "Dobr\xFD den")
                              .put(58, {5, 12, 21, 0, 0x4D})
                              .put(64, {3, 99})
                              .put(99, {134})
                              .put(106, {4});
    EXPECT_EQ(bytesOf(r), expected.bytes);
}

TEST(ModuleParameters, IdentAndDisplayTextsAreCut) {
    ModuleRecord r = moduleOf(kTq300);
    takeCalAnswer(r, "!1234567890123456V1.23*\x01");
    EXPECT_EQ(r.identText(), "123456789012");
    takeCalAnswer(r, "!12*\x01");
    EXPECT_EQ(r.identText(), "12");
    takeDisplayTextAnswer(r, "!ABCDEFGHIJKLMNOPQRST*\x01");
    EXPECT_EQ(r.displayText(), "ABCDEFGHIJKLMNOP");
    takeDisplayTextAnswer(r, "!");
    EXPECT_EQ(r.displayText(), "");
}

ModuleRecord sample(DeviceTypeCode type, std::int32_t version) {
    ModuleRecord r = moduleOf(type);
    r.setFirmwareVersion(version);
    r.setFeatureLevel(featureLevelOf(type, version));
    r.setDisplayText("Vitejte");
    r.setParamP1(0x05);
    r.setParamP2(0x0F);
    r.setParamP3(0x21);
    r.setParamP4(0x13);
    r.setSwitchBits(0x19);  // B1, B4, B5
    for (int n = 1; n <= 4; ++n) r.setRelayDelay(n, static_cast<std::uint8_t>(n * 3));
    r.setIntervalFrom({7, 30});
    r.setIntervalTo({16, 5});
    r.setHoldOpenBits(0x82);  // LOQ3: Sunday and Saturday, hold-open itself off
    r.setDeviceFlags(0x25);
    r.setDoorTime(120);
    r.setReader1Operation(0x62);
    r.setReader2Operation(0x38);
    return r;
}

TEST(ModuleParameters, WriteCommandsByFamilyAndLevel) {
    using C = ParameterCommand;
    const C display{"CFG", SubInstruction::wire(0), "Vitejte"};
    const C tqRelaysLevel0{"CFG", SubInstruction::wire(8), "P333+D103+D206"};
    const C tqRelays{"CFG", SubInstruction::wire(8), "P105+P215+P333+D103+D206"};
    const C tqSwitches{"CFG", SubInstruction::wire(8), "B1O+B2F+B3F+B4O"};
    const C tqFlags{"SET", SubInstruction::wire(2), "C037"}, tqDoor{"CFG", SubInstruction::wire(3), "A120+B98+C56"};
    const C loqRelaysLevel0{"CFG", SubInstruction::wire(8), "P333+D103"}, loqRelays{"CFG", SubInstruction::wire(8), "P215+P333+D103"};
    const C loqDoor{"CFG", SubInstruction::wire(3), "A120"}, loqReaders{"CFG", SubInstruction::wire(3), "B98+C56"}, loqSwitches{"CFG", SubInstruction::wire(8), "B3F+B4O+B5O"};
    const C zb40Relays{"CFG", SubInstruction::wire(8), "P215+P333+P505+P619+D103+D206+D309+D412"};
    const struct {
        DeviceTypeCode type;
        std::int32_t version;
        std::vector<C> commands;
    } cases[] = {
        {kTq300, 120, {display, tqRelaysLevel0, tqSwitches}},
        {kTq300, 121, {display, tqRelays, tqFlags, tqDoor, {"CFG", SubInstruction::wire(4), "S07301605"}, tqSwitches}},
        {kTq300, 122, {display, tqRelays, tqFlags, tqDoor, {"CFG", SubInstruction::wire(4), "S07301605"}, tqSwitches}},
        {kTq300, 123, {display, tqRelays, tqFlags, tqDoor, {"CFG", SubInstruction::wire(4), "S07301605R130"}, tqSwitches}},
        {kTq300, 130, {display, tqRelays, tqFlags, tqDoor, {"CFG", SubInstruction::wire(4), "S07301605R130"}, tqSwitches}},
        {kTq300Tcp, 120, {display, tqRelaysLevel0, tqSwitches}},
        {kMn600, 100, {display, tqRelays, tqFlags, tqDoor, {"CFG", SubInstruction::wire(4), "S07301605R130"}, tqSwitches}},
        {kLoq3, 221, {loqRelaysLevel0, loqSwitches}},
        {kLoq3, 222, {loqRelays, loqDoor, loqReaders, {"CFG", SubInstruction::wire(4), "S07301605"}, loqSwitches}},
        {kLoq3, 223, {loqRelays, loqDoor, loqReaders, {"CFG", SubInstruction::wire(4), "S07301605"}, loqSwitches}},
        {kLoq3, 224, {loqRelays, loqDoor, loqReaders, {"CFG", SubInstruction::wire(4), "S07301605R000"}, loqSwitches}},
        {kLoq3, 225, {loqRelays, loqDoor, loqReaders, {"CFG", SubInstruction::wire(4), "S07301605R000"}, loqSwitches}},
        {kLoq3, 226, {loqRelays, loqDoor, loqReaders, {"CFG", SubInstruction::wire(4), "S07301605R000W193"}, loqSwitches}},
        {kZb40, 132, {zb40Relays, tqFlags, tqSwitches}},
        {kZb40, 133, {zb40Relays, tqFlags, tqSwitches}},
        {kZb20, 100, {}},
        {kLoq4, 226, {}},
    };
    // An empty display text is sent too (the instruction alone, ending with '+'): it clears
    // the device's opening text.
    ModuleRecord noText = sample(kTq300, 120);
    noText.setDisplayText("");
    const auto withoutText = parameterCommands(noText);
    ASSERT_EQ(withoutText.size(), 3u);
    EXPECT_EQ(withoutText[0], (ParameterCommand{"CFG", SubInstruction::wire(0), ""}));
    EXPECT_EQ(withoutText[1], (ParameterCommand{"CFG", SubInstruction::wire(8), "P333+D103+D206"}));
    for (const auto& c : cases) {
        const auto commands = parameterCommands(sample(c.type, c.version));
        ASSERT_EQ(commands.size(), c.commands.size()) << int(c.type) << " " << c.version;
        for (std::size_t i = 0; i < commands.size(); ++i)
            EXPECT_EQ(commands[i], c.commands[i]) << int(c.type) << " " << c.version << ": " << commands[i].data;
    }
}

TEST(ModuleParameters, TimesOfDayAsTheSheetsReadThem) {
    const struct {
        const char* text;
        int hour, minute;
    } cases[] = {{"07:30", 7, 30}, {"7:5", 7, 5}, {"16", 16, 0}, {"", 0, 0}, {" 8: 15", 8, 15},
                 {"x:10", 0, 10},  {"300:1", 44, 1}, {"12:30:45", 12, 30}};
    for (const auto& c : cases) {
        const auto t = ParseTimeOfDay(c.text);
        EXPECT_EQ(t.hour, c.hour) << c.text;
        EXPECT_EQ(t.minute, c.minute) << c.text;
    }
}

}  // namespace
}  // namespace lumo
