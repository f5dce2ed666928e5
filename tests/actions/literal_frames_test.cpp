// What each operation puts on a serial line, as literal bytes written from the protocol's own
// text and worked examples, never built by our code: a misreading shared by the code and the
// simulator (a sub-instruction counted twice) shows here. The simulator only answers; what is
// compared is what the device received, the pauses left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "actions/device_actions.h"
#include "actions/memory_actions.h"
#include "actions/download_actions.h"
#include "comm/line_port.h"
#include "device/clock_setting.h"
#include "device/communication_test.h"
#include "device/console.h"
#include "device/module_parameters.h"
#include "model/installation.h"
#include "service/initialisation.h"
#include "service/jobs.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

using test::visible;

class LiteralFrames : public test::SimTest {
public:
    std::string folder() const { return dir.str(); }
    std::string file(const std::string& name, const std::string& content) {
        const std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    ModuleRecord module() {
        ModuleRecord r;
        EXPECT_TRUE(readModuleRecord(kSerialLine, 1, r));
        return r;
    }
};

ModuleRecord withLevel(ModuleRecord r, std::uint8_t level) {
    r.setFeatureLevel(level);
    return r;
}

// The memory clear: 64 zero bytes at a time from 0x0C00 to 0x0FFF, each message with its check
// characters.
std::string memoryClearWire() {
    const char* checks[] = {"73", "77", "7B", "A6", "74", "78", "7C", "A7", "75", "79", "7D", "A8", "76", "7A", "7E", "A9"};
    std::string wire("UUU\0|\x04\0", 7);
    for (int i = 0; i < 16; ++i) {
        char address[8];
        std::snprintf(address, sizeof address, "%04x", 0xC00 + 0x40 * i);
        wire += std::string("WRM|V|yyyyyyyy|") + address + "|" + std::string(128, '0') + "|" + checks[i] + std::string("\x04\0", 2);
    }
    return wire;
}

TEST_F(LiteralFrames, EveryOperationSendsTheBytesTheProtocolGives) {
    using Run = std::function<void(LiteralFrames&)>;
    const auto counters = [](std::optional<long> c1, std::optional<long> c2, std::optional<long> c4) {
        Counters c;
        c[0] = c1, c[1] = c2, c[3] = c4;
        return c;
    };
    const auto console = [](const char* typed) {
        return Run([typed](LiteralFrames&) {
            std::string answer;
            sendConsoleCommand(kSerialLine, 1, ConsoleLineClean(typed), answer);
        });
    };
    const auto write = [](std::function<void(ModuleRecord&)> set) {
        return Run([set](LiteralFrames& t) {
            ModuleRecord r = t.module();
            set(r);
            WriteModuleParameters(kSerialLine, r);
        });
    };
    const auto read = Run([](LiteralFrames& t) {
        ModuleRecord r = t.module();
        ReadModuleParameters(false, kSerialLine, 1, r);
    });
    const struct {
        const char* operation;
        std::string module;  // the simulator's module at ID 5 (or 7), and the record's type
        int type;
        Run run;
        std::string wire;
    } rows[] = {
        {"device check", "serial 5 4", 4, [](LiteralFrames&) { checkItem(kSerialLine, 1); }, "&ML_05#CAL+&MLEND"},
        {"clock: the history check", "serial 5 4", 4, [](LiteralFrames&) { clockSettingApplies(kSerialLine, 1); },
         "&ML_05#INF$7+&MLEND"},
        // The worked example: Sunday 6 December 2026, 14:30:00.
        {"clock: set", "serial 5 4", 4,
         [](LiteralFrames&) {
             setModuleClock(kSerialLine, 1, {false, packClockDate(6, 12, 2026), packClockTime(14, 30, 0), 0});
         },
         "&ML_05#CFG$5+D06.12.26+T14:30:00+W0*\x3D&MLEND"},
        {"clock: set 1999", "serial 5 4", 4,
         [](LiteralFrames&) { setModuleClock(kSerialLine, 1, {false, packClockDate(2, 1, 1999), packClockTime(3, 4, 5), 6}); },
         "&ML_05#CFG$5+D02.01.99+T03:04:05+W6*\x89&MLEND"},
        {"counters: read", "serial 5 4", 4,
         [](LiteralFrames&) {
             Counters c;
             readModuleCounters(kSerialLine, 1, c);
         },
         "&ML_05#INF$7+&MLEND"},
        {"counters: write", "serial 5 4", 4,
         [counters](LiteralFrames&) { writeModuleCounters(kSerialLine, 1, counters(5, 12, 1200)); },
         "&ML_05#SET$7+C10005+C20012+C41200*\xC5&MLEND"},
        {"counters: write, type 72", "serial 5 72", 72,
         [counters](LiteralFrames&) { writeModuleCounters(kSerialLine, 1, counters(5, 12, 1200)); },
         "&ML_05#SET$7+C100005+C200012+C401200*\xD7&MLEND"},
        {"console: INF 8", "serial 5 4", 4, console("INF 8"), "&ML_05#INF$8+&MLEND"},
        {"console: CFG 8 with data", "serial 5 4", 4, console("CFG 8 P203+P318"), "&ML_05#CFG$8+P203+P318*\x45&MLEND"},
        {"console: no sub-instruction", "serial 5 4", 4, console("CAL"), "&ML_05#CAL+&MLEND"},
        {"console: a pasted frame", "serial 5 4", 4, console("#CFG$8+P203+P318*"), "&ML_05#CFG$8+P203+P318 *\x5A&MLEND"},
        {"transfer: send", "serial 5 4", 4,
         [](LiteralFrames& t) {
             startFileTransfer(kSerialLine, 1, true, "0", t.file("data.txt", "AB\r\nCD\r\nEF\r\n"), {});
             JobWait();
         },
         "&ML_05#SET$7+C40000*\xB2&MLEND&ML_05#DLL$0+AB+CD+EF*\x1A&ML_END"},
        {"transfer: read", "serial 5 4 c1=2", 4,
         [](LiteralFrames& t) {
             startFileTransfer(kSerialLine, 1, false, "0", t.folder() + "/read.txt", {});
             JobWait();
         },
         "&ML_05#INF$7+&MLEND&ML_05#RDI$0+&ML_END"},
        {"communication test: one cycle", "serial 5 4", 4,
         [](LiteralFrames&) {
             int cycles = 0;
             runCommunicationTest(kSerialLine, 5, [](const std::string&) {}, [&cycles] { return cycles++ == 0; });
         },
         "&ML_05#INF$4+"},
        // The worked example of the restart command.
        {"application reset", "serial 5 4", 4, [](LiteralFrames&) { resetApplication(kSerialLine, 1); },
         "&ML_05#CMD$0+RST0*\xB2&MLEND"},
        {"parameters: read TQ300", "serial 5 4", 4, read, "&ML_05#CAL+#INF$3+#INF$6+#INF$8+&MLEND"},
        {"parameters: read TQ300TCP", "serial 5 1", 1, read, "&ML_05#CAL+#INF$6+#INF$8+&MLEND"},
        {"parameters: read LOQ3", "serial 5 3", 3, read, "&ML_05#CAL+#INF$6+#INF$8+&MLEND"},
        {"parameters: read ZB40", "serial 5 8", 8, read, "&ML_05#CAL+#INF$6+#INF$8+&MLEND"},
        {"parameters: read ZB20", "serial 5 9", 9, read, "&ML_05#CAL+#INF$6+#INF$8+&MLEND"},
        {"parameters: write TQ300 level 0", "serial 5 4", 4,
         write([](ModuleRecord& r) {
             r = withLevel(r, 0);
             r.setDisplayText("AHOJ");
             r.setParamP3(0x12);
             r.setRelayDelay(1, 5);
             r.setRelayDelay(2, 90);
             r.setSwitchBits(0x09);
         }),
         "&ML_05#CAL+#CFG$0+AHOJ*\xC0#CFG$8+P318+D105+D290*\x53#CFG$8+B1O+B2F+B3F+B4O*\x92&MLEND"},
        {"parameters: write TQ300 level 4", "serial 5 4", 4,
         write([](ModuleRecord& r) {
             r = withLevel(r, 4);
             r.setDisplayText("");
             r.setParamP1(3);
             r.setParamP2(1);
             r.setParamP3(0x12);
             r.setRelayDelay(1, 5);
             r.setRelayDelay(2, 10);
             r.setDeviceFlags(0x31);
             r.setDoorTime(120);
             r.setReader1Operation(1);
             r.setReader2Operation(2);
             r.setIntervalFrom({7, 30});
             r.setIntervalTo({16, 45});
             r.setHoldOpenBits(1);
             r.setSwitchBits(0);
         }),
         "&ML_05#CAL+#CFG$0+#CFG$8+P103+P201+P318+D105+D210*\x82#SET$2+C049*\x82#CFG$3+A120+B01+C02*\x3E"
         "#CFG$4+S07301645R001*\xEA#CFG$8+B1F+B2F+B3F+B4F*\xEC&MLEND"},
        {"parameters: write LOQ3 level 3", "serial 5 3", 3,
         write([](ModuleRecord& r) {
             r = withLevel(r, 3);
             r.setParamP2(3);
             r.setParamP3(0x21);
             r.setRelayDelay(1, 7);
             r.setDoorTime(120);
             r.setReader1Operation(4);
             r.setReader2Operation(5);
             r.setIntervalFrom({6, 0});
             r.setIntervalTo({18, 0});
             r.setHoldOpenBits(0x82);
             r.setSwitchBits(0x14);
         }),
         "&ML_05#CAL+#CFG$8+P203+P333+D107*\xBA#CFG$3+A120*\x18#CFG$3+B04+C05*\x56#CFG$4+S06001800R000W193*\xA4"
         "#CFG$8+B3O+B4F+B5O*\xB2&MLEND"},
        {"parameters: write ZB40", "serial 5 8", 8,
         write([](ModuleRecord& r) {
             r = withLevel(r, 1);
             r.setParamP2(1);
             r.setParamP3(0x11);
             r.setParamP1(2);
             r.setParamP4(0x21);
             for (int n = 1; n <= 4; ++n) r.setRelayDelay(n, static_cast<std::uint8_t>(n));
             r.setDeviceFlags(0x05);
             r.setSwitchBits(0x03);
         }),
         "&ML_05#CAL+#CFG$8+P201+P317+P502+P633+D101+D202+D303+D404*\x10#SET$2+C005*\x1A#CFG$8+B1O+B2O+B3F+B4F*\xF7&MLEND"},
        {"parameters: write ZB20", "serial 5 9", 9, write([](ModuleRecord& r) { r = withLevel(r, 1); }),
         "&ML_05#CAL+&MLEND"},
        // The service messages carry no module address: the preamble, '|' 04 00, then the text
        // with its check characters and 04 00.
        {"upload", "serial 7 2", 2,
         [](LiteralFrames& t) {
             startUpload(kSerialLine, 1, 2, 0x400, 0x78, t.folder() + "/up.bin", {});
             JobWait();
         },
         std::string("UUU\0|\x04\0UPL|yyyyyyyy|0400|0078|3C\x04\0UPL|0||95\x04\0", 45)},
        {"dump: read", "serial 7 2", 2,
         [](LiteralFrames&) {
             std::string path;
             memoryDumpRead(kSerialLine, 1, 0, 0xC00, 4, path);
         },
         std::string("UUU\0|\x04\0UPL|yyyyyyyy|0c00|0004|60\x04\0", 34)},
        {"dump: write-back", "serial 7 2", 2,
         [](LiteralFrames& t) {
             memoryDumpWrite(kSerialLine, 1, 0, 0xC00, 4, t.file("dump.bin", "\x12\x34\xAB\x78"));
         },
         std::string("UUU\0|\x04\0WRM|V|yyyyyyyy|0c00|1234AB78|2F\x04\0", 40)},
        {"initialisation: LOQ3", "serial 5 3", 3,
         [](LiteralFrames&) { InitialiseModule({kSerialLine, 1, 5, 3}, 0, "400711030001"); },
         "&ML_05#CMD$0+400711030001*R&MLEND"},
        {"initialisation: serial number command", "serial 5 17", 17,
         [](LiteralFrames&) { InitialiseModule({kSerialLine, 1, 5, 17}, 0, "432616170001"); },
         "&ML_05#CMD$9+SN432616170001*M&MLEND"},
        {"initialisation: the ASCII method", "serial 5 4", 4,
         [](LiteralFrames&) { InitialiseModule({kSerialLine, 1, 5, 4}, 0, "449205040001"); },
         std::string("UUU\0|\x04\0WSM|N|343439323035303430303031|7A\x04\0", 42)},
        {"initialisation: the ASCII method's reset", "serial 5 4", 4,
         [](LiteralFrames&) { InitialiseModule({kSerialLine, 1, 5, 4}, 2, ""); },
         std::string("UUU\0|\x04\0RST|0|21\x04\0", 17)},
        {"initialisation: the memory clear", "serial 5 4", 4,
         [](LiteralFrames&) { MemoryClear({kSerialLine, 1, 5, 4}); }, memoryClearWire()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.operation);
        startSim({row.module});
        installSerialLine();
        addSerialModule(1, row.module.find("serial 7") == 0 ? 7 : 5, row.type);
        ui.answers.assign(4, true);
        std::filesystem::resize_file(logPath(), 0);
        row.run(*this);
        EXPECT_EQ(visible(wire(row.wire.size()).received()), visible(row.wire));
    }
}

// The tunnel download of a file whose records follow one another, all of even length: the
// restart into the loader, the wake-up, then erase, open, one message per record, close and
// start, each behind its 18-byte tunnel header.
TEST_F(LiteralFrames, TunnelDownloadOnASerialLine) {
    startSim({"serial 5 10"}, {"--image-dir", dir.str()});
    installSerialLine();
    addSerialModule(1, 5, 10);
    bool done = false;
    startDownload(kSerialLine, 1, file("fw.mot", "S107100001020304DE\r\nS10510040506DB\r\nS9031000EC\r\n"), false,
                  [&done](bool ok) { done = ok; });
    JobWait();
    EXPECT_TRUE(done) << ui.calls.size() << (ui.calls.empty() ? "" : ui.calls.back());
    const std::string wire = std::string("&ML_05#CMD$0+RST0*\xB2&MLEND") + std::string("UUU\0", 4) +
                             std::string("WRf\0\x01\0\0\x02\0\0\0\0INEX04\xFF\0", 20) +
                             std::string("WRf\0\x01\0\0\x02\0\0\0\0INEX01\xFF\0", 20) +
                             std::string("WRf\0\x01\0\0\x04\0\0\0\0INEX02\x02\x01\x04\x03", 22) +
                             std::string("WRf\0\x01\0\0\x02\0\0\0\0INEX02\x06\x05", 20) +
                             std::string("WRf\0\x01\0\0\x04\0\0\0\0INEX03\0\0\0\x10", 22) +
                             std::string("WRf\0\x01\0\0\x01\0\0\0\0INEX06A", 19);
    EXPECT_EQ(visible(this->wire(wire.size()).received()), visible(wire));
}

// A file whose records do not follow one another as even runs (here an odd count) goes as one
// run, cut at the longest record, its odd end completed with erased flash (0xFF).
TEST_F(LiteralFrames, TunnelDownloadOfAnOddRecord) {
    startSim({"serial 5 10"}, {"--image-dir", dir.str()});
    installSerialLine();
    addSerialModule(1, 5, 10);
    startDownload(kSerialLine, 1, file("fw.mot", "S107100001020304DE\r\nS1061004050607D3\r\nS9031000EC\r\n"), false, {});
    JobWait();
    const std::string header2("WRf\0\x01\0\0\x04\0\0\0\0INEX02", 18);
    const std::string received = this->wire().received();
    EXPECT_NE(received.find(header2 + "\x02\x01\x04\x03" + header2 + "\x06\x05\xFF\x07"), std::string::npos)
        << visible(received);
}

// A two-wire line hears itself: the same bytes go out, each piece's echo read back.
TEST_F(LiteralFrames, TwoWireLine) {
    startSim({"serial 5 4"}, {"--echo"}, 2);
    installSerialLine();
    addSerialModule(1, 5, 4);
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(checkItem(kSerialLine, 1), 1);
    EXPECT_EQ(visible(this->wire(17).received()), "&ML_05#CAL+&MLEND");
    std::filesystem::resize_file(logPath(), 0);
    resetApplication(kSerialLine, 1);
    EXPECT_EQ(visible(this->wire(25).received()), visible("&ML_05#CMD$0+RST0*\xB2&MLEND"));
}

}  // namespace
}  // namespace lumo
