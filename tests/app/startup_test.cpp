// The start-up walk over the line folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup.h"
#include "model/installation.h"
#include "model/line_actions.h"
#include "support/installation_fixture.h"

namespace lumo {
namespace {

namespace fs = std::filesystem;
using Startup = test::InstallationTest;
using test::readFileBytes;

TEST_F(Startup, EmptyDataDirectoryGetsSixteenFoldersAndNoMessage) {
    EXPECT_EQ(checkLinesAtStartup(), 1);
    for (int n = 1; n <= 16; ++n) EXPECT_TRUE(fs::is_directory(dir.path() / ("line" + std::to_string(n)))) << n;
    EXPECT_FALSE(fs::exists(dir.path() / "line17"));
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"refresh 0/0"}));
}

TEST_F(Startup, OnlyDefinedSwitchedOnLinesAreVerifiedAndFlagsWrittenOnlyWhenTheyChange) {
    for (int n = 1; n <= 5; ++n) ASSERT_EQ(addLine(0), n);
    LineRecord r;
    // 1: reachable, flag clear. 2: reachable, flag set. 3: unreachable. 4: switched off. 5: freed.
    ASSERT_TRUE(readLineRecord(1, r));
    r.setFlags(flags::kUnreachable);
    ASSERT_TRUE(writeLineRecord(1, r));
    ASSERT_TRUE(readLineRecord(3, r));
    r.setFlags(flags::kLineOff);
    ASSERT_TRUE(writeLineRecord(3, r));
    ASSERT_TRUE(readLineRecord(4, r));
    r.setLineNumber(0);
    ASSERT_TRUE(writeLineRecord(4, r));

    const auto mtime = [&](int n) { return fs::last_write_time(linePath(n, "line.cfg")); };
    const auto before1 = mtime(1), before4 = mtime(4), before5 = mtime(5);
    const auto bytes1 = readFileBytes(linePath(1, "line.cfg"));
    std::vector<int> verified;
    checkLinesAtStartup([&](int lineIndex, const LineRecord&) {
        verified.push_back(lineIndex);
        return lineIndex != 2;
    });
    EXPECT_EQ(verified, (std::vector<int>{0, 1, 2}));
    ASSERT_TRUE(readLineRecord(1, r));
    EXPECT_EQ(r.flags(), 0);  // cleared on disk
    ASSERT_TRUE(readLineRecord(2, r));
    EXPECT_EQ(r.flags(), flags::kUnreachable);
    EXPECT_EQ(readFileBytes(linePath(1, "line.cfg")), bytes1);
    EXPECT_EQ(mtime(1), before1);  // not rewritten
    EXPECT_EQ(mtime(4), before4);
    EXPECT_EQ(mtime(5), before5);
}

}  // namespace
}  // namespace lumo
