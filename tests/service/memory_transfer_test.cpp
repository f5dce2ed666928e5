// Memory upload and dump: the messages and the answer check without a device, then against the
// simulator: each segment kind read whole into a file, the dump written back, the failures.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "actions/init_actions.h"
#include "actions/memory_actions.h"
#include "base/app_state.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "service/memory_transfer.h"
#include "service/service_text.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

TEST(MemoryMessages, RequestsAndTheirCheckCharacters) {
    EXPECT_EQ(uploadNextRequest(), std::string("UPL|0||95\x04\x00", 11));  // the sum 0x295
    EXPECT_EQ(uploadRequest(0, 0xC00, 0x100), closedMessage("UPL|yyyyyyyy|0c00|0100|"));
    EXPECT_EQ(uploadRequest(7, 0xC000, 0xF3FF), closedMessage("UPL|yyyyyy01|c000|f3ff|"));
    EXPECT_EQ(uploadRequest(-1, 0x200, 0x10), closedMessage("0200|0010|"));  // no row: no head
    EXPECT_EQ(memoryWriteMessage(1, 0xC00, {0x11, 0xAB}), closedMessage("WRM|V|9yyyyyyy|0c00|11AB|"));
    EXPECT_EQ(memoryWriteMessage(4, 0x8000, {}), closedMessage("WRM|F|yyyyyy00|8000||"));
    EXPECT_EQ(memorySegmentIndex("csiop"), 3);
    EXPECT_EQ(memorySegmentIndex("fs8"), -1);
    EXPECT_EQ(uploadAnswerLength(117), 256);
    EXPECT_EQ(uploadAnswerLength(22), 66);
}

TEST(MemoryMessages, AnswersTakenOnlyWhole) {
    const std::string head = "UPL|yyyyyyyy|0c00|";
    const auto answer = [&head](const std::string& data) { return head + data + "|" + checkCharacters(head + data + "|") + "\x04"; };
    const std::string good = answer("00FF7a");
    ASSERT_TRUE(uploadAnswerData(good));
    EXPECT_EQ(*uploadAnswerData(good), (std::vector<std::uint8_t>{0x00, 0xFF, 0x7A}));
    std::string wrongCheck = good;
    wrongCheck[wrongCheck.size() - 2] ^= 1;
    const struct {
        const char* what;
        std::string text;
    } refused[] = {
        {"wrong check characters", wrongCheck},
        {"cut off", good.substr(0, good.size() - 4)},
        {"half a byte", answer("00F")},
        {"not hexadecimal", answer("00GG")},
        {"a second bar", answer("00|11")},
        {"too short", "UPL|1|" + checkCharacters("UPL|1|") + "x"},
        {"empty", ""},
    };
    for (const auto& r : refused) EXPECT_FALSE(uploadAnswerData(r.text)) << r.what;
    EXPECT_EQ(uploadAnswerData(answer(""))->size(), 0u);  // whole, without data
}

class MemoryTransfer : public test::SimTest {
protected:
    std::string file(const std::string& name, const std::string& content) {
        const std::string path = dir.str() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::string pattern(std::size_t n, int seed) {
        std::string s(n, '\0');
        for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 13 + static_cast<std::size_t>(seed) * 7 + i / 256) & 0xFF);
        return s;
    }
    bool upload(int k, int segment, std::uint32_t start, std::uint32_t size, const std::string& path) {
        bool done = false;
        EXPECT_EQ(startUpload(kSerialLine, k, segment, start, size, path, [&done](bool ok) { done = ok; }), 1);
        JobWait();
        return done;
    }
};

