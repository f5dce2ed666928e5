#pragma once
// A user-interface port for tests: records every call as a line of text and answers
// questions from a queue (No when the queue is empty). Calls may come from a worker thread.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "base/ui_port.h"

namespace lumo::test {

struct ScriptedUi {
    std::vector<std::string> calls;  // "message CAPTION|TEXT", "ask CAPTION|TEXT", "status TEXT", ...
    std::deque<bool> answers;
    std::deque<Reply> replies;  // for the questions with Cancel ("ask3 ..."); No when empty

    // Installs this recorder as the process's port.
    void install();
    // The calls that start with `kind` ("message", "ask", "progress", ...).
    std::vector<std::string> callsOf(const std::string& kind) const;

private:
    void record(std::string call);
    mutable std::mutex mutex_;
};

}  // namespace lumo::test
