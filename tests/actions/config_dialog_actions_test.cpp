// What the configuration dialog's "Uložit" and `lumo-ctl config set` store.
#include <gtest/gtest.h>

#include "actions/config_actions.h"
#include "base/app_state.h"
#include "model/program_config.h"
#include "model/record_file.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

using ConfigDialogActions = test::InstallationTest;

ProgramSettings settings(const std::string& dataDir, const std::string& hexEditor,
                         std::optional<AdapterChoice> adapter) {
    ProgramSettings s;
    s.dataDirectory = dataDir;
    s.hexEditorPath = hexEditor;
    s.adapter = adapter;
    return s;
}

TEST_F(ConfigDialogActions, DirectoryGetsItsSeparatorAndTheAdapterQuestionDecides) {
    setDefaultConfig();
    programConfig().setAdapterIndex(7);
    programConfig().setAdapterAddress("192.168.1.5");
    applyConfig();

    const std::string lumo = dir.str() + "/lumo", other = dir.str() + "/other";
    std::filesystem::create_directory(lumo);
    std::filesystem::create_directory(other);
    // An adapter chosen: no question; its index and address are taken, and the file written.
    ASSERT_EQ(saveProgramSettings(settings(lumo, "/usr/bin/ghex", AdapterChoice{3, "10.0.0.9"})), 1);
    EXPECT_EQ(appState().dataDirectory, lumo + "/");
    EXPECT_EQ(programConfig().hexEditorPath(), "/usr/bin/ghex");
    EXPECT_EQ(appState().adapterIndex, 3u);
    EXPECT_EQ(appState().adapterAddress, "10.0.0.9");
    EXPECT_TRUE(ui.callsOf("ask").empty());
    ProgramConfig onDisk;
    ASSERT_TRUE(readRecord(configFilePath(), onDisk, 0));
    EXPECT_EQ(onDisk.dataDirectory(), lumo + "/");

    // No adapter, "Ne": the dialog stays and nothing changes.
    ui.answers = {false};
    EXPECT_EQ(saveProgramSettings(settings(other, "", std::nullopt)), 0);
    EXPECT_EQ(appState().dataDirectory, lumo + "/");
    EXPECT_EQ(ui.callsOf("ask").back(),
              "Nastavení|Není vybrán žádný síťový adaptér. Nebude možné používat připojení terminálů přes TCP "
              "rozhraní. \nPřejete si pokračovat ?");

    // "Ano": an empty address is saved and the previous index kept; extra separators go.
    ui.answers = {true};
    ASSERT_EQ(saveProgramSettings(settings(other + "//", "", std::nullopt)), 1);
    EXPECT_EQ(appState().adapterAddress, "");
    EXPECT_EQ(appState().adapterIndex, 3u);
    EXPECT_EQ(appState().dataDirectory, other + "/");
}

// A data directory that is not there is made when the user wants it; a file is no folder.
TEST_F(ConfigDialogActions, MissingDataDirectoryIsMadeOnRequest) {
    setDefaultConfig();
    applyConfig();
    const AdapterChoice adapter{1, "127.0.0.1"};
    const std::string fresh = dir.str() + "/fresh";
    ui.answers = {false};
    EXPECT_EQ(saveProgramSettings(settings(fresh, "", adapter)), 0);
    EXPECT_EQ(ui.callsOf("ask").back(), "Nastavení|Adresář datových souborů " + fresh + "/ neexistuje. \nVytvořit jej ?");
    EXPECT_FALSE(std::filesystem::exists(fresh));
    ui.answers = {true};
    EXPECT_EQ(saveProgramSettings(settings(fresh, "", adapter)), 1);
    EXPECT_TRUE(std::filesystem::is_directory(fresh));
    EXPECT_EQ(appState().dataDirectory, fresh + "/");
    test::writeFileBytes(dir.path() / "plain", {1});
    EXPECT_EQ(saveProgramSettings(settings(dir.str() + "/plain", "", adapter)), 0);
    EXPECT_EQ(ui.callsOf("message").back(), "Nastavení|Adresář datových souborů " + dir.str() + "/plain/ není adresář. ");
    EXPECT_EQ(appState().dataDirectory, fresh + "/");
}

TEST_F(ConfigDialogActions, PathsThatCannotBeStoredAreRefusedNotShortened) {
    setDefaultConfig();
    applyConfig();
    const std::string before = appState().dataDirectory;
    const AdapterChoice adapter{1, "127.0.0.1"};
    // 249 characters and the separator fill the field.
    const std::string fits = dir.str() + "/" + std::string(249 - dir.str().size() - 1, 'd');
    std::filesystem::create_directory(fits);
    ASSERT_EQ(saveProgramSettings(settings(fits, std::string(99, 'h'), adapter)), 1);
    EXPECT_EQ(programConfig().dataDirectory(), fits + "/");
    struct Case {
        std::string dataDir, hexEditor, message;
    };
    const Case cases[] = {
        // Cutting would name another folder (its parent, with a long last element).
        {fits + "d", "", "Nastavení|Adresář datových souborů je delší než 249 znaků. "},
        {"/data/☃", "", "Nastavení|Adresář datových souborů obsahuje znaky, které nelze uložit v kódové stránce 1250. "},
        {fits, std::string(100, 'h'), "Nastavení|Cesta k HEX editoru je delší než 99 znaků. "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(saveProgramSettings(settings(c.dataDir, c.hexEditor, adapter)), 0) << c.dataDir;
        ASSERT_FALSE(ui.callsOf("message").empty());
        EXPECT_EQ(ui.callsOf("message").back(), c.message);
        EXPECT_EQ(programConfig().dataDirectory(), fits + "/");
    }
}

TEST_F(ConfigDialogActions, LaterAdapterOfTheSameAddressWins) {
    const std::vector<platform::NetworkAdapter> adapters = {
        {2, "eth0", {"10.0.0.9"}}, {5, "ifb0", {}}, {7, "eth1", {"10.0.0.9", "10.0.0.10"}}, {9, "lo", {"127.0.0.1"}}};
    ASSERT_TRUE(adapterWithAddress(adapters, "10.0.0.9"));
    EXPECT_EQ(adapterWithAddress(adapters, "10.0.0.9")->index, 7u);
    EXPECT_FALSE(adapterWithAddress(adapters, "10.0.0.10"));  // only an adapter's first address counts
    EXPECT_FALSE(adapterWithAddress(adapters, ""));
}

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
