#include "comm/telnet.h"

namespace lumo {
namespace {
constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
}

std::string TelnetFilter::take(const std::uint8_t* bytes, std::size_t length, std::vector<std::uint8_t>& reply) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = bytes[i];
        switch (state_) {
            case State::Data:
                if (b == kIac) state_ = State::Command;
                else text += static_cast<char>(b);
                break;
            case State::Command:
                if (b == kIac) {
                    text += static_cast<char>(b);
                    state_ = State::Data;
                } else if (b == kDo || b == kDont || b == kWill || b == kWont) {
                    command_ = b;
                    state_ = State::Option;
                } else if (b == kSb) {
                    state_ = State::Sub;
                } else {
                    state_ = State::Data;  // a command without an option: nothing to answer
                }
                break;
            case State::Option:
                // Every option refused; a refusal is not answered (no endless exchange).
                if (command_ == kDo) reply.insert(reply.end(), {kIac, kWont, b});
                else if (command_ == kWill) reply.insert(reply.end(), {kIac, kDont, b});
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == kIac) state_ = State::SubCommand;
                break;
            case State::SubCommand:
                state_ = b == kSe ? State::Data : State::Sub;
                break;
        }
    }
    return text;
}

std::string ConsoleLines::take(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / width_ + 1);
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            column_ = 0;
        } else if (column_ == width_) {
            out.push_back('\n');
            column_ = 1;
        } else {
            ++column_;
        }
        out.push_back(c);
    }
    return out;
}

std::vector<std::uint8_t> consoleLine(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        if (static_cast<std::uint8_t>(c) == kIac) out.push_back(kIac);
    }
    out.push_back('\r');
    out.push_back('\n');
    return out;
}

}  // namespace lumo
