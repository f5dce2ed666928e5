#include "device/module_parameters.h"

#include <array>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/error_report.h"
#include "base/ui_port.h"
#include "comm/transaction.h"
#include "device/device_check.h"
#include "device/item_state.h"
#include "model/device_catalog.h"

namespace lumo {
namespace {

using models::kLoq3, models::kLoq4, models::kMn600, models::kTq300, models::kTq300Tcp, models::kZb20, models::kZb40;

// The checksummed text of an answer: up to its first '*'.
std::string_view answerText(std::string_view answer) { return answer.substr(0, answer.find('*')); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks before a number are passed over, as the C library's number reading does.
std::size_t pastBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    return at;
}

// The decimal integer at `at`, as the device writes it: blanks, an optional sign and digits; 0
// when none stand there. Long digit runs saturate instead of overflowing.
long decimalAt(std::string_view text, std::size_t at) {
    at = pastBlanks(text, at);
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long value = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) value = value < 100000000L ? value * 10 + (text[at] - '0') : value;
    return negative ? -value : value;
}

// The number after the first occurrence of `code`, when the code occurs.
bool codeValue(std::string_view text, std::string_view code, long& value) {
    const auto at = text.find(code);
    if (at == std::string_view::npos) return false;
    value = decimalAt(text, at + code.size());
    return true;
}

// "1.23" read as hundredths: 123. The decimal text itself is rounded, half up ("1.205" is 121):
// a binary fraction would make it 120.
std::int32_t hundredthsAt(std::string_view text, std::size_t at) {
    at = pastBlanks(text, at);
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    // A version no firmware has (ten digits and more) stays within the field.
    constexpr std::int64_t kMost = 2147483647;
    std::int64_t whole = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) whole = std::min<std::int64_t>(whole * 10 + (text[at] - '0'), kMost);
    int fraction = 0, roundUp = 0, places = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && isDigit(text[at]); ++at, ++places) {
            if (places < 2) fraction = fraction * 10 + (text[at] - '0');
            else if (places == 2) roundUp = text[at] >= '5' ? 1 : 0;
        }
    }
    if (places == 1) fraction *= 10;  // one digit after the point is tenths
    const std::int64_t hundredths = std::min(whole * 100 + fraction + roundUp, kMost);
    return static_cast<std::int32_t>(negative ? -hundredths : hundredths);
}

std::string printed(const char* pattern, long a) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a);
    return text;
}

}  // namespace

ParameterFamily parameterFamily(DeviceTypeCode type) {
    switch (type) {
        case kTq300Tcp:
        case kTq300:
        case kMn600: return ParameterFamily::Tq300;
        case kLoq3: return ParameterFamily::Loq3;
        case kZb40: return ParameterFamily::Zb40;
        case kZb20: return ParameterFamily::Zb20;
        default: return ParameterFamily::None;
    }
}

std::uint8_t featureLevelOf(DeviceTypeCode type, std::int32_t v) {
    switch (type) {
        case kTq300Tcp:
        case kTq300: return v >= 130 ? 4 : v >= 124 ? 3 : v >= 123 ? 2 : v >= 121 ? 1 : 0;
        case kLoq3:
        case kLoq4: return v >= 226 ? 3 : v >= 224 ? 2 : v >= 222 ? 1 : 0;
        case kZb40: return v >= 133 ? 1 : 0;
        case kZb20: return 1;
        case kMn600: return 9;
        default: return 0;
    }
}

void takeCalAnswer(ModuleRecord& record, std::string_view answer) {
    const std::string_view text = answerText(answer);
    record.setRawText(18, 13, text.size() > 1 ? text.substr(1, 12) : std::string_view{});
}

void takeDisplayTextAnswer(ModuleRecord& record, std::string_view answer) {
    const std::string_view text = answerText(answer);
    record.setRawText(41, 17, text.size() > 1 ? text.substr(1, 16) : std::string_view{});
}

void takeVersionAnswer(ModuleRecord& record, std::string_view answer) {
    const std::string_view text = answerText(answer);
    const auto v = text.find('V');
    record.setFirmwareVersion(v == std::string_view::npos ? 0 : hundredthsAt(text, v + 1));
    // Without a version nothing is known of the firmware: level 0, whatever the type.
    record.setFeatureLevel(v == std::string_view::npos ? 0 : featureLevelOf(record.type(), record.firmwareVersion()));
    long c = 0;
    if (codeValue(text, "C", c)) {
        record.setDeviceFlags(static_cast<std::uint8_t>(c));
        record.setIdMediumType(static_cast<std::uint8_t>((c >> 6) & 0x03));
    } else {
        record.setDeviceFlags(0);
    }
}

