#include "device/console.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "comm/transaction.h"
#include "model/installation.h"

namespace lumo {

std::string ConsoleLineClean(const std::string& text) {
    std::string out = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    std::size_t lastMark = 0;  // position after the last '#' or '$' (the start counts)
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '#' || c == '$') {
            out[i] = ' ';
            lastMark = i + 1;
        } else if (c == '*') {
            out[i] = ' ';
        } else if (c == '+' && i < lastMark + 3) {
            out[i] = ' ';
        }
    }
    return out;
}

ConsoleCommand splitConsoleLine(const std::string& text) {
    ConsoleCommand command;
    command.name = text.substr(0, 3);
    if (text.size() > 3 && text[3] == ' ') {
        const std::size_t start = 4;
        const std::size_t blank = text.find(' ', start);
        const std::string number = text.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
        int value = 0;
        std::size_t digits = 0;
        while (digits < number.size() && std::isdigit(static_cast<unsigned char>(number[digits])) && digits < 6) {
            value = value * 10 + (number[digits] - '0');
            ++digits;
        }
        command.subInstruction = SubInstruction::wire(value);
        if (blank != std::string::npos) command.data = text.substr(blank + 1);
    }
    return command;
}

std::uint32_t consoleSend(int lineIndex, int moduleNumber, const std::string& text, std::string& answer) {
    ModuleRecord module;
    if (!readModuleRecord(lineIndex, moduleNumber, module)) return pendingError();
    const ConsoleCommand command = splitConsoleLine(text);
    // Room for the longest answer a module gives (a parameter answer): a longer one is cut,
    // and so no answer.
    std::array<std::uint8_t, 256> buffer{};
    const bool withData = !command.data.empty();
    const std::uint8_t flags = withData ? (kModeSelectRelease | kNoAnswer) : kModeSelectRelease;
    std::string withError;
    const std::uint32_t result = DeviceTransaction(command.subInstruction, command.name, lineIndex, module.id(),
                                                   command.data, flags, buffer, &withError);
    if (isErrorResult(result)) answer = withError;
    else answer.assign(buffer.begin(), buffer.begin() + static_cast<long>(result));
    return result;
}

std::string escapeNonPrintable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c > 0x7e) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace lumo
