// "Komunikační linka" as a form, without a window: the line shown, the fields by port, and
// "Použít".
#include <gtest/gtest.h>

#include <filesystem>

#include "model/installation.h"
#include "support/sim_fixture.h"
#include "ui/line_form.h"

namespace lumo {
namespace {

using LineFormTest = test::SimTest;

TEST_F(LineFormTest, ShowsTheLineEnablesFieldsByPortAndStoresWhatIsApplied) {
    startSim({});
    installSerialLine();
    LineForm form;
    EXPECT_FALSE(form.open(kTcpLine));  // no record yet: reported, no dialog
    EXPECT_EQ(ui.callsOf("message").size(), 1u);

    ASSERT_TRUE(form.open(kSerialLine));
    EXPECT_EQ(form.port.items[static_cast<std::size_t>(form.port.chosen)], "COM3");
    EXPECT_EQ(form.speed.chosen, 1);
    EXPECT_EQ(form.parity.items, (std::vector<std::string>{"žádná", "lichá", "sudá"}));
    EXPECT_FALSE(form.ip.enabled || form.tcpPort.enabled);
    EXPECT_TRUE(form.speed.enabled && form.parity.enabled && form.kind.enabled);
    form.choosePort(0);  // TCP: the address and the port instead
    EXPECT_TRUE(form.ip.enabled && form.tcpPort.enabled);
    EXPECT_FALSE(form.speed.enabled || form.parity.enabled || form.kind.enabled);
    form.choosePort(3);
    form.tcpPort.text = "0";  // a COM line keeps its port: not checked
    form.description.text = "hala B";
    EXPECT_EQ(form.pressApply(), 1);
    LineRecord saved;
    ASSERT_TRUE(readLineRecord(kSerialLine, saved));
    EXPECT_EQ(saved.description(), "hala B");
    EXPECT_EQ(saved.port(), 3);

    // A TCP line: a port the line cannot have is refused, the focus back, nothing stored.
    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    ASSERT_TRUE(form.open(kTcpLine));
    EXPECT_EQ(form.port.chosen, 0);
    EXPECT_EQ(form.ip.text, "127.0.0.1");
    EXPECT_EQ(form.ip.maxLength, 17);
    EXPECT_EQ(form.description.maxLength, 15);
    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) { reselected.push_back(&f); };
    ui.calls.clear();
    for (const char* refused : {"0", "65536", "10.77.0.30", ""}) {
        form.tcpPort.text = refused;
        EXPECT_EQ(form.pressApply(), kFormStaysOpen) << refused;
    }
    EXPECT_EQ(reselected, std::vector<const FormField*>(4, &form.tcpPort));
    ASSERT_EQ(ui.callsOf("message").size(), 4u);
    EXPECT_EQ(ui.callsOf("message")[2], "Upozornění|Pole „TCP port“: zadejte celé číslo od 1 do 65535 (zadáno „10.77.0.30“).");
    form.tcpPort.text = std::to_string(tcpLine.tcpPort());
    form.description.text = "převodníkyhalyCD";  // 16 characters: 15 stored
    EXPECT_EQ(form.pressApply(), 1);
    ASSERT_TRUE(readLineRecord(kTcpLine, saved));
    EXPECT_EQ(saved.description(), "převodníkyhalyC");
}

}  // namespace
}  // namespace lumo
