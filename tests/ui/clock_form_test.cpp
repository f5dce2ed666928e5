// "Nastavení času" as a form, without a window: typing, leaving a field, and "Nastavit".
#include <gtest/gtest.h>

#include <filesystem>

#include "device/clock_setting.h"
#include "support/sim_fixture.h"
#include "ui/clock_form.h"

namespace lumo {
namespace {

// The user's keys into a field, one at a time ('\b' deletes the last character), as a window
// reports them: the new text, its change before or after the typing.
void typeKeys(ClockForm& form, FormField& field, const std::string& keys, bool changeFirst) {
    for (char key : keys) {
        std::string text = field.text;
        if (key == '\b') text.pop_back();
        else text += key;
        if (changeFirst) form.changed(field, text);
        form.changed(field, form.typed(field, text));
    }
}

TEST(ClockFormTyping, SeparatorsComeByThemselvesAndAWholeDateChoosesItsWeekday) {
    const struct {
        bool date;
        const char* keys;
        const char* kept;
        int weekday;  // the day chosen afterwards (it starts at 3)
    } cases[] = {
        {true, "06", "06.", 3},
        {true, "0612", "06.12.", 3},
        {true, "061226", "06.12.26", 0},       // two digits of the year are a whole date
        {true, "01.01.2027", "01.01.2027", 5},  // typed with its dots: none doubled
        {true, "25\b", "25", 3},               // the dot that came is deleted
        {true, "31.02.26", "31.02.26", 3},  // no such day: no weekday
        {true, "6.12.2026", "6.12.2026", 0},
        {false, "14", "14:", 3},
        {false, "143000", "14:30:00", 3},
        {false, "14:30:00", "14:30:00", 3},
        {false, "14:\b", "14", 3},
    };
    for (bool changeFirst : {false, true}) {
        for (const auto& c : cases) {
            ClockForm form;
            form.checkSystem(false);
            form.day.chosen = 3;
            FormField& field = c.date ? form.date : form.time;
            form.changed(field, "");
            typeKeys(form, field, c.keys, changeFirst);
            EXPECT_EQ(field.text, c.kept) << c.keys << (changeFirst ? " (change first)" : "");
            EXPECT_EQ(form.day.chosen, c.weekday) << c.keys;
        }
    }
}

using ClockFormFields = test::InstallationTest;

// Leaving a field with a value the clock cannot have says why in the status bar and puts the
// focus back; the other field's leaving that this causes is none of the user's. Only the field
// refused, put right, clears the status bar; "Zavřít" clears it too.
TEST_F(ClockFormFields, LeavingARefusedFieldSaysWhyUntilItIsPutRight) {
    ClockForm form;
    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) {
        reselected.push_back(&f);
        form.left(&f == &form.date ? form.time : form.date);  // the other field loses the focus
    };
    form.tick();
    form.left(form.date);  // disabled while the PC's clock is used: nothing to say
    form.checkSystem(false);
    EXPECT_TRUE(form.date.enabled && form.time.enabled && form.day.enabled);
    EXPECT_EQ(form.date.text, form.systemDate.text);
    EXPECT_EQ(form.day.items[static_cast<std::size_t>(form.day.chosen)], form.systemDay.text);

    form.changed(form.date, "31.02.2026");
    form.changed(form.time, "99:00:00");
    form.left(form.date);
    form.left(form.time);  // the user's own leaving of the time: its refusal replaces the date's
    form.changed(form.date, "28.2.26");
    form.left(form.date);  // put right, but the status bar shows the time's refusal
    form.changed(form.time, "7.5.3");
    form.left(form.time);  // put right: cleared
    EXPECT_EQ(form.date.text, "28.02.2026");
    EXPECT_EQ(form.time.text, "07:05:03");
    form.changed(form.time, "");
    form.left(form.time);  // an empty field is left without a word
    form.changed(form.time, "12h");
    form.left(form.time);
    EXPECT_EQ(form.pressClose(), 1);
    EXPECT_EQ(reselected, (std::vector<const FormField*>{&form.date, &form.time, &form.time}));
    EXPECT_EQ(ui.callsOf("status"),
              (std::vector<std::string>{
                  "Pole „datum“: takový den v kalendáři není, měsíc 02.2026 má 28 dní (zadáno „31.02.2026“).",
                  "Pole „čas“: hodiny musí být od 0 do 23 (zadáno „99:00:00“).", "",
                  "Pole „čas“: zadejte hodiny, minuty a sekundy oddělené dvojtečkou, např. 14:30:00 (zadáno „12h“).",
                  ""}));
}

using ClockFormOnTheWire = test::SimTest;

TEST_F(ClockFormOnTheWire, SetsTheTypedClockOnlyWhenBothFieldsHoldOne) {
    startSim({"serial 5 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    ClockForm form;
    EXPECT_FALSE(form.open(kSerialLine, 0));  // a line has no clock
    ASSERT_TRUE(form.open(kSerialLine, 1));
    EXPECT_FALSE(form.systemDate.text.empty());
    EXPECT_TRUE(form.systemDate.readOnly);
    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) { reselected.push_back(&f); };
    form.checkSystem(false);
    std::filesystem::resize_file(logPath(), 0);
    ui.calls.clear();

    form.changed(form.date, "6.12.26");
    form.changed(form.time, "");
    EXPECT_EQ(form.pressSet(), kFormStaysOpen);
    EXPECT_EQ(form.date.text, "06.12.2026");  // read before the time was refused
    form.changed(form.time, "14:30");
    form.day.chosen = 0;
    EXPECT_EQ(form.pressSet(), kFormStaysOpen);
    EXPECT_EQ(wire().received(), "");
    form.changed(form.time, "14:30:00");
    EXPECT_EQ(form.pressSet(), 1);
    EXPECT_EQ(wire().received(), "&ML_05#CFG$5+" + test::withChecksum("D06.12.26+T14:30:00+W0") + "&MLEND");
    EXPECT_EQ(reselected, (std::vector<const FormField*>{&form.time, &form.time}));
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{
                  "Upozornění|Pole „čas“: zadejte hodiny, minuty a sekundy oddělené dvojtečkou, např. 14:30:00 (zadáno „“).",
                  "Upozornění|Pole „čas“: zadejte hodiny, minuty a sekundy oddělené dvojtečkou, např. 14:30:00 (zadáno „14:30“)."}));
    EXPECT_EQ(ui.callsOf("status").back(), "nastavení času proběhlo v pořádku: 06.12.2026 14:30:00, Neděle");
}

}  // namespace
}  // namespace lumo
