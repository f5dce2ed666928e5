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

// The sub-instruction of a request, always as the digit that goes on the wire: "#NAM" then
// "$d+". `none()` is an instruction sent as "#NAM+" alone; wire digit 0 is a real one ("$0+").
// The protocol's tables count sub-instructions from 1 and send one less ("INF 8" of those tables
// goes as "$7+"); the named uses below are already wire digits, so nothing is counted twice.
class SubInstruction {
public:
    static constexpr SubInstruction none() { return SubInstruction(-1); }
    static constexpr SubInstruction wire(int digit) { return SubInstruction(digit); }
    constexpr bool isNone() const { return digit_ < 0; }
    constexpr int wireDigit() const { return digit_; }
    constexpr bool operator==(const SubInstruction&) const = default;

private:
    constexpr explicit SubInstruction(int digit) : digit_(digit) {}
    int digit_;
};

// The uses of each instruction, as wire digits.
namespace sub {
inline constexpr SubInstruction kNone = SubInstruction::none();
inline constexpr SubInstruction kInfDisplayText = SubInstruction::wire(3);  // the opening text
inline constexpr SubInstruction kInfTest = SubInstruction::wire(4);         // the communication test
inline constexpr SubInstruction kInfVersion = SubInstruction::wire(6);      // "V" version, "C" flags
inline constexpr SubInstruction kInfCounters = SubInstruction::wire(7);     // C1..C5 (C5: history records)
inline constexpr SubInstruction kInfParameters = SubInstruction::wire(8);   // the P, B and D codes
inline constexpr SubInstruction kCfgDisplayText = SubInstruction::wire(0);
inline constexpr SubInstruction kCfgDoor = SubInstruction::wire(3);      // door time, reader operations
inline constexpr SubInstruction kCfgInterval = SubInstruction::wire(4);  // the hold-open interval
inline constexpr SubInstruction kCfgClock = SubInstruction::wire(5);
inline constexpr SubInstruction kCfgParameters = SubInstruction::wire(8);  // P, B and D codes
inline constexpr SubInstruction kSetDeviceFlags = SubInstruction::wire(2);
inline constexpr SubInstruction kSetCounters = SubInstruction::wire(7);
inline constexpr SubInstruction kCmdRestart = SubInstruction::wire(0);       // "RST0" and the service texts
inline constexpr SubInstruction kCmdSerialNumber = SubInstruction::wire(9);  // "SN" + number, one-byte answer
}  // namespace sub

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
// `subInstruction` goes on the wire as it is named (see SubInstruction). A failed exchange leaves
// `answer` all zeros, so nothing of it is taken for data; the bytes that came with the failure
// (a cut-off answer, one with a wrong checksum) go to `bytesWithError` when it is given.
std::uint32_t DeviceTransaction(SubInstruction subInstruction, const std::string& instruction, int lineIndex, int id,
                                const std::string& data, std::uint8_t transFlags, std::span<std::uint8_t> answer,
                                std::string* bytesWithError = nullptr);

}  // namespace lumo
