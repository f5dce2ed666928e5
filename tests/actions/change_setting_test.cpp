// The change-setting actions: a module's type and ID address.
#include <gtest/gtest.h>

#include "model/installation.h"
#include "actions/install_actions.h"
#include "support/full_disk.h"
#include "support/image_builder.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

class ChangeSetting : public test::InstallationTest {
protected:
    void SetUp() override {
        InstallationTest::SetUp();
        ASSERT_EQ(newLine(0), 1);
    }
    void put(int k, int id, std::uint8_t flagsByte = 0) {
        ModuleRecord m;
        m.setId(static_cast<std::uint8_t>(id));
        m.setType(4);
        m.setDescription("modul " + std::to_string(id));
        m.setFlags(flagsByte);
        ASSERT_TRUE(writeModuleRecord(0, k, m));
    }
    ModuleRecord get(int k) {
        ModuleRecord m;
        EXPECT_TRUE(readModuleRecord(0, k, m));
        return m;
    }
};

TEST_F(ChangeSetting, IdAddressRulesAndConflicts) {
    put(1, 5);
    put(2, 6, flags::kIdConflict);
    put(3, 31, flags::kModuleOff);
    const std::string reserved = "message Konflikt|Neplatná ID adresa ! Hodnota je vyhrazena. ";
    // Its own ID again: accepted without a question; the conflict flag goes.
    EXPECT_EQ(changeModuleSetting(0, 2, ChangeMode::IdAddress, 6), 1);
    EXPECT_TRUE(ui.callsOf("ask").empty());
    // 0 and 31 (held only by a switched-off module) are reserved.
    for (int id : {0, 31}) {
        ui.calls.clear();
        EXPECT_EQ(changeModuleSetting(0, 1, ChangeMode::IdAddress, id), 0) << id;
        EXPECT_EQ(ui.calls, (std::vector<std::string>{reserved})) << id;
    }
    EXPECT_EQ(get(1).id(), 5);
    // Another switched-on module has the ID: asked; No keeps everything.
    ui.answers = {false};
    EXPECT_EQ(changeModuleSetting(0, 1, ChangeMode::IdAddress, 6), 0);
    EXPECT_EQ(ui.callsOf("ask").back(), "Konflikt|Zadanou ID adresu již používá některé zařízení ! \nChcete pokračovat ? ");
    EXPECT_EQ(get(1).id(), 5);
    // Yes saves it, and the conflict pass flags both (the check finds nobody: bit 0 too).
    ui.answers = {true};
    EXPECT_EQ(changeModuleSetting(0, 1, ChangeMode::IdAddress, 6), 1);
    EXPECT_EQ(get(1).id(), 6);
    EXPECT_EQ(get(1).flags() & flags::kIdConflict, flags::kIdConflict);
    EXPECT_EQ(get(2).flags() & flags::kIdConflict, flags::kIdConflict);
    // 31 held by another switched-on module: the question instead of the refusal.
    put(3, 31);
    ui.answers = {true};
    EXPECT_EQ(changeModuleSetting(0, 2, ChangeMode::IdAddress, 31), 1);
    EXPECT_EQ(get(2).id(), 31);
}

TEST_F(ChangeSetting, TypeChangesOnlyTheTypeByte) {
    put(1, 5);
    ModuleRecord before = get(1);
    before.setReader1Operation('b');
    ASSERT_TRUE(writeModuleRecord(0, 1, before));
    EXPECT_EQ(changeModuleSetting(0, 1, ChangeMode::Type, 48), 1);
    ModuleRecord expected = before;
    expected.setType(48);
    expected.setFlags(flags::kNotResponding);  // the check that follows finds nobody
    EXPECT_EQ(get(1).bytes, expected.bytes);
}

TEST_F(ChangeSetting, UnwritableRecordIsReported) {
    put(1, 5);
    const auto before = test::readFileBytes(linePath(1, "terminal.dat"));
    {
        test::FullDisk full(0);
        EXPECT_EQ(changeModuleSetting(0, 1, ChangeMode::Type, 3), -1);
    }
    EXPECT_EQ(ui.callsOf("message").back(), "CHYBA !|Zápis do souboru: TERMINAL.DAT \n Err.code: 02010c04:0000001b");
    EXPECT_EQ(test::readFileBytes(linePath(1, "terminal.dat")), before);
}

}  // namespace
}  // namespace lumo
