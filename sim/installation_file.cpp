#include "sim/installation_file.h"

#include "platform/file_io.h"

#include <charconv>
#include <sstream>

namespace lumo::sim {
namespace {

bool toInt(const std::string& text, int min, int max, int& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size() && out >= min && out <= max;
}

bool toLong(const std::string& text, long min, long max, long& out) {
    long value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || value < min || value > max)
        return false;
    out = value;
    return true;
}

// "SELECTOR:START:PATH": the file's bytes in the module's memory under the segment selector
// ("yyyyyyyy", "9yyyyyyy", "yyyyyy00" ...) from the hexadecimal start on.
bool takeMemoryFile(const std::string& value, SimModule& m) {
    const auto first = value.find(':'), second = value.find(':', first == std::string::npos ? 0 : first + 1);
    if (first == std::string::npos || second == std::string::npos) return false;
    const std::string selector = value.substr(0, first), startText = value.substr(first + 1, second - first - 1);
    if (selector.empty() || startText.empty() || startText.size() > 8 ||
        startText.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const auto start = static_cast<std::uint32_t>(std::stoul(startText, nullptr, 16));
    std::string bytes;
    if (!platform::readSmallFile(value.substr(second + 1), 0x10000, bytes)) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        m.memory.written[{selector, start + static_cast<std::uint32_t>(i)}] = static_cast<std::uint8_t>(bytes[i]);
    return true;
}

}  // namespace

bool parseInstallationLine(const std::string& raw, Installation& out, std::string& error) {
    std::string line = raw.substr(0, raw.find('#'));
    std::istringstream words(line);
    std::string transport, idText, typeText;
    if (!(words >> transport)) return true;
    if (transport != "serial" && transport != "tcp") {
        error = "unknown transport '" + transport + "' (serial or tcp)";
        return false;
    }
    SimModule m;
    if (!(words >> idText >> typeText) || !toInt(idText, 0, 99, m.id) || !toInt(typeText, 0, 255, m.type)) {
        error = "expected: " + transport + " ID TYPE [options]";
        return false;
    }
    std::string option;
    while (words >> option) {
        const auto eq = option.find('=');
        const std::string key = option.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : option.substr(eq + 1);
        if (key == "serial" && value.size() == 12 && value.find_first_not_of("0123456789") == std::string::npos) {
            m.serial = value;
        } else if (key == "version" && !value.empty()) {
            m.version = value;
        } else if (key == "text") {
            m.displayText = value;
        } else if (option == "silent") {
            m.faults.silent = true;
        } else if (option == "garbage") {
            m.faults.garbage = true;
        } else if (option == "badcrc") {
            m.faults.badChecksum = true;
        } else if (option == "calonly") {
            m.faults.calOnly = true;
        } else if (option == "trailing") {
            m.faults.trailing = true;
        } else if (key == "mark" && value.size() == 2) {
            m.tunnelMark = value;
        } else if (option == "endless") {
            m.faults.endless = true;
        } else if (key == "drop" && toInt(value, 0, 1000000, m.faults.dropAfter)) {
        } else if (key == "lrefuse" && toInt(value, 1, 1000000, m.loader.refuseAt)) {
        } else if (key == "lsilent" && toInt(value, 0, 1000000, m.loader.silentAfter)) {
        } else if (key == "lslow" && toInt(value, 0, 600000, m.loader.slowMs)) {
        } else if (option == "service") {
            m.service = true;
        } else if (key == "memfile" && takeMemoryFile(value, m)) {
        } else if (key == "memseed" && toInt(value, 0, 1000000, m.memory.seed)) {
        } else if (key == "cut" && toInt(value, 1, 1000000, m.faults.cutFrom)) {
        } else if (key == "nak" && toInt(value, 1, 1000000, m.faults.refusedRecord)) {
        } else if (key == "slow" && toInt(value, 0, 600000, m.faults.slowMs)) {
        } else if (key == "history" && toLong(value, 0, 99999999, m.counters[4])) {
        } else if (key.size() == 2 && key[0] == 'c' && key[1] >= '1' && key[1] <= '5' &&
                   toLong(value, -1, 99999999, m.counters[key[1] - '1'])) {
        } else if (key.size() == 2 && key[0] == 'p' && key[1] >= '1' && key[1] <= '6' &&
                   toInt(value, 0, 255, m.params.p[key[1] - '0'])) {
        } else if (key.size() == 2 && key[0] == 'd' && key[1] >= '1' && key[1] <= '4' &&
                   toInt(value, 0, 255, m.params.delays[key[1] - '0'])) {
        } else if (key == "flags" && toInt(value, 0, 255, m.params.deviceFlags)) {
        } else if (key == "switches" && !value.empty() && value.size() <= 8 &&
                   value.find_first_not_of("OF") == std::string::npos) {
            m.params.switches = 0;
            for (std::size_t n = 0; n < value.size(); ++n) m.params.switches |= (value[n] == 'O' ? 1 : 0) << n;
        } else {
            error = "unknown or malformed option '" + option + "'";
            return false;
        }
    }
    if (m.serial.empty()) m.serial = defaultSerial(m.type, m.id);
    (transport == "serial" ? out.serial : out.tcp).push_back(m);
    return true;
}

bool parseInstallation(const std::string& text, Installation& out, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!parseInstallationLine(line, out, error)) {
            error = std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

bool loadInstallation(const std::string& path, Installation& out, std::string& error) {
    // A regular file of bounded size: a FIFO or a device is no installation.
    std::string text;
    if (!platform::readSmallFile(path, kMaxInstallationFile + 1, text)) {
        error = path + ": cannot be read (it must be a regular file)";
        return false;
    }
    if (text.size() > kMaxInstallationFile) {
        error = path + ": longer than " + std::to_string(kMaxInstallationFile) + " bytes";
        return false;
    }
    if (!parseInstallation(text, out, error)) {
        error = path + ":" + error;
        return false;
    }
    return true;
}

}  // namespace lumo::sim
