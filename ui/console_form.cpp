#include "ui/console_form.h"

#include <string>

#include "actions/device_actions.h"
#include "model/cp1250.h"
#include "platform/system_error.h"

namespace lumo {

ConsoleForm::ConsoleForm() {
    for (FormField& line : lines) line.maxLength = static_cast<int>(kConsoleLineLength);
}

bool ConsoleForm::open(int lineIndex, int moduleNumber) {
    lineIndex_ = lineIndex;
    moduleNumber_ = moduleNumber;
    platform::setLastSystemError(0);
    if (moduleNumber == 0) {
        std::string none;
        sendConsoleCommand(lineIndex, 0, "", none);  // its refusal: "Pro toto zařízení nelze nastavovat !  "
        return false;
    }
    loadConsoleLines();  // each no longer than its field takes
    for (std::size_t k = 0; k < lines.size(); ++k) lines[k].text = commandFile().consoleLine(static_cast<int>(k));
    return true;
}

int ConsoleForm::pressSend(int k) {
    FormField& line = lines[static_cast<std::size_t>(k)];
    line.text = rememberConsoleLine(k, line.text);
    if (showNow) showNow();
    std::string received;
    const int sent = sendConsoleCommand(lineIndex_, moduleNumber_, line.text, received);
    if (sent < 0) return 0;
    if (sent > 0) answer.text = received.empty() ? "žádná odpověď..." : cp1250ToUtf8(received);
    return kFormStaysOpen;
}

}  // namespace lumo
