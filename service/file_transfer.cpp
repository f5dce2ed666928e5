#include "service/file_transfer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/crc8.h"
#include "comm/line_port.h"
#include "comm/transaction.h"
#include "device/counters.h"
#include "model/installation.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "service/jobs.h"

namespace lumo {
namespace {

constexpr std::size_t kHeadBytes = 200;
// The whole file is checked in blocks of about this size before anything is sent.
constexpr std::size_t kCheckBlock = 64 * 1024;
// The end's list of acknowledgements that were not 'K' names at most this many records.
constexpr std::size_t kListedAcknowledgements = 20;

bool fail(const std::string& text) {
    uiMessage("Přenos dat", text, MessageIcon::Error);
    return false;
}

bool sendPiece(int line, const std::string& text) {
    return LineSend(line, reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::uint32_t>(text.size()), 0);
}

// The end once the line was opened: the release, tried again a few times after a failure.
void release(int line) {
    for (int attempt = 0; attempt < kReleaseAttempts; ++attempt) {
        if (sendPiece(line, "&ML_END")) return;
        uiMessage("Přenos dat", "Chyba zápisu na port ! ", MessageIcon::Error);
    }
}

std::string byteText(std::uint8_t byte) {
    char text[8];
    if (byte >= 0x20 && byte < 0x7f) std::snprintf(text, sizeof text, "'%c'", byte);
    else std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// Waits for the acknowledgement of record `number`: up to nine receives of one byte. Whatever
// byte comes goes to the status bar, and one that is not 'K' to `others`; the transfer goes on
// after either. False when nothing came, the line failed (both shown) or the job was stopped.
bool acknowledged(int line, long number, std::vector<std::string>& others) {
    for (int call = 0; call < 9; ++call) {
        if (!jobContinues()) return false;
        std::array<std::uint8_t, 4> byte{};
        int length = 1;
        if (!LineReceive(0, length, line, byte.data(), 1)) return fail("Chyba čtení portu ! ");
        if (length <= 0) continue;
        const std::string answer = "záznam " + std::to_string(number) + ": " + byteText(byte[0]);
        uiStatus("Odpověď, " + answer);
        if (byte[0] != kRecordAcknowledged) others.push_back(answer);
        return true;
    }
    return jobContinues() && fail("Chyba čtení portu ! ");
}

// The acknowledgements that were not 'K', in one box at the end rather than one per record.
void listOtherAcknowledgements(const std::vector<std::string>& others) {
    if (others.empty()) return;
    std::string text = "Modul nepotvrdil znakem 'K' tyto záznamy:";
    for (std::size_t i = 0; i < others.size() && i < kListedAcknowledgements; ++i) text += "\n" + others[i];
    if (others.size() > kListedAcknowledgements)
        text += "\n... a dalších " + std::to_string(others.size() - kListedAcknowledgements);
    uiMessage("Odpověď", text, MessageIcon::Warning);
}

bool openLine(const TransferRequest& r, const ModuleRecord& module) {
    const ErrorCode opened = LineOpen(r.lineIndex, module.type());
    if (opened == 0) return true;
    setError(opened);
    reportError();
    return false;
}

// Every record of the file checked before the line is opened; false (after the message that
// refuses the file) when one may not go.
bool wholeFileFits(platform::File& file, long long size, const TransferLayout& layout) {
    const std::size_t length = layout.recordLength;
    std::vector<std::uint8_t> block(std::max<std::size_t>(1, kCheckBlock / length) * length);
    long number = 1;
    for (long long at = 0; at < size;) {
        const long long got = file.readAt(static_cast<std::uint64_t>(at), block.data(), block.size());
        if (got <= 0) return fail("Chyba čtení souboru ! ");
        for (std::size_t offset = 0; offset < static_cast<std::size_t>(got); offset += length, ++number) {
            const std::size_t count = std::min(length, static_cast<std::size_t>(got) - offset);
            const std::string fault = recordFault(block.data() + offset, count, layout, number);
            if (!fault.empty()) return fail("Soubor nelze odeslat: " + fault);
        }
        at += got;
    }
    return true;
}

bool zeroCounter(const TransferRequest& r, const ModuleRecord& module) {
    const int counter = counterOfDll(r.subInstruction);
    if (counter == 0) return true;
    uiStatus("probíhá nulování stavu počítadel...");
    Counters zero;
    zero[static_cast<std::size_t>(counter - 1)] = 0;
    const std::uint32_t result = DeviceTransaction(sub::kSetCounters, "SET", r.lineIndex, module.id(), counterDataText(zero, module.type()),
                                                   kModeSelectRelease | kNoAnswer | kNoWaitCursor, {});
    if (!isErrorResult(result)) return true;
    setError(result);
    uiStatus("nulování stavu počítadel se nezdařilo !");
    reportError();
    return false;
}

bool sendFile(const TransferRequest& r, const ModuleRecord& module, platform::File& file) {
    uiStatus("Čtení zdrojového souboru.");
    std::array<std::uint8_t, kHeadBytes> head{};
    const long long got = file.readAt(0, head.data(), head.size());
    if (got < 0) return fail("Chyba čtení souboru ! ");
    const auto layout = transferLayout(head.data(), static_cast<std::size_t>(got));
    if (!layout) {
        uiStatus("chybný formát souboru !");
        return false;
    }
    const long long size = file.size();
    if (size < 0) return fail("Chyba čtení souboru ! ");
    if (!wholeFileFits(file, size, *layout)) return false;
    const long records = static_cast<long>(size / static_cast<long long>(layout->recordLength));
    char info[96];
    std::snprintf(info, sizeof info, "Počet záznamů pro zápis: %ld \n Délka záznamu: %d ", records,
                  static_cast<int>(layout->recordLength - layout->terminatorLength));
    uiMessage("Informace", info, MessageIcon::Information);
    if (records == 0 || !zeroCounter(r, module)) return false;
    uiStatus("");
    if (!openLine(r, module)) return false;
    ProgressShow("Zápis:");
    ProgressSetRange(static_cast<int>(records));
    char start[32];
    std::snprintf(start, sizeof start, "&ML_%02d#DLL$%1d+", module.id(), r.subInstruction);
    bool ok = sendPiece(r.lineIndex, start) || fail("Chyba zápisu na port ! ");
    std::uint8_t crc = 0;
    std::vector<std::uint8_t> record(layout->recordLength);
    const std::size_t dataLength = layout->recordLength - layout->terminatorLength;
    std::vector<std::string> others;
    for (long n = 0; ok && n < records; ++n) {
        ProgressStep();
        if (!jobContinues()) {
            ok = false;
            break;
        }
        const long long read = file.readAt(static_cast<std::uint64_t>(n) * record.size(), record.data(), record.size());
        if (read < 0) {
            ok = fail("Chyba čtení do souboru ! ");
            break;
        }
        // The file may have changed since it was checked: nothing goes out unchecked.
        if (const std::string fault = recordFault(record.data(), static_cast<std::size_t>(read), *layout, n + 1); !fault.empty()) {
            ok = fail("Soubor nelze odeslat: " + fault);
            break;
        }
        std::vector<std::uint8_t> piece(record.begin(), record.begin() + static_cast<long>(dataLength));
        crc = crc8(piece.data(), piece.size(), crc);
        if (n + 1 < records) {
            piece.push_back('+');
            crc = Crc8Update('+', crc);
        } else {
            piece.push_back('*');
            piece.push_back(crc);
        }
        if (!LineSend(r.lineIndex, piece.data(), static_cast<std::uint32_t>(piece.size()), 0)) {
            ok = fail("Chyba zápisu na port ! ");
            break;
        }
        ok = acknowledged(r.lineIndex, n + 1, others);
    }
    if (ok) platform::pause(300);
    release(r.lineIndex);
    if (jobContinues()) listOtherAcknowledgements(others);
    return ok && others.empty();
}

// What a failed read adds to its message: where the records that came are, and that the target
// was not touched.
std::string keptNote(const std::string& target, long recordsRead) {
    std::string note;
    if (recordsRead > 0)
        note += "\nNačtené záznamy (" + std::to_string(recordsRead) + ") jsou v souboru " + partFileName(target) + ".";
    if (platform::fileExists(target)) note += "\nSoubor " + target + " zůstal beze změny.";
    return note;
}

// The module's record count (C1 of INF 7); none after a failure (its status text shown).
std::optional<long> recordCount(const TransferRequest& r, const ModuleRecord& module) {
    uiStatus("probíhá načítání stavu počítadel...");
    std::array<std::uint8_t, kCounterAnswerCapacity> answer{};
    const std::uint32_t result =
        DeviceTransaction(sub::kInfCounters, "INF", r.lineIndex, module.id(), "", kModeSelectRelease | kNoWaitCursor, answer);
    if (!jobContinues()) return std::nullopt;
    const Counters counters = isErrorResult(result) || result <= 6
                                  ? Counters{}
                                  : parseCounters(std::string(answer.begin(), answer.begin() + result));
    if (counters[0]) return counters[0];
    uiStatus("načtení stavu počítadel se nezdařilo !");
    if (isErrorResult(result)) {
        setError(result);
        reportError();
    }
    return std::nullopt;
}

enum class Received { Record, Silent, Failed, Stopped };

// Receives one record: up to nine receives, until one brings bytes (`length`).
Received receiveRecord(int line, std::array<std::uint8_t, kReadRecordLength>& bytes, int& length) {
    for (int call = 0; call < 9; ++call) {
        if (!jobContinues()) return Received::Stopped;
        length = static_cast<int>(kReadRecordLength);
        if (!LineReceive(0, length, line, bytes.data(), bytes.size())) return Received::Failed;
        if (length > 0) return Received::Record;
    }
    return jobContinues() ? Received::Silent : Received::Stopped;
}

bool readFile(const TransferRequest& r, const ModuleRecord& module) {
    const std::optional<long> records = recordCount(r, module);
    if (!records) return false;
    const std::string part = partFileName(r.fileName);
    platform::File file(part, platform::File::Mode::CreateTruncate);
    if (!file.isOpen()) return fail("Nelze otevřít soubor ! ");
    uiStatus("");
    if (!openLine(r, module)) return false;
    ProgressShow("Načítání:");
    ProgressSetRange(static_cast<int>(*records));
    char start[32];
    std::snprintf(start, sizeof start, "&ML_%02d#RDI$0+", module.id());
    long n = 0;
    const auto failed = [&](const char* text) { return fail(text + keptNote(r.fileName, n)); };
    bool ok = sendPiece(r.lineIndex, start) || failed("Chyba zápisu na port ! ");
    std::uint64_t written = 0;
    for (; ok && n < *records; ++n) {
        ProgressStep();
        std::array<std::uint8_t, kReadRecordLength> bytes{};
        int length = 0;
        switch (receiveRecord(r.lineIndex, bytes, length)) {
            case Received::Record: break;
            case Received::Silent: ok = failed("Time Out response !"); break;
            case Received::Failed: ok = failed("Chyba čtení portu ! "); break;
            case Received::Stopped: ok = false; break;
        }
        if (!ok) break;
        if (!file.writeAt(written, bytes.data(), static_cast<std::size_t>(length))) {
            ok = failed("Chyba zápisu do souboru ! ");
            break;
        }
        written += static_cast<std::uint64_t>(length);
    }
    release(r.lineIndex);
    if (ok && (!file.close() || !platform::renameFile(part, r.fileName))) ok = failed("Chyba zápisu do souboru ! ");
    if (!ok && written == 0) {
        file.close();
        platform::removeFile(part);  // nothing came: no empty part is left behind
    }
    return ok;
}

bool isTerminator(std::uint8_t byte) { return byte == '+' || byte == '*'; }

}  // namespace

std::optional<TransferLayout> transferLayout(const std::uint8_t* head, std::size_t count) {
    const std::size_t n = count < kHeadBytes ? count : kHeadBytes;
    for (std::size_t i = 1; i < n; ++i) {
        if (isTerminator(head[i])) return TransferLayout{i + 1, 1};
        if (head[i] == '\n' && head[i - 1] == '\r') return TransferLayout{i + 1, 2};
    }
    return std::nullopt;
}

std::string recordFault(const std::uint8_t* record, std::size_t count, const TransferLayout& layout, long number) {
    const std::string name = "záznam " + std::to_string(number) + ": ";
    const std::size_t length = layout.recordLength;
    const std::size_t dataLength = length - layout.terminatorLength;
    for (std::size_t i = 0; i < count; ++i) {
        if (record[i] == 0) return name + std::to_string(i + 1) + ". znak je nulový bajt";
    }
    // A terminator inside the data would end the record early on the wire as well.
    for (std::size_t i = 0; i < count && i < dataLength; ++i) {
        const bool lineEnd = i > 0 && record[i] == '\n' && record[i - 1] == '\r';
        if (isTerminator(record[i]) || lineEnd)
            return name + "končí už " + std::to_string(i + 1) + ". znakem (" +
                   (lineEnd ? std::string("CR+LF") : "'" + std::string(1, static_cast<char>(record[i])) + "'") +
                   "), první záznam má " + std::to_string(length) + " znaků";
    }
    if (count < length)
        return name + "má jen " + std::to_string(count) + " z " + std::to_string(length) + " znaků, chybí mu konec";
    const bool ends = layout.terminatorLength == 1 ? isTerminator(record[length - 1])
                                                   : record[length - 2] == '\r' && record[length - 1] == '\n';
    if (ends) return "";
    return name + "nekončí " + (layout.terminatorLength == 1 ? "znakem '+' nebo '*'" : "znaky CR+LF") + " po " +
           std::to_string(length) + " znacích jako první záznam";
}

std::optional<int> dllSubInstruction(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const unsigned long long value = std::stoull(text, nullptr, 16);
    if (value > 9) return std::nullopt;
    return static_cast<int>(value);
}

int counterOfDll(int subInstruction) {
    switch (subInstruction) {
        case 0: return 4;
        case 1: return 2;
        case 3: return 3;
        case 5: return 1;
        default: return 0;
    }
}

bool runFileTransfer(const TransferRequest& r) {
    // Every wait on the line asks for the stop, a silent module's as well.
    const LineWaitCheck stoppable(jobContinues);
    ModuleRecord module;
    if (!readModuleRecord(r.lineIndex, r.moduleNumber, module)) {
        reportError();
        return false;
    }
    if (r.direction == TransferDirection::Read) return readFile(r, module);
    platform::File file(r.fileName, platform::File::Mode::Read);
    if (!file.isOpen()) return fail("Nelze otevřít soubor ! ");
    return sendFile(r, module, file);
}

}  // namespace lumo
