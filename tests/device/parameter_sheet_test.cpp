// The property sheets without a window: what each control shows of a record, when it is
// enabled, and the record gathered back from the controls.
#include <gtest/gtest.h>

#include "device/module_parameters.h"
#include "device/parameter_sheet.h"
#include "serial/serial_number.h"

namespace lumo {
namespace {

constexpr DeviceTypeCode kLoq3 = 3, kTq300 = 4, kZb40 = 8, kZb20 = 9, kMn600 = 10;

ModuleRecord moduleOf(DeviceTypeCode type, int level) {
    ModuleRecord r;
    r.setId(7);
    r.setType(type);
    r.setFeatureLevel(static_cast<std::uint8_t>(level));
    return r;
}

// One sheet opened on a record: its controls found by name.
struct Sheet {
    const SheetLayout& layout;
    SheetStates states;

    explicit Sheet(const ModuleRecord& r) : layout(*sheetLayout(r.type())), states(newSheetStates(layout)) {
        FillSheetPages(layout, r, states);
    }
    ControlState& operator[](const std::string& name) {
        for (std::size_t p = 0; p < layout.pages.size(); ++p) {
            for (std::size_t i = 0; i < layout.pages[p].controls.size(); ++i) {
                if (layout.pages[p].controls[i].name == name) return states[p][i];
            }
        }
        throw std::runtime_error("no control " + name);
    }
    ModuleRecord gathered(ModuleRecord r) const {
        GatherSheetPages(layout, states, r);
        return r;
    }
};

TEST(ParameterSheet, TitlesAndTabsByFamily) {
    const struct {
        DeviceTypeCode type;
        const char* title;
        std::vector<std::string> tabs;
    } cases[] = {
        {1, "TQ300 - ID 7", {"Obecné", "Parametry", "Nastaveni", "Provozní..."}},
        {kTq300, "TQ300 - ID 7", {"Obecné", "Parametry", "Nastaveni", "Provozní..."}},
        {kMn600, "MN600 - ID 7", {"Obecné", "Parametry", "Nastaveni", "Provozní..."}},
        {kLoq3, "LOQ3 - ID 7", {"Obecné", "Nastaveni", "Provozní..."}},
        {kZb40, "ZB40 - ID 7", {"Obecné", "Parametry", "Subsystém 1", "Subsystém 2"}},
        {kZb20, "ZB20 - ID 7", {"Obecné", "Parametry", "Subsystém 1"}},
    };
    for (const auto& c : cases) {
        const SheetLayout* layout = sheetLayout(c.type);
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(sheetTitle(*layout, moduleOf(c.type, 0)), c.title);
        std::vector<std::string> tabs;
        for (const auto& page : layout->pages) tabs.push_back(page.title);
        EXPECT_EQ(tabs, c.tabs) << c.title;
    }
    for (DeviceTypeCode none : {0, 2, 17, 48}) EXPECT_EQ(sheetLayout(none), nullptr) << int(none);
}

TEST(ParameterSheet, ControlsEnabledByFeatureLevel) {
    const struct {
        DeviceTypeCode type;
        int level;
        const char* control;
        bool enabled;
    } cases[] = {
        {kTq300, 0, "displayText", true},     {kTq300, 0, "keySound", false},     {kTq300, 1, "keySound", true},
        {kTq300, 1, "antiPassBack", false},   {kTq300, 2, "antiPassBack", true},  {kTq300, 1, "rightsOnMtrOnly", false},
        {kTq300, 3, "rightsOnMtrOnly", false}, {kTq300, 4, "rightsOnMtrOnly", true}, {kTq300, 4, "antiPassBack", true},
        {kTq300, 0, "externalDevice", false}, {kTq300, 1, "externalDevice", true}, {kTq300, 1, "holdOpen1", false},
        {kTq300, 2, "holdOpen2", true},       {kMn600, 9, "rightsOnMtrOnly", true},
        {kLoq3, 0, "closedAtRest", true},     {kLoq3, 0, "doorTime", false},      {kLoq3, 1, "doorTime", true},
        {kLoq3, 3, "externalDevice", false},  {kLoq3, 3, "readSound", false},     {kLoq3, 2, "holdOpen", true},
        {kLoq3, 2, "sunday", false},          {kLoq3, 3, "saturday", true},
        {kZb40, 0, "antiPassBack", true},     {kZb40, 0, "peopleCounting", false}, {kZb40, 0, "history", true},
        {kZb40, 0, "alarmOpened2", false},    {kZb40, 1, "alarmOpened2", true},   {kZb20, 1, "doorTime", true},
    };
    for (const auto& c : cases) {
        Sheet sheet(moduleOf(c.type, c.level));
        EXPECT_EQ(sheet[c.control].enabled, c.enabled) << int(c.type) << " level " << c.level << " " << c.control;
    }
}

TEST(ParameterSheet, ControlsBelowTheirLevelAreNotFilled) {
    ModuleRecord r = moduleOf(kTq300, 1);
    r.setParamP2(0x08);  // anti-pass-back, shown only from level 2
    r.setParamP1(0x08);  // rights on MTR only, from level 4
    r.setDeviceFlags(0x0C);
    Sheet sheet(r);
    EXPECT_EQ(sheet["antiPassBack"].selection, -1);
    EXPECT_EQ(sheet["rightsOnMtrOnly"].selection, -1);
    EXPECT_EQ(sheet["externalDevice"].selection, 3);
    // Gathering reads every control: the bits of controls left clear end as 0.
    const ModuleRecord g = sheet.gathered(r);
    EXPECT_EQ(g.paramP2(), 0);
    EXPECT_EQ(g.paramP1(), 0);
    // "Obnova" on a device that now reports a lower level: what the higher level had set is
    // cleared, not gathered unseen.
    ModuleRecord higher = moduleOf(kTq300, 4);
    higher.setParamP2(0x08);
    higher.setParamP1(0x08);
    Sheet refreshed(higher);
    ASSERT_EQ(refreshed["antiPassBack"].selection, 1);
    FillSheetPages(refreshed.layout, r, refreshed.states);
    EXPECT_EQ(refreshed["antiPassBack"].selection, -1);
    EXPECT_EQ(refreshed.gathered(r).paramP2(), 0);
    EXPECT_EQ(refreshed.gathered(r).paramP1(), 0);
}

TEST(ParameterSheet, ExternalDeviceListAtLevelZeroIsEmptyAndGathersZero) {
    ModuleRecord r = moduleOf(kTq300, 0);
    r.setDeviceFlags(0x0F);
    Sheet sheet(r);
    EXPECT_TRUE(sheet["externalDevice"].items.empty());
    EXPECT_FALSE(sheet["externalDevice"].enabled);
    EXPECT_EQ(sheet.gathered(r).deviceFlags() & 0x0C, 0);
}

TEST(ParameterSheet, RelayModesListsAndRadios) {
    ModuleRecord r = moduleOf(kTq300, 1);
    r.setParamP3(0x15);       // relay 1 mode 5, relay 2 mode 1
    r.setDeviceFlags(0x30);   // backlight 3: no button
    Sheet sheet(r);
    EXPECT_EQ(sheet["relay1"].selection, 3);
    EXPECT_EQ(sheet["relay1"].items.at(3), "přepínací");
    EXPECT_EQ(sheet["relay2"].selection, 1);
    EXPECT_EQ(sheet["backlight"].selection, -1);
    ModuleRecord g = sheet.gathered(r);
    EXPECT_EQ(g.paramP3(), 0x13);
    EXPECT_EQ(g.deviceFlags() & 0x30, 0);
    sheet["backlight"].selection = 2;
    sheet["relay2"].selection = -1;  // a list with no selection reads as 0
    g = sheet.gathered(r);
    EXPECT_EQ(g.deviceFlags() & 0x30, 0x20);
    EXPECT_EQ(g.paramP3(), 0x03);
}

TEST(ParameterSheet, GatheringRebuildsWholeBytes) {
    ModuleRecord r = moduleOf(kTq300, 4);
    r.setSwitchBits(0xE7);   // B6-B8 as read: no control shows them
    r.setDeviceFlags(0xC3);  // bits 6-7: the medium as the device reports it
    r.setParamP4(0x55);      // the TQ300 sheet does not build P4
    const ModuleRecord g = Sheet(r).gathered(r);
    EXPECT_EQ(g.switchBits(), 0x07);
    EXPECT_EQ(g.deviceFlags(), 0x03);
    EXPECT_EQ(g.paramP4(), 0x55);
    // A write that does not come from the sheet (lumo-ctl params) sends the same bytes.
    ModuleRecord edited = r;
    GatherAsTheSheetDoes(edited);
    EXPECT_EQ(edited, g);
}

TEST(ParameterSheet, Loq3DaysAndHoldOpen) {
    ModuleRecord r = moduleOf(kLoq3, 3);
    r.setParamP1(0x0F);
    r.setDeviceFlags(0x07);
    Sheet sheet(r);
    sheet["sunday"].selection = 1;
    sheet["saturday"].selection = 1;
    sheet["holdOpen"].selection = 0;
    const ModuleRecord g = sheet.gathered(r);
    EXPECT_EQ(g.holdOpenBits(), 130);
    EXPECT_EQ(g.paramP1(), 0);  // the LOQ3 sheet sets P1 to 0
    EXPECT_EQ(g.deviceFlags(), 0x04);  // only the external device (read, never enabled)
}

TEST(ParameterSheet, Zb20SecondRelayAlsoGoesToP4) {
    ModuleRecord r = moduleOf(kZb20, 1);
    r.setParamP1(0x03);
    r.setParamP4(0xF0);
    Sheet sheet(r);
    sheet["relay2"].selection = 1;
    const ModuleRecord g = sheet.gathered(r);
    EXPECT_EQ(g.paramP3() >> 4, 1);
    EXPECT_EQ(g.paramP4(), 0x01);
    EXPECT_EQ(g.paramP1(), 0);
    EXPECT_EQ(Sheet(g)["relay2"].selection, 1);  // shows "spínací" again when reopened
}

TEST(ParameterSheet, FieldsNumbersTimesAndText) {
    ModuleRecord r = moduleOf(kTq300, 2);
    r.setIntervalFrom({7, 30});
    r.setDoorTime(-5);
    r.setRelayDelay(1, 200);
    r.setDisplayText("Dobrý den");
    Sheet sheet(r);
    EXPECT_EQ(sheet["intervalFrom"].text, "07:30");
    EXPECT_EQ(sheet["intervalTo"].text, "");  // 00:00 shows empty
    EXPECT_EQ(sheet["doorTime"].text, "-5");
    EXPECT_EQ(sheet["delay1"].text, "200");
    EXPECT_EQ(sheet["displayText"].text, "Dobrý den");
    sheet["intervalTo"].text = "16:45 and more text";  // read from its first 9 characters
    sheet["delay1"].text = "300";                      // truncated to 8 bits, no range enforced
    sheet["delay2"].text = "12x";                      // no number: 0
    sheet["doorTime"].text = " 95 ";
    sheet["displayText"].text = "Příliš dlouhý úvodní text";
    const ModuleRecord g = sheet.gathered(r);
    EXPECT_EQ(g.intervalTo().hour, 16);
    EXPECT_EQ(g.intervalTo().minute, 45);
    EXPECT_EQ(g.relayDelay(1), 44);
    EXPECT_EQ(g.relayDelay(2), 0);
    EXPECT_EQ(g.doorTime(), 95);
    EXPECT_EQ(g.displayText(), "Příliš dlouhý úv");
}

TEST(ParameterSheet, FillThenGatherKeepsEveryRepresentableValue) {
    // A record whose every bit has a control comes back unchanged from a sheet left alone.
    const struct {
        DeviceTypeCode type;
        int level;
        std::uint8_t p1, p2, p3, p4, switches, flags, hold;
    } cases[] = {
        {kTq300, 4, 0x0F, 0x0F, 0x32, 0x00, 0x07, 0x2F, 0x03},
        {kMn600, 9, 0x05, 0x0A, 0x21, 0x00, 0x05, 0x1A, 0x02},
        {kLoq3, 3, 0x00, 0x03, 0x02, 0x00, 0x1C, 0x08, 0xFF},
        {kZb40, 1, 0x03, 0x0F, 0x31, 0x12, 0x0E, 0x02, 0x00},
        {kZb20, 1, 0x00, 0x0F, 0x23, 0x02, 0x0E, 0x02, 0x00},
    };
    for (const auto& c : cases) {
        ModuleRecord r = moduleOf(c.type, c.level);
        r.setParamP1(c.p1);
        r.setParamP2(c.p2);
        r.setParamP3(c.p3);
        r.setParamP4(c.p4);
        r.setSwitchBits(c.switches);
        r.setDeviceFlags(c.flags);
        r.setHoldOpenBits(c.hold);
        r.setRelayDelay(1, 10);
        r.setRelayDelay(2, 20);
        r.setIntervalFrom({6, 15});
        r.setIntervalTo({18, 0});
        r.setDoorTime(30);
        r.setReader1Operation(98);
        r.setFlags(0x80);
        EXPECT_EQ(Sheet(r).gathered(r), r) << int(c.type);
    }
}

TEST(ParameterSheet, GeneralPage) {
    ModuleRecord r = moduleOf(kLoq3, 1);
    r.setDescription("vrátnice");
    Sheet sheet(r);
    GeneralFacts f = generalPageFacts(r);
    EXPECT_EQ(f.serialNumber, "není k disposici");
    EXPECT_EQ(f.version, "");
    EXPECT_EQ(f.typeName, "LOQ3");
    EXPECT_EQ(f.moduleName, "vrátnice");
    EXPECT_EQ(sheet["usage"].items.size(), 2u);
    EXPECT_EQ(sheet["usage"].selection, 0);
    r.setIdentText("441560030005");
    r.setFirmwareVersion(226);
    r.setIdMediumType(2);
    f = generalPageFacts(r);
    EXPECT_EQ(f.serialNumber, "441560030005");
    EXPECT_EQ(f.version, "2.26");
    EXPECT_EQ(f.idMedium, "externí (wiegand)");
    // What the module reports is shown as it decodes: a date no calendar has is not shown as one.
    EXPECT_EQ(f.productionDate, "439177: neplatné datum");
    r.setIdentText(SerialEncode(5, 3, packDate(24, 6, 2015)));
    EXPECT_EQ(generalPageFacts(r).productionDate, "24.06.2015");
    r.setFeatureLevel(0);
    EXPECT_EQ(generalPageFacts(r).idMedium, "nezjištěno");
    // "Využití zařízení": the second entry switches the module off.
    sheet["usage"].selection = 1;
    EXPECT_EQ(sheet.gathered(r).flags(), 0x80);
    FillSheetPages(sheet.layout, r, sheet.states);  // filled twice: still two entries
    EXPECT_EQ(sheet["usage"].items.size(), 2u);
}

TEST(ParameterSheet, NumbersAndHexTexts) {
    const struct {
        const char* text;
        long value;
    } numbers[] = {{"12", 12}, {"-7", -7}, {" 42 ", 42}, {"", 0}, {"abc", 0}, {"4x", 0}, {"+3", 3},
                   {"2147483647", 2147483647L}, {"-2147483648", -2147483648L}, {"2147483648", 0}, {"99999999999", 0}};
    for (const auto& n : numbers) EXPECT_EQ(fieldNumber(n.text), n.value) << n.text;
    const struct {
        const char* text;
        std::uint32_t value;
    } hex[] = {{"0", 0}, {"ff", 0xFF}, {"A0b1", 0xA0B1}, {"DEADBEEF", 0xDEADBEEF}, {"123456789", 0x23456789}, {"", 0}};
    for (const auto& h : hex) EXPECT_EQ(HexTextToValue(h.text), h.value) << h.text;
}

}  // namespace
}  // namespace lumo
