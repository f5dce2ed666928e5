#include "service/memory_transfer.h"

#include <cstdio>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_lease.h"
#include "comm/line_port.h"
#include "platform/file_io.h"
#include "service/jobs.h"
#include "service/service_line.h"
#include "service/service_text.h"

namespace lumo {
namespace {

constexpr const char* kCaption = "Upload";

void failure(const std::string& text, const char* caption = kCaption) { uiMessage(caption, text, MessageIcon::Error); }

std::string hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x|", value);
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Waits for an answer: up to 9 reads, stopping at the first that brings data. Its length; 0 none;
// -1 the user stopped the job; -2 a failed read.
int awaitAnswer(int line, std::uint8_t* buffer, std::size_t capacity, int expected) {
    for (int i = 0; i < 9; ++i) {
        if (!operationContinues()) return -1;
        int length = expected;
        if (!LineReceive(0, length, line, buffer, capacity)) return -2;
        if (length > 0) return length;
    }
    return 0;
}

}  // namespace

const std::array<MemorySegment, kMemorySegments>& memorySegments() {
    static const std::array<MemorySegment, kMemorySegments> table = {{
        {"ex_ram", 0xC00, 0xF3FF, "UPL|yyyyyyyy|", "WRM|V|yyyyyyyy|"},
        {"ex_ram1", 0xC00, 0xF3FF, "UPL|9yyyyyyy|", "WRM|V|9yyyyyyy|"},
        {"sram", 0x400, 0x7FF, "UPL|yyyyyyyy|", "WRM|V|yyyyyyyy|"},
        {"csiop", 0x200, 0xFF, "UPL|yyyyyyyy|", "WRM|V|yyyyyyyy|"},
        {"fs0", 0x8000, 0xF3FF, "UPL|yyyyyy00|", "WRM|F|yyyyyy00|"},
        {"fs1", 0xC000, 0xF3FF, "UPL|yyyyyy00|", "WRM|F|yyyyyy00|"},
        {"fs2", 0x8000, 0xF3FF, "UPL|yyyyyy01|", "WRM|F|yyyyyy01|"},
        {"fs3", 0xC000, 0xF3FF, "UPL|yyyyyy01|", "WRM|F|yyyyyy01|"},
        {"fs4", 0x8000, 0xF3FF, "UPL|yyyyyy10|", "WRM|F|yyyyyy10|"},
        {"fs5", 0xC000, 0xF3FF, "UPL|yyyyyy10|", "WRM|F|yyyyyy10|"},
        {"fs6", 0x8000, 0xF3FF, "UPL|yyyyyy11|", "WRM|F|yyyyyy11|"},
        {"fs7", 0xC000, 0xF3FF, "UPL|yyyyyy11|", "WRM|F|yyyyyy11|"},
    }};
    return table;
}

int memorySegmentIndex(const std::string& name) {
    for (int i = 0; i < kMemorySegments; ++i) {
        if (name == memorySegments()[static_cast<std::size_t>(i)].name) return i;
    }
    return -1;
}

std::string uploadRequest(int segment, std::uint32_t start, std::uint32_t size) {
    const std::string head =
        segment >= 0 && segment < kMemorySegments ? memorySegments()[static_cast<std::size_t>(segment)].uploadHead : "";
    return closedMessage(head + hex4(start) + hex4(size));
}

std::string uploadNextRequest() { return closedMessage("UPL|0||"); }

std::optional<std::vector<std::uint8_t>> uploadAnswerData(std::string_view a) {
    if (a.size() < 22) return std::nullopt;
    const std::size_t checkAt = a.size() - 3;
    if (checkCharacters(a.substr(0, checkAt)) != a.substr(checkAt, 2)) return std::nullopt;
    // The data runs from the 19th character to the '|' right before the check characters.
    if (a.find('|', 18) != checkAt - 1) return std::nullopt;
    const std::string_view digits = a.substr(18, checkAt - 1 - 18);
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]), low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        data.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return data;
}

std::string memoryWriteMessage(int segment, std::uint32_t start, const std::vector<std::uint8_t>& data) {
    std::string text =
        (segment >= 0 && segment < kMemorySegments ? memorySegments()[static_cast<std::size_t>(segment)].writeHead : "") +
        hex4(start);
    char pair[4];
    for (std::uint8_t b : data) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return closedMessage(text + "|");
}