TEST_F(MemoryTransfer, EachSegmentKindReadWholeIntoTheFile) {
    const struct {
        int segment;
        const char* selector;
        std::uint32_t start, size;
    } cases[] = {
        {0, "yyyyyyyy", 0xC00, 0x100},  // three answers: 117, 117 and 22 bytes
        {1, "9yyyyyyy", 0xC00, 0x75},
        {3, "yyyyyyyy", 0x200, 0xFF},
        {4, "yyyyyy00", 0x8000, 0x200},
        {7, "yyyyyy01", 0xC000, 0x1},
        {11, "yyyyyy11", 0xC000, 0x180},
    };
    std::vector<std::string> modules;
    for (const auto& c : cases) {
        const std::string seed = file("seed-" + std::to_string(c.segment), pattern(c.size, c.segment));
        char text[160];
        std::snprintf(text, sizeof text, "serial %d 4 memfile=%s:%x:", 5 + c.segment, c.selector, c.start);
        modules.push_back(text + seed);
    }
    // One module takes the bus's service messages at a time: one simulator per case.
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(memorySegments()[static_cast<std::size_t>(c.segment)].name);
        startSim({modules[static_cast<std::size_t>(k++)]});
        installSerialLine();
        addSerialModule(1, 5 + c.segment, 4);
        const std::string target = dir.str() + "/upload.bin";
        ui.calls.clear();
        ASSERT_TRUE(upload(1, c.segment, c.start, c.size, target));
        EXPECT_EQ(read(target), pattern(c.size, c.segment));
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upload|Upload complete..."});
        EXPECT_FALSE(std::filesystem::exists(target + ".part"));
        if (c.segment == 0) {
            // The first request names the segment, the later ones are "UPL|0||"; the answers are
            // 256, 256 and 66 bytes long.
            const std::string sent = wire().received();
            EXPECT_NE(sent.find(closedMessage("UPL|yyyyyyyy|0c00|0100|")), std::string::npos);
            std::size_t next = 0;
            for (std::size_t at = 0; (at = sent.find(uploadNextRequest(), at)) != std::string::npos; at += 1) ++next;
            EXPECT_EQ(next, 2u);
            const std::string answers = wire().sent();
            std::vector<std::size_t> lengths;
            for (std::size_t at = answers.find("UPL|"); at != std::string::npos;) {
                const std::size_t following = answers.find("UPL|", at + 1);
                lengths.push_back((following == std::string::npos ? answers.size() : following) - at);
                at = following;
            }
            EXPECT_EQ(lengths, (std::vector<std::size_t>{256, 256, 66}));
        }
        sim.reset();
    }
}

