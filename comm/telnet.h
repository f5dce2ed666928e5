#pragma once
// The device servers' configuration console at TCP port 9999 speaks telnet: the bytes that
// arrive are text with option negotiation mixed in. The panel's own terminal shows the text and
// refuses every option (it does no option of its own).

#include <cstdint>
#include <string>
#include <vector>

namespace lumo {

inline constexpr int kConsolePort = 9999;

class TelnetFilter {
public:
    // The text in `bytes`; the refusals to send back go to `reply` (DO x -> WONT x, WILL x ->
    // DONT x). Sub-negotiations and other commands are dropped; IAC IAC is the byte 255. A
    // command cut between two calls goes on in the next.
    std::string take(const std::uint8_t* bytes, std::size_t length, std::vector<std::uint8_t>& reply);

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    State state_ = State::Data;
    std::uint8_t command_ = 0;
};

// The console's text as a window shows it: CR dropped (LF ends a line), and a line that runs on
// without an end broken every `width` characters, so that a device sending one endless line
// cannot make a single line the window cannot lay out.
class ConsoleLines {
public:
    explicit ConsoleLines(std::size_t width = 256) : width_(width) {}
    std::string take(const std::string& text);

private:
    std::size_t width_, column_ = 0;
};

// A line typed by the user as it goes to the device: CR LF at its end, a 255 doubled.
std::vector<std::uint8_t> consoleLine(const std::string& text);

}  // namespace lumo
