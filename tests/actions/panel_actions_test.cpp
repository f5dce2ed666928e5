// The panel's own commands: the release notes and the quit question.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "actions/panel_actions.h"
#include "base/app_state.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using PanelActions = test::InstallationTest;

TEST_F(PanelActions, MissingReleaseNotesAreNamedWithTheirFolder) {
    EXPECT_EQ(showWhatsNew(dir.str()), 0);
    EXPECT_EQ(ui.callsOf("message"),
              (std::vector<std::string>{"Konfigurace|Soubor s novinkami nebyl nalezen: \n" + dir.str() +
                                        "/novinky_verze_2.txt"}));
}

TEST_F(PanelActions, InstalledReleaseNotesAreFoundBesideTheProgramFolder) {
    // /usr/bin/lumo-hw and /usr/share/lumo-panel/novinky_verze_2.txt
    std::filesystem::create_directories(dir.path() / "bin");
    std::filesystem::create_directories(dir.path() / "share" / "lumo-panel");
    std::ofstream(dir.path() / "share" / "lumo-panel" / "novinky_verze_2.txt") << "2.32\n";
    showWhatsNew((dir.path() / "bin").string());  // opening it depends on the desktop's viewer
    for (const std::string& message : ui.callsOf("message"))
        EXPECT_EQ(message.find("nebyl nalezen"), std::string::npos) << message;
}

TEST_F(PanelActions, QuitAsksOnlyWhileAJobRuns) {
    EXPECT_TRUE(confirmQuit());
    EXPECT_TRUE(ui.callsOf("ask").empty());
    appState().jobRunning = 1;
    ui.answers = {false};
    EXPECT_FALSE(confirmQuit());
    EXPECT_EQ(appState().jobRunning, 1);
    ui.answers = {true};
    EXPECT_TRUE(confirmQuit());
    EXPECT_EQ(appState().jobRunning, 0);  // the job is told to stop
    EXPECT_EQ(ui.callsOf("ask").back(), "Proces na pozadí|Opravdu chcete přerušit aktivní proces ? ");
}

}  // namespace
}  // namespace lumo
