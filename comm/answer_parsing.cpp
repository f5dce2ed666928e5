#include "comm/answer_parsing.h"

#include <algorithm>
#include <cstring>

#include "comm/crc8.h"

namespace lumo {

bool AnswerCollector::add(std::uint8_t byte) {
    if (count_ >= capacity_) return true;
    buffer_[count_++] = byte;
    if (afterStar_) return true;
    if (byte == '*') afterStar_ = true;
    if (expected_ > 0 && count_ >= static_cast<std::size_t>(expected_)) return true;
    return count_ >= capacity_;
}

bool TunnelCollector::add(std::uint8_t byte) {
    if (count_ < collected_.size()) collected_[count_++] = byte;
    return (expected_ > 0 && count_ == static_cast<std::size_t>(expected_)) || count_ == collected_.size();
}

int TunnelCollector::finish(std::uint8_t* buffer, std::size_t capacity) const {
    const bool complete = expected_ > 0 && count_ == static_cast<std::size_t>(expected_);
    if (!complete || count_ > capacity) return static_cast<int>(count_) - 1;
    std::memcpy(buffer, collected_.data(), count_);
    return count_ >= 2 && collected_[0] == 'K' && collected_[1] == 'O' ? expected_ : -1;
}

bool takeIcmpTunnelReply(const std::uint8_t* message, std::size_t size, std::uint16_t identifier, int expected,
                         std::uint8_t* buffer, std::size_t capacity, int& length, bool& isEchoReply) {
    constexpr std::size_t kHeader = 8, kTunnel = 18;
    if (size < kHeader) return false;
    const auto id = static_cast<std::uint16_t>(message[4] | message[5] << 8);
    if (id != identifier) return false;
    // Our own request, as a raw socket sees it on a local address, is no answer.
    if (message[0] == 8) return false;
    isEchoReply = message[0] == 0;
    if (!isEchoReply) return true;
    const std::uint8_t* payload = message + kHeader;
    const std::size_t payloadSize = size - kHeader;
    if (payloadSize >= kTunnel && std::memcmp(payload + 12, "aaaa", 4) == 0 && payload[16] == 'K' && payload[17] == 'O') {
        // Never more than the reply holds or the caller can take.
        const std::size_t count = std::min({static_cast<std::size_t>(std::max(expected, 0)), payloadSize - kTunnel, capacity});
        std::memcpy(buffer, payload + kTunnel, count);
        length = static_cast<int>(count);
    } else {
        for (std::size_t i = 0; i < 2 && i < capacity; ++i) buffer[i] = 16 + i < payloadSize ? payload[16 + i] : 0;
        length = -1;
    }
    return true;
}

bool answerChecksumHolds(const std::uint8_t* answer, std::size_t length) {
    const auto* end = answer + length;
    const auto* star = std::find(answer, end, static_cast<std::uint8_t>('*'));
    if (star == end || star + 1 >= end) return true;
    return crc8(answer, static_cast<std::size_t>(star - answer)) == star[1];
}

bool answerIsWhole(const std::uint8_t* answer, std::size_t length) {
    const auto* end = answer + length;
    const auto* star = std::find(answer, end, static_cast<std::uint8_t>('*'));
    return star != end && star + 2 == end;
}

int typeFromCalAnswer(const std::uint8_t* answer, std::size_t length) {
    const std::size_t textLength = static_cast<std::size_t>(std::find(answer, answer + length, 0) - answer);
    if (textLength <= 16) return -1;
    if (answer[7] < '0' || answer[7] > '9' || answer[8] < '0' || answer[8] > '9') return -1;
    return (answer[7] - '0') * 10 + (answer[8] - '0');
}

}  // namespace lumo
