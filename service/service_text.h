#pragma once
// The text messages of the service loaders and of the memory transfer: fields separated by '|',
// closed by two check characters (the 8-bit sum of every character before them, as two
// upper-case hexadecimal digits), the byte 0x04 and a 0x00 byte.

#include <string>
#include <string_view>

namespace lumo {

inline std::string checkCharacters(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    unsigned sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    return {digits[(sum >> 4) & 0x0F], digits[sum & 0x0F]};
}

// The text with its check characters, 0x04 and 0x00: a whole message to send.
inline std::string closedMessage(std::string text) {
    text += checkCharacters(text);
    text += '\x04';
    text += '\0';
    return text;
}

}  // namespace lumo