void takeParameterAnswer(ModuleRecord& record, std::string_view answer) {
    const std::string_view text = answerText(answer);
    long value = 0;
    for (int n = 1; n <= 4; ++n) {
        if (codeValue(text, "P" + std::to_string(n), value))
            record.setU8(57 + static_cast<std::size_t>(n), static_cast<std::uint8_t>(value));
    }
    if (record.type() == kZb40) {
        // A ZB40 names its subsystem-2 bytes P5 and P6; they take the places of P1 and P4.
        if (codeValue(text, "P6", value)) record.setParamP4(static_cast<std::uint8_t>(value));
        if (codeValue(text, "P5", value)) record.setParamP1(static_cast<std::uint8_t>(value));
    }
    std::uint8_t switches = record.switchBits();
    for (int n = 1; n <= 8; ++n) {
        const auto at = text.find("B" + std::to_string(n));
        if (at == std::string_view::npos) continue;
        const bool on = at + 2 < text.size() && text[at + 2] == 'O';
        switches = static_cast<std::uint8_t>(on ? switches | 1u << (n - 1) : switches & ~(1u << (n - 1)));
    }
    record.setSwitchBits(switches);
    for (int n = 1; n <= 4; ++n) {
        if (codeValue(text, "D" + std::to_string(n), value)) record.setRelayDelay(n, static_cast<std::uint8_t>(value));
    }
}

std::string switchCommandText(std::uint8_t switchBits, int first, int last) {
    std::string text;
    for (int n = first; n <= last; ++n) {
        if (!text.empty()) text += '+';
        text += "B" + std::to_string(n) + ((switchBits >> (n - 1) & 1) ? "O" : "F");
    }
    return text;
}

std::vector<ParameterCommand> parameterCommands(const ModuleRecord& r) {
    const int level = r.featureLevel();
    const auto interval = [&r] {
        char text[32];
        std::snprintf(text, sizeof text, "S%02d%02d%02d%02d", r.intervalFrom().hour, r.intervalFrom().minute,
                      r.intervalTo().hour, r.intervalTo().minute);
        return std::string(text);
    };
    std::vector<ParameterCommand> commands;
    switch (parameterFamily(r.type())) {
        case ParameterFamily::Tq300: {
            // Always sent: an empty text goes as the instruction alone and clears the display's.
            commands.push_back({"CFG", sub::kCfgDisplayText, std::string(r.rawText(41, 17))});
            std::string relays = level >= 1 ? printed("P1%02ld+", r.paramP1()) + printed("P2%02ld+", r.paramP2()) : "";
            relays += printed("P3%02ld+", r.paramP3()) + printed("D1%02ld+", r.relayDelay(1)) +
                      printed("D2%02ld", r.relayDelay(2));
            commands.push_back({"CFG", sub::kCfgParameters, relays});
            if (level >= 1) {
                commands.push_back({"SET", sub::kSetDeviceFlags, printed("C%03ld", r.deviceFlags())});
                commands.push_back({"CFG", sub::kCfgDoor, printed("A%02ld+", r.doorTime()) + printed("B%02ld+", r.reader1Operation()) +
                                                  printed("C%02ld", r.reader2Operation())});
                commands.push_back({"CFG", sub::kCfgInterval, interval() + (level >= 2 ? printed("R%03ld", r.holdOpenBits()) : "")});
            }
            commands.push_back({"CFG", sub::kCfgParameters, switchCommandText(r.switchBits(), 1, 4)});
            break;
        }
        case ParameterFamily::Loq3: {
            std::string relays = level >= 1 ? printed("P2%02ld+", r.paramP2()) : "";
            relays += printed("P3%02ld+", r.paramP3()) + printed("D1%02ld", r.relayDelay(1));
            commands.push_back({"CFG", sub::kCfgParameters, relays});
            if (level >= 1) {
                commands.push_back({"CFG", sub::kCfgDoor, printed("A%02ld", r.doorTime())});
                commands.push_back({"CFG", sub::kCfgDoor, printed("B%02ld+", r.reader1Operation()) + printed("C%02ld", r.reader2Operation())});
                std::string hold = interval();
                if (level >= 2) hold += printed("R%03ld", r.holdOpenBits() & 0x01);
                // The days: bit 7 marks the group, Sunday to Saturday in bits 0-6.
                if (level >= 3) hold += printed("W%03ld", 128 + (r.holdOpenBits() >> 1));
                commands.push_back({"CFG", sub::kCfgInterval, hold});
            }
            commands.push_back({"CFG", sub::kCfgParameters, switchCommandText(r.switchBits(), 3, 5)});
            break;
        }
        case ParameterFamily::Zb40:
            commands.push_back({"CFG", sub::kCfgParameters,
                                printed("P2%02ld+", r.paramP2()) + printed("P3%02ld+", r.paramP3()) +
                                    printed("P5%02ld+", r.paramP1()) + printed("P6%02ld+", r.paramP4()) +
                                    printed("D1%02ld+", r.relayDelay(1)) + printed("D2%02ld+", r.relayDelay(2)) +
                                    printed("D3%02ld+", r.relayDelay(3)) + printed("D4%02ld", r.relayDelay(4))});
            commands.push_back({"SET", sub::kSetDeviceFlags, printed("C%03ld", r.deviceFlags())});
            commands.push_back({"CFG", sub::kCfgParameters, switchCommandText(r.switchBits(), 1, 4)});
            break;
        case ParameterFamily::Zb20:
        case ParameterFamily::None: break;
    }
    return commands;
}

