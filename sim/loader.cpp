#include "sim/loader.h"
#include "model/device_catalog.h"

#include <cstdio>
#include <fstream>

namespace lumo::sim {
namespace {

constexpr std::size_t kMaxMessage = 4096;
constexpr std::uint8_t kTunnelPrefix[] = {'W', 'R', 'f', 0x00, 0x01};

int hexValue(const std::string& text) {
    int value = 0;
    for (char c : text) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0 || value > 0xFFFFFF) return -1;
        value = value * 16 + d;
    }
    return text.empty() ? -1 : value;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

}  // namespace

SimLoader::Kind loaderKindOf(int type) {
    switch (type) {
        case models::kMn600: case models::kWi485: case models::kJc500: case models::kQhJ01: case models::kPx700:
            return SimLoader::Kind::Tunnel;
        case models::kTq300Tcp: case models::kHz128: case models::kTq300: case models::kSy128: case models::kOx8:
        case models::kTq310: case models::kZb40: case models::kZb20:
            return SimLoader::Kind::Segment;
        default: return SimLoader::Kind::None;
    }
}

void armLoader(SimModule& m, std::int64_t nowMs, WireLog& log, const char* transport) {
    m.loader.kind = loaderKindOf(m.type);
    if (m.loader.kind == SimLoader::Kind::None) return;
    m.loader.armedUntil = nowMs + 5000;
    m.loader.message.clear();
    // A new session: its faults count from its first message, and a segment loader starts empty
    // (the tunnel loader is erased by its first message).
    m.loader.messages = 0;
    if (m.loader.kind == SimLoader::Kind::Segment) {
        m.loader.flash.clear();
        for (int& c : m.loader.segmentChecksums) c = -1;
    }
    log.note(transport, "module " + std::to_string(m.id) + " restarts into its loader");
}

std::vector<std::uint8_t> LoaderLink::feed(SimModule& m, std::uint8_t byte, std::int64_t nowMs) {
    SimLoader& l = m.loader;
    l.lastByteAt = nowMs;
    l.message.push_back(byte);
    if (l.message.size() > kMaxMessage) {
        log_.note(transport_, "loader: a message over " + std::to_string(kMaxMessage) + " bytes dropped");
        l.message.clear();
        return {};
    }
    if (l.kind == SimLoader::Kind::Tunnel) {
        // A message starts with its tunnel header; bytes before one are dropped.
        for (std::size_t i = 0; i < l.message.size() && i < sizeof kTunnelPrefix;) {
            if (l.message[i] == kTunnelPrefix[i]) {
                ++i;
                continue;
            }
            l.message.erase(l.message.begin());
            i = 0;
        }
        if (l.message.size() < 18) return {};
        const std::size_t length = l.message[7] | static_cast<std::size_t>(l.message[8]) << 8;
        if (l.message.size() < 18 + length) return {};
        return tunnelMessage(m);
    }
    // A segment message: "WR" up to 0x04 and 0x00.
    if (l.message.size() == 1 && byte != 'W') l.message.clear();
    if (l.message.size() == 2 && byte != 'R') l.message.assign(byte == 'W' ? 1 : 0, 'W');
    const std::size_t n = l.message.size();
    if (n >= 2 && l.message[n - 2] == 0x04 && l.message[n - 1] == 0x00) return segmentMessage(m);
    return {};
}

LoaderLink::Fault LoaderLink::countAndFault(SimModule& m) {
    SimLoader& l = m.loader;
    ++l.messages;
    if (l.silentAfter >= 0 && l.messages > l.silentAfter) return Fault::Silent;
    if (l.refuseAt != l.messages) return Fault::None;
    log_.note(transport_, "module " + std::to_string(m.id) + " loader: message " + std::to_string(l.messages) + " refused");
    return Fault::Refused;
}

std::vector<std::uint8_t> LoaderLink::tunnelMessage(SimModule& m) {
    SimLoader& l = m.loader;
    const std::vector<std::uint8_t> payload(l.message.begin() + 18, l.message.end());
    const int channel = (l.message[16] - '0') * 10 + (l.message[17] - '0');
    l.message.clear();
    const std::string who = "module " + std::to_string(m.id) + " loader: ";
    switch (countAndFault(m)) {
        case Fault::Silent: return {};
        case Fault::Refused: return {'N', 'O'};
        case Fault::None: break;
    }
    switch (channel) {
        case 4:
            l.flash.clear();
            log_.note(transport_, who + "flash erased");
            break;
        case 1: l.block.clear(); break;
        case 2: l.block.insert(l.block.end(), payload.begin(), payload.end()); break;
        case 3: {
            if (payload.size() != 4) break;
            const std::uint32_t address = static_cast<std::uint32_t>(payload[1]) << 24 |
                                          static_cast<std::uint32_t>(payload[0]) << 16 |
                                          static_cast<std::uint32_t>(payload[3]) << 8 | payload[2];
            // Each pair came swapped.
            for (std::size_t i = 0; i + 1 < l.block.size(); i += 2) {
                l.flash[address + static_cast<std::uint32_t>(i)] = l.block[i + 1];
                l.flash[address + static_cast<std::uint32_t>(i) + 1] = l.block[i];
            }
            log_.note(transport_, who + "block " + hex(address) + " " + std::to_string(l.block.size()) + " bytes");
            l.block.clear();
            break;
        }
        case 6:
            finish(m);
            return {};  // the program starts: nothing comes back
        default: log_.note(transport_, who + "channel " + std::to_string(channel) + " not known"); break;
    }
    return {'K', 'O'};
}

