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
#include "actions/action_errors.h"

namespace lumo {
namespace {

constexpr std::size_t kIpLength = 17, kDescriptionLength = 15;

}  // namespace

LineForm::LineForm() {
    port.items = {"TCP "};
    for (int n = 1; n <= 8; ++n) port.items.push_back("COM" + std::to_string(n));
    speed.items = {"9600", "19200"};
    kind.items = {"RS232", "RS485"};
    parity.items = {"žádná", "lichá", "sudá"};
    ip.maxLength = static_cast<int>(kIpLength);
    description.maxLength = static_cast<int>(kDescriptionLength);
}

bool LineForm::open(int lineIndex) {
    lineIndex_ = lineIndex;
    platform::setLastSystemError(0);
    LineRecord line;
    if (!readLineRecord(lineIndex, line)) {
        combineError(err::kLineDialogRead);
        reportError();
        return false;
    }
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
    s.ipAddress = utf8Prefix(ip.text, kIpLength);
    // A TCP line's port is 16 bits, and on port 0 it never connects; a COM line keeps the port
    // it has.
    if (tcpPort.enabled) {
        const auto value = readNumberField("TCP port", tcpPort.text, 1, 65535);
        if (!value) {
            if (reselect) reselect(tcpPort);
            return kFormStaysOpen;
        }
        s.tcpPort = static_cast<std::int32_t>(*value);
    }
    s.description = utf8Prefix(description.text, kDescriptionLength);
    return actionDone(saveLineSettings(lineIndex_, s)) ? 1 : kFormStaysOpen;
}

}  // namespace lumo
