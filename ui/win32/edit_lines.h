#pragma once
// A multi-line edit breaks its lines only at "\r\n": the forms' texts end their lines with '\n'.

#include <string>
#include <string_view>

namespace lumo::win32 {

inline std::string editLines(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines.push_back('\r');
        lines.push_back(text[i]);
    }
    return lines;
}

}  // namespace lumo::win32
