#include "service/file_transfer.h"

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

bool fail(const char* text) {
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

// Waits for one acknowledgement byte: up to nine receives.
bool acknowledged(int line) {
    for (int call = 0; call < 9; ++call) {
        std::array<std::uint8_t, 4> byte{};
        int length = 1;
        if (!LineReceive(0, length, line, byte.data(), 1)) return fail("Chyba čtení portu ! ");
        if (length <= 0) continue;
        if (byte[0] == kRecordAcknowledged) return true;
        char text[32];
        std::snprintf(text, sizeof text, "0x%02x '%c'", byte[0], byte[0] >= 0x20 && byte[0] < 0x7f ? byte[0] : '?');
        uiMessage("Odpověď", text, MessageIcon::Information);
        return false;
    }
    return fail("Chyba čtení portu ! ");
}

bool openLine(const TransferRequest& r, const ModuleRecord& module) {
    const ErrorCode opened = LineOpen(r.lineIndex, module.type());
    if (opened == 0) return true;
    setError(opened);
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
    const auto records = static_cast<int>(size < 0 ? 0 : size / static_cast<long long>(layout->recordLength));
    char info[96];
    std::snprintf(info, sizeof info, "Počet záznamů pro zápis: %d \n Délka záznamu: %d ", records,
                  static_cast<int>(layout->recordLength - layout->terminatorLength));
    uiMessage("Informace", info, MessageIcon::Information);
    if (records == 0) return false;

    if (const int counter = counterOfDll(r.subInstruction); counter != 0) {
        uiStatus("probíhá nulování stavu počítadel...");
        Counters zero;
        zero[static_cast<std::size_t>(counter - 1)] = 0;
        const std::uint32_t result = DeviceTransaction(sub::kSetCounters, "SET", r.lineIndex, module.id(), counterDataText(zero, module.type()),
                                                       kModeSelectRelease | kNoAnswer | kNoWaitCursor, {});
        if (isErrorResult(result)) {
            setError(result);
            uiStatus("nulování stavu počítadel se nezdařilo !");
            reportError();
            return false;
        }
    }
    uiStatus("");
    if (!openLine(r, module)) return false;
    ProgressShow("Zápis:");
    ProgressSetRange(records);
    char start[32];
    std::snprintf(start, sizeof start, "&ML_%02d#DLL$%1d+", module.id(), r.subInstruction);
    bool ok = sendPiece(r.lineIndex, start) || fail("Chyba zápisu na port ! ");
    std::uint8_t crc = 0;
    std::vector<std::uint8_t> record(layout->recordLength);
    const std::size_t dataLength = layout->recordLength - layout->terminatorLength;
    for (int n = 0; ok && n < records; ++n) {
        ProgressStep();
        if (!jobContinues()) {
            ok = false;
            break;
        }
        if (file.readAt(static_cast<std::uint64_t>(n) * record.size(), record.data(), record.size()) !=
            static_cast<long long>(record.size())) {
            ok = fail("Chyba čtení do souboru ! ");
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
        ok = acknowledged(r.lineIndex);
    }
    if (ok) platform::pause(300);
    release(r.lineIndex);
    return ok;
}

bool readFile(const TransferRequest& r, const ModuleRecord& module) {
    uiStatus("probíhá načítání stavu počítadel...");
    std::array<std::uint8_t, kCounterAnswerCapacity> answer{};
    const std::uint32_t result =
        DeviceTransaction(sub::kInfCounters, "INF", r.lineIndex, module.id(), "", kModeSelectRelease | kNoWaitCursor, answer);
    const Counters counters = isErrorResult(result) || result <= 6
                                  ? Counters{}
                                  : parseCounters(std::string(answer.begin(), answer.begin() + result));
    if (!counters[0]) {
        uiStatus("načtení stavu počítadel se nezdařilo !");
        if (isErrorResult(result)) {
            setError(result);
            reportError();
        }
        return false;
    }
    const long records = *counters[0];
    // The file is made anew only now: a module that cannot tell its records leaves it as it was.
    platform::File file(r.fileName, platform::File::Mode::CreateTruncate);
    if (!file.isOpen()) return fail("Nelze otevřít soubor ! ");
    uiStatus("");
    if (!openLine(r, module)) return false;
    ProgressShow("Načítání:");
    ProgressSetRange(static_cast<int>(records));
    char start[32];
    std::snprintf(start, sizeof start, "&ML_%02d#RDI$0+", module.id());
    bool ok = sendPiece(r.lineIndex, start) || fail("Chyba zápisu na port ! ");
    std::uint64_t written = 0;
    for (long n = 0; ok && n < records; ++n) {
        ProgressStep();
        if (!jobContinues()) {
            ok = false;
            break;
        }
        std::array<std::uint8_t, kReadRecordLength> bytes{};
        int length = 0;
        for (int call = 0; call < 9 && length == 0 && jobContinues(); ++call) {
            length = static_cast<int>(kReadRecordLength);
            if (!LineReceive(0, length, r.lineIndex, bytes.data(), bytes.size())) {
                ok = fail("Chyba čtení portu ! ");
                break;
            }
        }
        if (!ok || !jobContinues()) {
            ok = false;
            break;
        }
        if (length <= 0) {
            ok = fail("Time Out response !");
            break;
        }
        if (!file.writeAt(written, bytes.data(), static_cast<std::size_t>(length))) {
            ok = fail("Chyba zápisu do souboru ! ");
            break;
        }
        written += static_cast<std::uint64_t>(length);
    }
    release(r.lineIndex);
    return ok;
}

}  // namespace

std::optional<TransferLayout> transferLayout(const std::uint8_t* head, std::size_t count) {
    const std::size_t n = count < kHeadBytes ? count : kHeadBytes;
    for (std::size_t i = 1; i < n; ++i) {
        if (head[i] == '+' || head[i] == '*') return TransferLayout{i + 1, 1};
        if (head[i] == '\n' && head[i - 1] == '\r') return TransferLayout{i + 1, 2};
    }
    return std::nullopt;
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
