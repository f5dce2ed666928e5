#pragma once
// Code page 1250 <-> UTF-8. Every text stored in the installation files is code page 1250;
// the rest of the program works in UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// One code page 1250 byte as a Unicode code point. The five positions the code page leaves
// undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 control of the same value, so every
// byte survives a round trip.
char32_t cp1250ToCodePoint(std::uint8_t byte);

// The code page 1250 byte for a code point, or '?' when the code page cannot hold it.
std::uint8_t codePointToCp1250(char32_t cp);

std::string cp1250ToUtf8(const std::uint8_t* bytes, std::size_t count);
inline std::string cp1250ToUtf8(std::string_view bytes) {
    return cp1250ToUtf8(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Malformed UTF-8 and characters outside the code page become '?'.
std::vector<std::uint8_t> utf8ToCp1250(std::string_view utf8);

// True when every character of the text has a place in code page 1250.
bool fitsCp1250(std::string_view utf8);

// Number of characters (code points) in a UTF-8 text, malformed bytes counted one each.
std::size_t utf8Length(std::string_view utf8);

// The first `count` characters of a UTF-8 text (malformed bytes count one each).
std::string utf8Prefix(std::string_view utf8, std::size_t count);

}  // namespace lumo
