// The installation on disk: record files, line creation, module slots, ID conflicts, removal,
// and what happens when the data directory cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/app_state.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "actions/install_actions.h"
#include "model/record_file.h"
#include "support/full_disk.h"
#include "support/image_builder.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using Installation = test::InstallationTest;
using test::readFileBytes;
using test::writeFileBytes;

using test::bytesOf;

// A line record as the add-line action writes it, built from the file layout by hand. The
// check that follows the add finds no port here and marks the line unreachable (0x20).
test::Image newLineImage(int n, std::uint8_t headType, std::uint8_t port, std::uint8_t direction,
                         std::uint8_t speed, const std::string& ip = "", std::uint8_t flagsByte = 0x20) {
    test::Image img(260);
    img.put(0, {static_cast<std::uint8_t>(n), 0})
        .text(2, "linka " + std::to_string(n))
        .put(31, {direction, flagsByte, port, speed})
        .text(107, ip)
        .i32(128, 13000)
        .put(132, {headType, 0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF});
    return img;
}

ModuleRecord module(std::uint8_t id, std::uint8_t type = 4, std::uint8_t flagsByte = 0) {
    ModuleRecord m;
    m.setId(id);
    m.setType(type);
    m.setDescription("modul " + std::to_string(id));
    m.setFlags(flagsByte);
    return m;
}

TEST_F(Installation, NewLinesAreByteExactPerHeadType) {
    const struct {
        DeviceTypeCode head;
        std::uint8_t port, direction, speed;
    } cases[] = {
        {12, 1, 1, 1},  // USB linka: COM1, direction control 1, 19200
        {0, 1, 0, 1},   // obecná linka
        {11, 0, 0, 1},  // TCP linka stays on port 0
        {13, 1, 0, 0},  // DV3x: 9600
        {16, 1, 0, 1},
    };
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        ASSERT_EQ(addLine(c.head), n);
        EXPECT_EQ(readFileBytes(linePath(n, "line.cfg")), newLineImage(n, c.head, c.port, c.direction, c.speed).bytes)
            << "head type " << int(c.head);
        EXPECT_TRUE(fs::exists(linePath(n, "terminal.dat")));
        EXPECT_EQ(fs::file_size(linePath(n, "terminal.dat")), 0u);
    }
    EXPECT_EQ(ui.callsOf("refresh").back(), "4/0");
}

TEST_F(Installation, NewModulesAreByteExactWithReaderOperationsByType) {
    ASSERT_EQ(addLine(0), 1);
    const struct {
        DeviceTypeCode type;
        std::uint8_t id, r1, r2;
    } cases[] = {{1, 1, 'b', '8'}, {4, 2, 'b', '8'}, {5, 3, 'b', '8'}, {6, 4, 'b', '8'},
                 {3, 5, '7', '`'}, {17, 6, '7', '`'}, {2, 7, 0, 0},     {48, 30, 0, 0}};
    int k = 0;
    for (const auto& c : cases) {
        ++k;
        ASSERT_EQ(addModule(0, c.type, std::to_string(c.id)), k);
        // The check after the add finds nobody on the line: not responding (0x01).
        auto expected = test::Image(260).put(0, {c.id, c.type}).text(2, "modul " + std::to_string(c.id)).put(32, {0x01}).put(104, {c.r1, c.r2});
        auto file = readFileBytes(linePath(1, "terminal.dat"));
        ASSERT_EQ(file.size(), 260u * static_cast<std::size_t>(k));
        EXPECT_EQ(std::vector<std::uint8_t>(file.end() - 260, file.end()), expected.bytes) << "type " << int(c.type);
    }
}

TEST_F(Installation, ShortOrMissingFilesReadAsFreeSlots) {
    fs::create_directories(dir.path() / "line1");
    writeFileBytes(linePath(1, "line.cfg"), std::vector<unsigned char>(100, 0xFF));
    LineRecord line;
    line.bytes.fill(0x55);
    ASSERT_TRUE(readLineRecord(0, line));
    EXPECT_EQ(bytesOf(line), std::vector<std::uint8_t>(260, 0));

    // findRecord on a missing file creates it empty and stops after the end: record 1, zeroed.
    RecordImage found;
    found.bytes.fill(0x55);
    FindKey key{5, 0};
    EXPECT_EQ(findRecord(moduleFilePath(1), found, isSwitchedOnWithId, key), 1);
    EXPECT_EQ(bytesOf(found), std::vector<std::uint8_t>(260, 0));
    EXPECT_TRUE(fs::exists(linePath(1, "terminal.dat")));
    EXPECT_EQ(countRecords(moduleFilePath(1)), 0);

    // A trailing part of a record is no record.
    writeFileBytes(linePath(1, "terminal.dat"), std::vector<unsigned char>(260 + 100, 0x07));
    EXPECT_EQ(countRecords(moduleFilePath(1)), 1);
    EXPECT_EQ(findRecord(moduleFilePath(1), found, isUsedSlot, key), 1);  // ID 7 is used
    EXPECT_EQ(findRecord(moduleFilePath(1), found, countSameId, key), 2);
}

