// "Dekodóvání výrobního čísla" as a form, without a window: a number taken apart, and a MAC
// part turned back into its sequence.
#include <gtest/gtest.h>

#include "support/installation_fixture.h"
#include "ui/serial_decode_form.h"

namespace lumo {
namespace {

using SerialDecodeFormTest = test::InstallationTest;

TEST_F(SerialDecodeFormTest, TakesANumberApart) {
    const struct {
        const char* number;
        const char *date, *type, *model, *sequence, *mac;
    } cases[] = {
        {"184259481234", "24.06.2015", "48", "QH-J01", "1234", "04D2"},
        {"150316040001", "273764: neplatné datum", "04", "TQ300", "0001", ""},  // no day of the calendar
        {"441560100001", "15.03.2016", "10", nullptr, "0001", ""},              // below the bus models: no MAC part
    };
    SerialDecodeForm form;
    EXPECT_EQ(form.number.maxLength, 12);
    EXPECT_EQ(form.mac.maxLength, 4);
    EXPECT_TRUE(form.date.readOnly && form.model.readOnly && form.kind.readOnly && form.sequence.readOnly);
    EXPECT_FALSE(form.type.readOnly || form.mac.readOnly);
    for (const auto& c : cases) {
        form.number.text = c.number;
        EXPECT_EQ(form.pressDecode(), kFormStaysOpen);
        EXPECT_EQ(form.date.text, c.date) << c.number;
        EXPECT_EQ(form.type.text, c.type) << c.number;
        if (c.model != nullptr) {
            EXPECT_EQ(form.model.text, c.model) << c.number;
        }
        EXPECT_EQ(form.sequence.text, c.sequence) << c.number;
        EXPECT_EQ(form.mac.text, c.mac) << c.number;
    }
    form.number.text = "184259481234";
    form.pressDecode();
    EXPECT_EQ(form.kind.text, "řídící jednotka TESK");
}

TEST_F(SerialDecodeFormTest, TurnsAMacPartIntoItsSequenceForABusModel) {
    const struct {
        const char *type, *mac, *sequence;
        bool refused;
    } cases[] = {
        {"48", "0FA0", "4000", false},
        {" 56 ", "04D2", "1234", false},
        {"48", "XYZ", "0001", false},  // carries no sequence: nothing changes
        {"47", "0FA0", "0001", true},
        {"4a", "0FA0", "0001", true},  // no number: 0
        {"", "0FA0", "0001", true},
    };
    for (const auto& c : cases) {
        SerialDecodeForm form;
        form.sequence.text = "0001";
        form.type.text = c.type;
        form.mac.text = c.mac;
        ui.calls.clear();
        EXPECT_EQ(form.pressFromMac(), kFormStaysOpen);
        EXPECT_EQ(form.sequence.text, c.sequence) << c.type << " " << c.mac;
        EXPECT_EQ(ui.callsOf("message"), c.refused ? std::vector<std::string>{"Chyba zadání|Neplatný typ zařízení"} : std::vector<std::string>{})
            << c.type;
    }
}

}  // namespace
}  // namespace lumo