bool UploadWorker(const MemoryRequest& r, bool asJob) {
    const int line = r.lineIndex | kServiceBit;
    if (!openServiceLine(r.lineIndex, r.type)) {
        LineClose(r.lineIndex);
        return false;
    }
    // The bytes go beside the target first: a failed or stopped upload leaves no file that
    // looks complete.
    const std::string partial = r.fileName + ".part";
    platform::File file(partial, platform::File::Mode::CreateTruncate);
    bool done = false;
    const auto end = [&] {
        if (file.isOpen()) file.close();
        if (!done) platform::removeFile(partial);
        LineClose(r.lineIndex);
        ProgressHide();
        return done;
    };
    if (!file.isOpen()) {
        failure("Nelze otevřít cílový soubor ! ");
        return end();
    }
    ProgressShow("Uploading:");
    ProgressSetRange(static_cast<int>(r.size / kUploadChunk + 1));
    std::uint32_t expected = r.size, written = 0;
    std::uint8_t answer[512];
    for (bool first = true; expected > 0; first = false) {
        const std::string request = first ? uploadRequest(r.segment, r.start, r.size) : uploadNextRequest();
        if (!LineSend(line, reinterpret_cast<const std::uint8_t*>(request.data()), static_cast<std::uint32_t>(request.size()), 0)) {
            failure("Chyba zápisu na port ! ");
            return end();
        }
        ProgressStep();
        const std::uint32_t n = expected < kUploadChunk ? expected : kUploadChunk;
        const int length = awaitAnswer(line, answer, sizeof answer, uploadAnswerLength(n));
        if (length == -1) return end();
        if (length == -2) {
            failure("Chyba čtení portu (5) ! ");
            return end();
        }
        if (length == 0) {
            failure("Time Out response !");
            return end();
        }
        const auto data = uploadAnswerData(std::string_view(reinterpret_cast<const char*>(answer), static_cast<std::size_t>(length)));
        if (!data) {
            failure("Chyba komunikace (CRC) !");
            return end();
        }
        // An answer without data, or with more than was asked, would leave the count of
        // bytes still expected wrong: the upload ends there.
        if (data->empty() || data->size() > expected) {
            failure("Chyba komunikace: zařízení poslalo " + std::to_string(data->size()) + " bajtů, očekáváno " +
                    std::to_string(n) + " ! ");
            return end();
        }
        if (!file.writeAt(written, data->data(), data->size())) {
            failure("Chyba zápisu do souboru ! ");
            return end();
        }
        written += static_cast<std::uint32_t>(data->size());
        expected -= static_cast<std::uint32_t>(data->size());
    }
    if (!file.close() || !platform::renameFile(partial, r.fileName)) {
        failure("Chyba zápisu do souboru ! ");
        return end();
    }
    done = true;
    if (asJob) uiMessage(kCaption, "Upload complete...", MessageIcon::Information);
    return end();
}

bool MemoryWrite(const MemoryRequest& r) {
    const int line = r.lineIndex | kServiceBit;
    const auto end = [&](bool done) {
        LineClose(r.lineIndex);
        ProgressHide();
        return done;
    };
    if (!openServiceLine(r.lineIndex, r.type)) return end(false);
    platform::File file(r.fileName, platform::File::Mode::Read);
    if (!file.isOpen()) {
        failure("Nelze otevřít cílový soubor ! ");
        return end(false);
    }
    std::vector<std::uint8_t> data(r.size);
    const long long got = file.readAt(0, data.data(), data.size());
    if (got < 0) {
        failure("Chyba čtení souboru ! ", "Download");
        return end(false);
    }
    // A file shorter than the range would write bytes that are not in it: nothing is sent.
    if (static_cast<std::uint64_t>(got) < r.size) {
        failure("Soubor " + r.fileName + " je kratší (" + std::to_string(got) + " B), než kolik se má zapsat (" +
                std::to_string(r.size) + " B). Do zařízení nebylo nic zapsáno. ");
        return end(false);
    }
    ProgressShow("Uploading:");
    ProgressSetRange(static_cast<int>(r.size / kUploadChunk + 1));
    const std::string message = memoryWriteMessage(r.segment, r.start, data);
    if (!LineSend(line, reinterpret_cast<const std::uint8_t*>(message.data()), static_cast<std::uint32_t>(message.size()), 0)) {
        failure("Chyba zápisu na port ! ");
        return end(false);
    }
    ProgressStep();
    std::uint8_t answer[256];
    switch (awaitAnswer(line, answer, sizeof answer, 0)) {
        case -1: return end(false);
        case -2: failure("Chyba čtení portu (6) ! "); return end(false);
        case 0: failure("Time Out response !"); return end(false);
        default: return end(true);
    }
}

}  // namespace lumo
