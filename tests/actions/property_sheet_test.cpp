// The property sheet's flow against the simulator: "Obnova", "Použít" and "Zavřít" with what
// goes on the wire and into "terminal.dat", and the failures of reading and writing.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "actions/property_sheet.h"
#include "comm/transaction.h"
#include "device/module_parameters.h"
#include "model/installation.h"
#include "support/sim_fixture.h"

namespace lumo {
namespace {

using test::withChecksum;

class PropertySheetFlow : public test::SimTest {
protected:
    ControlState& control(PropertySheet& sheet, const std::string& name) {
        const SheetLayout& l = sheet.layout();
        for (std::size_t p = 0; p < l.pages.size(); ++p) {
            for (std::size_t i = 0; i < l.pages[p].controls.size(); ++i) {
                if (l.pages[p].controls[i].name == name) return sheet.states[p][i];
            }
        }
        throw std::runtime_error("no control " + name);
    }
    std::string moduleFile() const {
        std::ifstream in(linePath(1, "terminal.dat"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    ModuleRecord stored(int line, int k) {
        ModuleRecord r;
        EXPECT_TRUE(readModuleRecord(line, k, r));
        return r;
    }
    void clearWire() { std::filesystem::resize_file(logPath(), 0); }
    static std::string command(const char* instruction, int number, const std::string& data) {
        return "#" + std::string(instruction) + "$" + std::to_string(number) + "+" + withChecksum(data);
    }
};

TEST_F(PropertySheetFlow, EachFamilyReadChangedWrittenAndReadAgain) {
    startSim({"serial 5 4 version=1.30", "serial 6 3 version=2.26", "serial 7 8 version=1.33 p5=3 p6=33",
              "serial 8 9"});
    installSerialLine();
    struct Change {
        const char* control;
        int selection;
        const char* text;
    };
    const struct {
        int k, id, type;
        std::vector<Change> changes;  // one on every page but "Obecné" (renamed instead)
        std::string commands;         // between the CAL opening and the end frame
        std::vector<Change> readBack;  // what a second sheet shows after "Obnova"
        const char* simulatorHolds;   // in its settings, for what no answer reports
    } cases[] = {
        {1, 5, 4,
         {{"displayText", 0, "Dobry den"}, {"relay2", 2, ""}, {"intervalFrom", 0, "06:45"}},
         command("CFG", 0, "Dobry den") + command("CFG", 8, "P100+P200+P334+D105+D205") + command("SET", 2, "C006") +
             command("CFG", 3, "A00+B00+C00") + command("CFG", 4, "S06450000R000") + command("CFG", 8, "B1O+B2F+B3O+B4F"),
         {{"displayText", 0, "Dobry den"}, {"relay2", 2, ""}, {"relay1", 2, ""}},
         "S=06450000"},
        {2, 6, 3,
         {{"alarmOpened", 1, ""}, {"monday", 1, ""}},
         command("CFG", 8, "P201+P302+D105") + command("CFG", 3, "A00") + command("CFG", 3, "B00+C00") +
             command("CFG", 4, "S00000000R000W130") + command("CFG", 8, "B3O+B4F+B5F"),
         {{"alarmOpened", 1, ""}, {"relay1", 2, ""}},
         "W=130"},
        {3, 7, 8,
         {{"history", 1, ""}, {"delay3", 0, "9"}, {"relay4", 3, ""}},
         command("CFG", 8, "P200+P318+P503+P649+D105+D205+D309+D405") + command("SET", 2, "C002") +
             command("CFG", 8, "B1F+B2F+B3O+B4O"),
         {{"history", 1, ""}, {"delay3", 0, "9"}, {"relay4", 3, ""}, {"relay3", 1, ""}, {"alarmOpened2", 1, ""}},
         "D3=9"},
        // A ZB20 takes no command: what the device holds comes back.
        {4, 8, 9, {{"peopleCounting", 1, ""}, {"relay2", 3, ""}}, "",
         {{"peopleCounting", 0, ""}, {"relay2", 1, ""}}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        addSerialModule(c.k, c.id, c.type);
        PropertySheet sheet;
        ASSERT_TRUE(sheet.open(kSerialLine, c.k));
        sheet.refresh();
        EXPECT_FALSE(sheet.working().identText().empty());
        for (const Change& change : c.changes) {
            control(sheet, change.control).selection = change.selection;
            control(sheet, change.control).text = change.text;
        }
        sheet.rename("modul " + std::to_string(c.type));
        clearWire();
        ui.calls.clear();
        // A ZB20 takes no parameter commands: said plainly, the record stored all the same.
        EXPECT_EQ(sheet.apply(), c.type != 9);
        if (c.type == 9) {
            EXPECT_EQ(ui.callsOf("message"),
                      std::vector<std::string>{"Vlastnosti|Zařízení ZB20 nepřijímá zápis parametrů: nastavení je uloženo jen v záznamu. "});
        }
        char id[8];
        std::snprintf(id, sizeof id, "%02d", c.id);
        const std::string check = "&ML_" + std::string(id) + "#CAL+&MLEND";
        EXPECT_EQ(test::visible(wire().received()),
                  test::visible(check + "&ML_" + id + "#CAL+" + c.commands + "&MLEND"));
        bool held = c.simulatorHolds == nullptr;
        for (const auto& note : wire().notes) {
            held |= c.simulatorHolds != nullptr && note.find("parameters") != std::string::npos &&
                    note.find(c.simulatorHolds) != std::string::npos;
        }
        EXPECT_TRUE(held) << c.simulatorHolds;
        EXPECT_EQ(stored(kSerialLine, c.k).description(), "modul " + std::to_string(c.type));
        EXPECT_EQ(stored(kSerialLine, c.k), sheet.stored());

        PropertySheet again;
        ASSERT_TRUE(again.open(kSerialLine, c.k));
        again.refresh();
        for (const Change& expected : c.readBack) {
            EXPECT_EQ(control(again, expected.control).selection, expected.text[0] ? -1 : expected.selection)
                << expected.control;
            if (expected.text[0]) {
                EXPECT_EQ(control(again, expected.control).text, expected.text) << expected.control;
            }
        }
    }
}

TEST_F(PropertySheetFlow, ClosingAsksOnlyAfterAChangeAndSendsNothing) {
    startSim({"serial 5 4 version=1.30"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    const std::string before = moduleFile();
    {
        PropertySheet sheet;
        ASSERT_TRUE(sheet.open(kSerialLine, 1));
        EXPECT_EQ(sheet.close(), PropertySheet::Closing::Unchanged);
        EXPECT_TRUE(ui.callsOf("ask3").empty());
        EXPECT_EQ(moduleFile(), before);
    }
    PropertySheet sheet;
    ASSERT_TRUE(sheet.open(kSerialLine, 1));
    sheet.refresh();
    sheet.refresh();  // twice: still two entries in "Využití zařízení"
    EXPECT_EQ(control(sheet, "usage").items.size(), 2u);
    EXPECT_EQ(moduleFile(), before);  // the flags did not change: nothing stored yet
    clearWire();
    ui.replies = {Reply::Cancel, Reply::No};
    EXPECT_EQ(sheet.close(), PropertySheet::Closing::Stay);
    EXPECT_EQ(ui.callsOf("ask3").back(),
              "Změna nastavení|Změnily se parametry zařízení. \nChcete nové nastavení uložit ? ");
    EXPECT_EQ(sheet.close(), PropertySheet::Closing::Unchanged);
    EXPECT_EQ(moduleFile(), before);
    ui.replies = {Reply::Yes};
    EXPECT_EQ(sheet.close(), PropertySheet::Closing::Stored);
    EXPECT_EQ(stored(kSerialLine, 1).identText(), "447157040005");
    EXPECT_EQ(stored(kSerialLine, 1).featureLevel(), 4);
    EXPECT_EQ(wire().received(), "");  // "Zavřít" never writes the device
}

TEST_F(PropertySheetFlow, UntouchedSheetsCloseQuietlyAndAFailedStoreKeepsTheQuestion) {
    startSim({"serial 5 4 version=1.30"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ModuleRecord r = stored(kSerialLine, 1);
    r.setDeviceFlags(0xC6);  // the medium as the device reported it: no control shows it
    r.setSwitchBits(0xE5);   // B6-B8 as read
    r.setFeatureLevel(1);
    r.setParamP2(0x08);      // anti-pass-back, shown only from level 2
    ASSERT_TRUE(writeModuleRecord(kSerialLine, 1, r));
    PropertySheet sheet;
    ASSERT_TRUE(sheet.open(kSerialLine, 1));
    EXPECT_EQ(sheet.close(), PropertySheet::Closing::Unchanged);
    EXPECT_TRUE(ui.callsOf("ask3").empty());

    control(sheet, "pin").selection = 1;
    const auto file = linePath(1, "terminal.dat");
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);  // "terminal.dat" cannot be written
    EXPECT_FALSE(sheet.apply());
    EXPECT_FALSE(ui.callsOf("message").empty());  // reported
    EXPECT_EQ(wire().received(), "");             // and nothing sent
    ui.replies = {Reply::Cancel};
    EXPECT_EQ(sheet.close(), PropertySheet::Closing::Stay);  // the change is still a change
}

TEST_F(PropertySheetFlow, ReadAndWrittenOverATcpConverter) {
    // Each transaction is a connection of its own; the module stays selected behind the
    // converter from CAL to the end frame.
    startSim({"tcp 5 4 version=1.30"});
    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    ModuleRecord r;
    r.setId(5);
    r.setType(4);
    ASSERT_TRUE(writeModuleRecord(kTcpLine, 1, r));
    ASSERT_TRUE(ReadModuleParameters(true, kTcpLine, 1, r));
    EXPECT_EQ(r.featureLevel(), 4);
    r.setRelayDelay(1, 42);
    ASSERT_TRUE(WriteModuleParameters(kTcpLine, r));
    ModuleRecord again = stored(kTcpLine, 1);
    ASSERT_TRUE(ReadModuleParameters(true, kTcpLine, 1, again));
    EXPECT_EQ(again.relayDelay(1), 42);
}

TEST_F(PropertySheetFlow, SilentDeviceOnReadAndWrite) {
    startSim({"serial 5 4 silent"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ModuleRecord r = stored(kSerialLine, 1);
    const ModuleRecord before = r;
    EXPECT_FALSE(ReadModuleParameters(true, kSerialLine, 1, r));
    const std::string silent = "Chyba komunikace|Zařízení na adrese 05 neodpovídá ! \nZkontrolujte nastavení. ";
    EXPECT_EQ(ui.callsOf("message").at(0), silent);
    EXPECT_EQ(stored(kSerialLine, 1).flags() & flags::kNotResponding, flags::kNotResponding);
    EXPECT_EQ(wire().received(), "&ML_05#CAL+&MLEND");  // nothing but the end frame after CAL
    ModuleRecord expected = before;
    expected.setFlags(flags::kNotResponding);
    EXPECT_EQ(r, expected);  // only the flag

    r = before;  // without a window to show it on, the silence is not told
    ui.calls.clear();
    EXPECT_FALSE(ReadModuleParameters(false, kSerialLine, 1, r));
    EXPECT_TRUE(ui.callsOf("message").empty());

    r = before;
    EXPECT_FALSE(WriteModuleParameters(kSerialLine, r));
    EXPECT_EQ(ui.callsOf("message").back(), silent);
    EXPECT_EQ(r.flags(), flags::kNotResponding);
}

TEST_F(PropertySheetFlow, SwitchedOffLineSendsNothing) {
    startSim({"serial 5 4"});
    serialLine.setFlags(flags::kLineOff);
    installSerialLine();
    addSerialModule(1, 5, 4);
    ModuleRecord r = stored(kSerialLine, 1);
    const ModuleRecord before = r;
    EXPECT_TRUE(ReadModuleParameters(true, kSerialLine, 1, r));
    EXPECT_TRUE(WriteModuleParameters(kSerialLine, r));
    EXPECT_EQ(r, before);
    EXPECT_EQ(ui.callsOf("message").size(), 2u);  // "Nelze provést", once for each
    EXPECT_EQ(wire().received(), "");
}

TEST_F(PropertySheetFlow, ConverterLostInTheMiddleOfAWrite) {
    // Each transaction is a connection of its own: the fifth (CFG 3) is refused.
    startSim({"tcp 5 4 version=1.30"}, {"--tcp-connections", "4"});
    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    ModuleRecord r;
    r.setId(5);
    r.setType(4);
    r.setFeatureLevel(4);
    r.setDisplayText("LUMO");
    EXPECT_FALSE(WriteModuleParameters(kTcpLine, r));
    EXPECT_EQ(r.flags() & flags::kNotResponding, flags::kNotResponding);
    const std::string sent = wire().received();
    EXPECT_NE(sent.find("#SET$2+"), std::string::npos) << test::visible(sent);  // sent before the loss
    EXPECT_EQ(sent.find("#CFG$3+"), std::string::npos);
    EXPECT_FALSE(ui.callsOf("message").empty());  // the error is reported
}

TEST_F(PropertySheetFlow, AnswersCutOffOrGarbledWriteNoParameter) {
    // cut=3: CAL and INF 3 whole, INF 6 cut off before its end.
    startSim({"serial 5 4 version=1.30 cut=3", "serial 6 4 badcrc"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    addSerialModule(2, 6, 4);
    for (int k : {1, 2}) {
        ModuleRecord r = stored(kSerialLine, k);
        r.setFirmwareVersion(121);
        r.setFeatureLevel(1);
        r.setDeviceFlags(0x21);
        r.setParamP3(0x11);
        const ModuleRecord before = r;
        ui.calls.clear();
        EXPECT_FALSE(ReadModuleParameters(true, kSerialLine, k, r)) << k;
        EXPECT_EQ(r.firmwareVersion(), 121) << k;
        EXPECT_EQ(r.featureLevel(), 1) << k;
        EXPECT_EQ(r.deviceFlags(), 0x21) << k;
        EXPECT_EQ(r.paramP3(), 0x11) << k;
        EXPECT_EQ(ui.callsOf("message").size(), 1u) << k;  // the report
        if (k == 2) {
            ModuleRecord expected = before;
            expected.setFlags(flags::kNotResponding);
            EXPECT_EQ(r, expected);  // not even the serial number; the module marked as not answering
        }
    }
    EXPECT_EQ(stored(kSerialLine, 1).identText(), "");  // the read's record is the caller's
}

// A value its byte cannot hold would go out as another value (300 as 44, "ab" as 0): the field
// is named, and nothing is stored or sent.
TEST_F(PropertySheetFlow, FieldsTheirBytesCannotHoldAreRefusedBeforeAnythingIsSent) {
    startSim({"serial 5 4 version=1.30"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    const struct {
        const char* control;
        const char* text;
        const char* named;  // empty: taken
    } cases[] = {
        {"delay1", "300", "Stránka „Nastaveni“, pole „Relé č. 1 – zpoždění (s)“: zadejte celé číslo od 0 do 255 (zadáno „300“)."},
        {"delay2", "ab", "pole „Relé č. 2 – zpoždění (s)“: zadejte celé číslo od 0 do 255"},
        {"delay2", "-1", "zadejte celé číslo od 0 do 255"},
        {"delay2", "", ""},  // an empty field reads as 0
        {"intervalFrom", "25:99", "pole „OD“: zadejte čas od 00:00 do 23:59"},
        {"intervalTo", "999", "pole „DO“: zadejte čas od 00:00 do 23:59"},
        {"intervalTo", "12:60", "pole „DO“"},
        {"doorTime", "-1", "zadejte celé číslo od 0 do 2147483647"},
        {"reader1Operation", "1e1", "pole „Operace pro 1. snímač“"},
        {"delay1", "255", ""},
        {"intervalTo", "23:59", ""},
        {"intervalTo", " 7 ", ""},
        {"doorTime", "120", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + "=" + c.text);
        PropertySheet sheet;
        ASSERT_TRUE(sheet.open(kSerialLine, 1));
        sheet.refresh();
        const std::string fileBefore = moduleFile();
        control(sheet, c.control).text = c.text;
        clearWire();
        ui.calls.clear();
        const bool applied = sheet.apply();
        EXPECT_EQ(applied, c.named[0] == '\0');
        if (c.named[0] != '\0') {
            ASSERT_EQ(ui.callsOf("message").size(), 1u);
            EXPECT_NE(ui.callsOf("message")[0].find(c.named), std::string::npos) << ui.callsOf("message")[0];
            EXPECT_EQ(ui.callsOf("message")[0].rfind("Upozornění|", 0), 0u);
            EXPECT_EQ(wire().received(), "");
            EXPECT_EQ(moduleFile(), fileBefore);
        }
    }
}

// A value stored earlier that its field cannot hold is not sent by a write from elsewhere
// either (lumo-ctl params NAME=VALUE): the door time and the interval come from the record.
TEST_F(PropertySheetFlow, StoredValuesTheirFieldsCannotHoldAreNotSent) {
    startSim({"serial 5 4 version=1.30"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    for (const auto& spoil : std::vector<std::function<void(ModuleRecord&)>>{
             [](ModuleRecord& r) { r.setDoorTime(-1); }, [](ModuleRecord& r) { r.setIntervalFrom({25, 99}); }}) {
        ModuleRecord r = stored(kSerialLine, 1);
        r.setFeatureLevel(4);
        spoil(r);
        clearWire();
        ui.calls.clear();
        EXPECT_EQ(applyModuleParameters(kSerialLine, 1, r), 0);
        EXPECT_EQ(ui.callsOf("message").size(), 1u);
        EXPECT_EQ(wire().received(), "");
    }
}

// An answer of another kind (a peer that answers everything as CAL) is no reading: the read
// fails and names it, and the record keeps every setting, so no write is built from zeros.
TEST_F(PropertySheetFlow, AnAnswerOfAnotherKindIsNoReading) {
    startSim({"serial 5 4 version=1.30 calonly"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ModuleRecord r = stored(kSerialLine, 1);
    r.setFirmwareVersion(130);
    r.setFeatureLevel(4);
    r.setDeviceFlags(0x21);
    r.setParamP3(0x11);
    r.setRelayDelay(1, 7);
    const ModuleRecord before = r;
    ui.calls.clear();
    EXPECT_FALSE(ReadModuleParameters(true, kSerialLine, 1, r));
    ModuleRecord expected = before;
    expected.setFlags(flags::kNotResponding);
    EXPECT_EQ(r, expected);
    EXPECT_EQ(ui.callsOf("message"),
              std::vector<std::string>{"Chyba komunikace|Zařízení na adrese 05 odpovědělo na INF 6 odpovědí jiného "
                                       "druhu. \nNastavení nebylo převzato. "});
}

// A write of deviceFlags carries 0 in bits 6-7; the device keeps the ID medium it reports.
TEST_F(PropertySheetFlow, TheReportedMediumStaysAfterAWrite) {
    startSim({"serial 5 4 version=1.30 flags=70"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    PropertySheet sheet;
    ASSERT_TRUE(sheet.open(kSerialLine, 1));
    sheet.refresh();
    ASSERT_EQ(sheet.working().idMediumType(), 1);
    ui.calls.clear();
    ASSERT_TRUE(sheet.apply()) << (ui.calls.empty() ? "" : ui.calls.back());
    EXPECT_NE(wire().received().find(command("SET", 2, "C006")), std::string::npos);
    sheet.refresh();
    EXPECT_EQ(sheet.working().idMediumType(), 1);
    EXPECT_EQ(sheet.working().deviceFlags(), 70);
}

}  // namespace
}  // namespace lumo
