// The change-setting dialog as a form, without a window: what it offers and what "Použít" stores.
#include <gtest/gtest.h>

#include "model/device_catalog.h"
#include "model/installation.h"
#include "support/installation_fixture.h"
#include "ui/change_setting_form.h"

namespace lumo {
namespace {

class ChangeSettingFormTest : public test::InstallationTest {
protected:
    void SetUp() override {
        InstallationTest::SetUp();
        ASSERT_EQ(newLine(0), 1);
        ModuleRecord m;
        m.setId(5);
        m.setType(4);
        ASSERT_TRUE(writeModuleRecord(0, 1, m));
    }
    ModuleRecord stored() {
        ModuleRecord m;
        EXPECT_TRUE(readModuleRecord(0, 1, m));
        return m;
    }
};

TEST_F(ChangeSettingFormTest, OffersTheSettingsAndStoresTheOneChosen) {
    ChangeSettingForm form;
    EXPECT_FALSE(form.open(0, 0, ChangeMode::IdAddress));
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Varování|Nelze měnit komunikační linku !  "});

    ASSERT_TRUE(form.open(0, 1, ChangeMode::IdAddress));
    EXPECT_EQ(form.title, "ID adresa");
    EXPECT_EQ(form.current.text, "05");
    EXPECT_TRUE(form.current.readOnly);
    ASSERT_EQ(form.choice.items.size(), 32u);
    EXPECT_EQ(form.choice.items[0], "00 (pc)");
    EXPECT_EQ(form.choice.items[7], "07 ");
    EXPECT_EQ(form.choice.items[31], "31 (master)");
    EXPECT_EQ(form.choice.chosen, -1);
    EXPECT_FALSE(form.apply.enabled);
    form.choose(31);
    EXPECT_TRUE(form.apply.enabled);
    EXPECT_EQ(form.pressApply(), kFormStaysOpen);  // reserved: refused, the dialog stays
    EXPECT_EQ(ui.callsOf("message").back(), "Konflikt|Neplatná ID adresa ! Hodnota je vyhrazena. ");
    form.choose(7);
    EXPECT_EQ(form.pressApply(), 1);
    EXPECT_EQ(stored().id(), 7);

    ASSERT_TRUE(form.open(0, 1, ChangeMode::Type));
    EXPECT_EQ(form.title, "Typ zařízení");
    EXPECT_EQ(form.current.text, modelName(4));
    EXPECT_FALSE(form.apply.enabled);
    const auto& types = moduleTypeChoices();
    ASSERT_EQ(form.choice.items.size(), types.size());
    const auto at = std::find_if(types.begin(), types.end(), [](const TypeChoice& t) { return t.code == 48; });
    ASSERT_NE(at, types.end());
    EXPECT_EQ(form.choice.items[static_cast<std::size_t>(at - types.begin())], at->label);
    form.choose(static_cast<int>(at - types.begin()));
    EXPECT_EQ(form.pressApply(), 1);
    EXPECT_EQ(stored().type(), 48);
}

}  // namespace
}  // namespace lumo
