#pragma once
// A fixed-size byte image of a file record, with little-endian field access at given offsets.
// Records are kept as raw bytes so that reserved ranges are carried along unchanged and the
// file is written back exactly as it was read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/cp1250.h"

namespace lumo {

template <std::size_t N>
struct ByteImage {
    static constexpr std::size_t kSize = N;
    std::array<std::uint8_t, N> bytes{};

    void clear() { bytes.fill(0); }
    std::uint8_t* data() { return bytes.data(); }
    const std::uint8_t* data() const { return bytes.data(); }

    std::uint8_t u8(std::size_t off) const { return bytes.at(off); }
    void setU8(std::size_t off, std::uint8_t v) { bytes.at(off) = v; }

    std::uint32_t u32(std::size_t off) const {
        return std::uint32_t{bytes.at(off)} | std::uint32_t{bytes.at(off + 1)} << 8 |
               std::uint32_t{bytes.at(off + 2)} << 16 | std::uint32_t{bytes.at(off + 3)} << 24;
    }
    void setU32(std::size_t off, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) bytes.at(off + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::int32_t i32(std::size_t off) const { return static_cast<std::int32_t>(u32(off)); }
    void setI32(std::size_t off, std::int32_t v) { setU32(off, static_cast<std::uint32_t>(v)); }

    // The text of a NUL-terminated code page 1250 field, read up to its NUL or the field's end.
    std::string text(std::size_t off, std::size_t width) const {
        std::size_t len = 0;
        while (len < width && bytes.at(off + len) != 0) ++len;
        return cp1250ToUtf8(bytes.data() + off, len);
    }
    // Raw bytes of a text field up to its NUL (for comparisons that must not depend on decoding).
    std::string_view rawText(std::size_t off, std::size_t width) const {
        std::size_t len = 0;
        while (len < width && bytes.at(off + len) != 0) ++len;
        return {reinterpret_cast<const char*>(bytes.data() + off), len};
    }
    // Stores at most width - 1 characters, a terminating NUL and zeros to the field's end.
    void setText(std::size_t off, std::size_t width, std::string_view utf8) {
        const auto encoded = utf8ToCp1250(utf8);
        const std::size_t len = encoded.size() < width ? encoded.size() : width - 1;
        for (std::size_t i = 0; i < width; ++i) bytes.at(off + i) = i < len ? encoded[i] : 0;
    }
    // Stores at most width - 1 characters and the NUL, leaving the bytes after the NUL as they
    // are; for fields whose width reaches into a neighbouring field.
    void setTextTerminated(std::size_t off, std::size_t width, std::string_view utf8) {
        const auto encoded = utf8ToCp1250(utf8);
        const std::size_t len = encoded.size() < width ? encoded.size() : width - 1;
        for (std::size_t i = 0; i < len; ++i) bytes.at(off + i) = encoded[i];
        bytes.at(off + len) = 0;
    }

    // Stores at most width - 1 bytes exactly as they come (a device's code page 1250 text), a
    // terminating NUL and zeros to the field's end.
    void setRawText(std::size_t off, std::size_t width, std::string_view raw) {
        const std::size_t len = raw.size() < width ? raw.size() : width - 1;
        for (std::size_t i = 0; i < width; ++i) bytes.at(off + i) = i < len ? static_cast<std::uint8_t>(raw[i]) : 0;
    }

    // Stores up to `width` characters; the NUL only when there is room (a field that may be
    // filled to its last byte, such as a directory with its separator).
    void setTextFill(std::size_t off, std::size_t width, std::string_view utf8) {
        const auto encoded = utf8ToCp1250(utf8);
        const std::size_t len = encoded.size() < width ? encoded.size() : width;
        for (std::size_t i = 0; i < width; ++i) bytes.at(off + i) = i < len ? encoded[i] : 0;
    }

    bool operator==(const ByteImage&) const = default;
};

}  // namespace lumo
