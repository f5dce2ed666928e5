#pragma once
// A module's memory read segment by segment ("Upload", the read of "memory DUMP") and written
// back ("WRM", the write of "memory DUMP"), in the service loaders' text messages. The message
// texts and the answer's decoding are pure; the two operations talk to the device on its line
// in service mode.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/device_catalog.h"

namespace lumo {

struct MemorySegment {
    const char* name;
    std::uint32_t start, size;  // the defaults offered
    const char* uploadHead;     // "UPL|yyyyyyyy|"
    const char* writeHead;      // "WRM|V|yyyyyyyy|"
};
inline constexpr int kMemorySegments = 12;
const std::array<MemorySegment, kMemorySegments>& memorySegments();
// The row of a segment name ("ex_ram", "fs3"), or -1.
int memorySegmentIndex(const std::string& name);

// At most this many data bytes come in one upload answer.
inline constexpr std::uint32_t kUploadChunk = 117;
// The start and the size go in the messages as four hexadecimal digits ("%04x|"): at most this.
inline constexpr std::uint32_t kMemoryFieldMax = 0xFFFF;
// A memory dump reads and writes back at most this many bytes.
inline constexpr std::uint32_t kDumpMaxSize = 128;

// The first request of an upload: the segment's head (none for a row outside the table), the
// start and the size as "%04x|"; every later request is "UPL|0||". Closed messages.
std::string uploadRequest(int segment, std::uint32_t start, std::uint32_t size);
std::string uploadNextRequest();
// The bytes expected of an answer that brings `bytes` data bytes: 2 x bytes + 22.
inline int uploadAnswerLength(std::uint32_t bytes) { return static_cast<int>(2 * bytes + 22); }

// An upload answer: an 18-character head, hexadecimal digit pairs up to '|', two check
// characters over everything before them, one final character. The data, or none when the
// check characters are wrong or the answer is cut off or garbled (nothing of it is data then).
std::optional<std::vector<std::uint8_t>> uploadAnswerData(std::string_view answer);

// The write message of "memory DUMP": the segment's write head, the start, the data.
std::string memoryWriteMessage(int segment, std::uint32_t start, const std::vector<std::uint8_t>& data);

struct MemoryRequest {
    int lineIndex = 0;
    DeviceTypeCode type = 0;
    int segment = 0;
    std::uint32_t start = 0, size = 0;
    std::string fileName;
};

// Reads the range into the file. The bytes go to a temporary file beside it, which takes the
// file's name only when the whole range has come: a failed or cancelled upload leaves the file
// as it was. `asJob` shows "Upload complete..." at the end (the memory dump shows nothing).
// The line is closed at the end. True when the whole range is in the file.
bool UploadWorker(const MemoryRequest& request, bool asJob);
// Writes the first `size` bytes of the file back to the device (at most 256 answer bytes
// awaited, not looked at). The line is closed at the end. True when the device answered.
bool MemoryWrite(const MemoryRequest& request);

}  // namespace lumo
