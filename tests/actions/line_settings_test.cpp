// The line dialog's "Použít": what is saved, switched and asked.
#include <gtest/gtest.h>

#include "model/installation.h"
#include "actions/install_actions.h"
#include "support/full_disk.h"
#include "support/image_builder.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

class LineSettingsTest : public test::SimTest {};

TEST_F(LineSettingsTest, SavedRecordsByteForByte) {
    startSim({});
    ASSERT_EQ(newLine(12), 1);  // a new USB line: COM1, direction control 1, 19200
    LineRecord off;
    ASSERT_TRUE(readLineRecord(0, off));
    off.setFlags(flags::kLineOff);
    ASSERT_TRUE(writeLineRecord(0, off));

    // Saving switches the line on; COM3 reaches the simulator; RS485 is stored as 2.
    LineSettings s;
    s.port = 3;
    s.description = "sběrnice";
    ASSERT_EQ(saveLineSettings(0, s), 1);
    auto expected = test::Image(260)
                        .put(0, {1, 0})
                        .text(2, "sb\xECrnice")
                        .put(31, {2, 0x00, 3, 1})
                        .i32(128, 13000)
                        .put(132, {12, 0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF});
    EXPECT_EQ(test::readFileBytes(linePath(1, "line.cfg")), expected.bytes);
    EXPECT_TRUE(ui.callsOf("ask").empty());
    EXPECT_EQ(ui.callsOf("update").back(), "0 sběrnice");

    // A port that cannot be opened: No keeps the file; Yes saves with the unreachable flag.
    const auto before = test::readFileBytes(linePath(1, "line.cfg"));
    s = {};
    s.port = 5;
    s.rs485 = false;
    s.parity = 2;
    ui.answers = {false};
    EXPECT_EQ(saveLineSettings(0, s), 0);
    EXPECT_EQ(ui.callsOf("ask").back(),
              "Inicializace|Komunikační zásuvka není dostupná ! \nPatrně ji používá jiná aplikace. \nChcete pokračovat ?");
    EXPECT_EQ(test::readFileBytes(linePath(1, "line.cfg")), before);
    ui.answers = {true};
    EXPECT_EQ(saveLineSettings(0, s), 1);
    expected.put(31, {0, 0x20, 5, 1}).put(98, {2});
    EXPECT_EQ(test::readFileBytes(linePath(1, "line.cfg")), expected.bytes);
    EXPECT_EQ(ui.callsOf("update")[ui.callsOf("update").size() - 2], "0 5");  // the USB line, flagged

    // TCP: the question about the host.
    s = {};
    s.port = 0;
    s.ipAddress = "127.0.0.1";
    s.tcpPort = 1;
    ui.answers = {false};
    EXPECT_EQ(saveLineSettings(0, s), 0);
    EXPECT_EQ(ui.callsOf("ask").back(),
              "Inicializace|Cílový hostitel není dostupný! \nZkontrolujte nastavení TCP. \nChcete pokračovat ?");
}

TEST_F(LineSettingsTest, UnreadableOrUnwritableRecord) {
    startSim({});
    EXPECT_EQ(saveLineSettings(4, {}), -1);  // no record: critical, the active window goes
    EXPECT_EQ(ui.callsOf("message").back(), "Kritická CHYBA !|Otevření souboru: LINE.CFG \n Err.code: 01028d02:00000002");
    EXPECT_EQ(ui.calls.back(), "destroy");
    ASSERT_EQ(newLine(0), 1);
    ASSERT_EQ(newLine(0), 2);
    const auto before = test::readFileBytes(linePath(2, "line.cfg"));
    LineSettings s;
    s.port = 3;
    {
        test::FullDisk full(0);
        EXPECT_EQ(saveLineSettings(1, s), -1);
    }
    EXPECT_EQ(ui.callsOf("message").back(), "CHYBA !|Zápis do souboru: LINE.CFG \n Err.code: 02010d01:0000001b");
    EXPECT_EQ(test::readFileBytes(linePath(2, "line.cfg")), before);
    // The same from "Komunikační linka TCP", with that dialog's contexts.
    LineSettings tcp;
    tcp.tcpLineDialog = true;
    tcp.port = 3;
    EXPECT_EQ(saveLineSettings(4, tcp), -1);
    EXPECT_EQ(ui.callsOf("message").back(), "Kritická CHYBA !|Otevření souboru: LINE.CFG \n Err.code: 01028d03:00000002");
    {
        test::FullDisk full(0);
        EXPECT_EQ(saveLineSettings(1, tcp), -1);
    }
    EXPECT_EQ(ui.callsOf("message").back(), "CHYBA !|Zápis do souboru: LINE.CFG \n Err.code: 02010d04:0000001b");
}

}  // namespace
}  // namespace lumo
