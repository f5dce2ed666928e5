#include "cli/cli_ui_port.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>

#include "base/ui_port.h"
#include "platform/terminal.h"

namespace lumo::cli {
namespace {

struct ProgressState {
    int range = 0;
    int position = 0;
    std::string text;
};

ProgressState& progress() {
    static ProgressState state;
    return state;
}

void drawProgress() {
    const ProgressState& p = progress();
    std::cerr << '\r' << p.text << ' ' << p.position << '/' << p.range << std::flush;
}

std::string& statusText() {
    static std::string text;
    return text;
}

// What the port writes comes from several threads (a whole-installation run's lines, a job):
// one writer at a time, so that no line is cut into another.
std::mutex& output() {
    static std::mutex mutex;
    return mutex;
}

Answer& answerGiven() {
    static Answer answer = Answer::Ask;
    return answer;
}

bool& statusEcho() {
    static bool echo = false;
    return echo;
}

}  // namespace

std::string lastStatusText() {
    const std::lock_guard lock(output());
    return statusText();
}

void echoStatusTexts(bool on) { statusEcho() = on; }

Answer questionAnswer() { return answerGiven(); }

void installCliUiPort(Answer answer, bool verbose) {
    answerGiven() = answer;
    UiPort port;
    port.showMessage = [](std::string_view caption, std::string_view text, MessageIcon) {
        const std::lock_guard lock(output());
        std::cerr << caption << ": " << text << '\n';
    };
    port.askYesNo = [answer](std::string_view caption, std::string_view text, MessageIcon) {
        const std::lock_guard lock(output());
        std::cerr << caption << ": " << text;
        if (answer != Answer::Ask) {
            std::cerr << (answer == Answer::Yes ? " [ano]\n" : " [ne]\n");
            return answer == Answer::Yes;
        }
        if (!platform::isTerminal(platform::StandardStream::Input)) {
            std::cerr << " [ne: no terminal to ask, use --yes]\n";
            return false;
        }
        std::cerr << " [a/n] " << std::flush;
        std::string reply;
        if (!std::getline(std::cin, reply)) return false;
        return !reply.empty() && (reply[0] == 'a' || reply[0] == 'A' || reply[0] == 'y' || reply[0] == 'Y');
    };
    port.setStatusText = [verbose](std::string_view text) {
        const std::lock_guard lock(output());
        statusText() = text;
        if ((verbose || statusEcho()) && !text.empty()) std::cerr << text << '\n';
    };
    if (platform::isTerminal(platform::StandardStream::Error)) {
        port.progressShow = [](std::string_view text) {
            const std::lock_guard lock(output());
            progress() = {0, 0, std::string(text)};
            drawProgress();
        };
        port.progressSetRange = [](int count) {
            const std::lock_guard lock(output());
            progress().range = count;
            drawProgress();
        };
        port.progressStep = [] {
            const std::lock_guard lock(output());
            ++progress().position;
            drawProgress();
        };
        port.progressHide = [] {
            const std::lock_guard lock(output());
            std::cerr << '\n';
        };
    }
    // The MAC address a network device is reached at while it is prepared: the one the line
    // record holds (or the factory address) is taken and told.
    port.enterMacAddress = [](std::array<std::uint8_t, 6>& mac) {
        char text[40];
        std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
        const std::lock_guard lock(output());
        std::cerr << "MAC adresa zařízení: " << text << '\n';
        return true;
    };
    installUiPort(std::move(port));
}

}  // namespace lumo::cli
