// "Vlastnosti" as a form, without a window, against the simulator: the controls enabled by the
// module's feature level, what the fields take, the buttons while the line is busy, the close
// question and the rename.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "support/sim_fixture.h"
#include "ui/property_sheet_form.h"

namespace lumo {
namespace {

class PropertySheetFormTest : public test::SimTest {
protected:
    // A TQ300 at firmware 1.23 (feature level 2), its sheet open; the record knows no level yet.
    void openTq300(PropertySheetForm& form) {
        startSim({"serial 5 4 version=1.23"});
        installSerialLine();
        addSerialModule(1, 5, 4);
        ASSERT_TRUE(form.open(kSerialLine, 1));
    }
    static SheetFormControl& control(PropertySheetForm& form, const std::string& name) {
        for (auto& page : form.pages)
            for (auto& c : page.controls)
                if (c.row->name == name) return c;
        throw std::runtime_error("no control " + name);
    }
    static bool enabled(const SheetFormControl& c) {
        const ControlKind kind = c.row->kind;
        return kind == ControlKind::Number || kind == ControlKind::Time || kind == ControlKind::Text ? c.field.enabled
                                                                                                     : c.choice.enabled;
    }
};

TEST_F(PropertySheetFormTest, TheFeatureLevelEnablesTheControls) {
    PropertySheetForm form;
    openTq300(form);
    EXPECT_EQ(form.title, "TQ300 - ID 5");
    for (const FormField* f : {&form.serialNumber, &form.productionDate, &form.version, &form.idMedium})
        EXPECT_TRUE(f->readOnly);
    const struct {
        const char* control;
        bool before, after;  // enabled at level 0, and at level 2 once "Obnova" read the device
    } cases[] = {
        {"presets", true, true},          {"displayText", true, true},       {"keySound", false, true},
        {"reader1Operation", false, true}, {"antiPassBack", false, true},    {"rightsOnMtrOnly", false, false},
    };
    for (const auto& c : cases) EXPECT_EQ(enabled(control(form, c.control)), c.before) << c.control;
    EXPECT_EQ(form.pressRefresh(), kFormStaysOpen);
    for (const auto& c : cases) EXPECT_EQ(enabled(control(form, c.control)), c.after) << c.control;
}

TEST_F(PropertySheetFormTest, TextFieldsRefuseWhatWouldEndTheDataPiece) {
    PropertySheetForm form;
    openTq300(form);
    const SheetFormControl& text = control(form, "displayText");
    const SheetFormControl& number = control(form, "delay1");
    EXPECT_EQ(text.field.maxLength, 16);
    EXPECT_EQ(number.field.maxLength, 0);
    const struct {
        const SheetFormControl& control;
        const char* typed;
        bool taken;
    } cases[] = {
        {text, "Dobrý den", true}, {text, "a*b", false}, {text, "a\tb", false}, {text, "", true},
        {number, "3*", true},  // a number field is checked as a whole when the sheet is applied or closed
    };
    for (const auto& c : cases) EXPECT_EQ(PropertySheetForm::takes(c.control, c.typed), c.taken) << c.typed;
}

// "Obnova" and "Použít" wait on the line with every button and page off; a close asked for
// meanwhile comes after the wait. A refused field keeps the sheet and its text; closing after
// a change asks, and Storno stays.
TEST_F(PropertySheetFormTest, TheButtonsInTheirOrder) {
    PropertySheetForm form;
    openTq300(form);
    std::vector<std::string> seen;
    form.showNow = [&] {
        bool anyOn = form.pagesEnabled;
        for (const FormField* b : {&form.refresh, &form.apply, &form.close, &form.rename}) anyOn |= b->enabled;
        seen.push_back(anyOn ? "shown, on" : "shown, off");
        EXPECT_EQ(form.pressClose(), kFormStaysOpen);  // the window's close, while the read runs
        EXPECT_TRUE(ui.callsOf("ask3").empty());
    };
    ui.replies = {Reply::Cancel};
    EXPECT_EQ(form.pressRefresh(), kFormStaysOpen);  // the close came after the read, and was cancelled
    EXPECT_EQ(seen, std::vector<std::string>{"shown, off"});
    ASSERT_EQ(ui.callsOf("ask3").size(), 1u);
    EXPECT_EQ(ui.callsOf("ask3")[0], "Změna nastavení|Změnily se parametry zařízení. \nChcete nové nastavení uložit ? ");
    EXPECT_TRUE(form.pagesEnabled && form.refresh.enabled && form.apply.enabled && form.close.enabled && form.rename.enabled);

    form.showNow = nullptr;
    control(form, "delay1").field.text = "300";
    std::filesystem::resize_file(logPath(), 0);
    EXPECT_EQ(form.pressApply(), kFormStaysOpen);
    ASSERT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_NE(ui.callsOf("message")[0].find("zadáno „300“"), std::string::npos) << ui.callsOf("message")[0];
    EXPECT_EQ(control(form, "delay1").field.text, "300");
    EXPECT_EQ(wire().received(), "");

    control(form, "delay1").field.text = "7";
    EXPECT_EQ(form.pressApply(), kFormStaysOpen);
    EXPECT_NE(wire(1).received().find("D107"), std::string::npos) << test::visible(wire().received());
    control(form, "presets").choice.chosen = 1 - control(form, "presets").choice.chosen;
    ui.replies = {Reply::Cancel, Reply::No};
    EXPECT_EQ(form.pressClose(), kFormStaysOpen);
    EXPECT_EQ(form.pressClose(), 1);  // not stored now, but "Použít" stored the record
    EXPECT_EQ(ui.callsOf("ask3").size(), 3u);
}

TEST_F(PropertySheetFormTest, ARenameAsksForTheNameAndKeepsThePages) {
    PropertySheetForm form;
    openTq300(form);
    std::vector<std::string> offered;
    const char* typed = nullptr;  // none: cancelled
    form.askName = [&](FormField& name) {
        offered.push_back(name.text + "/" + std::to_string(name.maxLength));
        if (typed == nullptr) return false;
        name.text = typed;
        return true;
    };
    control(form, "pin").choice.chosen = 1;
    typed = "vrátnice u brány č. 2";
    EXPECT_EQ(form.pressRename(), kFormStaysOpen);
    EXPECT_EQ(form.moduleName, "vrátnice u brán");
    EXPECT_EQ(control(form, "pin").choice.chosen, 1);
    typed = nullptr;
    EXPECT_EQ(form.pressRename(), kFormStaysOpen);
    EXPECT_EQ(form.moduleName, "vrátnice u brán");
    EXPECT_EQ(offered, (std::vector<std::string>{"/15", "vrátnice u brán/15"}));
}

}  // namespace
}  // namespace lumo
