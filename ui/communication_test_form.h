#pragma once
// "Testování komunikace" as a form: the communication test of a module started and stopped by
// one button, its output shown as the test's thread sends it.

#include <atomic>
#include <functional>
#include <memory>

#include "ui/form_field.h"

namespace lumo {

class CommunicationTestForm {
public:
    ~CommunicationTestForm();

    // Before the dialog shows: refused on a line (the refusal told). False: not shown.
    bool open(int lineIndex, int moduleNumber);
    // "Start": the test starts as the background job and the button says "Stop"; "Stop" stops
    // it after its cycle. Only this dialog's own test is stopped by it, never another job.
    int pressStart();
    int pressClose() { return 1; }
    // The dialog has gone, however it was closed: its own test is stopped. What the test sends
    // later reaches no form; its error is still reported.
    void ended();

    // The window's way of running a call on its own thread, later (also after the dialog has
    // gone), and of showing the form at once.
    std::function<void(std::function<void()>)> toWindow;
    std::function<void()> showNow;

    FormField output{{}, true, true};  // the latest cycle's text
    FormField start{"Start", true, false};

private:
    int lineIndex_ = 0, moduleNumber_ = 0;
    std::shared_ptr<std::atomic<bool>> mine_ = std::make_shared<std::atomic<bool>>(false);  // this dialog's test runs
    std::shared_ptr<bool> present_ = std::make_shared<bool>(true);  // on the window's thread only
};

}  // namespace lumo