TEST_F(Installation, SeventeenthLineIsRefusedAndNothingWritten) {
    for (int n = 1; n <= 16; ++n) ASSERT_EQ(addLine(0), n);
    const auto before = readFileBytes(linePath(16, "line.cfg"));
    ui.calls.clear();
    EXPECT_EQ(addLine(12), 0);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"message Varování|Maximální počet komunikačních linek je obsazen ! "}));
    EXPECT_EQ(readFileBytes(linePath(16, "line.cfg")), before);
    EXPECT_FALSE(fs::exists(dir.path() / "line17"));
}

TEST_F(Installation, NewLineTakesTheFirstFreedSlot) {
    for (int n = 1; n <= 3; ++n) ASSERT_EQ(addLine(0), n);
    ASSERT_TRUE(removeSelected(1, 0));
    EXPECT_EQ(addLine(13), 2);
    EXPECT_EQ(readFileBytes(linePath(2, "line.cfg")), newLineImage(2, 13, 1, 0, 0).bytes);
}

TEST_F(Installation, TcpConverterWithAKnownAddressReplacesThatLine) {
    ASSERT_EQ(addLine(0), 1);
    LineRecord tmpl;
    tmpl.setHeadType(11);
    tmpl.setMac(kFactoryMac);
    tmpl.setIpAddress("10.0.0.5");
    ASSERT_EQ(createLine(tmpl), 2);
    ASSERT_TRUE(writeModuleRecord(1, 1, module(3)));
    const auto modules = readFileBytes(linePath(2, "terminal.dat"));

    EXPECT_EQ(createLine(tmpl), 2);  // same address: the existing line is rewritten
    EXPECT_EQ(readFileBytes(linePath(2, "line.cfg")), newLineImage(2, 11, 0, 0, 1, "10.0.0.5", 0).bytes);
    EXPECT_EQ(readFileBytes(linePath(2, "terminal.dat")), modules);  // its modules stay

    tmpl.setIpAddress("10.0.0.55");  // not the same device as 10.0.0.5
    EXPECT_EQ(createLine(tmpl), 3);
    tmpl.setIpAddress("10.0.0.5");
    tmpl.setHeadType(0);  // only a TCP converter replaces a line
    EXPECT_EQ(createLine(tmpl), 4);
}

TEST_F(Installation, AddModuleRefusals) {
    EXPECT_EQ(addModule(0, 4, "5"), 0);  // no line yet
    ASSERT_EQ(addLine(0), 1);
    ASSERT_EQ(addModule(0, 4, "5"), 1);
    const auto file = readFileBytes(linePath(1, "terminal.dat"));
    for (const char* id : {"32", "-1", "abc", "", "5x"}) EXPECT_EQ(addModule(0, 4, id), 0) << id;
    EXPECT_EQ(addModule(0, 4, "0"), 0);  // ID 0 also on a line with free slots
    EXPECT_EQ(addModule(0, 3, "5"), 0);  // ID in use
    EXPECT_EQ(readFileBytes(linePath(1, "terminal.dat")), file);
    const std::string range = "message Varování|ID adresa musí být v rozsahu 0-31 !  ";
    const std::string used = "message Varování|Zadanou ID již adresu používá některé zařízení ! \nZvolte jinou hodnotu. ";
    EXPECT_EQ(ui.callsOf("message").size(), 8u);
    EXPECT_EQ(ui.calls.front(), "message Varování|Nejprve musí být vytvořena komunikační linka !  ");
    EXPECT_EQ(ui.calls[ui.calls.size() - 3], "message " + range.substr(8));
    EXPECT_EQ(ui.calls[ui.calls.size() - 2], used);
    EXPECT_EQ(ui.calls.back(), used);
    EXPECT_EQ(addModule(0, 4, " 31"), 2);  // 31 is accepted when adding
}

TEST_F(Installation, FreedSlotsAreReusedUnlessTheModuleWasSwitchedOff) {
    ASSERT_EQ(addLine(0), 1);
    ASSERT_EQ(addModule(0, 4, "5"), 1);
    ASSERT_EQ(addModule(0, 4, "6"), 2);
    ASSERT_TRUE(removeSelected(0, 1));
    EXPECT_EQ(addModule(0, 4, "7"), 1);

    ModuleRecord off = module(8, 4, flags::kModuleOff);
    ASSERT_TRUE(writeModuleRecord(0, 1, off));
    ASSERT_TRUE(removeSelected(0, 1));
    ModuleRecord freed;
    ASSERT_TRUE(readModuleRecord(0, 1, freed));
    EXPECT_EQ(freed.id(), 0);
    EXPECT_EQ(freed.flags(), flags::kModuleOff);  // only the first byte is cleared
    EXPECT_EQ(freed.description(), "modul 8");
    EXPECT_EQ(addModule(0, 4, "9"), 3);

    // An ID held only by a switched-off module may be given again.
    ASSERT_TRUE(writeModuleRecord(0, 1, module(9, 4, flags::kModuleOff)));
    EXPECT_EQ(addModule(0, 3, "9"), 0);  // record 3 holds 9 switched on
    ASSERT_TRUE(writeModuleRecord(0, 3, module(10, 4, flags::kModuleOff)));
    EXPECT_EQ(addModule(0, 3, "10"), 4);
}

