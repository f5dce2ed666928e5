// "config.dat" and "cmd.dat": defaults byte for byte, round trips, and damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/program_config.h"
#include "app/startup.h"
#include "support/full_disk.h"
#include "support/image_builder.h"
#include "support/installation_fixture.h"
#include "model/model_errors.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using Config = test::InstallationTest;
using test::readFileBytes;
using test::writeFileBytes;

test::Image defaultConfigImage(const std::string& wd) {
    test::Image img(1668);
    img.text(0, wd + "/").text(250, wd + "/data/").text(500, wd + "/").text(889, "1.0");
    img.i32(896, 100).i32(900, 80).i32(904, 670).i32(908, 480);
    return img;
}

TEST_F(Config, DefaultsAreWrittenByteForByte) {
    setDefaultConfig();
    applyConfig();
    ASSERT_EQ(saveConfig(), 0);
    EXPECT_EQ(readFileBytes(dir.path() / "config.dat"), defaultConfigImage(dir.str()).bytes);
    EXPECT_EQ(appState().dataDirectory, dir.dir());
}

TEST_F(Config, SavedSettingsComeBackAndTheWindowRectIsKept) {
    setDefaultConfig();
    applyConfig();
    appState().dataDirectory = "/srv/lumo/data/";
    appState().adapterIndex = 3;
    appState().adapterAddress = "192.168.1.10";
    programConfig().setHexEditorPath("/usr/bin/ghex");
    ASSERT_EQ(saveConfig(), 0);
    ASSERT_EQ(saveWindowRect({10, 20, 810, 620}), 0);

    resetAppState();
    appState().workingDirectory = dir.str();
    programConfig().clear();
    ASSERT_EQ(loadConfig(), 0);
    EXPECT_EQ(appState().dataDirectory, "/srv/lumo/data/");
    EXPECT_EQ(appState().secondDirectory, dir.str() + "/data/");
    EXPECT_EQ(appState().adapterIndex, 3u);
    EXPECT_EQ(appState().adapterAddress, "192.168.1.10");
    EXPECT_EQ(programConfig().hexEditorPath(), "/usr/bin/ghex");
    EXPECT_EQ(programConfig().windowRect(), (WindowRect{10, 20, 810, 620}));
}

TEST_F(Config, DataDirectoryOf249CharactersAndItsSeparatorFillsTheField) {
    setDefaultConfig();
    applyConfig();
    const std::string longDir = "/" + std::string(248, 'd') + "/";
    appState().dataDirectory = longDir;
    ASSERT_EQ(saveConfig(), 0);
    const auto bytes = readFileBytes(dir.path() / "config.dat");
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 250), longDir);
    EXPECT_EQ(bytes[250], '/');  // the second directory begins right after
    ASSERT_EQ(loadConfig(), 0);
    EXPECT_EQ(appState().dataDirectory, longDir);
}

TEST_F(Config, DamagedConfigFilesNeverOverflowAndFallBackSafely) {
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        bool loads;
    } cases[] = {
        {"empty", {}, false},
        {"truncated", std::vector<unsigned char>(1000, 'x'), false},
        {"oversized garbage", std::vector<unsigned char>(5000, 0xE8), true},
        {"no NUL anywhere", std::vector<unsigned char>(1668, '/'), true},
    };
    for (const auto& c : cases) {
        writeFileBytes(dir.path() / "config.dat", c.bytes);
        clearError();
        const int result = loadConfig();
        EXPECT_EQ(result == 0, c.loads) << c.what;
        if (!c.loads) {
            EXPECT_EQ(pendingError() & 0xffffu, err::kConfigRead) << c.what;
            EXPECT_EQ(programConfig().dataDirectory(), dir.dir()) << "defaults set";
        }
        // Whatever was read, the data directory is a usable folder path.
        EXPECT_FALSE(appState().dataDirectory.empty()) << c.what;
        EXPECT_EQ(appState().dataDirectory.back(), '/') << c.what;
        EXPECT_LE(appState().adapterAddress.size(), 18u * 3) << c.what;
    }
}

TEST_F(Config, MissingConfigAtStartupGivesDefaultsAndNoError) {
    EXPECT_EQ(appStartup(dir.str()), StartupState::FirstStart);
    EXPECT_EQ(pendingError(), 0u);
    EXPECT_EQ(appState().dataDirectory, dir.dir());
    EXPECT_EQ(appState().toolbarVisible, 1);
    EXPECT_FALSE(fs::exists(dir.path() / "config.dat"));
}

TEST_F(Config, UnwritableConfigReportsFatalConfigError) {
    setDefaultConfig();
    ASSERT_EQ(saveConfig(), 0);
    const auto before = readFileBytes(dir.path() / "config.dat");
    test::FullDisk full(1000);  // less than the file: it is replaced whole or not at all
    programConfig().setOwnerCompany("jiná firma");
    EXPECT_EQ(saveConfig(), 1);
    EXPECT_EQ(pendingError(), 0x02018102u);
    reportError();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{
                            "message Kritická CHYBA !|Zápis do souboru: CONFIG.DAT \n Err.code: 02018102:0000001b",
                            "destroy"}));
    EXPECT_EQ(saveWindowRect({1, 2, 3, 4}), 1);
    EXPECT_EQ(pendingError(), 0x02018101u);
    EXPECT_EQ(readFileBytes(dir.path() / "config.dat"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);  // and comports.cfg
}

TEST_F(Config, CommandFileRoundTripAndDamage) {
    commandFile().setConsoleLine(2, "CAL");
    ASSERT_EQ(saveCommandFile(), 0);
    EXPECT_EQ(fs::file_size(dir.path() / "cmd.dat"), 4248u);
    commandFile().clear();
    ASSERT_EQ(loadCommandFile(), 0);
    EXPECT_EQ(commandFile().consoleLine(2), "CAL");

    // Missing: failure, code 0x8103, image all zero.
    fs::remove(dir.path() / "cmd.dat");
    EXPECT_EQ(loadCommandFile(), 1);
    EXPECT_EQ(pendingError(), 0x01028103u);
    EXPECT_EQ(commandFile().consoleLine(2), "");
    clearError();

    // Short or overlong files read without overflow; a short one is no whole record: the load
    // fails and leaves the image empty.
    writeFileBytes(dir.path() / "cmd.dat", std::vector<unsigned char>(100, 'A'));
    EXPECT_EQ(loadCommandFile(), 1);
    EXPECT_EQ(pendingError(), 0x02028103u);
    EXPECT_EQ(commandFile().consoleLine(0), "");
    clearError();
    writeFileBytes(dir.path() / "cmd.dat", std::vector<unsigned char>(9000, 'A'));
    EXPECT_EQ(loadCommandFile(), 0);
    EXPECT_EQ(commandFile().consoleLine(0), std::string(90, 'A'));

    fs::remove(dir.path() / "cmd.dat");
    {
        test::FullDisk full(0);
        EXPECT_EQ(saveCommandFile(), 1);
    }
    EXPECT_EQ(pendingError(), 0x02018104u);
    EXPECT_FALSE(fs::exists(dir.path() / "cmd.dat"));  // no empty file left behind
}

}  // namespace
}  // namespace lumo
