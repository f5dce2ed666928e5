// "Inicializace modulu" as a form, without a window: what the number fields take, the proposal,
// the register's pick, and "Spustit inicializaci".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "actions/init_actions.h"
#include "platform/clock.h"
#include "serial/serial_number.h"
#include "serial/serial_register.h"
#include "support/sim_fixture.h"
#include "ui/init_form.h"

namespace lumo {
namespace {

TEST(InitFormTyping, TakesDigitsAndNoMoreOfThemThanTheLargestNumber) {
    InitForm form;
    const struct {
        FormField InitForm::*field;
        const char* text;
        bool taken;
    } cases[] = {
        {&InitForm::day, "", true},     {&InitForm::day, "+", true},     {&InitForm::day, "31", true},
        {&InitForm::day, "99", true},   {&InitForm::day, "0031", true},  {&InitForm::day, "000", true},
        {&InitForm::day, "100", false}, {&InitForm::day, "0099", false}, {&InitForm::day, "-1", false},
        {&InitForm::day, "1a", false},  {&InitForm::day, " 5", false},   {&InitForm::year, "2099", true},
        {&InitForm::year, "9999", true}, {&InitForm::year, "20999", false}, {&InitForm::sequence, "10000", false},
    };
    for (const auto& c : cases) EXPECT_EQ(form.takes(form.*c.field, c.text), c.taken) << "„" << c.text << "“";
}

using InitFormOnTheWire = test::SimTest;

TEST_F(InitFormOnTheWire, ProposesTheNextNumberTakesAPickAndWritesIt) {
    startSim({"serial 7 14 service"});
    installSerialLine();
    addSerialModule(1, 7, 14);
    InitForm form;
    // Without a register: told, and only the date proposed; no sequence, nothing written.
    ASSERT_TRUE(form.open(kSerialLine, 1));
    EXPECT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_EQ(form.sequence.text, "");
    EXPECT_EQ(form.serial.text, "");
    EXPECT_EQ(form.pressRun(), kFormStaysOpen);
    EXPECT_EQ(form.outcome.text, "");
    form.sequence.text = "5";
    EXPECT_EQ(form.pressRun(), kFormStaysOpen);
    EXPECT_EQ(form.outcome.text, "Zápis nebyl úspěšný !");

    std::filesystem::create_directories(dir.path() / "reg");
    std::ofstream(dir.str() + "/sn.dat") << dir.str() + "/reg";
    std::ofstream(dir.str() + "/reg/sernum.txt") << "395079030041;;0\r\n";
    const std::string registered = SerialEncode(41, 14, packDate(3, 9, 25));
    const platform::LocalTime today = platform::utcTime();
    const std::string proposed = SerialEncode(42, 14, packDate(today.day, today.month, today.year % 100));
    form.pressCurrent();
    EXPECT_EQ(form.sequence.text, "42");  // the register's last + 1
    EXPECT_EQ(form.day.text, std::to_string(today.day));
    EXPECT_EQ(form.year.text, std::to_string(today.year));
    EXPECT_EQ(form.type.items[static_cast<std::size_t>(form.type.chosen)], "JC500");
    EXPECT_EQ(form.medium.items[0], "Bio EM (JC500F)");  // a JC500's media
    EXPECT_EQ(form.medium.chosen, 0);
    EXPECT_EQ(form.serial.text, proposed);
    EXPECT_EQ(form.outcome.text, "");

    // A field left with a number of its range makes the number anew; one beyond it does not.
    form.sequence.text = "43";
    form.left(form.sequence);
    EXPECT_EQ(form.serial.text, SerialEncode(43, 14, packDate(today.day, today.month, today.year % 100)));
    form.day.text = "99";
    form.left(form.day);
    EXPECT_EQ(form.serial.text, SerialEncode(43, 14, packDate(today.day, today.month, today.year % 100)));
    form.chooseType(0);
    EXPECT_EQ(form.medium.items[0], "DALLAS");

    // The register's pick: its date, sequence and type in the fields.
    int askedFor = -1;
    form.chooseRegistered = [&](int typeCode, RegisterChoice& chosen) {
        askedFor = typeCode;
        chosen.serial = registered;
        return 1;
    };
    form.pressPick();
    EXPECT_EQ(askedFor, 14);
    EXPECT_EQ((std::vector<std::string>{form.day.text, form.month.text, form.year.text, form.sequence.text}),
              (std::vector<std::string>{"3", "9", "2025", "41"}));
    EXPECT_EQ(form.serial.text, registered);

    form.pressCurrent();
    form.note.text = "sklad";
    std::filesystem::resize_file(logPath(), 0);
    int shown = 0;
    form.showNow = [&] { ++shown; };
    EXPECT_EQ(form.pressRun(), 1);
    EXPECT_EQ(shown, 1);
    std::ifstream in(dir.str() + "/reg/sernum.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find(proposed + ";sklad;0"), std::string::npos) << text;
    bool written = false;
    for (const auto& n : wire().notes) written |= n.find("serial number " + proposed) != std::string::npos;
    EXPECT_TRUE(written);
}

}  // namespace
}  // namespace lumo
