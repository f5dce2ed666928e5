// "Co je nového?" opens the release notes in the system's own viewer: on Windows the notepad of
// the system folder, named by its whole path (a notepad.exe earlier on the search path is not
// the one started).
#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "platform/process.h"

namespace lumo {

TEST(TextViewer, IsTheSystemsOwnProgram) {
    const std::string program = platform::textViewerProgram();
    ASSERT_FALSE(program.empty());
    if (program.find_first_of("\\/") == std::string::npos) {
        EXPECT_EQ(program, "xdg-open");  // the desktop's viewer, found on the path
        return;
    }
    EXPECT_TRUE(program.size() > 12 && program.substr(program.size() - 12) == "\\notepad.exe") << program;
    EXPECT_TRUE(platform::fileExists(program)) << program;
}

}  // namespace lumo
