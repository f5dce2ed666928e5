// "Komunikační linka TCP" as a form, without a window: the line shown, its buttons, "Uložit",
// and the device's configuration console.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "model/installation.h"
#include "platform/clock.h"
#include "support/sim_fixture.h"
#include "ui/tcp_line_form.h"

namespace lumo {
namespace {

using TcpLineFormTest = test::SimTest;

TEST_F(TcpLineFormTest, ShowsTheLineAndStoresItOnlyWithAPortItCanHave) {
    startSim({"tcp 2 1"});
    TcpLineForm form;
    form.open(kTcpLine);  // no record yet: reported, and the fields stay empty
    EXPECT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_TRUE(form.tcpPort.text.empty());

    std::filesystem::create_directories(dir.path() / "line2");
    ASSERT_TRUE(writeLineRecord(kTcpLine, tcpLine));
    form.open(kTcpLine);
    EXPECT_EQ(form.ip.text, "127.0.0.1");
    EXPECT_EQ(form.tcpPort.text, std::to_string(tcpLine.tcpPort()));
    EXPECT_EQ((std::vector<std::string>{form.setAddress.text, form.console.text, form.web.text}),
              (std::vector<std::string>{"Nastavit IP adresu v zařízení", "Konfigurovat přes TELNET", "Sputit WEB rozhraní"}));
    ui.calls.clear();
    EXPECT_EQ(form.pressWeb(), kFormStaysOpen);
    ASSERT_EQ(ui.callsOf("message").size(), 1u);
    EXPECT_EQ(ui.callsOf("message")[0].rfind("Konfigurace|Služba není podporována.", 0), 0u);

    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) { reselected.push_back(&f); };
    form.description.text = "převodník B";
    for (const char* refused : {"0", "70000", "port"}) {
        form.tcpPort.text = refused;
        EXPECT_EQ(form.pressSave(), kFormStaysOpen) << refused;
    }
    EXPECT_EQ(reselected, std::vector<const FormField*>(3, &form.tcpPort));
    LineRecord saved;
    ASSERT_TRUE(readLineRecord(kTcpLine, saved));
    EXPECT_EQ(saved.description(), "");
    form.tcpPort.text = std::to_string(tcpLine.tcpPort());
    EXPECT_EQ(form.pressSave(), 1);
    ASSERT_TRUE(readLineRecord(kTcpLine, saved));
    EXPECT_EQ(saved.description(), "převodník B");
}

// The console talks to a device server's port 9999: what it sends is taken as it comes, a line
// goes on; its close is told once. An address where nobody listens is told in a box.
TEST_F(TcpLineFormTest, ConsoleCarriesTheDevicesTextBothWays) {
    test::SimProcess server({"--device-server", "127.0.0.58/11/441560110058/00-4F-49-0D-00-58"}, dir.str() + "/console.log");
    TcpLineForm form;
    std::string shown, title;
    int closedTold = 0;
    // Takes what comes, a few times a second, until `done` (or 4 s).
    auto takeUntil = [&](TcpConsole& console, const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            bool closed = false;
            shown += console.take(closed);
            closedTold += closed;
            platform::pause(20);
        }
    };
    auto hasText = [&](const char* text) { return [&shown, text] { return shown.find(text) != std::string::npos; }; };
    form.showConsole = [&](TcpConsole& console) {
        title = console.title();
        takeUntil(console, hasText("q) Quit"));
        console.send("1");
        takeUntil(console, hasText("you typed: 1"));
        console.send("q");  // the device closes
        takeUntil(console, [&] { return closedTold > 0; });
        takeUntil(console, [n = 0]() mutable { return ++n > 5; });  // and is told so once
    };
    form.ip.text = "127.0.0.58";
    EXPECT_EQ(form.pressConsole(), kFormStaysOpen);
    EXPECT_EQ(title, "Konfigurace 127.0.0.58");
    EXPECT_EQ(shown.rfind("LUMO device server 441560110058", 0), 0u) << shown;
    EXPECT_NE(shown.find("you typed: 1"), std::string::npos) << shown;
    EXPECT_EQ(shown.find('\xff'), std::string::npos);
    EXPECT_EQ(closedTold, 1);

    form.ip.text = "127.0.0.59";
    bool shownAgain = false;
    form.showConsole = [&](TcpConsole&) { shownAgain = true; };
    EXPECT_EQ(form.pressConsole(), kFormStaysOpen);
    EXPECT_FALSE(shownAgain);
    EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{"Konfigurace|Nelze se připojit k 127.0.0.59:9999. "});
}

}  // namespace
}  // namespace lumo
