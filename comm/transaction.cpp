#include "comm/transaction.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/ui_port.h"
#include "comm/answer_parsing.h"
#include "comm/line_port.h"
#include "platform/clock.h"

namespace lumo {
namespace {

bool sendPiece(int line, const std::string& text) {
    return LineSend(line, reinterpret_cast<const std::uint8_t*>(text.data()),
                    static_cast<std::uint32_t>(text.size()) | kPaced, 0);
}

bool sendPiece(int line, const std::vector<std::uint8_t>& bytes) {
    return LineSend(line, bytes.data(), static_cast<std::uint32_t>(bytes.size()) | kPaced, 0);
}

}  // namespace

std::uint32_t DeviceTransaction(SubInstruction subInstruction, const std::string& instruction, int lineIndex, int id,
                                const std::string& data, std::uint8_t transFlags, std::span<std::uint8_t> answer,
                                std::string* bytesWithError) {
    if (bytesWithError) bytesWithError->clear();
    // The data piece with its '*' and checksum fits 100 bytes; a NUL would end it early on a
    // device. Such a text is refused before the line is opened.
    if (data.size() > kMaxDataText || data.find('\0') != std::string::npos) return kDataTextRefused;
    const int line = lineIndex & 0x7F;
    const ErrorCode opened = LineOpen(line, 0);
    if (opened != 0) {
        LineClose(line);
        return opened;
    }
    const bool cursor = (transFlags & kNoWaitCursor) == 0;
    if (cursor) uiWaitCursor(true);
    const int mode = transFlags & 0x03;
    const bool awaitAnswer = (transFlags & kNoAnswer) == 0;
    std::uint32_t result = 0;
    ErrorCode failure = 0;

    if (mode != kModeRelease) {
        if (awaitAnswer && !answer.empty()) answer[0] = 0;
        if (mode == kModeSelect || mode == kModeSelectRelease) {
            char selection[16];
            std::snprintf(selection, sizeof selection, "&ML_%02d", id);
            if (!sendPiece(line, selection)) failure = kSendFailed;
            else platform::pause(50);
        }
        if (failure == 0) {
            char name[8];
            std::snprintf(name, sizeof name, "#%3.3s", instruction.c_str());
            if (subInstruction.isNone()) {
                if (!sendPiece(line, std::string(name) + "+")) failure = kSendFailed;
            } else {
                sendPiece(line, name);  // only the closing piece's outcome counts
                platform::pause(10);
                if (!sendPiece(line, "$" + std::to_string(subInstruction.wireDigit()) + "+")) failure = kSendFailed;
            }
        }
        if (failure == 0 && !data.empty()) {
            std::vector<std::uint8_t> piece(data.begin(), data.end());
            const std::uint8_t checksum = crc8(piece.data(), piece.size());
            piece.push_back('*');
            piece.push_back(checksum);
            if (!sendPiece(line, piece)) failure = kSendFailed;
        }
        if (failure == 0 && awaitAnswer) {
            int length = (transFlags & kOneByteAnswer) ? 1 : 0;
            if (!LineReceive(0, length, line, answer.data(), answer.size())) {
                failure = kReceiveFailed;
            } else if (!answerChecksumHolds(answer.data(), static_cast<std::size_t>(length)) ||
                       (length > 0 && !(transFlags & kOneByteAnswer) &&
                        !answerIsWhole(answer.data(), static_cast<std::size_t>(length)))) {
                // A wrong checksum, or an answer without its end: it filled the buffer, or the
                // device fell silent in the middle of it.
                failure = kAnswerChecksum;
            } else {
                result = static_cast<std::uint32_t>(length);
            }
            // A cut-off or garbled answer is no answer: nothing of it may be taken for data.
            if (failure != 0) {
                const std::size_t got = std::min(answer.size(), static_cast<std::size_t>(std::max(length, 0)));
                if (bytesWithError) bytesWithError->assign(answer.begin(), answer.begin() + static_cast<long>(got));
                std::fill(answer.begin(), answer.end(), 0);
            }
        }
    }

    if (failure != 0) {
        platform::pause(130);
        sendPiece(line, "&MLEND");
        result = failure;
    } else if (mode == kModeRelease || mode == kModeSelectRelease) {
        platform::pause(130);
        if (!sendPiece(line, "&MLEND")) {
            platform::pause(130);
            sendPiece(line, "&MLEND");
            result = kReleaseFailed;
        }
    }
    LineClose(line);
    if (cursor) uiWaitCursor(false);
    return result;
}

}  // namespace lumo
