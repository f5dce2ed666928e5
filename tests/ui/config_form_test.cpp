// "Konfigurace parametrů programu" as a form, without a window: the settings shown, the paths
// chosen, and "Uložit".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/app_state.h"
#include "model/program_config.h"
#include "support/installation_fixture.h"
#include "ui/config_form.h"

namespace lumo {
namespace {

using ConfigFormTest = test::InstallationTest;

TEST_F(ConfigFormTest, ShowsTheSettingsAndSavesWhatWasChosen) {
    setDefaultConfig();
    programConfig().setHexEditorPath("/usr/bin/ghex");
    programConfig().setAdapterAddress("127.0.0.1");
    applyConfig();
    ConfigForm form;
    form.open();
    EXPECT_EQ(form.hexEditor.text, "/usr/bin/ghex");
    EXPECT_EQ(form.dataDir.text, programConfig().dataDirectory());
    ASSERT_FALSE(form.adapter.items.empty());
    EXPECT_EQ(form.adapter.items[0], "Vyberte adaptér");
    ASSERT_GT(form.adapter.chosen, 0);  // the configured address: the loopback adapter
    EXPECT_TRUE(form.adapter.items[static_cast<std::size_t>(form.adapter.chosen)].ends_with(" (127.0.0.1)"));
    EXPECT_TRUE(std::none_of(form.adapter.items.begin(), form.adapter.items.end(),
                             [](const std::string& item) { return item.ends_with("()"); }));

    // The ".." buttons: the folder from the root, a program; a choice closed changes nothing.
    const std::string lumo = dir.str() + "/lumo";
    std::filesystem::create_directory(lumo);
    std::vector<std::string> asked;
    form.chooseFolder = [&](const std::string& root, std::string& chosen) {
        asked.push_back("folder " + root);
        chosen = lumo;
        return 1;
    };
    form.chooseFile = [&](std::string&, int mode) {
        asked.push_back("file " + std::to_string(mode));
        return 0;
    };
    form.pressDataDirBrowse();
    form.pressHexEditorBrowse();
    EXPECT_EQ(asked, (std::vector<std::string>{"folder /", "file 2"}));
    EXPECT_EQ(form.dataDir.text, lumo);
    EXPECT_EQ(form.hexEditor.text, "/usr/bin/ghex");

    // No adapter chosen: asked, and No keeps the dialog open with nothing changed.
    const int chosen = form.adapter.chosen;
    form.adapter.chosen = 0;
    ui.answers = {false};
    EXPECT_EQ(form.pressSave(), kFormStaysOpen);
    EXPECT_EQ(ui.callsOf("ask").size(), 1u);
    EXPECT_NE(appState().dataDirectory, lumo + "/");
    form.adapter.chosen = chosen;
    EXPECT_EQ(form.pressSave(), 1);
    EXPECT_EQ(appState().dataDirectory, lumo + "/");
    EXPECT_EQ(appState().adapterAddress, "127.0.0.1");
    EXPECT_EQ(ui.callsOf("ask").size(), 1u);
}

}  // namespace
}  // namespace lumo
