#include "serial/serial_number.h"

#include <cstdio>
#include <cstdlib>

namespace lumo {
namespace {

constexpr std::uint32_t kMask19 = 0x7FFFF;

// The decimal number at the start of a piece of text (digits only, as strtol would stop).
long leadingNumber(const std::string& text) {
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::uint32_t Rotate19(int count, std::uint32_t value) {
    if (count > 0) {
        for (int i = 0; i < count; ++i) value = ((value << 1) | ((value >> 18) & 1)) & kMask19;
    } else if (count < 0) {
        value &= kMask19;
        for (int i = 0; i < -count; ++i) value = (value >> 1) | ((value & 1) << 18);
    }
    return value & kMask19;
}

std::string SerialEncode(int sequence, int typeCode, PackedDate date) {
    char plain[32];
    std::snprintf(plain, sizeof plain, "%02d%02d%02d%02d%04d", dateDay(date), dateMonth(date), dateYear(date), typeCode,
                  sequence);
    const std::string text = plain;
    const auto d = static_cast<std::uint32_t>(leadingNumber(text.substr(0, 6)));
    const auto k = static_cast<std::uint32_t>(leadingNumber(text.substr(6, 6))) & kMask19;
    const int rotation = typeCode + 5;
    const std::uint32_t scrambled = Rotate19(rotation, d) ^ Rotate19(rotation, k);
    char out[32];
    std::snprintf(out, sizeof out, "%06u%02d%04d", scrambled, typeCode, sequence);
    return out;
}

SerialParts SerialDecode(const std::string& text) {
    const std::string digits = text.substr(0, 12);
    auto piece = [&](std::size_t at, std::size_t length) { return at < digits.size() ? digits.substr(at, length) : ""; };
    SerialParts parts;
    parts.typeCode = static_cast<int>(leadingNumber(piece(6, 2)));
    parts.sequence = static_cast<int>(leadingNumber(piece(8, 4)));
    const auto x = static_cast<std::uint32_t>(leadingNumber(piece(0, 6)));
    const auto k = static_cast<std::uint32_t>(leadingNumber(piece(6, 6))) & kMask19;
    const int rotation = parts.typeCode + 5;
    const std::uint32_t d = Rotate19(-rotation, (x ^ Rotate19(rotation, k)) & kMask19);
    char date[16];
    std::snprintf(date, sizeof date, "%06u", d);
    const std::string dateText = date;
    parts.date = packDate(static_cast<int>(leadingNumber(dateText.substr(0, 2))),
                          static_cast<int>(leadingNumber(dateText.substr(2, 2))),
                          static_cast<int>(leadingNumber(dateText.substr(4, 2))));
    return parts;
}

bool isRealDate(PackedDate date) {
    const int day = dateDay(date), month = dateMonth(date), year = dateYear(date);
    if (year > 99 || month < 1 || month > 12 || day < 1) return false;
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return day <= lengths[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
}

std::string productionDateText(PackedDate date) {
    char text[48];
    if (isRealDate(date)) {
        std::snprintf(text, sizeof text, "%02d.%02d.20%02d", dateDay(date), dateMonth(date), dateYear(date));
    } else {
        std::snprintf(text, sizeof text, "%02d%02d%02d: neplatné datum", dateDay(date) % 100, dateMonth(date) % 100,
                      dateYear(date) % 100);
    }
    return text;
}

SerialFault serialNumberFault(const std::string& text) {
    if (text.size() != 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return SerialFault::NotTwelveDigits;
    const SerialParts parts = SerialDecode(text);
    if (!isRealDate(parts.date)) return SerialFault::NoRealDate;
    if (parts.sequence == 0) return SerialFault::SequenceZero;
    return SerialFault::None;
}

std::string macPartOfSequence(int sequence) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(sequence) & 0xFFFFu);
    return text;
}

std::optional<int> sequenceFromMacPart(const std::string& text) {
    if (text.size() != 4) return std::nullopt;
    int value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
    }
    if (value > 9999) return std::nullopt;
    return value;
}

}  // namespace lumo
