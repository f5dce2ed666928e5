// A device check on a worker thread keeps its own error: what the user-interface thread sets
// and clears meanwhile never touches it, and the job hands code and system error value whole
// to its reporter.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "device/device_check.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "support/installation_fixture.h"
#include "device/device_errors.h"

namespace lumo {
namespace {

using DeviceCheckWorker = test::InstallationTest;

TEST_F(DeviceCheckWorker, JobErrorArrivesIntactWhileTheUiThreadClearsItsOwn) {
    ASSERT_EQ(newLine(0), 1);
    std::filesystem::remove(linePath(1, "terminal.dat"));  // the module record cannot be read

    // The check's status text comes after its failure is recorded: there the job waits until
    // the user-interface thread has set and cleared an error of its own.
    std::promise<void> failed, uiCleared;
    std::vector<std::string> reported;
    UiPort port;
    port.setStatusText = [&](std::string_view text) {
        if (text == "Zařízení nebylo možné zkontrolovat !") {
            failed.set_value();
            uiCleared.get_future().wait();
        }
    };
    port.showMessage = [&](std::string_view caption, std::string_view text, MessageIcon) {
        reported.push_back(std::string(caption) + "|" + std::string(text));
    };
    installUiPort(port);

    ErrorRecord jobError;
    std::thread job([&] {
        if (DeviceCheck(0, 1) != 1) jobError = takeError();
    });
    failed.get_future().wait();
    setError(err::kCommData | 0x01);
    platform::setLastSystemError(110);
    EXPECT_EQ(currentError(), (ErrorRecord{err::kCommData | 0x01, 110}));
    clearError();
    uiCleared.set_value();
    job.join();

    EXPECT_EQ(jobError, (ErrorRecord{err::kOpenForRead | err::kCheckModuleRead, 2}));  // ENOENT
    EXPECT_TRUE(currentError().empty());
    reportError(jobError);
    EXPECT_EQ(reported, (std::vector<std::string>{"CHYBA !|Otevření souboru: TERMINAL.DAT \n Err.code: 01020c05:00000002"}));
}

}  // namespace
}  // namespace lumo