ModuleRecord::TimeOfDay ParseTimeOfDay(std::string_view text) {
    // As a C library reads a number: blanks, a sign, digits.
    const auto numberAt = [&text](std::size_t at) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        return decimalAt(text, at);
    };
    const auto colon = text.find(':');
    return {static_cast<std::uint8_t>(numberAt(0)),
            static_cast<std::uint8_t>(colon == std::string_view::npos ? 0 : numberAt(colon + 1))};
}

std::string silentDeviceText(int id) {
    return printed("Zařízení na adrese %02ld neodpovídá ! \nZkontrolujte nastavení. ", id);
}

namespace {

constexpr std::size_t kAnswerCapacity = 256;

// One request on the opened link: the answer as received, or the failure's code.
struct Exchange {
    std::uint32_t result;
    std::string answer;
};
Exchange ask(SubInstruction subInstruction, const char* instruction, int lineIndex, int id, std::uint8_t mode) {
    std::array<std::uint8_t, kAnswerCapacity> answer{};
    const std::uint32_t result = DeviceTransaction(subInstruction, instruction, lineIndex, id, "", mode, answer);
    if (isErrorResult(result)) return {result, {}};
    return {result, std::string(answer.begin(), answer.begin() + result)};
}

// Why an answer cannot be read, or 0: a failed exchange; no answer (a device that fell silent
// in the middle); an answer cut off before its '*' and checksum, whose last value may be
// missing digits. Nothing is taken from such an answer.
std::uint32_t unusable(const Exchange& e) {
    if (isErrorResult(e.result)) return e.result;
    if (e.answer.empty()) return kReceiveFailed;
    const auto star = e.answer.find('*');
    return star == std::string::npos || star + 1 >= e.answer.size() ? kAnswerChecksum : 0;
}

// An answer that is no reading of what was asked: one of another kind (a CAL answer, '!'), a
// version answer with neither "V" nor "C", a parameter answer without any code its family reads.
bool versionAnswerReads(std::string_view answer) {
    const std::string_view text = answerText(answer);
    return !text.empty() && text[0] != '!' && (text.find('V') != std::string_view::npos || text.find('C') != std::string_view::npos);
}

bool parameterAnswerReads(std::string_view answer, DeviceTypeCode type) {
    const std::string_view text = answerText(answer);
    if (text.empty() || text[0] == '!') return false;
    // The codes a read takes: P1-P4 (a ZB40 also P5, P6), B1-B8, D1-D4.
    const struct {
        char code, last;
    } codes[] = {{'P', type == kZb40 ? '6' : '4'}, {'B', '8'}, {'D', '4'}};
    for (const auto& c : codes) {
        for (char digit = '1'; digit <= c.last; ++digit) {
            if (text.find(std::string{c.code, digit}) != std::string_view::npos) return true;
        }
    }
    return false;
}

void sendEnd(int lineIndex, int id) { DeviceTransaction(sub::kNone, "", lineIndex, id, "", kModeRelease | kNoAnswer, {}); }

void showSilence(int id) { uiMessage("Chyba komunikace", silentDeviceText(id), MessageIcon::Error); }

}  // namespace

