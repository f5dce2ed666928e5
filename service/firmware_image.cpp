#include "service/firmware_image.h"

#include <algorithm>
#include <cstdio>

#include "service/service_text.h"

namespace lumo {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value & 0xFF);
    return text;
}

// One line of an S-record file taken apart; the fault, or none.
std::optional<std::string> readLine(std::string_view line, SRecord& r) {
    if (line.size() > kMaxSRecordLine)
        return "řádek má " + std::to_string(line.size()) + " znaků, zavaděč jich pojme " + std::to_string(kMaxSRecordLine);
    if (line.size() < 2 || line[0] != 'S' || line[1] < '0' || line[1] > '9')
        return "není S-záznam (musí začínat písmenem S a číslicí typu)";
    r.type = line[1];
    for (std::size_t i = 2; i < line.size(); ++i) {
        if (hexDigit(line[i]) < 0) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            const std::string shown = c >= 0x20 && c < 0x7F ? std::string(1, line[i]) : "\\x" + hex2(c);
            return "znak '" + shown + "' ve sloupci " + std::to_string(i + 1) + " není šestnáctková číslice";
        }
    }
    const std::size_t digits = line.size() - 2;
    if (digits < 2) return "chybí počet bajtů";
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 2; i + 1 < line.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexDigit(line[i]) << 4 | hexDigit(line[i + 1])));
    const std::size_t count = bytes[0];
    if (digits % 2 != 0 || count != bytes.size() - 1)
        return "počet bajtů " + hex2(static_cast<unsigned>(count)) + " neodpovídá řádku (následuje " +
               std::to_string(digits / 2 - 1) + " bajtů" + (digits % 2 != 0 ? " a půl" : "") + ")";
    const std::size_t addressBytes = r.type == '2' || r.type == '8' ? 3 : r.type == '3' || r.type == '7' ? 4 : 2;
    if (count < addressBytes + 1) return "počet bajtů " + hex2(static_cast<unsigned>(count)) + " nestačí na adresu";
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
    r.checksum = bytes.back();
    const auto computed = static_cast<std::uint8_t>(~sum);
    if (computed != r.checksum) return "kontrolní součet záznamu " + hex2(r.checksum) + ", vypočteno " + hex2(computed);
    r.address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i) r.address = r.address << 8 | bytes[1 + i];
    r.data.assign(bytes.begin() + 1 + static_cast<long>(addressBytes), bytes.end() - 1);
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> SRecord::sentBytes() const {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        out.push_back(i + 1 < data.size() ? data[i + 1] : checksum);
        out.push_back(data[i]);
    }
    return out;
}

std::string faultText(const ImageFault& fault) {
    return fault.lineNumber > 0 ? "řádek " + std::to_string(fault.lineNumber) + ": " + fault.text : fault.text;
}

