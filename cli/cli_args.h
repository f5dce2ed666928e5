#pragma once
// Command-line words for lumo-ctl commands: a cursor over the arguments and item addresses.

#include <stdexcept>
#include <string>
#include <vector>

namespace lumo::cli {

// A wrong command line: printed with the usage hint, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// The exit status of an action's result (base/action_result.h): 0 done, else 1.
inline int exitStatus(int actionResult) { return actionResult > 0 ? kDone : kFailed; }

class Args {
public:
    explicit Args(std::vector<std::string> words) : words_(std::move(words)) {}
    bool empty() const { return pos_ >= words_.size(); }
    const std::string& peek() const;
    std::string next(const char* what);  // the next word, or a usage error naming `what`
    // Takes "--name VALUE" when it is next; true when taken.
    bool option(const char* name, std::string& value);
    bool flag(const char* name);
    void expectEnd() const;

private:
    std::vector<std::string> words_;
    std::size_t pos_ = 0;
};

// "L" (line 1-16) or "L/K" (module record K of line L, 1-32), as `list` prints them.
struct ItemRef {
    int lineIndex = 0;
    int moduleNumber = 0;  // 0 = the line itself
};
ItemRef parseItem(const std::string& text);
int parseLine(const std::string& text);  // line index of "L"
// A whole decimal number in [min, max], else a usage error naming `what`.
long parseNumber(const std::string& text, long min, long max, const char* what);
// A text for a field of code page 1250 characters, else a usage error naming `what`: one
// the code page cannot hold, longer than `maxChars` characters, or with a control character
// (a line end, a tab) or one of `forbidden`. Empty texts pass; the caller says whether one may.
void checkFieldText(const std::string& text, std::size_t maxChars, const char* what, const char* forbidden = "");
// A note for the register line "SERIAL;NOTE;MEDIUM" (at most 295 characters): no ';', no
// control character, code page 1250, at most 280 characters.
void checkRegisterNote(const std::string& note);
// An IPv4 address written as four decimal numbers 0-255 ("192.168.1.50"), else a usage
// error naming `what`.
void checkIpv4Address(const std::string& text, const char* what);

}  // namespace lumo::cli
