#include "ui/line_form.h"

#include <cstdint>
#include <string>

#include "actions/install_actions.h"
#include "base/action_result.h"
#include "base/error_report.h"
#include "model/cp1250.h"
#include "model/installation.h"
#include "platform/system_error.h"
#include "ui/field_rules.h"
#include "ui/line_fields.h"
#include "actions/action_errors.h"

namespace lumo {
LineForm::LineForm() {
    port.items = {"TCP "};
    for (int n = 1; n <= 8; ++n) port.items.push_back("COM" + std::to_string(n));
    speed.items = {"9600", "19200"};
    kind.items = {"RS232", "RS485"};
    parity.items = {"žádná", "lichá", "sudá"};
    ip.maxLength = static_cast<int>(kLineIpLength);
    description.maxLength = static_cast<int>(kLineDescriptionLength);
}

bool LineForm::open(int lineIndex) {
    lineIndex_ = lineIndex;
    LineRecord line;
    if (!readLineForDialog(lineIndex, line)) return false;
    speed.chosen = line.speed() == 0 ? 0 : 1;
    kind.chosen = line.directionControl() == 0 ? 0 : 1;
    parity.chosen = line.parity() < 3 ? line.parity() : 0;
    ip.text = line.ipAddress();
    tcpPort.text = std::to_string(line.tcpPort());
    description.text = line.description();
    choosePort(line.port() <= 8 ? line.port() : 0);
    return true;
}

void LineForm::choosePort(int index) {
    port.chosen = index;
    const bool tcp = index == 0;
    ip.enabled = tcpPort.enabled = tcp;
    speed.enabled = parity.enabled = kind.enabled = !tcp;
}

int LineForm::pressApply() {
    LineSettings s;
    s.port = static_cast<std::uint8_t>(port.chosen);
    s.speed = static_cast<std::uint8_t>(speed.chosen);
    s.rs485 = kind.chosen == 1;
    s.parity = static_cast<std::uint8_t>(parity.chosen);
    s.ipAddress = utf8Prefix(ip.text, kLineIpLength);
    // A TCP line's port is 16 bits, and on port 0 it never connects; a COM line keeps the port
    // it has.
    if (tcpPort.enabled) {
        const auto value = tcpPortField(tcpPort, reselect);
        if (!value) return kFormStaysOpen;
        s.tcpPort = *value;
    }
    s.description = utf8Prefix(description.text, kLineDescriptionLength);
    return actionDone(saveLineSettings(lineIndex_, s)) ? 1 : kFormStaysOpen;
}

}  // namespace lumo
