#include "sim/memory.h"

#include <cstdio>

#include "service/service_text.h"

namespace lumo::sim {

std::uint8_t SimMemory::at(const std::string& sel, std::uint32_t address) const {
    const auto it = written.find({sel, address});
    if (it != written.end()) return it->second;
    unsigned mix = static_cast<unsigned>(seed) * 31u;
    for (char c : sel) mix = mix * 5u + static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>((address * 7u + (address >> 8) + mix) & 0xFF);
}

namespace {

std::vector<std::string> fields(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
        const auto bar = text.find('|', at);
        out.push_back(text.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos) return out;
        at = bar + 1;
    }
}

long hexNumber(const std::string& text) {
    if (text.empty() || text.size() > 8) return -1;
    long value = 0;
    for (char c : text) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

std::string hex4(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x|", v & 0xFFFF);
    return text;
}

}  // namespace

bool isMemoryMessage(const std::string& text) {
    for (const char* head : {"UPL|", "WRM|", "WSM|", "RST|"}) {
        if (text.rfind(head, 0) == 0) return true;
    }
    return false;
}

std::vector<std::uint8_t> memoryAnswer(SimModule& m, const std::string& message, WireLog& log, const char* transport) {
    ++m.instructions;
    const Faults& f = m.faults;
    const std::string who = "module " + std::to_string(m.id) + " ";
    if (message.size() < 3 || checkCharacters(message.substr(0, message.size() - 2)) != message.substr(message.size() - 2)) {
        log.note(transport, who + "memory message with wrong check characters");
        return {};
    }
    const std::string text = message.substr(0, message.size() - 2);
    const auto parts = fields(text);
    if (f.silent || (f.dropAfter >= 0 && m.instructions > f.dropAfter)) return {};
    SimMemory& mem = m.memory;
    if (parts[0] == "WSM" || parts[0] == "RST") {
        // The initialisation: "WSM|N|" and the serial number's characters in hexadecimal, or
        // "RST|0|" (the reset); 9 bytes back.
        if (parts[0] == "WSM" && parts.size() >= 3 && parts[2].size() == 24) {
            std::string serial;
            for (std::size_t i = 0; i < 24; i += 2) serial += static_cast<char>(hexNumber(parts[2].substr(i, 2)));
            m.serial = serial;
            log.note(transport, who + "serial number " + serial);
        } else if (parts[0] == "RST") {
            log.note(transport, who + "reset");
        }
        const std::string answer = parts[0] + "OK0*0";
        return {answer.begin(), answer.end()};
    }
    if (parts[0] == "WRM") {
        // WRM | V or F | selector | start | data |
        if (parts.size() < 5 || hexNumber(parts[3]) < 0 || parts[4].size() % 2 != 0) {
            log.note(transport, who + "memory write not understood");
            return {};
        }
        const auto start = static_cast<std::uint32_t>(hexNumber(parts[3]));
        std::size_t count = 0;
        for (std::size_t i = 0; i + 1 < parts[4].size(); i += 2, ++count) {
            const long b = hexNumber(parts[4].substr(i, 2));
            if (b < 0) return {};
            mem.written[{parts[2], start + static_cast<std::uint32_t>(count)}] = static_cast<std::uint8_t>(b);
        }
        log.note(transport, who + "memory " + parts[2] + " written at " + hex4(start) + " " + std::to_string(count) + " bytes");
        const std::string answer = "WRMOK*K";
        return {answer.begin(), answer.end()};
    }
    // UPL | selector | start | size |   or the next piece: UPL | 0 | |
    if (parts.size() >= 4 && parts[1] != "0") {
        const long start = hexNumber(parts[2]), size = hexNumber(parts[3]);
        if (start < 0 || size < 0) {
            log.note(transport, who + "upload not understood");
            return {};
        }
        mem.selector = parts[1];
        mem.next = static_cast<std::uint32_t>(start);
        mem.remaining = static_cast<std::uint32_t>(size);
        log.note(transport, who + "upload " + mem.selector + " from " + hex4(mem.next) + " " + std::to_string(size) + " bytes");
    }
    const std::uint32_t n = mem.remaining < 117 ? mem.remaining : 117;
    std::string answer = "UPL|" + (mem.selector + "        ").substr(0, 8) + "|" + hex4(mem.next);
    char pair[4];
    for (std::uint32_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", mem.at(mem.selector, mem.next + i));
        answer += pair;
    }
    mem.next += n;
    mem.remaining -= n;
    answer += '|';
    std::string check = checkCharacters(answer);
    if (f.badChecksum) check = check == "00" ? "11" : "00";
    answer += check;
    answer += '\x04';
    if (f.cutFrom >= 0 && m.instructions >= f.cutFrom) answer.resize(answer.size() / 2);
    return {answer.begin(), answer.end()};
}

}  // namespace lumo::sim
