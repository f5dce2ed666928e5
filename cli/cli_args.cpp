#include "cli/cli_args.h"

#include <charconv>
#include <cstring>

#include "model/cp1250.h"
#include "platform/net.h"
#include "serial/serial_register.h"

namespace lumo::cli {

const std::string& Args::peek() const {
    static const std::string none;
    return empty() ? none : words_[pos_];
}

std::string Args::next(const char* what) {
    if (empty()) throw UsageError(std::string("missing ") + what);
    return words_[pos_++];
}

bool Args::option(const char* name, std::string& value) {
    if (empty() || words_[pos_] != name) return false;
    ++pos_;
    value = next(name);
    return true;
}

bool Args::flag(const char* name) {
    if (empty() || words_[pos_] != name) return false;
    ++pos_;
    return true;
}

void Args::expectEnd() const {
    if (!empty()) throw UsageError("unexpected argument '" + words_[pos_] + "'");
}

long parseNumber(const std::string& text, long min, long max, const char* what) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    if (text.empty() || r.ec != std::errc() || r.ptr != end || value < min || value > max) {
        throw UsageError(std::string(what) + " must be a number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not '" + text + "'");
    }
    return value;
}

void checkFieldText(const std::string& text, std::size_t maxChars, const char* what, const char* forbidden) {
    if (!fitsCp1250(text)) throw UsageError(std::string(what) + " holds characters code page 1250 cannot store");
    if (utf8Length(text) > maxChars)
        throw UsageError(std::string(what) + " has more than " + std::to_string(maxChars) + " characters");
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            throw UsageError(std::string(what) + " may not hold a line end or another control character");
        if (c != '\0' && std::strchr(forbidden, c) != nullptr)
            throw UsageError(std::string(what) + " may not hold '" + std::string(1, c) + "'");
    }
}

void checkRegisterNote(const std::string& note) {
    // 12 digits, two ';' and one digit of the ID medium around it.
    checkFieldText(note, kMaxRegisterLine - 15, "the note", ";");
}

void checkIpv4Address(const std::string& text, const char* what) {
    platform::Ipv4 address;
    // Only the dotted form: a host name or a short form ("10.1") is no address of a device.
    const bool dotted = !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos &&
                        platform::parseIpv4(text, address);
    if (!dotted) throw UsageError(std::string(what) + " must be an IPv4 address such as 192.168.1.50, not '" + text + "'");
}

int parseLine(const std::string& text) {
    return static_cast<int>(parseNumber(text, 1, 16, "the line")) - 1;
}

ItemRef parseItem(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return {parseLine(text), 0};
    return {parseLine(text.substr(0, slash)),
            static_cast<int>(parseNumber(text.substr(slash + 1), 1, 32, "the module record"))};
}

}  // namespace lumo::cli
