// lumo-ctl send, line set, probe
#include <cstdio>
#include <iostream>

#include "actions/device_actions.h"
#include "actions/install_actions.h"
#include "cli/cli_ui_port.h"
#include "cli/commands.h"
#include "comm/icmp_echo.h"
#include "device/console.h"
#include "model/cp1250.h"
#include "platform/net.h"
#include "platform/net_helper.h"

namespace lumo::cli {
namespace {

// What to do where neither a ping socket nor the network helper gives this program ICMP.
std::string helperAdviceInEnglish() {
    const auto outcome = platform::lastHelperOutcome();
    switch (outcome.result) {
        case platform::HelperResult::Missing:
            return "the network helper " + platform::netHelperPath() + " is missing (install the package lumo-panel)";
        case platform::HelperResult::NotAdmitted:
            return "only members of the group lumo may use the network helper (an administrator adds you with "
                   "'sudo adduser USER lumo'; it takes effect at your next login)";
        case platform::HelperResult::Failed:
            return "the network helper failed (system error " + std::to_string(outcome.systemError) +
                   "; where it lacks its capabilities, 'sudo dpkg-reconfigure lumo-panel' restores them)";
        default: return "the network helper did not open a socket";
    }
}

}  // namespace

int cmdSend(Args& args) {
    const ItemRef item = parseItem(args.next("the module L/K"));
    const std::string text = args.next("the command 'INSTR [SUB [DATA]]'");
    args.expectEnd();
    if (text.find_first_not_of(" \t") == std::string::npos) throw UsageError("the command is empty: nothing to send");
    if (utf8Length(text) > kConsoleLineLength)
        throw UsageError("the command has " + std::to_string(utf8Length(text)) + " characters; the console sends at most " +
                         std::to_string(kConsoleLineLength) + " (nothing was sent)");
    if (item.moduleNumber != 0 && !itemExists(item)) return kFailed;
    std::string answer;
    // The console's failure text is its status-bar text; here it goes before the report.
    echoStatusTexts(true);
    const int result = sendConsoleCommand(item.lineIndex, item.moduleNumber, text, answer);
    echoStatusTexts(false);
    if (!actionDone(result)) {
        // What came with a failed exchange is shown, marked as such.
        if (!answer.empty()) std::cout << "(" << escapeNonPrintable(answer) << ")\n";
        return kFailed;
    }
    std::cout << (answer.empty() ? std::string("žádná odpověď...") : escapeNonPrintable(answer)) << '\n';
    return kDone;
}

int lineSet(Args& args) {
    const int lineIndex = parseLine(args.next("the line"));
    LineSettings s;
    std::string value;
    while (!args.empty()) {
        if (args.option("--port", value)) {
            if (value == "TCP" || value == "tcp") s.port = 0;
            else if (value.size() > 3 && (value.compare(0, 3, "COM") == 0 || value.compare(0, 3, "com") == 0))
                s.port = static_cast<std::uint8_t>(parseNumber(value.substr(3), 1, 8, "the COM port"));
            else throw UsageError("the port must be COM1 ... COM8 or TCP, not '" + value + "'");
        } else if (args.option("--speed", value)) {
            if (value == "9600") s.speed = 0;
            else if (value == "19200") s.speed = 1;
            else throw UsageError("the speed must be 9600 or 19200");
        } else if (args.flag("--rs232")) {
            s.rs485 = false;
        } else if (args.flag("--rs485")) {
            s.rs485 = true;
        } else if (args.option("--parity", value)) {
            if (value == "none") s.parity = 0;
            else if (value == "odd") s.parity = 1;
            else if (value == "even") s.parity = 2;
            else throw UsageError("the parity must be none, odd or even");
        } else if (args.option("--ip", value)) {
            checkIpv4Address(value, "the IP address");
            s.ipAddress = value;
        } else if (args.option("--tcp-port", value)) {
            // Port 0 is no port a converter listens on: the line could never connect.
            s.tcpPort = static_cast<std::int32_t>(parseNumber(value, 1, 65535, "the TCP port"));
        } else if (args.option("--name", value)) {
            if (value.empty()) throw UsageError("the name is empty");
            checkFieldText(value, 15, "the name");
            s.description = value;
        } else {
            throw UsageError("unknown option '" + args.peek() + "'");
        }
    }
    if (!itemExists({lineIndex, 0})) return kFailed;
    return exitStatus(saveLineSettings(lineIndex, s));
}

// One ICMP echo request, as the scan sends before it connects to a converter. Without the
// right to send ICMP (no capability, no ping group) nothing is known and the status says so.
int cmdProbe(Args& args) {
    const std::string host = args.next("the host");
    args.expectEnd();
    if (host.empty()) throw UsageError("the host is empty");
    if (platform::Ipv4 address; !platform::resolveIpv4(host, address)) {
        std::cerr << "lumo-ctl: the host " << host << " is not known (no IPv4 address for it)\n";
        return kFailed;
    }
    switch (probeHost(host)) {
    case ProbeResult::Answered:
        std::cout << host << " answers\n";
        return kDone;
    case ProbeResult::Silent:
        std::cout << host << " does not answer\n";
        return kFailed;
    case ProbeResult::NotPermitted:
        break;
    }
    std::cerr << "lumo-ctl: this program may not send ICMP echo requests: your group is not in "
                 "net.ipv4.ping_group_range, and "
              << helperAdviceInEnglish() << "\n";
    return kFailed;
}

}  // namespace lumo::cli
