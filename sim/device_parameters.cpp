#include "sim/device_parameters.h"
#include "model/device_catalog.h"

#include <cstdio>
#include <vector>

namespace lumo::sim {
namespace {

struct Codes {
    std::vector<int> p, b, d;  // the numbers of the P, B and D codes INF 8 reports
};

Codes codesOf(int type) {
    switch (type) {
        case models::kLoq3: return {{2, 3}, {3, 4, 5}, {1}};
        case models::kZb40: return {{2, 3, 5, 6}, {1, 2, 3, 4}, {1, 2, 3, 4}};
        case models::kZb20: return {{2, 3, 4}, {1, 2, 3, 4}, {1, 2}};
        default: return {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2}};
    }
}

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The number at `at` (digits only); `end` moves past it. -1 when no digit stands there.
long numberAt(const std::string& text, std::size_t at, std::size_t& end) {
    end = at;
    long value = 0;
    while (end < text.size() && end < at + 9 && text[end] >= '0' && text[end] <= '9') value = value * 10 + (text[end++] - '0');
    return end == at ? -1 : value;
}

std::vector<std::string> pieces(const std::string& data) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t plus; (plus = data.find('+', start)) != std::string::npos; start = plus + 1)
        out.push_back(data.substr(start, plus - start));
    out.push_back(data.substr(start));
    return out;
}

// CFG 8: "P312", "D105", "B1O" pieces.
void takeCodes(SimParameters& s, const std::string& data) {
    for (const std::string& piece : pieces(data)) {
        if (piece.size() < 3 || piece[1] < '1' || piece[1] > '8') continue;
        const int n = piece[1] - '0';
        std::size_t end = 0;
        const long value = numberAt(piece, 2, end);
        if (piece[0] == 'P' && n <= 6 && value >= 0) s.p[n] = static_cast<int>(value & 0xFF);
        else if (piece[0] == 'D' && n <= 4 && value >= 0) s.delays[n] = static_cast<int>(value & 0xFF);
        else if (piece[0] == 'B' && (piece[2] == 'O' || piece[2] == 'F'))
            s.switches = piece[2] == 'O' ? s.switches | 1 << (n - 1) : s.switches & ~(1 << (n - 1));
    }
}

// CFG 3: "A05+B01+C02" (or a part of it).
void takeDoorAndReaders(SimParameters& s, const std::string& data) {
    for (const std::string& piece : pieces(data)) {
        std::size_t end = 0;
        const long value = piece.empty() ? -1 : numberAt(piece, 1, end);
        if (value < 0) continue;
        if (piece[0] == 'A') s.doorTime = value;
        else if (piece[0] == 'B') s.reader1 = static_cast<int>(value & 0xFF);
        else if (piece[0] == 'C') s.reader2 = static_cast<int>(value & 0xFF);
    }
}

// CFG 4: "S08001700" then "R003" and "W193".
void takeInterval(SimParameters& s, const std::string& data) {
    if (data.size() >= 9 && data[0] == 'S') s.interval = data.substr(1, 8);
    std::size_t end = 0;
    if (const auto r = data.find('R'); r != std::string::npos && numberAt(data, r + 1, end) >= 0)
        s.holdOpen = static_cast<int>(numberAt(data, r + 1, end));
    if (const auto w = data.find('W'); w != std::string::npos && numberAt(data, w + 1, end) >= 0)
        s.days = static_cast<int>(numberAt(data, w + 1, end));
}

}  // namespace

bool hasParameters(int type) {
    using namespace models;
    for (const DeviceTypeCode t : {kTq300Tcp, kLoq3, kTq300, kZb40, kZb20, kMn600})
        if (type == t) return true;
    return false;
}

std::string versionAnswer(const SimModule& m) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "C%03d", m.params.deviceFlags);
    return "V" + m.version + flags;
}

std::string parameterAnswer(const SimModule& m) {
    const Codes codes = codesOf(m.type);
    std::string text;
    const auto add = [&text](const std::string& piece) { text += (text.empty() ? "" : "+") + piece; };
    for (int n : codes.p) add("P" + std::to_string(n) + twoDigits(m.params.p[n]));
    for (int n : codes.b) add("B" + std::to_string(n) + ((m.params.switches >> (n - 1) & 1) ? "O" : "F"));
    for (int n : codes.d) add("D" + std::to_string(n) + twoDigits(m.params.delays[n]));
    return text;
}

bool takeParameterCommand(SimModule& m, const std::string& name, int sub, const std::string& data) {
    SimParameters& s = m.params;
    if (name == "CFG" && sub == 0) m.displayText = data.substr(0, 16);
    else if (name == "CFG" && sub == 8) takeCodes(s, data);
    else if (name == "CFG" && sub == 3) takeDoorAndReaders(s, data);
    else if (name == "CFG" && sub == 4) takeInterval(s, data);
    else if (name == "SET" && sub == 2 && data.size() > 1 && data[0] == 'C') {
        std::size_t end = 0;
        const long value = numberAt(data, 1, end);
        // Bits 6-7 are the ID medium the device reports; a write does not change its reader.
        if (value >= 0) s.deviceFlags = static_cast<int>((value & 0x3F) | (s.deviceFlags & 0xC0));
    } else {
        return false;
    }
    return true;
}

std::string parameterSummary(const SimModule& m) {
    const SimParameters& s = m.params;
    std::string text = "text '" + m.displayText + "'";
    for (int n = 1; n <= 6; ++n) text += " P" + std::to_string(n) + "=" + std::to_string(s.p[n]);
    text += " B=";
    for (int n = 1; n <= 8; ++n) text += (s.switches >> (n - 1) & 1) ? 'O' : 'F';
    for (int n = 1; n <= 4; ++n) text += " D" + std::to_string(n) + "=" + std::to_string(s.delays[n]);
    text += " C=" + std::to_string(s.deviceFlags) + " A=" + std::to_string(s.doorTime) + " R1=" + std::to_string(s.reader1) +
            " R2=" + std::to_string(s.reader2) + " S=" + s.interval + " R=" + std::to_string(s.holdOpen) +
            " W=" + std::to_string(s.days);
    return text;
}

}  // namespace lumo::sim
