#include "serial/serial_register.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "model/device_catalog.h"
#include "serial/serial_number.h"

namespace lumo {
namespace {

constexpr std::size_t kChunk = 2048;

std::string registerFolder() {
    platform::File pointer(appState().dataDirectory + "sn.dat", platform::File::Mode::Read);
    if (!pointer.isOpen()) return {};
    std::array<char, 200> text{};
    const long long got = pointer.readAt(0, text.data(), text.size());
    if (got <= 0) return {};
    std::string folder(text.data(), static_cast<std::size_t>(got));
    folder = folder.substr(0, folder.find('\0'));
    // A hand-written file may end its path with a line end.
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r')) folder.pop_back();
    if (folder.empty()) return {};
    if (folder.back() != platform::pathSeparator()) folder += platform::pathSeparator();
    return folder;
}

}  // namespace

const char* registerFileName(int typeCode) { return typeCode >= 48 ? "sernum_tesk.txt" : "sernum.txt"; }

std::string registerFilePath(int typeCode) {
    const std::string folder = registerFolder();
    return folder.empty() ? folder : folder + registerFileName(typeCode);
}

bool RegisterOpen(int typeCode, platform::File& file) {
    const std::string path = registerFilePath(typeCode);
    if (path.empty()) return false;
    // The register is never created here: a missing file more likely means a share that is not
    // there, and a new empty register would hand out numbers already issued.
    file = platform::File(path, platform::File::Mode::ReadWriteExisting);
    if (!file.isOpen()) {
        setError(err::kOpenForWrite);
        return false;
    }
    return true;
}

bool forEachRegisterLine(platform::File& file, const std::function<bool(const std::string&)>& line) {
    std::array<char, kChunk> buffer{};
    std::uint64_t offset = 0;
    bool skippingLongLine = false;
    for (;;) {
        const long long got = file.readAt(offset, buffer.data(), buffer.size());
        if (got < 0) {
            setError(err::kReadFile);
            return false;
        }
        const auto n = static_cast<std::size_t>(got);
        const auto end = buffer.begin() + static_cast<long>(n);
        const auto lastFeed = std::find(std::make_reverse_iterator(end), buffer.rend(), '\n');
        if (lastFeed == buffer.rend()) {
            if (n < buffer.size()) return true;  // a last line without its line end
            skippingLongLine = true;              // no line end in a whole chunk
            offset += n;
            continue;
        }
        const std::size_t used = static_cast<std::size_t>(buffer.rend() - lastFeed);  // up to and with the LF
        std::size_t start = 0;
        while (start < used) {
            const std::size_t feed = static_cast<std::size_t>(std::find(buffer.begin() + static_cast<long>(start),
                                                                        buffer.begin() + static_cast<long>(used), '\n') -
                                                              buffer.begin());
            std::string text(buffer.data() + start, feed - start);
            if (!text.empty() && text.back() == '\r') text.pop_back();
            start = feed + 1;
            if (skippingLongLine) {
                skippingLongLine = false;
                continue;
            }
            if (!line(text)) return true;
        }
        offset += used;
    }
}

int registerLineSequence(const std::string& line) {
    int value = 0;
    for (std::size_t i = 8; i < line.size() && i < 16 && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value * 10 + (line[i] - '0');
    return value;
}

int RegisterLastSequence(int typeCode) {
    platform::File file;
    if (!RegisterOpen(typeCode, file)) return -1;
    int highest = 0;
    const bool ok = forEachRegisterLine(file, [&](const std::string& line) {
        highest = std::max(highest, registerLineSequence(line));
        return true;
    });
    return ok ? highest : -1;
}

namespace {
bool containsSequence(platform::File& file, int sequence, bool& found) {
    found = false;
    return forEachRegisterLine(file, [&](const std::string& line) {
        found = registerLineSequence(line) == sequence;
        return !found;
    });
}

int serialSequence(const std::string& serial) { return registerLineSequence(serial); }

bool appendLine(platform::File& file, const std::string& serial, const std::string& note, int medium) {
    const std::string line = serial + ";" + note + ";" + std::to_string(medium) + "\r\n";
    const long long size = file.size();
    if (size < 0) return false;
    // One write of the whole line; a short one is taken back so no half line stays.
    if (!file.writeAt(static_cast<std::uint64_t>(size), line.data(), line.size())) {
        file.truncate(static_cast<std::uint64_t>(size));
        setError(err::kWriteFile);
        return false;
    }
    return true;
}
}  // namespace

int RegisterContains(const std::string& serial, int typeCode) {
    platform::File file;
    if (!RegisterOpen(typeCode, file)) return 0;
    bool found = false;
    containsSequence(file, serialSequence(serial), found);
    return found ? 1 : 0;
}

bool RegisterAppend(int typeCode, const std::string& serial, const std::string& note, int medium) {
    platform::File file;
    if (!RegisterOpen(typeCode, file) || !file.lockExclusive()) return false;
    return appendLine(file, serial, note, medium);
}

IssueResult registerIssue(int typeCode, const std::string& serial, const std::string& note, int medium) {
    platform::File file;
    if (!RegisterOpen(typeCode, file) || !file.lockExclusive()) return IssueResult::Failed;
    bool found = false;
    if (!containsSequence(file, serialSequence(serial), found)) return IssueResult::Failed;
    if (found) return IssueResult::AlreadyIssued;
    return appendLine(file, serial, note, medium) ? IssueResult::Issued : IssueResult::Failed;
}

bool registerRows(int typeCode, std::vector<RegisterRow>& rows) {
    rows.clear();
    platform::File file;
    if (!RegisterOpen(typeCode, file)) return false;
    return forEachRegisterLine(file, [&](const std::string& line) {
        const SerialParts parts = SerialDecode(line.substr(0, 12));
        if (parts.typeCode != typeCode) return true;
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.20%02d", dateDay(parts.date) % 100, dateMonth(parts.date) % 100,
                      dateYear(parts.date) % 100);
        const auto semicolon = line.find(';');
        rows.push_back({line.substr(0, 12), date, modelName(static_cast<DeviceTypeCode>(typeCode)),
                        semicolon == std::string::npos ? "" : line.substr(semicolon + 1)});
        return true;
    });
}

RegisterChoice registerChoiceOf(const RegisterRow& row) {
    RegisterChoice choice;
    choice.serial = row.serial;
    const auto semicolon = row.rest.find(';');
    choice.note = row.rest.substr(0, semicolon);
    if (semicolon != std::string::npos) {
        const std::string medium = row.rest.substr(semicolon + 1);
        int value = 0;
        for (std::size_t i = 0; i < medium.size() && medium[i] >= '0' && medium[i] <= '9' && i < 4; ++i)
            value = value * 10 + (medium[i] - '0');
        choice.medium = value <= 3 ? value : 0;
    }
    return choice;
}

}  // namespace lumo
