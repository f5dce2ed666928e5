#pragma once
// A test that works on an installation of its own: fresh application state, a temporary
// working and data directory, and the scripted user interface.

#include <gtest/gtest.h>

#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace lumo::test {

class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A line as the add-line action creates it, without the device check that follows.
    static int newLine(std::uint8_t headType);

    std::filesystem::path linePath(int lineNumber, const char* file) const {
        return dir.path() / ("line" + std::to_string(lineNumber)) / file;
    }

    TempDir dir;
    ScriptedUi ui;
};

}  // namespace lumo::test
