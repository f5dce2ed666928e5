#include "device/counters.h"
#include "model/device_catalog.h"

#include <cctype>
#include <cstdio>

namespace lumo {

const std::array<const char*, kCounterCount>& counterLabels() {
    static const std::array<const char*, kCounterCount> labels = {
        "C1 - počet časových plánů:", "C2 - počet typů přerušení", "C3 - rozšiřující záznamy uživatelů",
        "C4 - počet aktivních uživatelů", "C5 - počet záznamů historie"};
    return labels;
}

Counters parseCounters(const std::string& answer) {
    Counters counters;
    for (int c = 0; c < kCounterCount; ++c) {
        const std::string key = "C" + std::to_string(c + 1);
        const auto at = answer.find(key);
        if (at == std::string::npos) continue;
        std::size_t end = at + 2;
        if (end < answer.size() && (answer[end] == '-' || answer[end] == '+')) ++end;
        const std::size_t digits = end;
        while (end < answer.size() && end < digits + 9 && std::isdigit(static_cast<unsigned char>(answer[end]))) ++end;
        if (end > digits) counters[static_cast<std::size_t>(c)] = std::stol(answer.substr(at + 2, end - at - 2));
    }
    return counters;
}

std::string counterDataText(const Counters& counters, DeviceTypeCode type) {
    std::string text;
    for (int c = 0; c < kCounterCount; ++c) {
        const auto& value = counters[static_cast<std::size_t>(c)];
        if (!value) continue;
        char piece[32];
        std::snprintf(piece, sizeof piece, type == models::kPx700 ? "C%1d%05ld" : "C%1d%04ld", c + 1, *value);
        if (!text.empty()) text += '+';
        text += piece;
    }
    return text;
}

}  // namespace lumo
