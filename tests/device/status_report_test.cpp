// The status report, byte for byte, and switching items on and off.
#include <gtest/gtest.h>

#include "device/item_state.h"
#include "base/error_record.h"
#include "device/status_report.h"
#include "model/installation.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using StatusReport = test::InstallationTest;

const char kTail[] = "\r\n\r\n\r\nAktuální stav zjistíte použitím funkce Kontrola funkce. \r\n";

TEST_F(StatusReport, ModuleSerialLineAndTcpLine) {
    ASSERT_EQ(newLine(0), 1);
    LineRecord line;
    ASSERT_TRUE(readLineRecord(0, line));
    line.setPort(3);
    line.setDirectionControl(2);
    line.setSpeed(0);
    line.setParity(1);
    line.setFlags(flags::kUnreachable);
    ASSERT_TRUE(writeLineRecord(0, line));
    ModuleRecord m;
    m.setId(5);
    m.setType(4);
    m.setFlags(flags::kNotResponding | flags::kIdConflict | flags::kOtherType);
    ASSERT_TRUE(writeModuleRecord(0, 1, m));

    LineRecord tcp;
    tcp.setHeadType(11);
    tcp.setIpAddress("10.1.2.3");
    ASSERT_EQ(createLine(tcp), 2);

    const struct {
        int line, item;
        std::string text;
    } cases[] = {
        {0, 1,
         "typ zařízení:\tTQ300 \r\npopis:\tdocházkový terminál \r\nID adresa:\t05 \r\n\r\n\r\n\r\nSTATUS:\r\n"
         " zařízení nekomunikuje...\r\n kolize ID adresy !\r\n zařízení je jiného typu !\r\n" + std::string(kTail)},
        {0, 0,
         "typ zařízení:\tobecná linka \r\npopis:\tkomunikační linka (COM, TCP) \r\npřipojení:\tCOM3 (RS485) \r\n"
         "rychlost:\t9600 \r\nparita:\tlichá \r\n\r\n\r\n\r\nSTATUS:\r\n zásuvka není dostupná...\r\n" + std::string(kTail)},
        {1, 0,
         "typ zařízení:\tWI485 \r\npopis:\tpřevodník TCP<->RS485, RS232 \r\npřipojení:\tTCP  \r\n"
         "IP adresa:\t10.1.2.3 \r\nTCP port:\t13000 \r\n\r\n\r\n\r\nSTATUS:\r\n zařízení pracuje správně..." + std::string(kTail)},
    };
    for (const auto& c : cases) {
        std::string text;
        ASSERT_TRUE(statusReportText(c.line, c.item, text));
        EXPECT_EQ(text, c.text);
    }
    StatusReportShow(1, 0);
    EXPECT_EQ(ui.calls.back(), "report " + cases[2].text);
}

TEST_F(StatusReport, SwitchedOffItemsAndUnreadableRecords) {
    ASSERT_EQ(newLine(12), 1);
    ModuleRecord m;
    m.setId(7);
    m.setType(3);
    ASSERT_TRUE(writeModuleRecord(0, 1, m));
    ASSERT_TRUE(ItemEnableToggle(0, 1));
    ASSERT_TRUE(ItemEnableToggle(0, 0));
    std::string text;
    ASSERT_TRUE(statusReportText(0, 1, text));
    EXPECT_NE(text.find("STATUS:\r\n nepoužívá se (vypnuto)\r\n\r\n\r\nAktu"), std::string::npos);
    ASSERT_TRUE(statusReportText(0, 0, text));
    EXPECT_NE(text.find("STATUS:\r\n nepoužívá se (vypnuto) \r\n\r\n"), std::string::npos);

    EXPECT_EQ(LineEnabledCheck(0), 0);
    EXPECT_EQ(ui.calls.back(),
              "message Nelze provést|Linka ke které je zařízení připojeno je vypnutá. \nPokud chcete zařízení "
              "používat je třeba linku aktivovat.");
    ASSERT_TRUE(ItemEnableToggle(0, 0));
    EXPECT_EQ(LineEnabledCheck(0), 1);
    EXPECT_EQ(LineEnabledCheck(5), 0);  // no record: silent

    EXPECT_FALSE(statusReportText(5, 0, text));
    EXPECT_EQ(pendingError(), 0x01020d06u);
    clearError();
    test::writeFileBytes(linePath(1, "terminal.dat"), {});
    std::filesystem::remove(linePath(1, "terminal.dat"));
    EXPECT_FALSE(statusReportText(0, 1, text));
    EXPECT_EQ(pendingError(), 0x01020d07u);
}

}  // namespace
}  // namespace lumo
