// Files that are there but cannot be read: line.cfg and terminal.dat. None is taken as missing
// or as a free slot, and each is named.
#include <gtest/gtest.h>

#include <fstream>

#include "base/app_state.h"
#include "base/error_report.h"
#include "discovery/usb_search.h"
#include "model/comports_file.h"
#include "model/installation.h"
#include "model/program_config.h"
#include "model/record_file.h"
#include "model/tree_items.h"
#include "platform/serial_port.h"
#include "serial/serial_register.h"
#include "support/file_kinds.h"
#include "support/full_disk.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

class UnreadableFiles : public test::InstallationTest {
protected:
    void SetUp() override {
        InstallationTest::SetUp();
        std::ofstream(outside.path() / "precious") << "precious";
    }
    // The kinds of things this test can make here, each at a fresh `path`.
    template <typename Body>
    void forEachKind(const fs::path& path, Body body) {
        for (const auto& kind : test::unreadableFileKinds(outside.path() / "precious")) {
            fs::remove_all(path);
            if (!kind.make(path)) continue;
            SCOPED_TRACE(kind.what);
            ui.calls.clear();
            body();
            clearError();
            fs::remove_all(path);
            std::ifstream in(outside.path() / "precious");
            EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "precious");  // no link followed
        }
    }
    std::string comports() const { return dir.str() + "/comports.cfg"; }
    test::TempDir outside;
};

// line.cfg and terminal.dat that are there but cannot be read: not a free slot, not a line
// without modules; the tree names them, and adding a line names the slot that stops it.
TEST_F(UnreadableFiles, RecordFilesThatCannotBeReadAreNamedNotFreeSlots) {
    ASSERT_EQ(newLine(0), 1);
    ModuleRecord module;
    module.setId(5);
    module.setType(4);
    ASSERT_TRUE(writeModuleRecord(0, 1, module));
    for (const char* name : {"line.cfg", "terminal.dat"}) {
        const fs::path path = linePath(1, name);
        const auto before = test::readFileBytes(path);
        forEachKind(path, [&] {
            if (std::string(name) == "line.cfg") {
                EXPECT_EQ(newLine(0), -1);  // not taken as the free slot 1, nor passed over
                ASSERT_FALSE(ui.callsOf("message").empty());
                EXPECT_EQ(ui.callsOf("message")[0].rfind("CHYBA !|Soubor " + path.string() + " nelze přečíst: ", 0), 0u)
                    << ui.callsOf("message")[0];
                EXPECT_FALSE(fs::exists(linePath(2, "line.cfg")));
            }
            // The tree leaves it out; `lumo-ctl list` names it (tests/cli).
            EXPECT_EQ(buildTreeItems(false).size(), std::string(name) == "line.cfg" ? 0u : 1u);
        });
        test::writeFileBytes(path, before);
    }
    ui.calls.clear();
    EXPECT_EQ(buildTreeItems(false).size(), 2u);
    // A missing file is no error: no modules, no line.
    fs::remove(linePath(1, "terminal.dat"));
    EXPECT_EQ(buildTreeItems(false).size(), 1u);
    fs::remove(linePath(1, "line.cfg"));
    EXPECT_TRUE(buildTreeItems(false).empty());
    EXPECT_EQ(newLine(0), 1);
    EXPECT_TRUE(ui.callsOf("message").empty());
}

}  // namespace
}  // namespace lumo
