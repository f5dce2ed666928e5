#pragma once
// Builds an expected file image by hand: zeros with given bytes, texts and integers placed at
// their offsets.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace lumo::test {

struct Image {
    std::vector<std::uint8_t> bytes;

    explicit Image(std::size_t size) : bytes(size, 0) {}
    Image& put(std::size_t off, std::initializer_list<std::uint8_t> values) {
        for (auto v : values) bytes.at(off++) = v;
        return *this;
    }
    // Raw (already code page 1250) text, without its NUL: the zeros around it are the NUL.
    Image& text(std::size_t off, const std::string& raw) {
        for (char c : raw) bytes.at(off++) = static_cast<std::uint8_t>(c);
        return *this;
    }
    Image& i32(std::size_t off, std::int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.at(off + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
        return *this;
    }
};

// The bytes of a record image, to compare with a built Image.
std::vector<std::uint8_t> bytesOf(const auto& image) { return {image.bytes.begin(), image.bytes.end()}; }

}  // namespace lumo::test
