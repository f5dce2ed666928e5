// Where lumo-ctl finds its installation: the right folder or a clear error, never another one.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;

// A config.dat that is there but cannot be read stops every command but `config set`; no
// installation appears in the working directory in its place.
TEST(LumoCtlStartup, UnreadableConfigurationIsReportedAndNothingWrittenElsewhere) {
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* report;
    } cases[] = {
        {"empty", [](const fs::path& p) { std::ofstream out(p); }, "02028101"},
        {"truncated", [](const fs::path& p) { std::ofstream(p) << std::string(1000, 'x'); }, "02028101"},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, "01028101"},
        {"a FIFO", [](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }, "01028101"},
    };
    for (const auto& c : cases) {
        test::TempDir work;
        c.make(work.path() / "config.dat");
        for (const char* command : {"list", "line add general"}) {
            const test::CtlResult r = test::runCtl(work.str(), command);
            EXPECT_EQ(r.status, 1) << c.what << ' ' << command;
            EXPECT_EQ(r.err.rfind("lumo-ctl: Soubor " + work.str() + "/config.dat nelze přečíst. \n", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(std::string("Err.code: ") + c.report), std::string::npos) << c.what << r.err;
        }
        EXPECT_FALSE(fs::exists(work.path() / "line1")) << c.what;
    }
    // `config set` mends it.
    test::TempDir work, data;
    std::ofstream(work.path() / "config.dat") << "x";
    EXPECT_EQ(test::runCtl(work.str(), "config set --data-dir " + data.str()).status, 0);
    EXPECT_EQ(test::runCtl(work.str(), "line add general").out, "1\n");
    EXPECT_TRUE(fs::exists(data.path() / "line1" / "line.cfg"));
}

// Without config.dat the working directory is the data directory: one longer than the field
// is refused (cut, it named its parent), and so is one the system cannot name (it became "/").
TEST(LumoCtlStartup, WorkingDirectoryThatCannotBeTheDataDirectory) {
    test::TempDir base;
    fs::path deep = base.path();
    while (deep.string().size() < 270) deep /= "adresar_s_dlouhym_jmenem";
    fs::create_directories(deep);
    test::CtlResult r = test::runCtl(deep.string(), "line add general");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nemůže být adresářem dat"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(deep / "line1"));
    EXPECT_FALSE(fs::exists(deep.parent_path() / "line1"));

    const fs::path gone = base.path() / "gone";
    fs::create_directory(gone);
    const std::string command = "cd '" + gone.string() + "' && rmdir '" + gone.string() + "' && '" LUMO_CTL_PATH
                                "' line add general >/dev/null 2>'" + base.str() + "/err'";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream err(base.path() / "err");
    std::string text((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Pracovní adresář programu nelze zjistit"), std::string::npos) << text;
}

}  // namespace
}  // namespace lumo
