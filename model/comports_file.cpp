#include "model/comports_file.h"

#include <algorithm>
#include <charconv>

#include "base/ui_port.h"
#include "model/record_file.h"
#include "platform/file_io.h"
#include "platform/serial_port.h"

namespace lumo {

int ComportsFile::numberOf(const std::string& device) const {
    for (const auto& [number, path] : ports) {
        if (path == device) return number;
    }
    return 0;
}

int ComportsFile::freeNumber(const std::vector<int>& taken) const {
    for (int n = 1;; ++n) {
        if (ports.count(n) == 0 && std::find(taken.begin(), taken.end(), n) == taken.end()) return n;
    }
}

ComportsFile parseComports(std::string_view text) {
    ComportsFile file;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto eq = line.find('=');
        int number = 0;
        if (line.size() > 3 && line.substr(0, 3) == "COM" && eq != std::string_view::npos) {
            const auto r = std::from_chars(line.data() + 3, line.data() + eq, number);
            if (r.ec == std::errc() && r.ptr == line.data() + eq && number > 0 && eq + 1 < line.size()) {
                file.ports[number] = std::string(line.substr(eq + 1));  // a later entry wins
                continue;
            }
        }
        if (!line.empty()) file.otherLines.emplace_back(line);
    }
    return file;
}

std::string formatComports(const ComportsFile& file) {
    std::string text;
    for (const auto& line : file.otherLines) text += line + "\n";
    for (const auto& [number, path] : file.ports) text += "COM" + std::to_string(number) + "=" + path + "\n";
    return text;
}

std::string comportsFilePath(const std::string& folder) { return folder + "/comports.cfg"; }

bool loadComports(const std::string& folder, ComportsFile& file, std::string* problem) {
    file = {};
    const std::string path = comportsFilePath(folder);
    std::string text;
    // One byte past the limit tells a file that is longer.
    if (!platform::readSmallFile(path, platform::kMaxComportsFile + 1, text)) {
        if (readFailureOf(path) == ReadFailure::Missing) return true;
        if (problem != nullptr) *problem = unreadableFileText(path);
        return false;
    }
    if (text.size() > platform::kMaxComportsFile) {
        if (problem != nullptr)
            *problem = "Soubor " + path + " nelze přečíst: je delší než " + std::to_string(platform::kMaxComportsFile) +
                       " bajtů. ";
        return false;
    }
    file = parseComports(text);
    return true;
}

bool saveComports(const std::string& folder, const ComportsFile& file) {
    const std::string text = formatComports(file);
    return platform::replaceFile(comportsFilePath(folder), text.data(), text.size());
}

std::string comportsDevicePath(int comNumber, const std::string& folder) {
    ComportsFile file;
    std::string problem;
    if (!loadComports(folder, file, &problem)) {
        uiMessage("CHYBA !", problem, MessageIcon::Error);
        return {};
    }
    const auto it = file.ports.find(comNumber);
    return it != file.ports.end() ? it->second : platform::defaultSerialDevicePath(comNumber);
}

}  // namespace lumo