namespace {

// Blanks after a record and a DOS end-of-file mark (0x1A) are no part of a record; the loader
// gets only the records' data.
bool isFiller(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

// The DOS end-of-file mark ends the text when only marks, blanks and line ends follow it.
std::string_view withoutEndOfFileMark(std::string_view text) {
    const std::size_t mark = text.find('\x1A');
    if (mark == std::string_view::npos) return text;
    if (text.find_first_not_of(std::string_view(" \t\r\n\x1A"), mark) != std::string_view::npos) return text;
    return text.substr(0, mark);
}

std::string hexAddress(std::uint64_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%04llx", static_cast<unsigned long long>(address));
    return text;
}

std::uint64_t endOf(const SRecord& r) { return std::uint64_t{r.address} + r.data.size(); }

std::vector<const SRecord*> dataRecordsByAddress(const std::vector<SRecord>& records) {
    std::vector<const SRecord*> data;
    for (const SRecord& r : records)
        if (r.isData() && !r.data.empty()) data.push_back(&r);
    std::stable_sort(data.begin(), data.end(), [](const SRecord* a, const SRecord* b) { return a->address < b->address; });
    return data;
}

// Two records that would write one address twice; the loader's flash takes one write.
std::optional<ImageFault> overlapOf(const std::vector<SRecord>& records) {
    const auto data = dataRecordsByAddress(records);
    for (std::size_t i = 1; i < data.size(); ++i) {
        const SRecord& a = *data[i - 1];
        const SRecord& b = *data[i];
        if (b.address < endOf(a)) {
            const int first = std::min(a.lineNumber, b.lineNumber), second = std::max(a.lineNumber, b.lineNumber);
            return ImageFault{0, "záznamy na řádcích " + std::to_string(first) + " a " + std::to_string(second) +
                                     " se překrývají (adresa " + hexAddress(b.address) + ")"};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ImageFault> readSRecords(std::string_view file, std::vector<SRecord>& records) {
    records.clear();
    const std::string_view text = withoutEndOfFileMark(file);
    int number = 0;
    bool anyData = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        ++number;
        std::string_view line = text.substr(at, end - at);
        // CR LF ends one line.
        at = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        while (!line.empty() && isFiller(line.back()) && line.back() != '\x1A') line.remove_suffix(1);
        if (line.empty()) continue;
        SRecord r;
        r.lineNumber = number;
        if (auto fault = readLine(line, r)) return ImageFault{number, *fault};
        anyData |= r.isData() && !r.data.empty();
        records.push_back(std::move(r));
    }
    if (!anyData) return ImageFault{0, "žádný datový záznam (S1, S2, S3): není co zavést"};
    return overlapOf(records);
}

bool recordsFollowOneAnother(const std::vector<SRecord>& records) {
    const SRecord* previous = nullptr;
    for (const SRecord& r : records) {
        if (!r.isData() || r.data.empty()) continue;
        if (r.data.size() % 2 != 0 || (previous && r.address != endOf(*previous))) return false;
        previous = &r;
    }
    return true;
}

std::vector<SRecord> joinedRecords(const std::vector<SRecord>& records) {
    const auto data = dataRecordsByAddress(records);
    std::size_t longest = 0;
    for (const SRecord* r : data) longest = std::max(longest, r->data.size());
    // Messages of an even length: each pair is one word of the loader.
    const std::size_t piece = std::max<std::size_t>(2, longest & ~std::size_t{1});
    std::vector<SRecord> out;
    for (std::size_t i = 0; i < data.size();) {
        // One run: records that touch, in address order.
        SRecord run = *data[i];
        for (++i; i < data.size() && data[i]->address == endOf(run); ++i)
            run.data.insert(run.data.end(), data[i]->data.begin(), data[i]->data.end());
        for (std::size_t at = 0; at < run.data.size(); at += piece) {
            SRecord message;
            message.type = run.type;
            message.address = run.address + static_cast<std::uint32_t>(at);
            message.lineNumber = run.lineNumber;
            const std::size_t n = std::min(piece, run.data.size() - at);
            message.data.assign(run.data.begin() + static_cast<long>(at), run.data.begin() + static_cast<long>(at + n));
            message.checksum = 0xFF;  // a run's odd last byte is completed as erased flash
            out.push_back(std::move(message));
        }
    }
    return out;
}

std::optional<ImageFault> checkSegmentImage(std::size_t size) {
    if (size == 0) return ImageFault{0, "obraz je prázdný"};
    if (size > kMaxSegmentImage)
        return ImageFault{0, "obraz má " + std::to_string(size) + " bajtů, čtyři segmenty zavaděče pojmou " +
                                 std::to_string(kMaxSegmentImage)};
    return std::nullopt;
}

std::vector<std::uint8_t> blockAddressBytes(std::uint32_t a) {
    return {static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a),
            static_cast<std::uint8_t>(a >> 8)};
}

namespace {

TunnelOutcome runOverCharacters(std::string_view text, const std::vector<SRecord>& records,
                                const std::function<Exchange(const TunnelMessage&, std::uint8_t answer[2])>& exchange,
                                const std::function<void(std::size_t)>& progress) {
    TunnelOutcome outcome;
    // The first open repeats the erase message's bytes; later opens the last acknowledgement.
    std::uint8_t buffer[2] = {0xFF, 0x00};
    const auto send = [&](TunnelMessage message) {
        ++outcome.messages;
        std::uint8_t answer[2] = {0, 0};
        outcome.result = exchange(message, answer);
        if (outcome.result != Exchange::Acknowledged) {
            outcome.failedChannel = message.channel;
            return false;
        }
        if (message.channel != 4) std::copy(answer, answer + 2, buffer);
        return true;
    };
    if (!send({4, {0xFF, 0x00}, 0})) return outcome;

    bool openPending = true, ended = false, lineHasCharacters = false;
    std::size_t blockCount = 0, at = 0, recordIndex = 0;
    std::uint32_t blockAddress = 0, blockEnd = 0;  // blockEnd: where the block's data ends
    bool blockOpenEnded = false;  // the block may take no further record (see below)
    // The loader writes a block's data one byte after the other from the block's address: a
    // record that does not continue the block (an address gap, or after a record with an odd
    // count, whose padding byte would shift everything after it) closes the block first.
    const auto closeBlock = [&] {
        blockCount = 0;
        openPending = true;
        blockOpenEnded = false;
        ++outcome.blocks;
        if (!send({3, blockAddressBytes(blockAddress), 0})) return false;
        openPending = false;
        return send({1, {buffer[0], buffer[1]}, 0});
    };
    const auto processLine = [&] {
        if (!lineHasCharacters) return true;
        lineHasCharacters = false;
        const SRecord& r = records.at(recordIndex++);
        if (!r.isData() || r.data.empty()) return true;
        if (blockCount > 0 && (blockOpenEnded || r.address != blockEnd) && !closeBlock()) return false;
        if (blockCount == 0) blockAddress = r.address;
        TunnelMessage data{2, r.sentBytes(), r.lineNumber};
        const std::size_t length = data.bytes.size();
        if (!send(std::move(data))) return false;
        blockCount += length;
        blockEnd = r.address + static_cast<std::uint32_t>(r.data.size());
        blockOpenEnded = r.data.size() % 2 != 0;
        return true;
    };
    for (;;) {
        if (openPending) {
            openPending = false;
            if (!send({1, {buffer[0], buffer[1]}, 0})) return outcome;
        }
        if (blockCount > 112 || ended) {
            blockCount = 0;
            openPending = true;
            ++outcome.blocks;
            if (!send({3, blockAddressBytes(blockAddress), 0})) return outcome;
        }
        if (at >= text.size()) {
            ended = true;
            // A last line without its line end is sent like any other.
            if (!processLine()) return outcome;
            if (blockCount == 0) {
                // The loader starts the program; nothing comes back. A start that was stopped
                // or never sent leaves the device in its loader: not a finished download.
                if (!send({5, {'A'}, 0}) &&
                    (outcome.result == Exchange::Cancelled || outcome.result == Exchange::SendFailed))
                    return outcome;
                outcome.result = Exchange::Acknowledged;
                outcome.failedChannel = 0;
                return outcome;
            }
            continue;
        }
        const char c = text[at++];
        if (progress) progress(at);
        if (c == '\r' || c == '\n') {
            if (!processLine()) return outcome;
        } else if (!isFiller(c)) {
            lineHasCharacters = true;
        }
    }
}

}  // namespace

TunnelOutcome runTunnelDownload(std::string_view text, const std::vector<SRecord>& records,
                                const std::function<Exchange(const TunnelMessage&, std::uint8_t answer[2])>& exchange,
                                const std::function<void(std::size_t)>& progress) {
    if (recordsFollowOneAnother(records)) return runOverCharacters(withoutEndOfFileMark(text), records, exchange, progress);
    // Records out of order, with gaps or of odd lengths: the loader gets the file's bytes as
    // runs in address order, each byte written once at its address. One line per message.
    const std::vector<SRecord> joined = joinedRecords(records);
    std::string lines;
    for (std::size_t i = 0; i < joined.size(); ++i) lines += "S\n";
    const auto scaled = [&](std::size_t at) {
        if (progress) progress(lines.empty() ? text.size() : at * text.size() / lines.size());
    };
    return runOverCharacters(lines, joined, exchange, scaled);
}

std::uint16_t segmentChecksum(const std::vector<std::uint8_t>& image, int segment) {
    static const char digits[] = "0123456789ABCDEF";
    std::uint16_t sum = 0;
    const std::size_t first = static_cast<std::size_t>(segment) * 0x4000;
    const std::size_t end = std::min(image.size(), first + 0x4000);
    for (std::size_t i = first; i < end; ++i)
        sum = static_cast<std::uint16_t>(sum + digits[image[i] >> 4] + digits[image[i] & 0x0F]);
    return sum;
}

std::vector<SegmentMessage> segmentMessages(const std::vector<std::uint8_t>& image, bool high) {
    std::vector<SegmentMessage> messages;
    const std::size_t size = image.size();
    const std::size_t blockLength = size < 64 ? size : 64;
    std::size_t offset = 0;
    int state = 0;
    int carried = -1;  // a segment whose checksum goes with the next block (see below)
    char field[32];
    while (blockLength > 0) {
        if (offset >= size) {
            // The odd pass of fs0 (or fs2) can run past the end of the image before it reached
            // the next segment: an image that ends within 64 bytes after 0x4000 (or 0xC000) would
            // lose that segment's only block. Its even pass follows, its first block carrying the
            // checksum.
            if (state == 1 && size > 0x4000) {
                state = 3, offset = 0x4000, carried = 1;
                continue;
            }
            if (state == 5 && size > 0xC000) {
                state = 7, offset = 0xC000, carried = 3;
                continue;
            }
            break;
        }
        const std::size_t n = std::min(blockLength, size - offset);
        SegmentMessage m;
        m.offset = offset;
        m.length = n;
        m.segment = static_cast<int>(offset / 0x4000);
        if (offset < 0x8000) std::snprintf(field, sizeof field, "WRfs%1d|F|0yyyyy00|", offset < 0x4000 ? 0 : 1);
        else std::snprintf(field, sizeof field, "WRfs%1d|F|yyyyyy01|", offset < 0xC000 ? 2 : 3);
        std::string text = field;
        // The first block sent of each segment carries the segment's checksum.
        int checksummed = carried;
        carried = -1;
        if (checksummed >= 0) {
        } else if (offset == 0 && state == 0) checksummed = 0;
        else if (state == 1 && offset > 0x3FFF) checksummed = 1, state = 2;
        else if (state == 3 && offset >= 0x8000) checksummed = 2, state = 4;
        else if (state == 5 && offset > 0xBFFF) checksummed = 3, state = 6;
        if (checksummed >= 0) {
            std::snprintf(field, sizeof field, "%04x|", segmentChecksum(image, checksummed));
            text += field;
            m.opensSegment = true;
        }
        const std::size_t address = offset < 0x8000 && high ? offset + 0x8000 : offset;
        std::snprintf(field, sizeof field, "%04x|", static_cast<unsigned>(address));
        text += field;
        for (std::size_t i = 0; i < n; ++i) {
            std::snprintf(field, sizeof field, "%02X", image[offset + i]);
            text += field;
        }
        text += '|';
        m.text = closedMessage(std::move(text));
        messages.push_back(std::move(m));
        // Every pass sends every second block; the passes run fs0 even, fs0 and fs1 odd, fs1 and
        // fs2 even, fs2 and fs3 odd, fs3 even.
        std::size_t next = offset + n + blockLength;
        if (state == 0 && (next >= 0x4000 || next >= size)) state = 1, next = blockLength;
        else if (state == 2 && (next >= 0x8000 || next >= size)) state = 3, next = 0x4000;
        else if (state == 4 && (next >= 0xC000 || next >= size)) state = 5, next = 0x8000 + blockLength;
        else if (state == 6 && next >= size) state = 7, next = 0xC000;
        offset = next;
    }
    return messages;
}

std::string segmentEndMessage() { return std::string("WRXXX|2D\x04", 9) + '\0'; }

}  // namespace lumo
