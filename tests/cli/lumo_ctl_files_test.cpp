// lumo-ctl over files that are there but cannot be read: each command names the file and
// fails; none takes it for a missing one, none writes over it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ctl_runner.h"
#include "support/file_kinds.h"
#include "support/no_ports.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class LumoCtlFiles : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeNoPorts(work.str());
        std::ofstream(outside.path() / "precious") << "precious";
    }
    test::CtlResult ctl(const std::string& args) { return test::runCtl(work.str(), args); }
    // Each kind of thing made at `path` in turn (made again before every command).
    template <typename Body>
    void forEachKind(const fs::path& path, Body body) {
        for (const auto& kind : test::unreadableFileKinds(outside.path() / "precious")) {
            fs::remove_all(path);
            if (!kind.make(path)) continue;
            SCOPED_TRACE(kind.what);
            body([&] {
                fs::remove_all(path);
                kind.make(path);
            });
            fs::remove_all(path);
            EXPECT_EQ(slurp(outside.path() / "precious"), "precious");
        }
    }
    test::TempDir work, outside;
};

// line.cfg or terminal.dat that cannot be read: `list` does not leave the line or its modules
// out with success, `report` and `check` do not say the item does not exist, `module add` does
// not ask for a line first, `line add` says which slot stops it.
TEST_F(LumoCtlFiles, RecordFilesThatCannotBeReadAreNamed) {
    ASSERT_EQ(ctl("line add general").status, 0);
    ASSERT_EQ(ctl("module add 1 --type 4 --id 5").status, 0);
    const struct {
        const char* file;
        std::vector<const char*> commands;
    } cases[] = {
        {"line.cfg", {"list", "report 1", "check 1", "module add 1 --type 4 --id 6", "line add general"}},
        {"terminal.dat", {"list", "report 1/1", "check 1/1", "module add 1 --type 4 --id 6"}},
    };
    for (const auto& c : cases) {
        const fs::path path = work.path() / "line1" / c.file;
        const std::string before = slurp(path);
        forEachKind(path, [&](const auto& makeAgain) {
            for (const char* command : c.commands) {
                makeAgain();
                const test::CtlResult r = ctl(command);
                EXPECT_EQ(r.status, 1) << command << '\n' << r.err;
                EXPECT_NE(r.err.find("CHYBA !: Soubor " + path.string() + " nelze přečíst: "), std::string::npos)
                    << command << '\n' << r.err;
                EXPECT_EQ(r.err.find("the installation has no item"), std::string::npos) << command;
            }
            EXPECT_FALSE(fs::exists(work.path() / "line2" / "line.cfg"));
        });
        std::ofstream(path, std::ios::binary) << before;
    }
    EXPECT_EQ(ctl("list").status, 0);
}

// `config set` over a config.dat it cannot read: one that is no readable file is refused and
// left as it is; a short one keeps every value it holds whole and says which it lacked.
TEST_F(LumoCtlFiles, ConfigSetKeepsWhatItCannotRead) {
    const fs::path config = work.path() / "config.dat";
    forEachKind(config, [&](const auto&) {
        const auto kind = fs::symlink_status(config).type();
        const test::CtlResult r = ctl("config set --hex-editor /usr/bin/ghex");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Nastavení: Soubor " + config.string() + " nelze přečíst: "), std::string::npos) << r.err;
        EXPECT_EQ(fs::symlink_status(config).type(), kind);
    });

    test::TempDir data;
    ASSERT_EQ(ctl("config set --data-dir " + data.str() + " --hex-editor /usr/bin/ghex").status, 0);
    std::string whole = slurp(config);
    ASSERT_EQ(whole.size(), 1668u);
    std::ofstream(config, std::ios::binary | std::ios::trunc) << whole.substr(0, 1667);  // one byte short
    test::CtlResult r = ctl("config set --hex-editor /usr/bin/xxd");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ctl("config show").out, "data-dir\t" + data.dir() + "\nhex-editor\t/usr/bin/xxd\nadapter\t0\t\n");
    EXPECT_NE(r.err.find("Nastavení: Soubor " + config.string() + " je neúplný (1667 z 1668 bajtů). Všechny hodnoty"),
              std::string::npos)
        << r.err;

    whole = slurp(config);
    std::ofstream(config, std::ios::binary | std::ios::trunc) << whole.substr(0, 1100);  // the editor's path cut
    r = ctl("-y config set --adapter none");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ctl("config show").out, "data-dir\t" + data.dir() + "\nhex-editor\t\nadapter\t0\t\n");
    EXPECT_NE(r.err.find("mají výchozí nastavení: cesta k HEX editoru. "), std::string::npos) << r.err;
}

}  // namespace
}  // namespace lumo
