#include "model/record_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/app_state.h"
#include "base/error_report.h"
#include "base/ui_port.h"
#include "model/record_lock.h"
#include "platform/file_io.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

// Opens for reading; a missing file is created empty first.
platform::File openCreatingIfMissing(const std::string& path) {
    platform::File file(path, platform::File::Mode::Read);
    if (!file.isOpen() && !platform::fileExists(path)) {
        platform::File created(path, platform::File::Mode::ReadWrite);
        if (created.isOpen()) return created;
    }
    return file;
}

int endOfWalk(RecordImage& out, int number) {
    out.clear();
    return number;
}

}  // namespace

ReadFailure readFailureOf(const std::string& path) {
    const platform::FileKind kind = platform::fileKind(path);
    if (kind == platform::FileKind::Missing) return ReadFailure::Missing;
    if (kind == platform::FileKind::Regular && platform::File::isLockTimeout(platform::lastSystemError()))
        return ReadFailure::Busy;
    return ReadFailure::Unreadable;
}

std::string fileProblemReason(const std::string& path) {
    const std::uint32_t error = platform::lastSystemError();
    switch (platform::fileKind(path)) {
        case platform::FileKind::Missing: return "neexistuje";
        case platform::FileKind::Directory: return "je to adresář";
        case platform::FileKind::SymbolicLink: return "je to symbolický odkaz (odkazy se nenásledují)";
        case platform::FileKind::Other: return "není to obyčejný soubor (je to roura nebo zařízení)";
        case platform::FileKind::Regular:
        case platform::FileKind::Unknown: break;
    }
    if (platform::isPermissionDenied(error)) return "chybí oprávnění";
    return error != 0 ? "systémová chyba " + std::to_string(error) : "nelze jej otevřít";
}

std::string unreadableFileText(const std::string& path) {
    return "Soubor " + path + " nelze přečíst: " + fileProblemReason(path) + ". ";
}

void reportUnreadableFile(const std::string& path) {
    const std::string text = unreadableFileText(path);
    const ErrorRecord record = takeError();
    uiMessage("CHYBA !", record.empty() ? text : text + "\n" + errorMessageText(record.code, record.systemError),
              MessageIcon::Error);
}

bool readRecord(const std::string& path, void* buffer, std::size_t length, std::uint64_t offset) {
    const RecordAccessLock lock(path, false);
    if (!lock.ok()) return false;
    platform::File file(path, platform::File::Mode::Read);
    if (!file.isOpen()) {
        setError(err::kOpenForRead);
        return false;
    }
    const long long got = file.readAt(offset, buffer, length);
    if (got < 0) {
        setError(err::kReadFile);
        return false;
    }
    if (static_cast<std::size_t>(got) < length) std::memset(buffer, 0, length);
    return true;
}

bool writeRecord(const std::string& path, std::size_t length, const void* buffer, std::uint64_t offset) {
    const RecordAccessLock lock(path, true);
    if (!lock.ok()) return false;
    platform::File file(path, platform::File::Mode::ReadWrite);
    if (!file.isOpen()) {
        setError(err::kOpenForWrite);
        return false;
    }
    platform::setLastSystemError(0);
    if (length == 0) return file.close() || (setError(err::kWriteFile), false);
    // What the write may overwrite is kept, so that a write cut short (a full disk) can be
    // undone: a record is written whole or not at all.
    const long long size = file.size();
    if (size < 0) {
        setError(err::kWriteFile);
        return false;
    }
    std::vector<std::uint8_t> before;
    if (offset < static_cast<std::uint64_t>(size)) {
        before.resize(std::min<std::uint64_t>(length, static_cast<std::uint64_t>(size) - offset));
        if (file.readAt(offset, before.data(), before.size()) != static_cast<long long>(before.size())) {
            setError(err::kReadFile);
            return false;
        }
    }
    if (!file.writeAt(offset, buffer, length)) {
        const std::uint32_t cause = platform::lastSystemError();
        if (offset + length > static_cast<std::uint64_t>(size)) file.truncate(static_cast<std::uint64_t>(size));
        if (!before.empty()) file.writeAt(offset, before.data(), before.size());
        platform::setLastSystemError(cause);
        setError(err::kWriteFile);
        return false;
    }
    if (!file.close()) {
        setError(err::kWriteFile);
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const void* data, std::size_t length) {
    platform::setLastSystemError(0);
    if (!platform::replaceFile(path, data, length)) {
        setError(err::kWriteFile);
        return false;
    }
    return true;
}

int countRecords(const std::string& path) {
    platform::File file = openCreatingIfMissing(path);
    const long long size = file.isOpen() ? file.size() : -1;
    if (size < 0) {
        setError(err::kOpenForRead | 0x0001);
        return -1;
    }
    return static_cast<int>(size / static_cast<long long>(kRecordSize));
}

bool isUsedSlot(const RecordImage& record, FindKey&) { return record.firstByte() == 0; }

bool isSwitchedOnWithId(const RecordImage& record, FindKey& key) {
    return !(record.firstByte() == key.id && (record.flags() & flags::kModuleOff) == 0);
}

bool countSameId(const RecordImage& record, FindKey& key) {
    if (record.firstByte() == key.id && (record.flags() & flags::kModuleOff) == 0) ++key.count;
    return true;
}

int findRecord(const std::string& path, RecordImage& out, RecordPredicate predicate, FindKey& key) {
    const RecordAccessLock lock(path, false);
    if (!lock.ok()) return -1;
    platform::File file = openCreatingIfMissing(path);
    const long long size = file.isOpen() ? file.size() : -1;
    if (size < 0) {
        setError(err::kOpenForRead | 0x0002);
        return -1;
    }
    // The walk covers the whole records the file holds when it starts (a trailing part of a
    // record is no record); a device or a growing file cannot make it endless.
    const int count = static_cast<int>(size / static_cast<long long>(kRecordSize));
    RecordImage record;
    for (int number = 1; number <= count; ++number) {
        const long long got = file.readAt(recordOffset(number), record.data(), kRecordSize);
        if (got < 0) {
            setError(err::kReadFile);
            return -1;
        }
        if (static_cast<std::size_t>(got) < kRecordSize) return endOfWalk(out, number);
        if (!predicate(record, key)) {
            out = record;
            return number;
        }
    }
    return endOfWalk(out, count + 1);
}

}  // namespace lumo