std::vector<std::uint8_t> LoaderLink::segmentMessage(SimModule& m) {
    SimLoader& l = m.loader;
    const std::string text(l.message.begin(), l.message.end() - 2);
    l.message.clear();
    const std::string who = "module " + std::to_string(m.id) + " loader: ";
    if (countAndFault(m) != Fault::None) return {};  // the segment loader refuses by silence
    static const std::string kAnswer = "WRfsOK00000";
    if (text.rfind("WRXXX", 0) == 0) {
        bool good = true;
        for (int s = 0; s < 4; ++s) {
            if (l.segmentChecksums[s] < 0) continue;
            unsigned sum = 0;
            static const char digits[] = "0123456789ABCDEF";
            for (auto it = l.flash.lower_bound(static_cast<std::uint32_t>(s) * 0x4000);
                 it != l.flash.end() && it->first < static_cast<std::uint32_t>(s + 1) * 0x4000; ++it)
                sum += static_cast<unsigned>(digits[it->second >> 4] + digits[it->second & 0x0F]);
            if ((sum & 0xFFFF) != static_cast<unsigned>(l.segmentChecksums[s])) {
                good = false;
                log_.note(transport_, who + "fs" + std::to_string(s) + " checksum wrong");
            }
        }
        if (good) log_.note(transport_, who + "segment checksums right");
        finish(m);
        return {kAnswer.begin(), kAnswer.end()};
    }
    const auto lastBar = text.rfind('|');
    unsigned sum = 0;
    for (std::size_t i = 0; lastBar != std::string::npos && i <= lastBar; ++i) sum += static_cast<unsigned char>(text[i]);
    if (lastBar == std::string::npos || hexValue(text.substr(lastBar + 1)) != static_cast<int>(sum & 0xFF)) {
        log_.note(transport_, who + "check characters wrong: " + text.substr(0, 40));
        return {};
    }
    std::vector<std::string> fields;
    for (std::size_t at = 0;;) {
        const auto bar = text.find('|', at);
        fields.push_back(text.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    const std::size_t n = fields.size();
    if ((n != 6 && n != 7) || fields[0].size() != 5 || fields[0][4] < '0' || fields[0][4] > '3') {
        log_.note(transport_, who + "message not understood: " + text.substr(0, 40));
        return {};
    }
    const int segment = fields[0][4] - '0';
    if (n == 7) l.segmentChecksums[segment] = hexValue(fields[3]);
    const int address = hexValue(fields[n - 3]);
    const std::string& data = fields[n - 2];
    if (address < 0 || data.size() % 2 != 0) {
        log_.note(transport_, who + "message not understood: " + text.substr(0, 40));
        return {};
    }
    // fs0 and fs1 may come 0x8000 higher (the high-segment devices).
    const std::uint32_t offset = segment < 2 ? static_cast<std::uint32_t>(address) & 0x7FFF : static_cast<std::uint32_t>(address);
    for (std::size_t i = 0; i < data.size(); i += 2)
        l.flash[offset + static_cast<std::uint32_t>(i / 2)] = static_cast<std::uint8_t>(hexValue(data.substr(i, 2)));
    return {kAnswer.begin(), kAnswer.end()};
}

void LoaderLink::finish(SimModule& m) {
    SimLoader& l = m.loader;
    l.active = false;
    l.armedUntil = 0;
    const std::string who = "module " + std::to_string(m.id) + " loader: ";
    if (l.flash.empty()) {
        log_.note(transport_, who + "started with nothing loaded");
        return;
    }
    const std::uint32_t first = l.flash.begin()->first, last = l.flash.rbegin()->first;
    log_.note(transport_, who + "started, " + std::to_string(l.flash.size()) + " bytes loaded at " + hex(first) + "-" + hex(last));
    if (imageDir_.empty()) return;
    std::vector<char> image(static_cast<std::size_t>(last - first) + 1, '\xFF');
    for (const auto& [address, value] : l.flash) image[address - first] = static_cast<char>(value);
    const std::string path = imageDir_ + "/image-" + std::to_string(m.id) + ".bin";
    std::ofstream(path, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));
    log_.note(transport_, who + "image written to " + path);
}

}  // namespace lumo::sim
