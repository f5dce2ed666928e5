// A background job beside the window: the window stays responsive and shows the job's progress;
// closing it during the job asks first.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProgressBar>

#include <array>
#include <atomic>

#include "comm/transaction.h"
#include "gui/gui_fixture.h"
#include "platform/clock.h"
#include "service/jobs.h"
#include "ui/command_ids.h"

namespace lumo {
namespace {

using JobsInTheWindow = test::GuiTest;

TEST_F(JobsInTheWindow, ResponsiveWithProgressAndClosingAsksFirst) {
    installDemoLines();
    std::atomic<int> cycles{0};
    backgroundJob().lineIndex = kSerialLine;
    ASSERT_TRUE(JobStart([&cycles] {
        ProgressShow("Testování komunikace");
        ProgressSetRange(1000);
        std::array<std::uint8_t, 64> answer{};
        while (jobContinues()) {
            DeviceTransaction(sub::kNone, "CAL", kSerialLine, 5, "", kModeSelectRelease, answer);
            ProgressStep();
            ++cycles;
        }
        JobFinish();
    }));
    QElapsedTimer gap, running;
    gap.start();
    running.start();
    qint64 worst = 0;
    while (running.elapsed() < 1500) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        worst = std::max(worst, gap.restart());
    }
    EXPECT_LT(worst, 100);
    EXPECT_GE(cycles.load(), 2);
    ASSERT_NE(window->progressBar(), nullptr);
    EXPECT_GE(window->progressBar()->value(), 2);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "Testování komunikace");

    // The job owns its line: another operation on the lines is refused meanwhile.
    select(0, 1);
    std::string refusal;
    closeNextMessage(refusal);
    window->runCommand(cmd::kCheck);
    EXPECT_EQ(refusal, "Upozornění|Na pozadí již běží jiný proces. ");

    // Closing: "Ne" keeps the window and the job, "Ano" stops the job.
    std::string question;
    onNextModal([&question](QWidget* w) {
        question = qobject_cast<QMessageBox*>(w)->text().toStdString();
        test::button(w, "Ne")->click();
    });
    window->close();
    EXPECT_EQ(question, "Opravdu chcete přerušit aktivní proces ? ");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(jobActive());
    onNextModal([](QWidget* w) { test::button(w, "Ano")->click(); });
    window->close();
    EXPECT_FALSE(window->isVisible());
    while (jobActive()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    JobWait();
    EXPECT_EQ(window->progressBar(), nullptr);
    EXPECT_EQ(window->statusPart()->text().toStdString(), "");
}

}  // namespace
}  // namespace lumo
