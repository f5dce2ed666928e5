#pragma once
// The device protocol: one request/response exchange with a module, and its checksum.
//
// Request pieces: "&ML_nn" selects module nn, "#NAM+" (or "#NAM" then "$d+" with a
// sub-instruction) names the instruction, the data text follows with '*' and its CRC-8, and
// "&MLEND" releases the module. The answer ends with '*' and the CRC-8 of the text before it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/shared_types.h"
#include "comm/crc8.h"

namespace lumo {

// Transaction flags.
inline constexpr std::uint8_t kModeContinue = 0;  // module already selected; nothing around it
inline constexpr std::uint8_t kModeSelect = 1;    // selection first, no release
inline constexpr std::uint8_t kModeRelease = 2;   // only "&MLEND"
inline constexpr std::uint8_t kModeSelectRelease = 3;
inline constexpr std::uint8_t kNoAnswer = 0x04;
inline constexpr std::uint8_t kOneByteAnswer = 0x08;
inline constexpr std::uint8_t kNoWaitCursor = 0x40;

// Result codes besides those of opening the line.
inline constexpr ErrorCode kSendFailed = 0x03010701;
inline constexpr ErrorCode kReceiveFailed = 0x03020702;
inline constexpr ErrorCode kReleaseFailed = 0x03010702;
inline constexpr ErrorCode kAnswerChecksum = 0x05FF0001;
// A data text the protocol cannot carry: over 97 characters, or with a NUL byte. Nothing is sent.
inline constexpr ErrorCode kDataTextRefused = 0x05FF0002;
inline constexpr std::size_t kMaxDataText = 97;

// A result is an ErrorCode when its top byte is not 0, else the answer length.
inline constexpr std::uint32_t kResultErrorMask = 0xFF000000u;
inline bool isErrorResult(std::uint32_t result) { return (result & kResultErrorMask) != 0; }

// Opens the line, sends the request to module `id` and receives the answer into `answer`
// (never past its end), releases the module as the mode says, and closes the line.
// `subInstruction` is sent as its value minus one; 0 sends none. A failed exchange leaves
// `answer` all zeros, so nothing of it is taken for data; the bytes that came with the failure
// (a cut-off answer, one with a wrong checksum) go to `bytesWithError` when it is given.
std::uint32_t DeviceTransaction(int subInstruction, const std::string& instruction, int lineIndex, int id,
                                const std::string& data, std::uint8_t transFlags, std::span<std::uint8_t> answer,
                                std::string* bytesWithError = nullptr);

}  // namespace lumo
