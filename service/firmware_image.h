#pragma once
// Firmware images as the download sends them. A device's flash is erased before the first data
// goes out, so an image is read and checked whole first: an S-record file (".mot") for the
// tunnel loader, a raw memory image (".bin") of at most 64 KB for the segment loader. Both the
// messages and their order are worked out here, without a line; the download workers and
// `lumo-ctl image check` use the same code.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo {

// One S-record line of the file.
struct SRecord {
    int lineNumber = 0;  // 1-based
    char type = '0';     // '0'-'9'
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
    std::uint8_t checksum = 0;
    bool isData() const { return type == '1' || type == '2' || type == '3'; }
    // The data as the tunnel loader takes it: each pair swapped, an odd count completed with
    // the record's checksum byte.
    std::vector<std::uint8_t> sentBytes() const;
};

// The loader's line buffer holds 104 characters; a longer line cannot be sent.
inline constexpr std::size_t kMaxSRecordLine = 104;
// The segment loader's four segments of 16 KB.
inline constexpr std::size_t kMaxSegmentImage = 0x10000;

struct ImageFault {
    int lineNumber = 0;  // 0: the file as a whole
    std::string text;
};
std::string faultText(const ImageFault& fault);  // "řádek 12: kontrolní součet záznamu 3a, vypočteno 3b"

// Reads and checks a whole S-record file: every line an S-record ("S" and a type digit, then
// hexadecimal digits only), its byte count fitting the line, its checksum right, no line longer
// than the loader's buffer, at least one data record (S1, S2, S3), no two records writing one
// address. Empty lines, blanks after a record and a DOS end-of-file mark (0x1A) at the end are
// passed over. The records, or the first fault.
std::optional<ImageFault> readSRecords(std::string_view text, std::vector<SRecord>& records);

// Data records in address order, each starting where the one before ended, all of an even
// length: the loader takes them as the file has them, one message per record.
bool recordsFollowOneAnother(const std::vector<SRecord>& records);
// Any other file: its data records in address order, touching ones joined into runs, each run
// cut into messages no longer than the file's longest record, all of an even length but a run's
// last, whose odd last byte is completed with 0xFF (erased flash).
std::vector<SRecord> joinedRecords(const std::vector<SRecord>& records);

// The segment image check: at most 64 KB, not empty.
std::optional<ImageFault> checkSegmentImage(std::size_t size);

// The tunnel download's messages, in the order the loader gets them. For a file whose records
// follow one another, `text` is the file as it stands: the blocks are closed and opened at the
// file's characters, as the loader's protocol has it (a block is closed at the character after
// the record that took it beyond 112 bytes, and the next block opened at the character after
// that); any other file goes as its joined records. The device's side is `exchange`:
// it sends one message on a tunnel channel and returns its acknowledgement (the 2-byte answer),
// or an outcome that ends the download.
enum class Exchange { Acknowledged, NoAnswer, Refused, SendFailed, Cancelled };
struct TunnelMessage {
    int channel = 0;  // 4 erase, 1 open, 2 data, 3 close with the block address, 5 start
    std::vector<std::uint8_t> bytes;
    int lineNumber = 0;  // the data record's line (channel 2)
};
struct TunnelOutcome {
    Exchange result = Exchange::Acknowledged;
    int failedChannel = 0;  // the message whose exchange failed
    int messages = 0, blocks = 0;
};
TunnelOutcome runTunnelDownload(std::string_view text, const std::vector<SRecord>& records,
                                const std::function<Exchange(const TunnelMessage&, std::uint8_t answer[2])>& exchange,
                                const std::function<void(std::size_t characters)>& progress = {});

// The 4 bytes of a block address on channel 3: the high 16 bits first, then the low 16 bits,
// each little-endian (an S1 address travels as 00 00 lo hi).
std::vector<std::uint8_t> blockAddressBytes(std::uint32_t address);

// The segment download's messages: "WRfs0|F|0yyyyy00|" heads, segment checksums, addresses,
// data in hexadecimal and check characters, each ending in 0x04 0x00, in the loader's order.
struct SegmentMessage {
    std::string text;          // the whole message, 0x04 and 0x00 included
    std::size_t offset = 0;    // of its block in the image
    std::size_t length = 0;    // of its block
    int segment = 0;           // 0-3
    bool opensSegment = false; // carries the segment's checksum: the progress bar starts anew
};
// `high`: addresses below 0x8000 go 0x8000 higher (a high-segment type, or the "Verze" box).
std::vector<SegmentMessage> segmentMessages(const std::vector<std::uint8_t>& image, bool high);
// The 16-bit sum over the bytes of one segment of the character codes of their two upper-case
// hexadecimal digits.
std::uint16_t segmentChecksum(const std::vector<std::uint8_t>& image, int segment);
// The message that ends a segment download: "WRXXX|2D", 0x04, 0x00.
std::string segmentEndMessage();

}  // namespace lumo