TEST_F(MemoryTransfer, DumpReadsAtMost128BytesAndWritesBackWhatTheFileHolds) {
    startSim({"serial 5 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    std::string dumpPath;
    ASSERT_EQ(memoryDumpRead(kSerialLine, 1, 0, 0xC00, 0x200, dumpPath), 1);
    EXPECT_EQ(dumpPath, appState().dataDirectory + "dump.$$$");
    const std::string before = read(dumpPath);
    EXPECT_EQ(before.size(), 128u);
    EXPECT_TRUE(ui.callsOf("message").empty());  // the dump's read says nothing when it succeeds

    std::string changed = before;
    changed[0] = '\x11';
    changed[127] = '\x7F';
    const std::string edited = file("edited.bin", changed + "extra bytes not written");
    std::filesystem::resize_file(logPath(), 0);
    ASSERT_EQ(memoryDumpWrite(kSerialLine, 1, 0, 0xC00, 0x200, edited), 1);
    std::string hex;
    char pair[4];
    for (char c : changed) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
        hex += pair;
    }
    EXPECT_NE(wire().received().find(closedMessage("WRM|V|yyyyyyyy|0c00|" + hex + "|")), std::string::npos);
    ASSERT_EQ(memoryDumpRead(kSerialLine, 1, 0, 0xC00, 0x80, dumpPath), 1);
    EXPECT_EQ(read(dumpPath), changed);  // read back: what the file held

    // A file shorter than the range: a clear message, nothing sent.
    std::filesystem::resize_file(logPath(), 0);
    ui.calls.clear();
    EXPECT_EQ(memoryDumpWrite(kSerialLine, 1, 0, 0xC00, 0x10, file("short.bin", "abc")), -1);
    ASSERT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_NE(ui.callsOf("message")[0].find("je kratší (3 B), než kolik se má zapsat (16 B)"), std::string::npos);
    EXPECT_EQ(wire().received().find("WRM"), std::string::npos);
}

TEST_F(MemoryTransfer, FailedUploadsLeaveTheTargetAsItWas) {
    // badcrc: every answer's check characters wrong; cut=2: the second answer cut off.
    startSim({"serial 5 4 badcrc"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    const std::string target = file("kept.bin", "the previous upload");
    EXPECT_FALSE(upload(1, 0, 0xC00, 0x100, target));
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upload|Chyba komunikace (CRC) !"});
    EXPECT_EQ(read(target), "the previous upload");
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));

    startSim({"serial 5 4 cut=2"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ui.calls.clear();
    EXPECT_FALSE(upload(1, 0, 0xC00, 0x100, dir.str() + "/new.bin"));
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upload|Chyba komunikace (CRC) !"});
    EXPECT_FALSE(std::filesystem::exists(dir.str() + "/new.bin"));  // nothing that looks complete

    // A place no file can be made in: a read-only folder (root writes there anyway), and a path
    // whose folder is a file.
    const std::string locked = dir.str() + "/locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    for (const std::string& path : {locked + "/x.bin", target + "/x.bin"}) {
        if (path.rfind(locked, 0) == 0 && ::geteuid() == 0) continue;
        ui.calls.clear();
        EXPECT_FALSE(upload(1, 0, 0xC00, 0x10, path)) << path;
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Upload|Nelze otevřít cílový soubor ! "}) << path;
    }
    ::chmod(locked.c_str(), 0700);
    EXPECT_FALSE(jobActive());
}

TEST_F(MemoryTransfer, CancelledUploadLeavesNoFile) {
    startSim({"serial 5 4 slow=300"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    bool done = true;
    const std::string target = dir.str() + "/cancelled.bin";
    ASSERT_EQ(startUpload(kSerialLine, 1, 0, 0xC00, 0x400, target, [&done](bool ok) { done = ok; }), 1);
    platform::pause(700);
    jobCancel();
    JobWait();
    EXPECT_FALSE(done);
    EXPECT_TRUE(ui.callsOf("message").empty());
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));
}

// The memory service messages, the memory clear's and the initialisation's carry no module
// address: the module that listens to the service channel takes them, whichever was chosen.
// Where the line holds other recorded modules, switched on or off in the panel (off, they are
// still on the bus), every such operation asks first; No sends nothing.
TEST_F(MemoryTransfer, UnaddressedMessagesAskFirstWhereOtherModulesAreRecorded) {
    startSim({"serial 5 4", "serial 6 17", "serial 7 4 service"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 6, 17);  // a LOQ4: its number goes addressed, its memory clear does not
    addSerialModule(3, 7, 4);
    const std::string back = file("back.bin", std::string(4, '\x11'));
    const auto init = [](int k, DeviceTypeCode type, bool clear) {
        InitChoice c;
        c.day = 15;
        c.month = 3;
        c.year = 2026;
        c.typeCode = type;
        c.clearMemory = clear;
        std::string serial;
        return initialiseModuleAction(kSerialLine, k, c, serial);
    };
    const struct {
        const char* operation;
        int module;
        std::function<int()> run;
    } operations[] = {
        {"upload", 1, [&] { return startUpload(kSerialLine, 1, 0, 0xC00, 0x10, dir.str() + "/up.bin", {}); }},
        {"dump", 1, [&] {
             std::string path;
             return memoryDumpRead(kSerialLine, 1, 0, 0xC00, 0x10, path);
         }},
        {"dump write-back", 1, [&] { return memoryDumpWrite(kSerialLine, 1, 0, 0xC00, 4, back); }},
        {"memory clear of the LOQ4", 2, [&] { return init(2, 17, true); }},
        {"initialisation by WSM", 3, [&] { return init(3, 4, false); }},
    };
    for (const bool othersOff : {false, true}) {
        for (const auto& o : operations) {
            SCOPED_TRACE(std::string(o.operation) + (othersOff ? ", the others switched off" : ""));
            for (int k = 1; k <= 3; ++k) {
                ModuleRecord m;
                ASSERT_TRUE(readModuleRecord(kSerialLine, k, m));
                m.setStatusFlags(othersOff && k != o.module ? flags::kModuleOff : 0);
                ASSERT_TRUE(writeModuleRecord(kSerialLine, k, m));
            }
            std::filesystem::resize_file(logPath(), 0);
            ui.calls.clear();
            EXPECT_EQ(o.run(), 0);
            EXPECT_EQ(ui.callsOf("ask").size(), 1u);
            for (const auto& asked : ui.callsOf("ask"))
                EXPECT_NE(asked.find("Na lince 1 jsou zapsány i jiné moduly"), std::string::npos) << asked;
            EXPECT_EQ(wire().received(), "");
        }
    }
}

// The messages carry the start and the size in four hexadecimal digits: a wider one ("Upload
// segment" takes nine) is refused with a message before the line is opened, for the upload, the
// dump and its write-back alike (the dump's size is cut to 128 bytes first).
TEST_F(MemoryTransfer, RangesBeyondFourDigitsAreRefusedBeforeTheLineOpens) {
    startSim({"serial 5 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    const std::string back = file("back.bin", std::string(0x80, 'x'));
    const struct {
        const char* what;
        std::function<int()> run;
    } cases[] = {
        {"upload start", [&] { return startUpload(kSerialLine, 1, 2, 0x10000, 0x10, dir.str() + "/u.bin", {}); }},
        {"upload size", [&] { return startUpload(kSerialLine, 1, 2, 0x400, 0xFFFFFFFF, dir.str() + "/u.bin", {}); }},
        {"dump start", [&] {
             std::string path;
             return memoryDumpRead(kSerialLine, 1, 2, 0x10000, 0x10, path);
         }},
        {"write-back start", [&] { return memoryDumpWrite(kSerialLine, 1, 2, 0x1FFFF, 0x10, back); }},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        EXPECT_EQ(c.run(), 0) << c.what;
        jobCancel();  // were one started, it would not end for gigabytes
        JobWait();
        EXPECT_EQ(ui.callsOf("message"),
                  std::vector<std::string>{"Upload|Start a počet bytů (Bytes) mohou mít nejvýše čtyři šestnáctkové číslice (0 až FFFF). "})
            << c.what;
        EXPECT_EQ(wire().received(), "") << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.str() + "/u.bin"));
}

TEST_F(MemoryTransfer, RefusalsAndTheEditorStartedWithoutAShell) {
    startSim({"serial 5 4", "serial 6 3"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 6, 3);
    EXPECT_EQ(uploadApplies(kSerialLine, 0), 0);
    EXPECT_EQ(uploadApplies(kSerialLine, 2), 0);
    EXPECT_EQ(memoryDumpApplies(kSerialLine, 1), 0);  // no editor configured
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"Varování|Nelze měnit komunikační linku !  ",
                                        "Upload|Zařízení typu LOQ3 \nneumožňuje upload.",
                                        "memory Dump|Nastavte v konfiguraci cestu pro externí HEX editor."}));
    // An editor in a folder with a space: it gets the dump file as its one argument.
    const std::string folder = dir.str() + "/hex editor";
    std::filesystem::create_directory(folder);
    const std::string editor = folder + "/edit it";
    std::ofstream(editor) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << dir.str() << "/editor-args'\n";
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    programConfig().setHexEditorPath(editor);
    ui.calls.clear();
    // The LOQ3 shares the line: asked once for the read and the write-back (Yes), then
    // "Zapsat změněná data ?" No.
    ui.answers = {true, false};
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(memoryDump(kSerialLine, 1, 0, 0xC00, 0x20), 0);
    const auto asked = ui.callsOf("ask");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].rfind("Memory Dump|Na lince 1 jsou zapsány i jiné moduly", 0), 0u) << asked[0];
    EXPECT_EQ(asked[1], "Memory Dump|Zapsat změněná data ?");
    EXPECT_EQ(wire().received().find("WRM"), std::string::npos);  // No: the device stays as it was
    for (int i = 0; i < 100 && !std::filesystem::exists(dir.str() + "/editor-args"); ++i) platform::pause(20);
    EXPECT_EQ(read(dir.str() + "/editor-args"), "1|" + appState().dataDirectory + "dump.$$$|");
    ui.answers = {true, true};
    EXPECT_EQ(memoryDump(kSerialLine, 1, 0, 0xC00, 0x20), 1);
    EXPECT_NE(wire().received().find("WRM|V|yyyyyyyy|0c00|"), std::string::npos);
    // An editor that is not there: said, nothing written.
    programConfig().setHexEditorPath(dir.str() + "/no such editor");
    ui.calls.clear();
    ui.answers = {true};
    EXPECT_EQ(memoryDump(kSerialLine, 1, 0, 0xC00, 0x20), -1);
    EXPECT_EQ(ui.callsOf("message"),
              std::vector<std::string>{"Memory Dump|Chyba při spuštění externího editoru !\n Zkontrolujte nastaveni cesty v konfiguraci."});
}

}  // namespace
}  // namespace lumo
