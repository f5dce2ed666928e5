// The main window's rules without a window: which commands a selection and a busy window
// allow, and the status bar's clock.
#include <gtest/gtest.h>

#include "model/installation.h"
#include "model/records.h"
#include "support/installation_fixture.h"
#include "ui/command_ids.h"
#include "ui/main_window_form.h"

namespace lumo {
namespace {

using MainWindowFormTest = test::InstallationTest;

TEST_F(MainWindowFormTest, CommandsFollowTheSelectionAndTheBusyWindow) {
    ASSERT_EQ(newLine(0), 1);                            // a general line
    ASSERT_EQ(newLine(head::kTcpConverter), 2);          // a TCP converter's line
    ModuleRecord module;
    module.setId(5);
    module.setType(4);
    ASSERT_TRUE(writeModuleRecord(0, 1, module));
    struct Case {
        const char* what;
        int line, module;
        bool busy, stoppable;
        bool servis, memory, check, exit, stop;
    };
    const Case cases[] = {
        {"a general line", 0, 0, false, false, false, false, true, true, true},
        {"a converter's line", 1, 0, false, false, true, false, true, true, true},
        {"a module", 0, 1, false, false, true, true, true, true, true},
        {"a module, busy", 0, 1, true, false, true, false, false, true, false},
        {"a module, an operation on the lines", 0, 1, true, true, true, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowForm form;
        form.select(c.line, c.module);
        form.setBusy(c.busy, c.stoppable);
        EXPECT_EQ(form.servisEnabled(), c.servis);
        for (int id : {cmd::kUpload, cmd::kMemoryDump, cmd::kResetApplication, cmd::kResetMaster, cmd::kTest})
            EXPECT_EQ(form.commandEnabled(id), c.memory) << id;
        EXPECT_EQ(form.commandEnabled(cmd::kCheck), c.check);
        EXPECT_EQ(form.commandRuns(cmd::kCheck), c.check);
        EXPECT_EQ(form.commandEnabled(cmd::kExit), c.exit);
        EXPECT_EQ(form.commandRuns(cmd::kAbout), true);
        EXPECT_EQ(form.commandEnabled(cmd::kToolStopJob), c.stop);
        EXPECT_FALSE(form.commandEnabled(cmd::kBackup));  // not built
    }
}

TEST_F(MainWindowFormTest, PropertiesOpenTheSelectionsDialog) {
    ASSERT_EQ(newLine(0), 1);
    ASSERT_EQ(newLine(head::kTcpConverter), 2);
    using P = MainWindowForm::Properties;
    const struct {
        int line, module;
        P opens;
    } cases[] = {{0, 0, P::Line}, {1, 0, P::TcpLine}, {0, 1, P::Sheet}, {5, 0, P::None}};
    for (const auto& c : cases) {
        MainWindowForm form;
        form.select(c.line, c.module);
        EXPECT_EQ(form.propertiesFor(), c.opens) << c.line << "/" << c.module;
    }
    MainWindowForm none;
    none.clearSelection();
    EXPECT_EQ(none.propertiesFor(), P::None);
}

TEST(MainWindowFormClock, HourWithoutALeadingZero) {
    EXPECT_EQ(MainWindowForm::clockText(9, 5, 7), " 9:05:07");
    EXPECT_EQ(MainWindowForm::clockText(23, 59, 0), "23:59:00");
}

}  // namespace
}  // namespace lumo