bool ReadModuleParameters(bool showSilenceMessage, int lineIndex, int moduleNumber, ModuleRecord& record) {
    if (LineEnabledCheck(lineIndex) == 0) return true;
    uiStatus("probíhá načítání konfigurace");
    const int id = record.id();
    record.setStatusFlags(record.statusFlags() & ~(flags::kNotResponding | flags::kOtherType));
    const auto fail = [&](std::uint32_t code) {
        if (code != 0) setError(code);
        // A read that failed leaves the module marked as not answering, as a failed write does.
        record.setStatusFlags(record.statusFlags() | flags::kNotResponding);
        sendEnd(lineIndex, id);
        ModuleStatusStore(lineIndex, moduleNumber, record.statusFlags());
        reportError();
        return false;
    };
    // An answer of another kind is named, and nothing read is kept: a write must not be built
    // from zeros the device never reported.
    const ModuleRecord before = record;
    const auto notAReading = [&](const char* request) {
        const std::uint8_t flagsNow = record.statusFlags();
        record = before;
        record.setStatusFlags(flagsNow);
        uiMessage("Chyba komunikace",
                  printed("Zařízení na adrese %02ld odpovědělo na ", id) + request +
                      " odpovědí jiného druhu. \nNastavení nebylo převzato. ",
                  MessageIcon::Error);
        return fail(0);
    };
    // The link stays open from CAL to the end frame; each request is one transaction on it.
    Exchange e = ask(sub::kNone, "CAL", lineIndex, id, kModeSelect);
    if (isErrorResult(e.result)) return fail(e.result);
    if (e.answer.empty()) {
        if (showSilenceMessage) showSilence(id);
        record.setStatusFlags(record.statusFlags() | flags::kNotResponding);
        return fail(0);
    }
    if (const std::uint32_t why = unusable(e)) return fail(why);
    takeCalAnswer(record, e.answer);
    if (record.type() == kTq300) {
        e = ask(sub::kInfDisplayText, "INF", lineIndex, id, kModeContinue);
        if (const std::uint32_t why = unusable(e)) return fail(why);
        takeDisplayTextAnswer(record, e.answer);
    }
    e = ask(sub::kInfVersion, "INF", lineIndex, id, kModeContinue);
    if (const std::uint32_t why = unusable(e)) return fail(why);
    if (!versionAnswerReads(e.answer)) return notAReading("INF 6");
    takeVersionAnswer(record, e.answer);
    e = ask(sub::kInfParameters, "INF", lineIndex, id, kModeContinue);
    if (const std::uint32_t why = unusable(e)) return fail(why);
    if (!parameterAnswerReads(e.answer, record.type())) return notAReading("INF 8");
    takeParameterAnswer(record, e.answer);
    sendEnd(lineIndex, id);
    ModuleStatusStore(lineIndex, moduleNumber, record.statusFlags());
    uiStatus("");
    return true;
}

bool WriteModuleParameters(int lineIndex, ModuleRecord& record) {
    if (LineEnabledCheck(lineIndex) == 0) return true;
    const int id = record.id();
    const auto fail = [&](std::uint32_t code) {
        setError(code);
        sendEnd(lineIndex, id);
        record.setStatusFlags(record.statusFlags() | flags::kNotResponding);
        reportError();
        return false;
    };
    const Exchange e = ask(sub::kNone, "CAL", lineIndex, id, kModeSelect);
    if (isErrorResult(e.result)) return fail(e.result);
    if (!e.answer.empty()) {
        // A garbled or cut-off answer to CAL: nothing is written to a device that talks so.
        if (const std::uint32_t why = unusable(e)) return fail(why);
    } else {
        showSilence(id);
        sendEnd(lineIndex, id);
        record.setStatusFlags(record.statusFlags() | flags::kNotResponding);
        reportError();
        return false;
    }
    for (const ParameterCommand& c : parameterCommands(record)) {
        const std::uint32_t result =
            DeviceTransaction(c.subInstruction, c.instruction, lineIndex, id, c.data, kModeContinue | kNoAnswer, {});
        if (isErrorResult(result)) return fail(result);
    }
    sendEnd(lineIndex, id);
    record.setStatusFlags(record.statusFlags() & ~flags::kNotResponding);
    return true;
}

}  // namespace lumo
