// The panel's own commands: the release notes and the quit question.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "actions/config_actions.h"
#include "actions/install_actions.h"
#include "actions/panel_actions.h"
#include "base/app_state.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "service/jobs.h"
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

TEST_F(PanelActions, AViewerThatCannotStartIsNamedAsThePlatformHasIt) {
    std::ofstream(dir.path() / "novinky_verze_2.txt") << "2.32\n";
    // No program can be found: the viewer does not exist here.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::filesystem::create_directories(dir.path() / "empty");
    ::setenv("PATH", (dir.path() / "empty").c_str(), 1);
    const int result = showWhatsNew(dir.str());
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(ui.callsOf("message").size(), 2u);
    EXPECT_EQ(ui.callsOf("message")[0], "Konfigurace|Chyba při spuštění programu xdg-open !");
    EXPECT_EQ(ui.callsOf("message")[1].rfind("CHYBA !|Systémová chyba", 0), 0u) << ui.callsOf("message")[1];
}

// The job owns its line and builds its paths from the data directory: removing an item and
// changing the settings wait for its end, as every command on the lines does.
TEST_F(PanelActions, RemovalAndSettingsAreRefusedWhileAJobRuns) {
    ASSERT_EQ(newLine(0), 1);
    ASSERT_EQ(newLine(0), 2);
    ASSERT_EQ(newLine(0), 3);
    ModuleRecord module;
    module.setId(5);
    module.setType(4);
    ASSERT_TRUE(writeModuleRecord(1, 1, module));
    const std::string dataDirectory = appState().dataDirectory;
    std::atomic<bool> release{false};
    backgroundJob().lineIndex = 0;
    ASSERT_TRUE(JobStart([&release] {
        while (!release) platform::pause(5);
        JobFinish();
    }));
    const std::string refusal = "Upozornění|Na pozadí již běží jiný proces. ";
    ProgramSettings settings;
    settings.dataDirectory = dir.str() + "/other";
    const struct {
        const char* what;
        std::function<int()> command;
    } cases[] = {
        {"the job's line", [] { return removeItem(0, 0); }},
        {"another line", [] { return removeItem(2, 0); }},
        {"a module", [] { return removeItem(1, 1); }},
        {"the settings", [&settings] { return saveProgramSettings(settings); }},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        ui.answers = {true, true};
        EXPECT_EQ(c.command(), 0) << c.what;
        EXPECT_EQ(ui.callsOf("message"), std::vector<std::string>{refusal}) << c.what;
        EXPECT_TRUE(ui.callsOf("ask").empty()) << c.what;
    }
    release = true;
    JobWait();
    LineRecord line;
    EXPECT_TRUE(readLineRecord(0, line) && line.lineNumber() == 1);
    EXPECT_TRUE(readLineRecord(1, line) && line.lineNumber() == 2);
    EXPECT_TRUE(readLineRecord(2, line) && line.lineNumber() == 3);
    EXPECT_TRUE(readModuleRecord(1, 1, module) && module.id() == 5);
    EXPECT_EQ(appState().dataDirectory, dataDirectory);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "other"));
    // After the job the same commands go on as usual.
    ui.answers = {true};
    EXPECT_EQ(removeItem(0, 0), 1);
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
