#include "ui/communication_test_form.h"

#include <string>
#include <utility>

#include "actions/device_actions.h"
#include "base/error_report.h"
#include "service/jobs.h"

namespace lumo {

CommunicationTestForm::~CommunicationTestForm() { *present_ = false; }

bool CommunicationTestForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    return requireModule(moduleNumber, kCannotRunOnLine);
}

int CommunicationTestForm::pressStart() {
    if (*mine_) {  // "Stop": the test ends after its cycle
        jobCancel();
        start.text = "Start";
        return kFormStaysOpen;
    }
    // The test's thread reaches the form through the window's thread, and only while it is there.
    auto carry = [this, present = present_, toWindow = toWindow](std::function<void()> change) {
        toWindow([this, present, change = std::move(change)] {
            if (!*present) return;
            change();
            if (showNow) showNow();
        });
    };
    auto shown = [this, carry](const std::string& text) { carry([this, text] { output.text = text; }); };
    auto finished = [this, carry, mine = mine_, toWindow = toWindow](const ErrorRecord& error) {
        *mine = false;
        carry([this] { start.text = "Start"; });
        toWindow([error] { reportError(error); });
    };
    *mine_ = true;
    if (actionDone(startCommunicationTest(lineIndex_, moduleNumber_, shown, finished))) start.text = "Stop";
    else *mine_ = false;
    return kFormStaysOpen;
}

void CommunicationTestForm::ended() {
    *present_ = false;
    if (*mine_) jobCancel();
}

}  // namespace lumo
