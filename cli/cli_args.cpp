#include "cli/cli_args.h"

#include <charconv>

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
