// "Identifikace zařízení" as a form, without a window: only a whole address is taken.
#include <gtest/gtest.h>

#include "support/installation_fixture.h"
#include "ui/mac_entry_form.h"

namespace lumo {
namespace {

using MacEntryFormTest = test::InstallationTest;

TEST_F(MacEntryFormTest, TakesOnlyAWholeAddress) {
    const MacAddress shown{0x00, 0x4F, 0x49, 0x0D, 0xFF, 0xFF}, taken{0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    const struct {
        const char* typed;
        bool taken;
    } cases[] = {
        {"02-11-22-33-44-55", true},
        {"02-11-22-33-44-55-66", true},  // the field holds 17 characters
        {"00-4F-49-0D-FF-F", false},
        {"00:4F:49:0D:FF:FF", false},
        {"00-4F-49-0D-FF-GG", false},
        {"", false},
    };
    for (const auto& c : cases) {
        MacEntryForm form;
        form.open(shown);
        EXPECT_EQ(form.mac.text, "00-4F-49-0D-FF-FF");
        EXPECT_EQ(form.mac.maxLength, 17);
        form.mac.text = c.typed;
        ui.calls.clear();
        EXPECT_EQ(form.pressOk(), c.taken ? 1 : kFormStaysOpen) << c.typed;
        EXPECT_EQ(form.address, c.taken ? taken : shown) << c.typed;
        EXPECT_EQ(ui.callsOf("message"), c.taken ? std::vector<std::string>{} : std::vector<std::string>{"Chyba|Neplatná MAC adresa!  "})
            << c.typed;
    }
}

}  // namespace
}  // namespace lumo
