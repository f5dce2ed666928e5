#include "actions/line_operation.h"

#include "base/action_result.h"
#include "base/ui_port.h"

namespace lumo {

int runOnLines(const std::function<int(LineLease&)>& operation) {
    LineLease lease = takeLineLease();
    if (!lease) return kActionRefused;
    return uiRunWaiting([&] {
        const LeaseOnThisThread bound(lease);
        return operation(lease);
    });
}

int runOnLinesSimply(const std::function<int()>& operation) {
    return runOnLines([&](LineLease&) { return operation(); });
}

int runOnHeldLine(int lineIndex, const std::function<int()>& operation) {
    if (lineHeldOnThisThread(lineIndex)) return operation();
    uiMessage("Upozornění", kLinesBusyText, MessageIcon::Warning);
    return kActionRefused;
}

}  // namespace lumo
