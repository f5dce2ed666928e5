#include "serial/serial_register.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/cp1250.h"
#include "model/device_catalog.h"
#include "serial/serial_number.h"
#include "serial/serial_errors.h"

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

const char* registerFileName(int typeCode) { return typeCode >= models::kFirstBusModel ? "sernum_tesk.txt" : "sernum.txt"; }

std::string registerFilePath(int typeCode) {
    const std::string folder = registerFolder();
    return folder.empty() ? folder : folder + registerFileName(typeCode);
}

void reportRegisterFailure() {
    if (pendingError() != 0) {
        reportError();
        return;
    }
    clearError();  // the failed open of "sn.dat" left only the system's value
    uiMessage("Upozornění",
              "Seznam vydaných výrobních čísel nelze otevřít: soubor sn.dat v datovém adresáři má obsahovat cestu "
              "ke složce se seznamem. ",
              MessageIcon::Warning);
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
            // No line end in a whole chunk: no register line is that long, so the file is
            // damaged, and a number on that line could be issued again if it were skipped.
            setError(err::kFileStructure | 0x01);
            return false;
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

// The line as it goes into the file: code page 1250, like every other file of the program.
std::string registerLine(const std::string& serial, const std::string& note, int medium) {
    const auto encoded = utf8ToCp1250(note);
    return serial + ";" + std::string(encoded.begin(), encoded.end()) + ";" + std::to_string(medium);
}

// Why a line cannot go into the register (empty when it can). A number no device can have is
// never recorded: neither one whose date is no day of the calendar nor the sequence 0000. A
// note that would split the line, plant another one or cut it at the wrong ';' is refused;
// so is a line longer than a register line may be.
std::string lineProblem(const std::string& serial, const std::string& note, int medium) {
    switch (serialNumberFault(serial)) {
        case SerialFault::None: break;
        case SerialFault::NotTwelveDigits: return "Výrobní číslo musí mít 12 číslic ! ";
        case SerialFault::NoRealDate: return "Výrobní číslo " + serial + " nemá platné datum výroby ! ";
        case SerialFault::SequenceZero: return "Výrobní číslo " + serial + " má neplatné pořadí 0000 ! ";
    }
    if (note.find_first_of(std::string("\r\n;\0", 4)) != std::string::npos)
        return "Poznámka nesmí obsahovat znak ';' ani konec řádku. ";
    if (!fitsCp1250(note)) return "Poznámka obsahuje znaky, které nelze uložit v kódové stránce 1250. ";
    if (registerLine(serial, note, medium).size() > kMaxRegisterLine)
        return "Záznam v seznamu čísel by byl delší než 295 znaků: zkraťte poznámku. ";
    return {};
}

// Refused before anything is written, with its message.
bool refuseBadLine(const std::string& serial, const std::string& note, int medium) {
    const std::string problem = lineProblem(serial, note, medium);
    if (problem.empty()) return false;
    uiMessage("Upozornění", problem, MessageIcon::Warning);
    return true;
}

bool appendLine(platform::File& file, const std::string& serial, const std::string& note, int medium) {
    std::string line = registerLine(serial, note, medium) + "\r\n";
    const long long size = file.size();
    if (size < 0) return false;
    // A last line without its line end (another program's, or a torn write) is ended first:
    // glued to it, the new number would not be seen and could be issued again.
    if (size > 0) {
        char last = '\n';
        if (file.readAt(static_cast<std::uint64_t>(size - 1), &last, 1) != 1) {
            setError(err::kReadFile);
            return false;
        }
        if (last != '\n') line = "\r\n" + line;
    }
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
    if (!RegisterOpen(typeCode, file)) return -1;
    bool found = false;
    if (!containsSequence(file, serialSequence(serial), found)) return -1;
    return found ? 1 : 0;
}

bool RegisterAppend(int typeCode, const std::string& serial, const std::string& note, int medium) {
    if (refuseBadLine(serial, note, medium)) return false;
    platform::File file;
    if (!RegisterOpen(typeCode, file) || !file.lockExclusive()) return false;
    return appendLine(file, serial, note, medium);
}

bool registerLineAcceptable(const std::string& serial, const std::string& note, int medium) {
    return !refuseBadLine(serial, note, medium);
}

RegisterIssueLock::RegisterIssueLock(int typeCode) {
    const std::string path = registerFilePath(typeCode);
    if (path.empty()) return;
    platform::File registerFile;
    if (!RegisterOpen(typeCode, registerFile)) return;
    file_ = platform::File(path + ".init-lock", platform::File::Mode::ReadWrite);
    held_ = file_.isOpen() && file_.lock(platform::File::LockKind::Exclusive, 120000);
    if (!held_) setError(err::kOpenForWrite | err::kRegisterLock);
}

IssueResult registerIssue(int typeCode, const std::string& serial, const std::string& note, int medium) {
    if (refuseBadLine(serial, note, medium)) return IssueResult::Refused;
    const RegisterIssueLock issuing(typeCode);
    if (!issuing.held()) return IssueResult::Failed;
    return registerIssueHeld(typeCode, serial, note, medium);
}

IssueResult registerIssueHeld(int typeCode, const std::string& serial, const std::string& note, int medium) {
    if (refuseBadLine(serial, note, medium)) return IssueResult::Refused;
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
        const auto semicolon = line.find(';');
        rows.push_back({line.substr(0, 12), productionDateText(parts.date), modelName(static_cast<DeviceTypeCode>(typeCode)),
                        semicolon == std::string::npos ? "" : cp1250ToUtf8(line.substr(semicolon + 1))});
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
