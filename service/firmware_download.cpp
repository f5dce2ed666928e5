#include "service/firmware_download.h"

#include <cstdio>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/line_port.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "service/firmware_image.h"
#include "service/jobs.h"
#include "service/service_line.h"

namespace lumo {
namespace {

constexpr const char* kCaption = "Download";
constexpr const char* kDone =
    "Download byl úspěšně dokončen. \n\nPokud zavádíte novější verzi programu je nutno \npro správnou funkci terminál "
    "znovu inicializovat.\n\n";
constexpr const char* kCannotOpen = "Nelze otevřít zdrojový soubor ! ";
constexpr const char* kSendFailed = "Chyba zápisu na port ! ";

void failure(const std::string& text) { uiMessage(kCaption, text, MessageIcon::Error); }

std::string withNumber(const char* pattern, unsigned value) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// The file whole, or false after "Nelze otevřít zdrojový soubor ! ".
bool readImageFile(const std::string& fileName, std::string& bytes) {
    if (platform::readSmallFile(fileName, kMaxDownloadFile + 1, bytes)) return true;
    failure(kCannotOpen);
    return false;
}

// S-record text: "S" and a type digit first, then only hexadecimal digits, 'S' and line ends.
bool looksLikeSRecordText(const std::string& bytes) {
    if (bytes.size() < 2 || bytes[0] != 'S' || bytes[1] < '0' || bytes[1] > '9') return false;
    return bytes.find_first_not_of("0123456789ABCDEFabcdefS\r\n") == std::string::npos;
}

}  // namespace

bool tunnelImage(const std::string& bytes, std::vector<SRecord>& records, std::string& fault) {
    if (bytes.size() > kMaxDownloadFile) {
        fault = "soubor je větší než " + std::to_string(kMaxDownloadFile) + " bajtů";
        return false;
    }
    if (const auto f = readSRecords(bytes, records)) {
        fault = faultText(*f);
        return false;
    }
    return true;
}

std::string downloadImageFault(DeviceTypeCode type, const std::string& fileName) {
    std::string bytes;
    if (!platform::readSmallFile(fileName, kMaxDownloadFile + 1, bytes)) return kCannotOpen;
    std::string fault;
    if (isInList(FlashDownloadTypes, type)) {
        std::vector<SRecord> records;
        if (!tunnelImage(bytes, records, fault)) return fault;
    } else if (const auto f = checkSegmentImage(bytes.size())) {
        return faultText(*f);
    } else if (looksLikeSRecordText(bytes)) {
        // A ".mot" file chosen for an older device would be loaded as memory bytes: text.
        return "soubor je ve formátu S-záznamů, zařízení " + modelName(type) + " zavádí obraz paměti (.bin)";
    }
    return {};
}

bool TunnelDownloadWorker(const DownloadRequest& request) {
    const int line = request.lineIndex | kServiceBit;
    if (!openServiceLine(request.lineIndex, request.type)) return false;
    std::string text, fault;
    std::vector<SRecord> records;
    if (!readImageFile(request.fileName, text)) return false;
    // The file may have changed since the start's check: nothing goes out unchecked.
    if (!tunnelImage(text, records, fault)) {
        failure("Soubor nelze zavést: " + fault);
        return false;
    }
    uiStatus("Erasing flash...");
    int dataRecords = 0;
    for (const SRecord& r : records) dataRecords += r.isData();
    const auto exchange = [&](const TunnelMessage& m, std::uint8_t answer[2]) {
        if (!operationContinues()) return Exchange::Cancelled;
        if (m.channel == 1 && m.bytes.size() == 2 && m.bytes[0] == 0xFF) {
            ProgressShow("Writing flash:");
            ProgressSetRange(dataRecords);
        }
        if (!LineSend(line, m.bytes.data(), static_cast<std::uint32_t>(m.bytes.size()), static_cast<std::uint32_t>(m.channel)))
            return Exchange::SendFailed;
        if (m.channel == 5) return Exchange::Acknowledged;  // the program starts; no answer
        int length = 2;
        if (!LineReceive(0, length, line, answer, 2)) return Exchange::NoAnswer;
        if (m.channel == 2) ProgressStep();
        return length == 2 && answer[0] == 'K' && answer[1] == 'O' ? Exchange::Acknowledged : Exchange::Refused;
    };
    const TunnelOutcome outcome = runTunnelDownload(text, records, exchange);
    const unsigned reason = static_cast<unsigned>(linePort(request.lineIndex).icmpFailure);
    switch (outcome.result) {
        case Exchange::Acknowledged: uiMessage(kCaption, kDone, MessageIcon::Information); break;
        case Exchange::Cancelled: break;
        case Exchange::SendFailed: failure(kSendFailed); break;
        case Exchange::NoAnswer:
            failure(outcome.failedChannel == 4   ? std::string("Chyba čtení portu (1) ! ")
                    : outcome.failedChannel == 2 ? withNumber("Chyba čtení portu (3)%x ! ", reason)
                                                 : withNumber("Chyba čtení portu (2)%x ! ", reason));
            break;
        case Exchange::Refused:
            failure(outcome.failedChannel == 4   ? "Chyba mazání flash ! "
                    : outcome.failedChannel == 2 ? "Chyba zápisu do flash (1)! "
                                                 : "Chyba zápisu do flash ! ");
            break;
    }
    uiStatus("");
    return outcome.result == Exchange::Acknowledged;
}

bool SegmentDownloadWorker(const DownloadRequest& request) {
    const int line = request.lineIndex | kServiceBit;
    if (!openServiceLine(request.lineIndex, request.type)) return false;
    std::string bytes;
    if (!readImageFile(request.fileName, bytes)) return false;
    if (const auto fault = checkSegmentImage(bytes.size())) {
        failure("Soubor nelze zavést: " + faultText(*fault));
        return false;
    }
    const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    const std::size_t size = image.size();
    const bool high = request.high || isInList(HighSegmentTypes, request.type);
    // Waits for the loader's answer (its content is not looked at): up to `reads` reads of 11
    // bytes, until one brings data. 1 data, 0 none, -1 a refusal, -2 cancelled, -3 a failed read.
    const auto awaitAnswer = [&](int reads) {
        std::uint8_t answer[16];
        for (int i = 0; i < reads; ++i) {
            if (!operationContinues()) return -2;
            int length = 11;
            if (!LineReceive(0, length, line, answer, sizeof answer)) return -3;
            if (length < 0) return -1;
            if (length > 0) return 1;
        }
        return 0;
    };
    ProgressShow("Download fs0:");
    ProgressSetRange(size <= 0x4000 ? static_cast<int>(size / 64) : 256);
    for (const SegmentMessage& m : segmentMessages(image, high)) {
        if (m.opensSegment && m.segment > 0) {
            ProgressShow("Download fs" + std::to_string(m.segment) + ":");
            ProgressSetRange(static_cast<int>((size - static_cast<std::size_t>(m.segment) * 0x4000) / 64 + 1));
        }
        if (!LineSend(line, reinterpret_cast<const std::uint8_t*>(m.text.data()), static_cast<std::uint32_t>(m.text.size()), 0)) {
            failure(kSendFailed);
            return false;
        }
        ProgressStep();
        switch (awaitAnswer(9)) {
            case 1: break;
            case -2: return false;
            case -3: failure(withNumber("Chyba čtení portu (4):%d ", request.high ? 1 : 0)); return false;
            default: failure("Time Out response !"); return false;
        }
        if (high) platform::pause(18);
    }
    const std::string end = segmentEndMessage();
    if (!LineSend(line, reinterpret_cast<const std::uint8_t*>(end.data()), static_cast<std::uint32_t>(end.size()), 0)) {
        failure(kSendFailed);
        return false;
    }
    const int ended = awaitAnswer(29);
    if (ended == -2) return false;
    if (ended != 1) {
        // A failed read while waiting for the end counts as no end.
        failure("Not end of comm !");
        return false;
    }
    uiMessage(kCaption, kDone, MessageIcon::Information);
    return true;
}

}  // namespace lumo
