// What the configuration dialog's "Uložit" stores.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/config_actions.h"
#include "app/program_config.h"
#include "model/record_file.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using ConfigDialogActions = test::InstallationTest;

TEST_F(ConfigDialogActions, DirectoryGetsItsSeparatorAndTheAdapterQuestionDecides) {
    setDefaultConfig();
    programConfig().setAdapterIndex(7);
    programConfig().setAdapterAddress("192.168.1.5");
    applyConfig();

    // An adapter chosen: no question; its index and address are taken.
    ProgramConfig scratch = programConfig();
    ASSERT_TRUE(saveConfigDialog(scratch, "/srv/lumo", "/usr/bin/ghex", AdapterChoice{3, "10.0.0.9"}));
    EXPECT_EQ(appState().dataDirectory, "/srv/lumo/");
    EXPECT_EQ(programConfig().hexEditorPath(), "/usr/bin/ghex");
    EXPECT_EQ(appState().adapterIndex, 3u);
    EXPECT_EQ(appState().adapterAddress, "10.0.0.9");
    EXPECT_TRUE(ui.callsOf("ask").empty());

    // No adapter, "Ne": the dialog stays and nothing changes.
    scratch = programConfig();
    ui.answers = {false};
    EXPECT_FALSE(saveConfigDialog(scratch, "/other", "", std::nullopt));
    EXPECT_EQ(appState().dataDirectory, "/srv/lumo/");
    EXPECT_EQ(ui.callsOf("ask").back(),
              "Nastavení|Není vybrán žádný síťový adaptér. Nebude možné používat připojení terminálů přes TCP "
              "rozhraní. \nPřejete si pokračovat ?");

    // "Ano": an empty address is saved and the previous index kept.
    ui.answers = {true};
    ASSERT_TRUE(saveConfigDialog(scratch, "/other/", "", std::nullopt));
    EXPECT_EQ(appState().adapterAddress, "");
    EXPECT_EQ(appState().adapterIndex, 3u);
    EXPECT_EQ(appState().dataDirectory, "/other/");

    // 249 characters and the separator fill the field; longer text is cut to 249 first.
    ui.answers = {true};
    const std::string longDir = "/" + std::string(300, 'd');
    ASSERT_TRUE(saveConfigDialog(scratch, longDir, std::string(150, 'h'), std::nullopt));
    EXPECT_EQ(appState().dataDirectory, longDir.substr(0, 249) + "/");
    EXPECT_EQ(programConfig().hexEditorPath().size(), 99u);
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

TEST_F(ConfigDialogActions, ChosenFileFolderIsRememberedAndWritten) {
    setDefaultConfig();
    applyConfig();
    EXPECT_EQ(fileDialogStartFolder(), dir.dir());
    ASSERT_EQ(rememberChosenFile("/srv/firmware/tq300.bin"), 0);
    EXPECT_EQ(programConfig().lastFolder(), "/srv/firmware/");
    EXPECT_EQ(fileDialogStartFolder(), "/srv/firmware/");
    // Written at once, whatever the dialog that asked for the file does next.
    ProgramConfig onDisk;
    ASSERT_TRUE(readRecord(configFilePath(), onDisk, 0));
    EXPECT_EQ(onDisk.lastFolder(), "/srv/firmware/");
    EXPECT_TRUE(fileChoiceMode(0).save);
    EXPECT_STREQ(fileChoiceMode(0).defaultExtension, "bin");
    EXPECT_STREQ(fileChoiceMode(3).filter, "Datové soubory (*.txt, *.dat)|*.txt;*.dat|Všechny soubory(*.*)|*.*|");
}

}  // namespace
}  // namespace lumo
