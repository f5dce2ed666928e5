// "Přidání zařízení" as a form, without a window: the types offered, the description following
// the type, and "Vložit" in the line form and the module form.
#include <gtest/gtest.h>

#include "model/device_catalog.h"
#include "model/installation.h"
#include "support/sim_fixture.h"
#include "ui/add_device_form.h"

namespace lumo {
namespace {

using AddDeviceFormTest = test::SimTest;

TEST_F(AddDeviceFormTest, AddsALineOfTheChosenHeadTypeAndAModuleAtAFreeId) {
    startSim({"serial 5 4", "serial 8 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);

    AddDeviceForm line;
    line.openLine();
    EXPECT_EQ(line.type.items.size(), 5u);
    EXPECT_EQ(line.type.chosen, 0);
    EXPECT_EQ(line.description.text, "komunikační linka (COM, TCP)");
    EXPECT_TRUE(line.description.readOnly);
    EXPECT_FALSE(line.id.enabled);
    line.chooseType(2);
    EXPECT_EQ(line.type.items[2], "USB linka");
    EXPECT_EQ(line.description.text, "převodník USB<->RS485, RS232");
    EXPECT_EQ(line.pressInsert(), 1);
    LineRecord added;
    ASSERT_TRUE(readLineRecord(1, added));
    EXPECT_EQ(added.headType(), 12);

    AddDeviceForm module;
    module.openModule(kSerialLine);
    EXPECT_TRUE(module.id.enabled);
    const auto& types = moduleTypeChoices();
    ASSERT_EQ(module.type.items.size(), types.size());
    EXPECT_EQ(module.description.text, kindName(types.front().code));
    ui.calls.clear();
    for (const char* refused : {"0", "5"}) {  // the PC's, and the module's already there
        module.id.text = refused;
        EXPECT_EQ(module.pressInsert(), kFormStaysOpen) << refused;
    }
    EXPECT_EQ(ui.callsOf("message").size(), 2u);
    module.id.text = "8";
    EXPECT_EQ(module.pressInsert(), 1);
    ModuleRecord m;
    ASSERT_TRUE(readModuleRecord(kSerialLine, 2, m));
    EXPECT_EQ(m.id(), 8);
    EXPECT_EQ(m.type(), types.front().code);
}

}  // namespace
}  // namespace lumo
