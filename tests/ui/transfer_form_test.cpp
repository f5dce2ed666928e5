// "Odeslaní dat" as a form, without a window: what it starts from, the file chosen, "Odeslat".
#include <gtest/gtest.h>

#include <fstream>

#include "service/jobs.h"
#include "support/sim_fixture.h"
#include "ui/transfer_form.h"

namespace lumo {
namespace {

using TransferFormTest = test::SimTest;

TEST_F(TransferFormTest, StartsTheTransferOfTheChosenFileAndRemembersTheInstruction) {
    startSim({"serial 5 4"});
    installSerialLine();
    addSerialModule(1, 5, 4);
    const std::string path = dir.str() + "/" + std::string(60, 'x') + ".txt";
    std::ofstream(path, std::ios::binary) << "AB+CD+EF*";
    TransferForm onLine;
    EXPECT_FALSE(onLine.open(kSerialLine, 0, true));  // only a module transfers: the action says so
    EXPECT_EQ(ui.callsOf("message"), (std::vector<std::string>{"Upozornění|Pro toto zařízení nelze nastavovat !  "}));
    ui.calls.clear();
    TransferForm form;
    ASSERT_TRUE(form.open(kSerialLine, 1, true));
    EXPECT_EQ(form.instruction.text, "0");
    EXPECT_EQ(form.instruction.maxLength, 9);
    EXPECT_EQ(form.file.text, "data.txt");
    int mode = -1;
    form.chooseFile = [&](std::string& chosen, int asked) {
        mode = asked;
        chosen = path;
        return 1;
    };
    form.pressBrowse();
    EXPECT_EQ(mode, 3);  // a data file
    EXPECT_EQ(form.file.text, path);

    form.instruction.text = "a";  // hexadecimal 10: no digit of the wire
    EXPECT_EQ(form.pressSend(), kFormStaysOpen);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Přenos dat|Podinstrukce DLL musí být jedna číslice 0 až 9. "});
    form.instruction.text = "2";
    EXPECT_EQ(form.pressSend(), 1);
    JobWait();
    EXPECT_NE(wire().received().find("&ML_05#DLL$2+AB+CD+EF*"), std::string::npos) << wire().received();
    TransferForm again;
    again.open(kSerialLine, 1, false);
    EXPECT_EQ(again.instruction.text, "2");
    EXPECT_EQ(again.file.text, "data.txt");  // a name too long for "cmd.dat" is not kept there
}

}  // namespace
}  // namespace lumo
