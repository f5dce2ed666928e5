// The panel's own commands: the release notes and the quit question.
#include <gtest/gtest.h>

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
