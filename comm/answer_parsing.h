#pragma once
// Taking device answers apart: the byte-by-byte end-of-answer rules, the tunnel answers, and
// the answer checksum. Pure functions over bytes, never writing past the caller's buffer.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumo {

// One answer byte at a time: the byte after the first '*' ends the answer, as do the expected
// count (0 = not fixed) and a full buffer.
class AnswerCollector {
public:
    AnswerCollector(std::uint8_t* buffer, std::size_t capacity, int expected)
        : buffer_(buffer), capacity_(capacity), expected_(expected) {}
    // Stores a byte; true when the answer is complete. Never called once complete.
    bool add(std::uint8_t byte);
    bool full() const { return count_ >= capacity_; }
    int count() const { return static_cast<int>(count_); }

private:
    std::uint8_t* buffer_;
    std::size_t capacity_;
    int expected_;
    std::size_t count_ = 0;
    bool afterStar_ = false;
};

// A tunnel answer on a serial line: binary, a fixed count of at most 280 bytes, good when it
// starts with "KO".
class TunnelCollector {
public:
    static constexpr std::size_t kMax = 280;
    explicit TunnelCollector(int expected) : expected_(expected) {}
    // Collects a byte; true when the answer is complete or the collection is full.
    bool add(std::uint8_t byte);
    // The outcome once the wait ends: copies a complete answer to the caller (when it fits) and
    // gives the length to report: the expected count with "KO", -1 without, and when the answer
    // never completed the count collected minus one.
    int finish(std::uint8_t* buffer, std::size_t capacity) const;

private:
    int expected_;
    std::array<std::uint8_t, kMax> collected_{};
    std::size_t count_ = 0;
};

// An ICMP tunnel reply (the ICMP message without IP header). Returns false when it is not for
// us (too short, another identifier, or our own request); otherwise sets `isEchoReply` and, for
// an echo reply, fills the caller's buffer and `length` as the tunnel rules say.
bool takeIcmpTunnelReply(const std::uint8_t* message, std::size_t size, std::uint16_t identifier, int expected,
                         std::uint8_t* buffer, std::size_t capacity, int& length, bool& isEchoReply);

// An answer "text*C" must carry C = CRC-8 of the text; one without a '*' followed by a byte
// carries no checksum and passes.
bool answerChecksumHolds(const std::uint8_t* answer, std::size_t length);
// An answer received whole: its first '*' is the last but one byte, the checksum after it. One
// that filled the buffer, or fell silent, before its end is no answer to take values from.
bool answerIsWhole(const std::uint8_t* answer, std::size_t length);

// The device type an answer to CAL names: two decimal digits at positions 7-8 of an answer
// of more than 16 characters; -1 when there is none.
int typeFromCalAnswer(const std::uint8_t* answer, std::size_t length);

}  // namespace lumo