TEST_F(Installation, IdConflictPassFlagsOnlySwitchedOnPairs) {
    ASSERT_EQ(addLine(0), 1);
    const ModuleRecord records[] = {module(5), module(6, 4, flags::kIdConflict), module(5, 3, flags::kNotResponding),
                                    module(7), module(7, 4, flags::kModuleOff), module(0)};
    for (int k = 0; k < 6; ++k) ASSERT_TRUE(writeModuleRecord(0, k + 1, records[k]));
    ASSERT_TRUE(markIdConflicts(0));
    const std::uint8_t expected[] = {0x02, 0x00, 0x03, 0x00, 0x80, 0x00};
    for (int k = 0; k < 6; ++k) {
        ModuleRecord r;
        ASSERT_TRUE(readModuleRecord(0, k + 1, r));
        EXPECT_EQ(r.flags(), expected[k]) << "record " << k + 1;
    }
}

TEST_F(Installation, RemovingALineNeedsItsModulesGoneFirst) {
    ASSERT_EQ(addLine(12), 1);
    ASSERT_EQ(addModule(0, 4, "5"), 1);
    const auto line = readFileBytes(linePath(1, "line.cfg"));
    EXPECT_FALSE(removeSelected(0, 0));
    EXPECT_EQ(ui.calls.back(),
              "message Nelze vymazat|Na lince jsou připojena další zařízení ! \nNejdříve odstraňte všechny připojené moduly.");
    EXPECT_EQ(readFileBytes(linePath(1, "line.cfg")), line);
    // The command: its refusal is all the user sees, even with a system error value left over
    // from an earlier failure (it used to add "CHYBA !: Neznámá chyba...").
    platform::setLastSystemError(2);
    ui.calls.clear();
    ui.answers = {true};
    EXPECT_EQ(removeItem(0, 0), 0);
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Nelze vymazat|Na lince jsou připojena další zařízení ! "
                                                               "\nNejdříve odstraňte všechny připojené moduly."}));

    ASSERT_TRUE(removeSelected(0, 1));
    ASSERT_TRUE(removeSelected(0, 0));
    auto expected = line;
    expected[0] = 0;
    EXPECT_EQ(readFileBytes(linePath(1, "line.cfg")), expected);
}

// A data directory that cannot be written: every failed write reports its code and message
// and changes nothing else.
TEST_F(Installation, UnwritableDataDirectoryReportsAndChangesNothing) {
    ASSERT_EQ(addLine(0), 1);
    ASSERT_EQ(addModule(0, 4, "5"), 1);
    const auto line1 = readFileBytes(linePath(1, "line.cfg"));

    // A full disk for the second record of "terminal.dat" and for a new "line.cfg".
    {
        test::FullDisk full(260);
        ui.calls.clear();
        EXPECT_EQ(addModule(0, 4, "6"), -1);
    }
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"CHYBA !|Zápis do souboru: TERMINAL.DAT \n Err.code: 02010c02:0000001b"}));
    EXPECT_EQ(fs::file_size(linePath(1, "terminal.dat")), 260u);
    {
        test::FullDisk full(0);
        ui.calls.clear();
        EXPECT_EQ(addLine(11), -1);
    }
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"CHYBA !|Zápis do souboru: LINE.CFG \n Err.code: 02010d02:0000001b"}));

    // A data directory that is a file: no folder can be made in it.
    writeFileBytes(dir.path() / "plain", {1, 2, 3});
    appState().dataDirectory = (dir.path() / "plain").string() + "/";
    ui.calls.clear();
    EXPECT_EQ(addLine(0), -1);
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"CHYBA !|Otevření souboru: LINE.CFG \n Err.code: 01010d02:00000014"}));
    EXPECT_EQ(readFileBytes(dir.path() / "plain"), (std::vector<unsigned char>{1, 2, 3}));

    EXPECT_EQ(readFileBytes(linePath(1, "line.cfg")), line1);
    EXPECT_FALSE(fs::exists(linePath(2, "terminal.dat")));
    EXPECT_EQ(pendingError(), 0u);
}

}  // namespace
}  // namespace lumo
